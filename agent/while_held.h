#pragma once
// While-held assignments: the buttons whose hold holds modifiers are handed to the hot-key
// layer, which decides tap or hold as the keys come; a while-held assignment that the
// classifier runs itself (the single slot of a button without double and hold, or the double
// slot) holds its modifiers until the button's release. Nothing stays down on a reload, a
// session lock or switch, or at the end.
#include <windows.h>

#include <string>

namespace kestrel {

// After every settings load and pause or resume: the buttons whose enabled hold slot holds
// modifiers, none while paused.
void ApplyWhileHeldButtons();
// Every hot-key report of a button, before the classifier hears of it.
void NoteButtonReport(LPARAM lParam);
// After the classifier has handled a report or its timer: once the press is settled, keys
// typed across a tapped button follow its action.
void SettlePress();
// The executor's part: holds the modifiers `command` names while the button is still down.
void HoldWhileButtonDown(const std::wstring& command);
// Lets go of every modifier held and every key held back.
void ReleaseEverythingHeld();

}  // namespace kestrel
