#include "platform/shell_dialog.h"

#include <algorithm>

#include "platform/os_calls.h"

namespace {

// Screens up to the handheld's VGA size, in either orientation.
constexpr int kHandheldShortSide = 480;
constexpr int kHandheldLongSide = 640;

struct Screen {
    RECT bounds;
    RECT workArea;
};

Screen ScreenOf(HWND dialog) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    HMONITOR monitor = platform::Os().MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST);
    if (!monitor || !platform::Os().GetMonitorInfoW(monitor, &info) || IsRectEmpty(&info.rcWork)) {
        SetRect(&info.rcMonitor, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                GetSystemMetrics(SM_CYSCREEN));
        info.rcWork = info.rcMonitor;
    }
    return {info.rcMonitor, info.rcWork};
}

bool IsHandheldSized(const RECT& screen) {
    const int width = screen.right - screen.left;
    const int height = screen.bottom - screen.top;
    return std::min(width, height) <= kHandheldShortSide &&
           std::max(width, height) <= kHandheldLongSide;
}

void MoveTo(HWND dialog, const RECT& area) {
    SetWindowPos(dialog, nullptr, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreIn(HWND dialog, const RECT& area) {
    RECT box = {};
    GetWindowRect(dialog, &box);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    SetWindowPos(dialog, nullptr, std::max<int>(x, area.left), std::max<int>(y, area.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// On the handheld the box fills the screen as its shell makes it. On a larger screen a box
// that fills it with a few words in one corner looks broken: it keeps its template's size.
void SizeFullScreen(HWND dialog) {
    const Screen screen = ScreenOf(dialog);
    if (IsHandheldSized(screen.bounds)) {
        MoveTo(dialog, screen.workArea);
    } else {
        CentreIn(dialog, screen.workArea);
    }
}

// The handheld draws its done button in the caption; here it is a default push button
// at the top right of the client area, so a tap, Enter or Space closes the dialog.
void AddDoneButton(HWND dialog) {
    if (GetDlgItem(dialog, IDOK)) {
        return;
    }
    RECT size = {0, 0, 28, 14};  // dialog units
    RECT margin = {0, 0, 4, 4};
    MapDialogRect(dialog, &size);
    MapDialogRect(dialog, &margin);
    RECT client = {};
    GetClientRect(dialog, &client);
    const int width = size.right;
    const int height = size.bottom;
    const int x = client.right - width - margin.right;
    const int y = client.top + margin.bottom;
    HWND button = CreateWindowExW(
        0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, x, y, width,
        height, dialog, reinterpret_cast<HMENU>(IDOK),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), nullptr);
    if (!button) {
        return;
    }
    SendMessageW(button, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    SendMessageW(dialog, DM_SETDEFID, IDOK, 0);
}

}  // namespace

BOOL SHInitDialog(SHINITDLGINFO* info) {
    if (!info || !info->hDlg || !IsWindow(info->hDlg)) {
        return FALSE;
    }
    if (!(info->dwMask & SHIDIM_FLAGS)) {
        return TRUE;
    }
    const DWORD flags = info->dwFlags;
    if (flags & SHIDIF_SIZEDLGFULLSCREEN) {
        SizeFullScreen(info->hDlg);
    }
    // The button is placed after sizing, so it sits at the final top right corner.
    if (flags & SHIDIF_DONEBUTTON) {
        AddDoneButton(info->hDlg);
    }
    if (flags & SHIDIF_SIPDOWN) {
        platform::Os().SipShowIM(SIPF_OFF);
    }
    return TRUE;
}
