#pragma once
// The dialog "キー操作" that records a key combination as the user presses it: any key with
// any of Ctrl, Alt, Shift and Win. While it is the foreground window it takes every key
// before the system does, so that Win+D, Alt+Tab or a Kestrel key is recorded rather than
// carried out; the agent's own key events pass untouched.
#include <windows.h>

#include <bitset>

#include "common/key_sequence.h"

namespace kestrel {

// What the keys pressed so far make: the modifiers held now, and the last other key that
// went down with the modifiers held at that moment.
struct KeyRecording {
    unsigned held = 0;
    bool recorded = false;
    KeyCombination combination;
    // The keys whose downs the dialog took: their ups are its too. An up whose down went
    // elsewhere passes, or the window that had the down would think the key still held.
    std::bitset<256> taken;

    // Whether the dialog takes key `vk` going down or up, with the dialog in front or not.
    bool Take(DWORD vk, bool up, bool inFront);
    // Key `vk` went down or up; true when it made a combination.
    bool Note(DWORD vk, bool up);
};

// Shows the dialog over `owner`. True, with `combination` set, when the user pressed a
// combination and then OK.
bool RecordKeyCombination(HWND owner, KeyCombination& combination);

}  // namespace kestrel
