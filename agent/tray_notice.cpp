#include "agent/tray_notice.h"

#include <shellapi.h>

#include <cwchar>

#include "agent/agent_window.h"
#include "common/settings_schema.h"
#include "platform/os_calls.h"

namespace kestrel {

// Only the balloon changes: the icon, its tip and its message stay as they are.
void ShowTrayNotice(const wchar_t* text) {
    NOTIFYICONDATAW notice = {};
    notice.cbSize = sizeof(notice);
    notice.hWnd = trayIconData.hWnd;
    notice.uID = trayIconData.uID;
    notice.uFlags = NIF_INFO;
    notice.dwInfoFlags = NIIF_WARNING;
    wcsncpy(notice.szInfo, text ? text : L"", ARRAYSIZE(notice.szInfo) - 1);
    wcsncpy(notice.szInfoTitle, kAgentWindowTitle, ARRAYSIZE(notice.szInfoTitle) - 1);
    platform::Os().Shell_NotifyIconW(NIM_MODIFY, &notice);
}

}  // namespace kestrel
