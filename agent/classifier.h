#pragma once
// Turns the hot-key messages of the hardware buttons into presses of one kind (single,
// double, hold) and hands each press to the executor at once.
#include <windows.h>

#include <cstdint>

namespace kestrel {

// Base hot-key id of the button of the most recent key-down; the executor acts on the
// binding that holds it.
extern int32_t currentId;
// The program whose slots that press uses (0 the global ones), chosen by the hot-key layer
// at the press's first down and reported with it.
extern int currentProgram;
// A press is being timed (held, or released and waiting for a second key-down).
extern bool pressActive;
// The first press of a possible double press was released; only set with pressActive.
extern bool doublePending;

// Maps a Shift (16..31) or Ctrl (32..) variant id back onto its button's base id.
int32_t FoldHotKeyId(int32_t id);

// Base ids run from 0 to 15; any other id names no button, also where an unnumbered
// binding would carry it.
bool IsButtonId(int32_t baseId);

// WM_HOTKEY: `id` and `program` as the message's wParam carries them; the MOD_KEYUP bit of
// `lParam` marks a release, which always ends the press under way.
void HandleHotKey(int32_t id, LPARAM lParam, int program = 0);
// The hot-key id and program that WM_HOTKEY's wParam carries. A program number that no
// loaded program has leaves the whole wParam as the id, which names no button.
int32_t HotKeyIdOf(WPARAM wParam);
int HotKeyProgramOf(WPARAM wParam);
// WM_TIMER: every timer of the agent window is taken as the press timer.
void HandlePressTimer();

}  // namespace kestrel
