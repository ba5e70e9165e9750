#pragma once
// System hot keys that also report their release. The handheld's RegisterHotKey accepts
// MOD_KEYUP and then posts WM_HOTKEY for the key-down and, with MOD_KEYUP set in lParam,
// for the key-up; desktop Win32 knows no such flag. This layer stands in for it.
#include <windows.h>

#ifndef MOD_KEYUP
#define MOD_KEYUP 0x1000
#endif

namespace platform {

// Registers `vk` with `modifiers` (MOD_WIN, MOD_SHIFT, MOD_CONTROL, MOD_ALT, MOD_KEYUP)
// as hot key `id` of `window`. Fails when another registration holds the combination.
BOOL RegisterKeyUpHotKey(HWND window, int id, UINT modifiers, UINT vk);

// Releases hot key `id` of `window` at once. Fails when no such registration exists.
BOOL UnregisterKeyUpHotKey(HWND window, int id);

}  // namespace platform
