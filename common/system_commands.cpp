#include "common/system_commands.h"

#include <windows.h>

#include "common/settings_schema.h"
#include "platform/os_calls.h"
#include "platform/sip.h"

namespace kestrel {

namespace {

constexpr wchar_t kTodayClassName[] = L"DesktopExplorerWindow";
constexpr wchar_t kTodayTitle[] = L"Desktop";
constexpr BYTE kVkOff = 0xDF;

void TapKey(BYTE vk) {
    platform::Os().keybd_event(vk, 0, 0, kExtraInfoOwnKey);
    platform::Os().keybd_event(vk, 0, KEYEVENTF_KEYUP, kExtraInfoOwnKey);
}

}  // namespace

// A desktop has no Today window; there the desktop comes forward, as Win+D brings it.
void ShowTodayScreen() {
    HWND today = platform::Os().FindWindowW(kTodayClassName, kTodayTitle);
    if (!today) {
        platform::Os().ToggleDesktop();
        return;
    }
    platform::Os().SetForegroundWindow(today);
}

void PressStartKey() {
    TapKey(VK_LWIN);
}

void PressPowerKey() {
    TapKey(kVkOff);
}

// A failing query leaves the zeroed flags, which read as hidden.
bool IsInputPanelShown() {
    SIPINFO info = {};
    info.cbSize = sizeof(info);
    platform::Os().SipGetInfo(&info);
    return (info.fdwFlags & SIPF_ON) != 0;
}

bool ShowInputPanel(bool show) {
    return platform::Os().SipShowIM(show ? SIPF_ON : SIPF_OFF) != FALSE;
}

bool ToggleInputPanel() {
    return ShowInputPanel(!IsInputPanelShown());
}

}  // namespace kestrel
