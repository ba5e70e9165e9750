#include "agent/hook_notice.h"

#include <shellapi.h>

#include <cwchar>

#include "agent/agent_state.h"
#include "agent/agent_window.h"
#include "agent/button_table.h"
#include "platform/hotkey_matcher.h"
#include "platform/hotkeys.h"
#include "platform/os_calls.h"

namespace kestrel {

namespace {

constexpr wchar_t kBalloonTitle[] = L"Kestrel";
constexpr wchar_t kMouseButtonsLost[] = L"マウスのボタンを受け取れません。";
constexpr wchar_t kMouseButtonsBack[] = L"マウスのボタンをまた受け取れるようになりました。";

// A balloon changes nothing else of the icon.
void ShowBalloon(const wchar_t* text, DWORD icon) {
    NOTIFYICONDATAW balloon = trayIconData;
    balloon.uFlags = NIF_INFO;
    wcsncpy(balloon.szInfoTitle, kBalloonTitle, ARRAYSIZE(balloon.szInfoTitle) - 1);
    wcsncpy(balloon.szInfo, text, ARRAYSIZE(balloon.szInfo) - 1);
    balloon.dwInfoFlags = icon;
    platform::Os().Shell_NotifyIconW(NIM_MODIFY, &balloon);
}

// Registrations that already stand are refused as taken and stay as they are.
void RegisterMouseButtonsAgain() {
    for (const ButtonBinding& binding : buttonTable) {
        if (binding.enabled == 1 && binding.hotKeyId != kNoHotKeyId &&
            platform::IsMouseButton(binding.vk)) {
            RegisterButtonHotKeys(agentWindow, binding.hotKeyId, binding.vk);
        }
    }
}

}  // namespace

void HandleHookNotice(WPARAM notice) {
    if (notice == platform::kMouseHookMissing) {
        ShowBalloon(kMouseButtonsLost, NIIF_WARNING);
    } else if (notice == platform::kMouseHookWorks) {
        RegisterMouseButtonsAgain();
        ShowBalloon(kMouseButtonsBack, NIIF_INFO);
    }
}

}  // namespace kestrel
