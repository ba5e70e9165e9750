#include "platform/held_modifier.h"

#include <algorithm>

namespace platform {

namespace {

struct ModifierKey {
    DWORD vk;
    UINT modifier;
};
// Both sides of each modifier, in the order of the bits of physicalKeys_.
constexpr ModifierKey kModifierKeys[] = {
    {VK_LSHIFT, MOD_SHIFT},     {VK_RSHIFT, MOD_SHIFT}, {VK_LCONTROL, MOD_CONTROL},
    {VK_RCONTROL, MOD_CONTROL}, {VK_LMENU, MOD_ALT},    {VK_RMENU, MOD_ALT},
    {VK_LWIN, MOD_WIN},         {VK_RWIN, MOD_WIN},
};

bool IsClickOrWheel(const HeldInput& input) {
    return input.mouse && !input.up;
}

bool Later(DWORD now, DWORD at) {
    return static_cast<LONG>(now - at) >= 0;
}

}  // namespace

void HeldModifierDecider::SetButton(const HeldButton& button) {
    buttons_.erase(std::remove_if(buttons_.begin(), buttons_.end(),
                                  [&button](const HeldButton& b) {
                                      return b.vk == button.vk && b.program == button.program;
                                  }),
                   buttons_.end());
    const UINT modifiers = button.modifiers & kHotKeyModifierMask;
    if (modifiers) {
        buttons_.push_back({button.vk, button.program, modifiers});
    }
}

bool HeldModifierDecider::IsButton(UINT vk) const {
    return std::any_of(buttons_.begin(), buttons_.end(),
                       [vk](const HeldButton& b) { return b.vk == vk; });
}

// No fallback to the global entry: a press reported with a program's number uses that
// program's slots, and where their hold holds nothing the press is an ordinary one.
UINT HeldModifierDecider::ModifiersOf(UINT vk, int program) const {
    for (const HeldButton& b : buttons_) {
        if (b.vk == vk && b.program == program) {
            return b.modifiers;
        }
    }
    return 0;
}

// A modifier the user holds keeps its own state: we never release it under their finger.
void HeldModifierDecider::NotePhysicalModifier(const HeldInput& key) {
    for (size_t i = 0; i < sizeof(kModifierKeys) / sizeof(kModifierKeys[0]); ++i) {
        if (kModifierKeys[i].vk == key.vk) {
            const uint8_t bit = static_cast<uint8_t>(1u << i);
            physicalKeys_ = key.up ? (physicalKeys_ & ~bit) : (physicalKeys_ | bit);
        }
    }
}

void HeldModifierDecider::PressModifiers(UINT modifiers, HeldOutcome* out) const {
    if (modifiers) {
        HeldStep step = {HeldStep::kModifiersDown};
        step.modifiers = modifiers;
        out->steps.push_back(step);
    }
}

// `stillHeld` are those another holder of ours keeps down.
void HeldModifierDecider::ReleaseModifiers(UINT modifiers, UINT stillHeld, HeldOutcome* out) const {
    UINT physical = 0;
    for (size_t i = 0; i < sizeof(kModifierKeys) / sizeof(kModifierKeys[0]); ++i) {
        if (physicalKeys_ & (1u << i)) {
            physical |= kModifierKeys[i].modifier;
        }
    }
    const UINT released = modifiers & ~stillHeld & ~physical;
    if (released) {
        HeldStep step = {HeldStep::kModifiersUp};
        step.modifiers = released;
        out->steps.push_back(step);
    }
}

void HeldModifierDecider::HoldBack(const HeldInput& input, HeldOutcome* out) {
    heldBack_.push_back(input);
    out->swallow = true;
}

void HeldModifierDecider::Replay(HeldOutcome* out) {
    for (const HeldInput& input : heldBack_) {
        HeldStep step = {HeldStep::kReplay};
        step.input = input;
        out->steps.push_back(step);
    }
    heldBack_.clear();
    keysPressedSince_.clear();
}

// The choice closes as a hold: the modifiers first, then what waited, in its order.
void HeldModifierDecider::Hold(HeldOutcome* out) {
    state_ = kHeld;
    pressReports_.clear();
    PressModifiers(heldModifiers_ & ~agentHeld_, out);
    Replay(out);
}

HeldOutcome HeldModifierDecider::OnKey(const HeldInput& key, KeyDecision* decision) {
    HeldOutcome out;
    if (!decision->swallow) {
        // What programs inject, our own replays and modifiers among them, is no typing; a
        // button they press is pressed all the same.
        if (!(key.flags & LLKHF_INJECTED)) {
            NotePhysicalModifier(key);
            OtherKey(key, &out);
        }
        return out;
    }
    // Another button keeps its own meaning. The button of the press under way is heard to
    // its release even when a new set of buttons no longer names it.
    const bool pressUnderWay = state_ != kIdle && state_ != kTapWait && key.vk == buttonVk_;
    if (!IsButton(key.vk) && !pressUnderWay) {
        return out;
    }
    if (decision->reportCount == 0 && !key.up && (state_ == kOpen || state_ == kHeld) &&
        key.vk == buttonVk_) {
        lastSeenAt_ = key.time;  // the keyboard repeats the held button
        repeated_ = true;
        return out;
    }
    std::vector<HotKeyReport> passed;
    for (int i = 0; i < decision->reportCount; ++i) {
        const HotKeyReport& report = decision->reports[i];
        if (HIWORD(report.lParam) != key.vk) {
            passed.push_back(report);
        } else if (LOWORD(report.lParam) & MOD_KEYUP) {
            ButtonUp(report, key, &out, &passed);
        } else {
            ButtonDown(report, key, &out, &passed);
        }
    }
    decision->reportCount = 0;
    for (const HotKeyReport& report : passed) {
        decision->reports[decision->reportCount++] = report;
    }
    return out;
}

void HeldModifierDecider::ButtonDown(const HotKeyReport& report, const HeldInput& key,
                                     HeldOutcome* out, std::vector<HotKeyReport>* passed) {
    if (state_ == kTapWait) {
        Replay(out);
        state_ = kIdle;
    }
    // One choice at a time: a second such button is an ordinary button meanwhile.
    const UINT modifiers = ModifiersOf(key.vk, report.program);
    if (state_ != kIdle || modifiers == 0) {
        passed->push_back(report);
        return;
    }
    state_ = kOpen;
    out->choiceOpened = true;
    buttonVk_ = key.vk;
    heldModifiers_ = modifiers;
    openedAt_ = key.time;
    lastSeenAt_ = key.time;
    repeated_ = false;
    pressReports_.assign(1, report);
}

void HeldModifierDecider::ButtonUp(const HotKeyReport& report, const HeldInput& key,
                                   HeldOutcome* out, std::vector<HotKeyReport>* passed) {
    if (key.vk != buttonVk_ || (state_ != kOpen && state_ != kHeld)) {
        passed->push_back(report);
        return;
    }
    if (state_ == kHeld) {
        ReleaseModifiers(heldModifiers_, agentHeld_, out);
        state_ = kIdle;
        return;
    }
    // A tap: its window hears the whole press now, and what waited follows its action.
    pressReports_.push_back(report);
    for (const HotKeyReport& owed : pressReports_) {
        HeldStep step = {HeldStep::kReport};
        step.report = owed;
        out->steps.push_back(step);
    }
    pressReports_.clear();
    keysPressedSince_.clear();
    state_ = heldBack_.empty() ? kIdle : kTapWait;
    tapAt_ = key.time;
}

void HeldModifierDecider::OtherKey(const HeldInput& key, HeldOutcome* out) {
    if (state_ == kTapWait) {
        HoldBack(key, out);
        return;
    }
    if (state_ != kOpen) {
        return;
    }
    const auto since = std::find(keysPressedSince_.begin(), keysPressedSince_.end(), key.vk);
    if (!key.up) {
        if (since == keysPressedSince_.end()) {
            keysPressedSince_.push_back(key.vk);
        }
        HoldBack(key, out);
        return;
    }
    if (since != keysPressedSince_.end()) {
        // A whole keystroke inside the button's press: the button is held for it.
        HoldBack(key, out);
        Hold(out);
        return;
    }
    // The release of a key pressed before the button passes, unless it would overtake.
    if (!heldBack_.empty()) {
        HoldBack(key, out);
    }
}

HeldOutcome HeldModifierDecider::OnMouse(const HeldInput& input) {
    HeldOutcome out;
    if (input.flags & LLKHF_INJECTED) {
        return out;
    }
    if (state_ == kTapWait) {
        HoldBack(input, &out);
    } else if (state_ == kOpen && IsClickOrWheel(input)) {
        HoldBack(input, &out);
        Hold(&out);
    } else if (state_ == kOpen && !heldBack_.empty()) {
        HoldBack(input, &out);
    }
    return out;
}

HeldOutcome HeldModifierDecider::OnTime(DWORD now) {
    HeldOutcome out;
    if (state_ == kOpen && Later(now, openedAt_ + holdTimeMs_)) {
        Hold(&out);
    } else if (state_ == kHeld && repeated_ && !Later(lastSeenAt_ + repeatWindowMs_, now)) {
        // A held key repeats; one that fell silent was released where we could not see it.
        // A key that never repeated (a mouse button never does) tells nothing by silence.
        ReleaseModifiers(heldModifiers_, agentHeld_, &out);
        state_ = kIdle;
    } else if (state_ == kTapWait && Later(now, tapAt_ + holdTimeMs_)) {
        Replay(&out);
        state_ = kIdle;
    }
    return out;
}

HeldOutcome HeldModifierDecider::TapActionDone() {
    HeldOutcome out;
    if (state_ == kTapWait) {
        Replay(&out);
        state_ = kIdle;
    }
    return out;
}

HeldOutcome HeldModifierDecider::HoldFor(UINT modifiers) {
    HeldOutcome out;
    const UINT fresh = modifiers & kHotKeyModifierMask & ~agentHeld_;
    PressModifiers(fresh & ~(state_ == kHeld ? heldModifiers_ : 0), &out);
    agentHeld_ |= fresh;
    return out;
}

HeldOutcome HeldModifierDecider::LetGo() {
    HeldOutcome out;
    ReleaseModifiers(agentHeld_, state_ == kHeld ? heldModifiers_ : 0, &out);
    agentHeld_ = 0;
    return out;
}

// The button's own release may still come; it then finds no choice and passes.
HeldOutcome HeldModifierDecider::ReleaseAll() {
    HeldOutcome out;
    if (state_ == kHeld) {
        ReleaseModifiers(heldModifiers_, agentHeld_, &out);
    }
    Replay(&out);
    pressReports_.clear();
    state_ = kIdle;
    ReleaseModifiers(agentHeld_, 0, &out);
    agentHeld_ = 0;
    return out;
}

bool HeldModifierDecider::NextDeadline(DWORD* at) const {
    switch (state_) {
        case kOpen:
            *at = openedAt_ + holdTimeMs_;
            return true;
        case kHeld:
            *at = lastSeenAt_ + repeatWindowMs_ + 1;
            return repeated_;
        case kTapWait:
            *at = tapAt_ + holdTimeMs_;
            return true;
        default:
            return false;
    }
}

}  // namespace platform
