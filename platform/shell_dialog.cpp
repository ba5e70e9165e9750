#include "platform/shell_dialog.h"

#include "platform/os_calls.h"

namespace {

RECT WorkArea() {
    RECT area = {};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0) || IsRectEmpty(&area)) {
        SetRect(&area, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    }
    return area;
}

// The screen above the input panel, as the panel reports it.
RECT AreaAbovePanel() {
    SIPINFO info = {};
    info.cbSize = sizeof(info);
    if (platform::Os().SipGetInfo(&info) && !IsRectEmpty(&info.rcVisibleDesktop)) {
        return info.rcVisibleDesktop;
    }
    return WorkArea();
}

void MoveTo(HWND dialog, const RECT& area) {
    SetWindowPos(dialog, nullptr, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
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
    if (flags & (SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR)) {
        MoveTo(info->hDlg, WorkArea());
    } else if (flags & SHIDIF_SIZEDLG) {
        MoveTo(info->hDlg, AreaAbovePanel());
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
