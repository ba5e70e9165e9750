#include "common/while_held.h"

#include "common/settings_schema.h"

namespace kestrel {

namespace {

struct Letter {
    wchar_t letter;
    UINT modifier;
};
constexpr Letter kLetters[] = {{kWhileHeldShift, MOD_SHIFT},
                               {kWhileHeldControl, MOD_CONTROL},
                               {kWhileHeldAlt, MOD_ALT},
                               {kWhileHeldWin, MOD_WIN}};

}  // namespace

UINT WhileHeldModifiers(const std::wstring& command) {
    UINT modifiers = 0;
    for (wchar_t c : command) {
        for (const Letter& l : kLetters) {
            if (c == l.letter) {
                modifiers |= l.modifier;
            }
        }
    }
    return modifiers;
}

std::wstring WhileHeldCommand(UINT modifiers) {
    std::wstring command;
    for (const Letter& l : kLetters) {
        if (modifiers & l.modifier) {
            command += l.letter;
        }
    }
    return command;
}

}  // namespace kestrel
