#pragma once
// A button that is a modifier while held, carried by the hot-key layer (the decisions are in
// platform/held_modifier.h). The button is registered as any other (hotkeys.h); naming its
// modifiers here makes its press a choice between a tap, reported to its window as an
// ordinary short press, and a hold, which holds the modifiers down for as long as the button
// is and reports nothing. The modifiers go down and up as the caller's own key events, with
// the layer's ticket, so they pass its hooks once and never come back as presses.
#include <windows.h>

#include <vector>

#include "platform/held_modifier.h"

namespace platform {

// `holdTimeMs` closes a choice as a hold; `ownExtraInfo` marks the modifiers' key events.
void ConfigureHeldModifiers(DWORD holdTimeMs, ULONG_PTR ownExtraInfo);
// The whole set of buttons that hold modifiers (HeldButton), in place of the one before,
// at once: a press judged meanwhile meets either set, never half of one.
void SetHeldModifierButtons(const std::vector<HeldButton>& buttons);

// The tap's own action is done: keys typed across the button and held back behind it follow
// now (else once the hold time has passed).
void TapActionDone();

// Modifiers held down for the caller until LetGoOfModifiers or ReleaseEverythingHeld.
void HoldModifiers(UINT modifiers);
void LetGoOfModifiers();

// Leaves no modifier of ours down and no key held back: for a reload, a pause, a session
// lock, and the end. Returns once done.
void ReleaseEverythingHeld();

namespace test_access {
// The modifiers the layer holds down at this moment (MOD_*).
UINT HeldModifiersDown();
}  // namespace test_access

}  // namespace platform
