// Stands in for a program whose window takes the front: a visible window titled with the
// program's own file name, placed where its command line says ("left top width height"),
// that counts the key-downs and mouse button downs that reach it. A test asks for a count
// with kAskCount (wParam: the key code, or VK_LBUTTON, VK_XBUTTON1, VK_XBUTTON2) and gets it
// back as the answer.
#include <windows.h>

#include <cwchar>
#include <map>

namespace {

constexpr UINT kAskCount = WM_APP + 1;
std::map<WPARAM, LRESULT> counts;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            ++counts[wParam];
            return 0;
        case WM_LBUTTONDOWN:
            ++counts[VK_LBUTTON];
            break;
        case WM_XBUTTONDOWN:
            ++counts[GET_XBUTTON_WPARAM(wParam) == XBUTTON1 ? VK_XBUTTON1 : VK_XBUTTON2];
            return TRUE;
        case kAskCount:
            return counts[wParam];
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    int left = 100, top = 100, width = 300, height = 200;
    swscanf(commandLine, L"%d %d %d %d", &left, &top, &width, &height);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const wchar_t* slash = wcsrchr(path, L'\\');
    const wchar_t* title = slash ? slash + 1 : path;

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = L"KestrelFrontWindow";
    RegisterClassW(&windowClass);
    HWND window =
        CreateWindowExW(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, left,
                        top, width, height, nullptr, nullptr, instance, nullptr);
    if (!window) {
        return 1;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
