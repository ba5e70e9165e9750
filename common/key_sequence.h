#pragma once
// The command of a key-sequence assignment (type 2): what the agent types for it, and how
// the customizer writes and shows a key combination. Part of the settings contract.
//
// A command is a run of three-character groups, read from the start in steps of three:
//
//   "#kc"  The handheld's group, unchanged: key character k, modifier character c. The
//          modifier ("A"/"a" Alt, "C"/"c" Ctrl, "S"/"s" Shift, anything else none) goes
//          down, the key goes down and up, the modifier goes up. Keys: "A"-"Z", "a"-"z"
//          and "0"-"9" are their own character codes, "*" Enter, "&" Esc, "_" Space,
//          "<" Left, ">" Right; any other character is no key, and the modifier is still
//          pressed and released. "#AC" is Ctrl+A, "#*#" Enter, "#>S" Shift+Right.
//   "+hh"  hh, two hex digits (either case), is the virtual-key code of a key that goes
//          down and stays down until the next "$" group has been typed.
//   "$hh"  The key with virtual-key code hh goes down and up; then every key that "+"
//          groups hold goes up, the last pressed first.
//
// "+11+10$54" is Ctrl+Shift+T, "+5B$44" Win+D, "$74" F5. A "+" or "$" group whose code is
// not two hex digits, or is 00 or FF, does nothing. A group that begins with any other
// character does nothing, so that a command of a later version is typed as far as it is
// understood. Characters after the last whole group are ignored, and keys still held when
// the command ends are released, so a command never leaves a key down.
//
// The customizer writes a recorded combination in the handheld's form when that form
// types exactly it (at most one of Ctrl, Alt and Shift with a letter, a digit, Enter,
// Esc or Space), so that Ctrl+C is the fixed entry's "#CC"; else as "+" groups for Ctrl,
// Alt, Shift and Win in that order, then one "$" group.
#include <windows.h>

#include <string>
#include <vector>

namespace kestrel {

// One synthesized key event of a command. `extended`: the key is one of the keyboard's
// extended keys (arrows, Home, Insert, Win, the browser and media keys...), which a "+"
// or "$" group types with KEYEVENTF_EXTENDEDKEY so that no program takes it for its twin
// on the numeric keypad; "#" groups type exactly what they always typed.
struct KeyEvent {
    BYTE vk;
    bool up;
    bool extended;

    bool operator==(const KeyEvent& other) const {
        return vk == other.vk && up == other.up && extended == other.extended;
    }
};

// Every key event `command` types, in order.
std::vector<KeyEvent> KeySequenceEvents(const std::wstring& command);

// The modifiers of a key combination.
enum KeyModifier : unsigned {
    kModifierCtrl = 1,
    kModifierAlt = 2,
    kModifierShift = 4,
    kModifierWin = 8,
};

// A key with the modifiers held while it is pressed.
struct KeyCombination {
    BYTE vk = 0;
    unsigned modifiers = 0;

    bool operator==(const KeyCombination& other) const {
        return vk == other.vk && modifiers == other.modifiers;
    }
};

// The modifier bit that key `vk` stands for (either side, or the generic code); 0 for
// every other key.
unsigned ModifierOfKey(DWORD vk);
// The command that types `combination`.
std::wstring CombinationCommand(const KeyCombination& combination);
// Whether `command` types one combination, no more and no less, as CombinationCommand
// writes it or as one "#" group does; then `combination` is set.
bool ParseCombination(const std::wstring& command, KeyCombination& combination);
// How the page shows it, as the fixed entries show theirs: "［Ctrl+Shift+T］".
std::wstring CombinationText(const KeyCombination& combination);

}  // namespace kestrel
