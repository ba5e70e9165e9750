#include "common/key_sequence.h"

#include <cwchar>

#include "common/hex_digit.h"

namespace kestrel {

namespace {

constexpr size_t kGroupChars = 3;
constexpr wchar_t kHandheldMark = L'#';
constexpr wchar_t kHoldMark = L'+';
constexpr wchar_t kPressMark = L'$';
constexpr wchar_t kNoModifierChar = L'#';
constexpr BYTE kNoKey = 0;

BYTE HandheldKey(wchar_t c) {
    if ((c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9')) {
        return static_cast<BYTE>(c);
    }
    switch (c) {
        case L'*':
            return VK_RETURN;
        case L'&':
            return VK_ESCAPE;
        case L'_':
            return VK_SPACE;
        case L'<':
            return VK_LEFT;
        case L'>':
            return VK_RIGHT;
        default:
            return kNoKey;
    }
}

BYTE HandheldModifier(wchar_t c) {
    switch (c) {
        case L'A':
        case L'a':
            return VK_MENU;
        case L'C':
        case L'c':
            return VK_CONTROL;
        case L'S':
        case L's':
            return VK_SHIFT;
        default:
            return kNoKey;
    }
}

// The code of a "+" or "$" group; kNoKey when it names none.
BYTE GroupCode(wchar_t high, wchar_t low) {
    const int h = HexDigitValue(high);
    const int l = HexDigitValue(low);
    if (h < 0 || l < 0) {
        return kNoKey;
    }
    const int code = h * 16 + l;
    return code == 0xFF ? kNoKey : static_cast<BYTE>(code);
}

bool IsExtendedKey(BYTE vk) {
    switch (vk) {
        case VK_PRIOR:
        case VK_NEXT:
        case VK_END:
        case VK_HOME:
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
        case VK_INSERT:
        case VK_DELETE:
        case VK_LWIN:
        case VK_RWIN:
        case VK_APPS:
        case VK_DIVIDE:
        case VK_NUMLOCK:
        case VK_RCONTROL:
        case VK_RMENU:
            return true;
        default:
            return vk >= VK_BROWSER_BACK && vk <= VK_LAUNCH_APP2;
    }
}

struct ModifierKey {
    unsigned modifier;
    BYTE vk;
    wchar_t handheldChar;  // kNoModifierChar: the handheld's form has none
    const wchar_t* name;
};

// In the order a combination presses and names them.
constexpr ModifierKey kModifierKeys[] = {
    {kModifierCtrl, VK_CONTROL, L'C', L"Ctrl"},
    {kModifierAlt, VK_MENU, L'A', L"Alt"},
    {kModifierShift, VK_SHIFT, L'S', L"Shift"},
    {kModifierWin, VK_LWIN, kNoModifierChar, L"Win"},
};

// The character of the handheld's form that stands for `vk`; 0 when it has none, or none
// that types it exactly (Left and Right are typed there without the extended flag).
wchar_t HandheldCharOf(BYTE vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
        return static_cast<wchar_t>(vk);
    }
    switch (vk) {
        case VK_RETURN:
            return L'*';
        case VK_ESCAPE:
            return L'&';
        case VK_SPACE:
            return L'_';
        default:
            return 0;
    }
}

void AppendHex(std::wstring& text, BYTE value) {
    wchar_t digits[3];
    swprintf(digits, 3, L"%02X", value);
    text += digits;
}

// Names as a desktop keyboard labels its keys; the arrows and Enter, Esc and Space as
// the fixed entries write them.
std::wstring KeyName(BYTE vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
        return std::wstring(1, static_cast<wchar_t>(vk));
    }
    wchar_t text[16];
    if (vk >= VK_F1 && vk <= VK_F24) {
        swprintf(text, 16, L"F%d", vk - VK_F1 + 1);
        return text;
    }
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) {
        swprintf(text, 16, L"Num %d", vk - VK_NUMPAD0);
        return text;
    }
    struct Named {
        BYTE vk;
        const wchar_t* name;
    };
    static constexpr Named kNames[] = {
        {VK_BACK, L"Backspace"},
        {VK_TAB, L"Tab"},
        {VK_CLEAR, L"Clear"},
        {VK_RETURN, L"Enter"},
        {VK_PAUSE, L"Pause"},
        {VK_CAPITAL, L"CapsLock"},
        {VK_ESCAPE, L"ESC"},
        {VK_SPACE, L"Space"},
        {VK_PRIOR, L"PageUp"},
        {VK_NEXT, L"PageDown"},
        {VK_END, L"End"},
        {VK_HOME, L"Home"},
        {VK_LEFT, L"←"},
        {VK_UP, L"↑"},
        {VK_RIGHT, L"→"},
        {VK_DOWN, L"↓"},
        {VK_SNAPSHOT, L"PrintScreen"},
        {VK_INSERT, L"Insert"},
        {VK_DELETE, L"Delete"},
        {VK_LWIN, L"Win"},
        {VK_RWIN, L"Win"},
        {VK_APPS, L"Menu"},
        {VK_SLEEP, L"Sleep"},
        {VK_MULTIPLY, L"Num *"},
        {VK_ADD, L"Num +"},
        {VK_SEPARATOR, L"Num ,"},
        {VK_SUBTRACT, L"Num -"},
        {VK_DECIMAL, L"Num ."},
        {VK_DIVIDE, L"Num /"},
        {VK_NUMLOCK, L"NumLock"},
        {VK_SCROLL, L"ScrollLock"},
        {VK_BROWSER_BACK, L"Browser Back"},
        {VK_BROWSER_FORWARD, L"Browser Forward"},
        {VK_BROWSER_REFRESH, L"Browser Refresh"},
        {VK_BROWSER_STOP, L"Browser Stop"},
        {VK_BROWSER_SEARCH, L"Browser Search"},
        {VK_BROWSER_FAVORITES, L"Browser Favorites"},
        {VK_BROWSER_HOME, L"Browser Home"},
        {VK_VOLUME_MUTE, L"Mute"},
        {VK_VOLUME_DOWN, L"Volume Down"},
        {VK_VOLUME_UP, L"Volume Up"},
        {VK_MEDIA_NEXT_TRACK, L"Next Track"},
        {VK_MEDIA_PREV_TRACK, L"Previous Track"},
        {VK_MEDIA_STOP, L"Stop"},
        {VK_MEDIA_PLAY_PAUSE, L"Play/Pause"},
        {VK_LAUNCH_MAIL, L"Mail"},
        {VK_LAUNCH_MEDIA_SELECT, L"Media"},
        {VK_LAUNCH_APP1, L"App 1"},
        {VK_LAUNCH_APP2, L"App 2"},
        // The punctuation keys as a US keyboard labels them; other layouts move them.
        {VK_OEM_1, L";"},
        {VK_OEM_PLUS, L"="},
        {VK_OEM_COMMA, L","},
        {VK_OEM_MINUS, L"-"},
        {VK_OEM_PERIOD, L"."},
        {VK_OEM_2, L"/"},
        {VK_OEM_3, L"`"},
        {VK_OEM_4, L"["},
        {VK_OEM_5, L"\\"},
        {VK_OEM_6, L"]"},
        {VK_OEM_7, L"'"},
    };
    for (const Named& named : kNames) {
        if (named.vk == vk) {
            return named.name;
        }
    }
    swprintf(text, 16, L"Key %02X", vk);
    return text;
}

}  // namespace

std::vector<KeyEvent> KeySequenceEvents(const std::wstring& command) {
    std::vector<KeyEvent> events;
    std::vector<BYTE> held;
    auto releaseHeld = [&] {
        for (auto key = held.rbegin(); key != held.rend(); ++key) {
            events.push_back({*key, true, IsExtendedKey(*key)});
        }
        held.clear();
    };
    for (size_t i = 0; i + 2 < command.size(); i += kGroupChars) {
        const wchar_t mark = command[i];
        if (mark == kHandheldMark) {
            const BYTE modifier = HandheldModifier(command[i + 2]);
            const BYTE key = HandheldKey(command[i + 1]);
            if (modifier != kNoKey) {
                events.push_back({modifier, false, false});
            }
            if (key != kNoKey) {
                events.push_back({key, false, false});
                events.push_back({key, true, false});
            }
            if (modifier != kNoKey) {
                events.push_back({modifier, true, false});
            }
        } else if (mark == kHoldMark || mark == kPressMark) {
            const BYTE key = GroupCode(command[i + 1], command[i + 2]);
            if (key == kNoKey) {
                continue;
            }
            events.push_back({key, false, IsExtendedKey(key)});
            if (mark == kHoldMark) {
                held.push_back(key);
            } else {
                events.push_back({key, true, IsExtendedKey(key)});
                releaseHeld();
            }
        }
    }
    releaseHeld();
    return events;
}

unsigned ModifierOfKey(DWORD vk) {
    switch (vk) {
        case VK_CONTROL:
        case VK_LCONTROL:
        case VK_RCONTROL:
            return kModifierCtrl;
        case VK_MENU:
        case VK_LMENU:
        case VK_RMENU:
            return kModifierAlt;
        case VK_SHIFT:
        case VK_LSHIFT:
        case VK_RSHIFT:
            return kModifierShift;
        case VK_LWIN:
        case VK_RWIN:
            return kModifierWin;
        default:
            return 0;
    }
}

std::wstring CombinationCommand(const KeyCombination& combination) {
    const wchar_t handheldKey = HandheldCharOf(combination.vk);
    if (handheldKey != 0) {
        if (combination.modifiers == 0) {
            return {kHandheldMark, handheldKey, kNoModifierChar};
        }
        for (const ModifierKey& modifier : kModifierKeys) {
            if (combination.modifiers == modifier.modifier &&
                modifier.handheldChar != kNoModifierChar) {
                return {kHandheldMark, handheldKey, modifier.handheldChar};
            }
        }
    }
    std::wstring command;
    for (const ModifierKey& modifier : kModifierKeys) {
        if (combination.modifiers & modifier.modifier) {
            command += kHoldMark;
            AppendHex(command, modifier.vk);
        }
    }
    command += kPressMark;
    AppendHex(command, combination.vk);
    return command;
}

bool ParseCombination(const std::wstring& command, KeyCombination& combination) {
    if (command.size() == kGroupChars && command[0] == kHandheldMark) {
        const BYTE key = HandheldKey(command[1]);
        if (key == kNoKey) {
            return false;
        }
        combination.vk = key;
        combination.modifiers = ModifierOfKey(HandheldModifier(command[2]));
        return true;
    }
    if (command.empty() || command.size() % kGroupChars != 0) {
        return false;
    }
    KeyCombination found;
    for (size_t i = 0; i < command.size(); i += kGroupChars) {
        const BYTE key = GroupCode(command[i + 1], command[i + 2]);
        const bool last = i + kGroupChars == command.size();
        if (key == kNoKey || command[i] != (last ? kPressMark : kHoldMark)) {
            return false;
        }
        if (last) {
            found.vk = key;
            break;
        }
        const unsigned modifier = ModifierOfKey(key);
        if (modifier == 0 || (found.modifiers & modifier)) {
            return false;
        }
        found.modifiers |= modifier;
    }
    // Only the order CombinationCommand writes: another order types the same keys but
    // would then be written back differently.
    if (CombinationCommand(found) != command) {
        return false;
    }
    combination = found;
    return true;
}

std::wstring CombinationText(const KeyCombination& combination) {
    std::wstring text = L"［";
    for (const ModifierKey& modifier : kModifierKeys) {
        if (combination.modifiers & modifier.modifier) {
            text += modifier.name;
            text += L"+";
        }
    }
    text += KeyName(combination.vk);
    text += L"］";
    return text;
}

}  // namespace kestrel
