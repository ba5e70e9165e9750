#include "agent/pause.h"

#include <cwchar>

#include "agent/agent_window.h"
#include "agent/app_assignments.h"
#include "agent/while_held.h"
#include "platform/os_calls.h"

namespace kestrel {

bool paused = false;

namespace {

constexpr wchar_t kPausedTip[] = L"Kestrel (一時停止中)";

// The tip says so while paused; resumed, the icon has no tip again, as at start.
void ShowPauseInTip() {
    if (!trayIconData.hWnd) {
        return;
    }
    trayIconData.uFlags |= NIF_TIP;
    wcsncpy(trayIconData.szTip, paused ? kPausedTip : L"", ARRAYSIZE(trayIconData.szTip) - 1);
    trayIconData.szTip[ARRAYSIZE(trayIconData.szTip) - 1] = L'\0';
    platform::Os().Shell_NotifyIconW(NIM_MODIFY, &trayIconData);
}

}  // namespace

void TogglePause() {
    paused = !paused;
    // Paused, no button may keep a modifier down that only its release would let go.
    if (paused) {
        ReleaseEverythingHeld();
    }
    HandPressRules();
    ApplyWhileHeldButtons();
    ShowPauseInTip();
}

}  // namespace kestrel
