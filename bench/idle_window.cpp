// The baseline of the agent's working-set figure: a Win32 program with one hidden window
// and a message loop that does nothing else, loading the same system libraries as the
// agent (user32, gdi32, advapi32, shell32), so that the difference is the agent's own.
#include <windows.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    LocalFree(CommandLineToArgvW(GetCommandLineW(), &count));
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    WNDCLASSW idleClass = {};
    idleClass.lpfnWndProc = DefWindowProcW;
    idleClass.hInstance = instance;
    idleClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    idleClass.lpszClassName = L"IdleWindow";
    RegisterClassW(&idleClass);
    HWND window = CreateWindowExW(0, L"IdleWindow", L"idle", 0, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, nullptr);
    MSG message;
    while (window && GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}
