#include "platform/press_rules.h"

#include <algorithm>

namespace platform {

namespace {

const ButtonRule* FindButton(const std::vector<ButtonRule>& buttons, UINT vk) {
    const auto found = std::find_if(buttons.begin(), buttons.end(),
                                    [vk](const ButtonRule& rule) { return rule.vk == vk; });
    return found == buttons.end() ? nullptr : &*found;
}

}  // namespace

std::wstring ProgramKey(const std::wstring& fileName) {
    std::wstring key = fileName;
    if (!key.empty()) {
        // The system's own case mapping, as the registry compares key names.
        CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
    }
    return key;
}

PressVerdict PressRules::Judge(UINT vk, const std::wstring& program) const {
    const ProgramRule* inFront = nullptr;
    int number = 0;
    if (!program.empty()) {
        for (size_t i = 0; i < programs.size(); ++i) {
            if (programs[i].fileName == program) {
                inFront = &programs[i];
                number = static_cast<int>(i) + 1;
                break;
            }
        }
    }
    if (inFront && inFront->off) {
        return {false, 0, false};
    }
    const ButtonRule* button = inFront ? FindButton(inFront->buttons, vk) : nullptr;
    if (!button) {
        number = 0;
        button = FindButton(global, vk);
    }
    if (paused) {
        const bool take = button && button->carriesPause;
        return {take, number, take && button->awaitsSecond};
    }
    // A key registered outside the rules keeps working as it always did.
    if (!button) {
        return {true, 0, false};
    }
    return {button->on, number, button->on && button->awaitsSecond};
}

}  // namespace platform
