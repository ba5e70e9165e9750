#pragma once
// The key events the agent sends for itself: its hook's probe, the tap that keeps the Start
// menu shut, and the keys it types or holds as a button's action. The customizer's dialogs
// read the user's keys from hooks of their own, newer than the agent's and so called first;
// taking one of these would end a dialog with a key nobody pressed, or hide the probe from
// the agent, which would then take its hook for lost.
#include <windows.h>

namespace kestrel {

bool IsAgentsOwnKeyEvent(const KBDLLHOOKSTRUCT& event);

}  // namespace kestrel
