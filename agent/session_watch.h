#pragma once
// The latches across a workstation lock and a switch of session: a Shift or Ctrl held by
// the agent must not wait behind the lock screen for whoever comes back.
#include <windows.h>

namespace kestrel {

void WatchSession(HWND window);
void StopWatchingSession(HWND window);
// WM_WTSSESSION_CHANGE: `event` is its wParam.
void HandleSessionChange(WPARAM event);

}  // namespace kestrel
