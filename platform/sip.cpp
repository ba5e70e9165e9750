#include "platform/sip.h"

#include <shellapi.h>

#include <string>

#include "platform/os_calls.h"

namespace {

// The on-screen keyboard of desktop Windows stands in for the handheld's input panel. Its
// program file tells whether this Windows has one (Wine has none).
constexpr wchar_t kKeyboardFile[] = L"osk.exe";
constexpr wchar_t kKeyboardClass[] = L"OSKMainClass";

LRESULT CALLBACK PanelWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND FindPanel() {
    return FindWindowW(KESTREL_SIP_CLASS, KESTREL_SIP_TITLE);
}

// The panel sits at the bottom of the primary screen like the handheld's input panel.
HWND CreatePanel() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW panelClass = {};
    panelClass.lpfnWndProc = PanelWndProc;
    panelClass.hInstance = instance;
    panelClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    panelClass.lpszClassName = KESTREL_SIP_CLASS;
    RegisterClassW(&panelClass);
    const int width = 240;
    const int height = 80;
    const int x = GetSystemMetrics(SM_CXSCREEN) - width;
    const int y = GetSystemMetrics(SM_CYSCREEN) - height;
    return CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, KESTREL_SIP_CLASS,
                           KESTREL_SIP_TITLE, WS_POPUP | WS_BORDER, x, y, width, height, nullptr,
                           nullptr, instance, nullptr);
}

// The keyboard's program in the system folder; empty where this Windows has none.
std::wstring KeyboardProgram() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = platform::Os().GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return std::wstring();
    }
    std::wstring path = std::wstring(folder, length) + L"\\" + kKeyboardFile;
    const DWORD attributes = platform::Os().GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::wstring();
    }
    return path;
}

HWND FindKeyboard() {
    return platform::Os().FindWindowW(kKeyboardClass, nullptr);
}

// The keyboard is its own program: started to show it, asked to close to hide it.
BOOL ShowKeyboard(const std::wstring& program) {
    HWND keyboard = FindKeyboard();
    if (keyboard) {
        if (IsIconic(keyboard)) {
            ShowWindow(keyboard, SW_RESTORE);
        }
        return TRUE;
    }
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.lpVerb = L"open";
    info.lpFile = program.c_str();
    info.nShow = SW_SHOWNOACTIVATE;
    return platform::Os().ShellExecuteExW(&info);
}

}  // namespace

BOOL SipGetInfo(SIPINFO* info) {
    if (!info || info->cbSize != sizeof(SIPINFO)) {
        return FALSE;
    }
    HWND panel = FindPanel();
    if (!panel || !IsWindowVisible(panel)) {
        HWND keyboard = FindKeyboard();
        if (keyboard && IsWindowVisible(keyboard) && !IsIconic(keyboard)) {
            panel = keyboard;
        }
    }
    info->fdwFlags = (panel && IsWindowVisible(panel)) ? SIPF_ON : 0;
    if (panel) {
        GetWindowRect(panel, &info->rcSipRect);
    }
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &info->rcVisibleDesktop, 0);
    return TRUE;
}

// Where our own panel already exists it keeps serving, as on the handheld; otherwise the
// system's keyboard is used where Windows has one, and our panel where it has none.
BOOL SipShowIM(DWORD flags) {
    HWND panel = FindPanel();
    if (flags & SIPF_ON) {
        if (!panel) {
            const std::wstring keyboard = KeyboardProgram();
            if (!keyboard.empty()) {
                return ShowKeyboard(keyboard);
            }
            panel = CreatePanel();
        }
        if (!panel) {
            return FALSE;
        }
        ShowWindow(panel, SW_SHOWNOACTIVATE);
        return TRUE;
    }
    if (panel) {
        ShowWindow(panel, SW_HIDE);
    }
    if (HWND keyboard = FindKeyboard()) {
        platform::Os().PostMessageW(keyboard, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    return TRUE;
}
