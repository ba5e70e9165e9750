#pragma once
// "キーを追加": a small modal dialog that takes the next key or mouse button pressed, from
// the keyboard, the mouse or another program, and says why it refuses the ones it must.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace kestrel {

// A key or mouse button as pressed: the key code (VK_MBUTTON, VK_XBUTTON1 or VK_XBUTTON2
// for the mouse) and, for a key, where it sits on the keyboard.
struct PressedKey {
    uint32_t vk = 0;
    uint32_t scanCode = 0;
    bool extended = false;
};

enum class KeyVerdict {
    kAccepted,
    // A key typing needs (the keypad's digits and signs too): added only once the user
    // agrees it will no longer type.
    kNeedsConfirmation,
    // A key of the input method (かな, 変換, 半角/全角...): added only once the user agrees
    // it will no longer switch how Japanese is typed.
    kNeedsInputMethodConfirmation,
    // The Windows keys, Shift, Ctrl and Alt: the latches and the agent's own shortcuts
    // rely on them.
    kRefusedModifier,
    // The left and right mouse buttons: without them nothing could be pointed at.
    kRefusedMouseButton,
    // F12: Windows keeps it for the debugger at all times, so no program may take it.
    kRefusedReserved,
    // A code no key sends as a key of its own (none, the reserved ones, a typed character).
    kRefusedUnusable,
};

KeyVerdict JudgeKey(uint32_t vk);

// The row's name: the system's name of the key, or the mouse button's Japanese name.
std::wstring PressedKeyName(const PressedKey& key);

// Shows the dialog over `owner` until a key that may be added is pressed (true, `key`
// set) or the user cancels (false). `listed` tells whether a key code is in the list.
bool AskForKey(HWND owner, const std::function<bool(uint32_t vk)>& listed, PressedKey& key);

}  // namespace kestrel
