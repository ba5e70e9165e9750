#pragma once
// The device commands behind the agent's built-in commands, and the power key.

namespace kestrel {

// Brings the Today screen's window to the front, or the desktop where there is none.
void ShowTodayScreen();
// Presses and releases the Start (Windows) key.
void PressStartKey();
// Presses and releases the power key.
void PressPowerKey();

bool IsInputPanelShown();
// Shows (true) or hides (false) the input panel; the platform call's result.
bool ShowInputPanel(bool show);
// Hides a shown input panel, shows a hidden one.
bool ToggleInputPanel();

}  // namespace kestrel
