#include "platform/sip.h"

namespace {

LRESULT CALLBACK PanelWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND FindPanel() { return FindWindowW(KESTREL_SIP_CLASS, KESTREL_SIP_TITLE); }

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

}  // namespace

BOOL SipGetInfo(SIPINFO* info) {
    if (!info || info->cbSize != sizeof(SIPINFO)) {
        return FALSE;
    }
    HWND panel = FindPanel();
    info->fdwFlags = (panel && IsWindowVisible(panel)) ? SIPF_ON : 0;
    if (panel) {
        GetWindowRect(panel, &info->rcSipRect);
    }
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &info->rcVisibleDesktop, 0);
    return TRUE;
}

BOOL SipShowIM(DWORD flags) {
    HWND panel = FindPanel();
    if (flags & SIPF_ON) {
        if (!panel) {
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
    return TRUE;
}
