#pragma once
// The pause: every button passes untouched but the ones that carry the pause command, so
// the button that paused the agent also resumes it. The agent always starts unpaused.
namespace kestrel {

extern bool paused;

// Pauses or resumes: the layer's rules, the tray tip and the menu's check mark follow.
void TogglePause();

}  // namespace kestrel
