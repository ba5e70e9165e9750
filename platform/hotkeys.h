#pragma once
// System hot keys that also report their release. The handheld's RegisterHotKey accepts
// MOD_KEYUP and then posts WM_HOTKEY for the key-down and, with MOD_KEYUP set in lParam,
// for the key-up; desktop Win32 knows no such flag. This layer stands in for it.
//
// The system's own RegisterHotKey still reserves every combination, so another program is
// refused a taken one and gets it once it is freed. The reports themselves come from a
// low-level keyboard hook on the thread that registers: it follows Win, Shift, Ctrl and
// Alt from the events it sees, posts WM_HOTKEY for a registered key whose modifiers match
// exactly, and swallows that key's down and up events. Every other event passes untouched.
//
// Register, unregister and the message loop of the registering windows belong to one
// thread: the hook runs inside that thread's message retrieval, and an event that the
// same thread injects with keybd_event reaches the hook before keybd_event returns. A
// thread that has not asked for messages for a while counts as hung, and its hook is
// skipped (Wine does so after five seconds), so the thread must keep to its loop.
#include <windows.h>

#ifndef MOD_KEYUP
#define MOD_KEYUP 0x1000
#endif

namespace platform {

// Registers `vk` with `modifiers` (MOD_WIN, MOD_SHIFT, MOD_CONTROL, MOD_ALT, MOD_KEYUP)
// as hot key `id` of `window`. Fails when another registration holds the combination.
// WM_HOTKEY carries the id in wParam and MAKELPARAM(modifiers, vk) in lParam; the
// release of a MOD_KEYUP registration carries MOD_KEYUP in the modifiers as well.
BOOL RegisterKeyUpHotKey(HWND window, int id, UINT modifiers, UINT vk);

// Releases hot key `id` of `window` at once: a release of its key that comes afterwards
// passes through. Fails when no such registration exists.
BOOL UnregisterKeyUpHotKey(HWND window, int id);

// Number of registrations this process holds; the hook exists exactly while it is not 0.
int KeyUpHotKeyCount();

}  // namespace platform
