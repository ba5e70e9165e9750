#pragma once
// What the user hears when the mouse buttons stop reaching the agent, and when they come
// back: the hot-key layer tells the agent window, and the agent speaks through its tray icon.
#include <windows.h>

namespace kestrel {

// Posted by the hot-key layer to the agent window; wParam says what happened.
inline constexpr UINT MSG_HOOK_NOTICE = WM_APP + 110;

// A balloon at the tray icon; once the mouse hook works again, the mouse buttons that
// could not be registered meanwhile are registered again.
void HandleHookNotice(WPARAM notice);

}  // namespace kestrel
