// The room of the buttons that are modifiers while held: it feeds the decider from the
// hooks, carries out its steps on the hook thread, and keeps its clock there.
#include "platform/hotkey_held.h"

#include <vector>

#include "platform/held_modifier.h"
#include "platform/hotkey_layer.h"

namespace platform {
namespace layer {

namespace {

HeldModifierDecider& decider = *new HeldModifierDecider;
ULONG_PTR modifierExtraInfo = 0;

enum HeldRequest : WPARAM { kHoldFor, kLetGo, kTapDone, kReleaseAll };

struct ModifierKey {
    UINT modifier;
    BYTE vk;
};
constexpr ModifierKey kModifierKeys[] = {
    {MOD_SHIFT, VK_LSHIFT}, {MOD_CONTROL, VK_LCONTROL}, {MOD_ALT, VK_LMENU}, {MOD_WIN, VK_LWIN}};

// A group of the layer's own events goes in one call, each with its ticket; a refused
// group must not leave tickets that another program's events could use.
void SendOwn(std::vector<INPUT>& group) {
    if (group.empty()) {
        return;
    }
    for (INPUT& input : group) {
        MarkOwnEvent(&input);
    }
    const UINT sent = SendInput(static_cast<UINT>(group.size()), group.data(), sizeof(INPUT));
    for (size_t i = sent; i < group.size(); ++i) {
        ForgetOwnEvent(group[i]);
    }
    group.clear();
}

// Alt or Win released with nothing between would open the menu bar or the Start menu: the
// mask key comes first, as for a swallowed button.
void AddModifiers(UINT modifiers, bool up, std::vector<INPUT>* group) {
    if (up && (modifiers & (MOD_ALT | MOD_WIN))) {
        INPUT mask[2];
        MaskKeyTap(kMaskExtraInfo, mask);
        group->insert(group->end(), mask, mask + 2);
    }
    for (const ModifierKey& key : kModifierKeys) {
        if (modifiers & key.modifier) {
            group->push_back(KeyInput(key.vk, 0, up ? KEYEVENTF_KEYUP : 0, modifierExtraInfo));
        }
    }
}

DWORD MouseFlags(const HeldInput& input, DWORD* data) {
    *data = 0;
    switch (input.message) {
        case WM_LBUTTONDOWN:
            return MOUSEEVENTF_LEFTDOWN;
        case WM_LBUTTONUP:
            return MOUSEEVENTF_LEFTUP;
        case WM_RBUTTONDOWN:
            return MOUSEEVENTF_RIGHTDOWN;
        case WM_RBUTTONUP:
            return MOUSEEVENTF_RIGHTUP;
        case WM_MBUTTONDOWN:
            return MOUSEEVENTF_MIDDLEDOWN;
        case WM_MBUTTONUP:
            return MOUSEEVENTF_MIDDLEUP;
        case WM_XBUTTONDOWN:
            *data = HIWORD(input.mouseData);
            return MOUSEEVENTF_XDOWN;
        case WM_XBUTTONUP:
            *data = HIWORD(input.mouseData);
            return MOUSEEVENTF_XUP;
        case WM_MOUSEWHEEL:
            *data =
                static_cast<DWORD>(static_cast<LONG>(static_cast<SHORT>(HIWORD(input.mouseData))));
            return MOUSEEVENTF_WHEEL;
        case WM_MOUSEHWHEEL:
            *data =
                static_cast<DWORD>(static_cast<LONG>(static_cast<SHORT>(HIWORD(input.mouseData))));
            return MOUSEEVENTF_HWHEEL;
        default:
            return 0;
    }
}

// A held-back event goes out as it came, with its own scan code and extra information, so
// no program takes it for anyone's but the user's; its ticket lets it pass our hooks once.
void AddReplay(const HeldInput& held, std::vector<INPUT>* group) {
    if (!held.mouse) {
        DWORD flags = held.up ? KEYEVENTF_KEYUP : 0;
        if (held.flags & LLKHF_EXTENDED) {
            flags |= KEYEVENTF_EXTENDEDKEY;
        }
        group->push_back(KeyInput(static_cast<BYTE>(held.vk), static_cast<WORD>(held.scan), flags,
                                  held.extraInfo));
        return;
    }
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MouseFlags(held, &input.mi.mouseData);
    input.mi.dwExtraInfo = held.extraInfo;
    group->push_back(input);
}

// Hook thread only, so that the steps of one outcome never interleave with another's.
void ArmClock() {
    DWORD due = 0;
    bool waits = false;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        waits = decider.NextDeadline(&due);
    }
    if (!waits) {
        KillTimer(threadWindow, kHeldTimerId);
        return;
    }
    const LONG left = static_cast<LONG>(due - GetTickCount());
    SetTimer(threadWindow, kHeldTimerId, left > 0 ? static_cast<UINT>(left) : USER_TIMER_MINIMUM,
             nullptr);
}

}  // namespace

void CarryHeld(const HeldOutcome& outcome) {
    std::vector<INPUT> group;
    for (const HeldStep& step : outcome.steps) {
        switch (step.kind) {
            case HeldStep::kModifiersDown:
            case HeldStep::kModifiersUp:
                SendOwn(group);
                AddModifiers(step.modifiers, step.kind == HeldStep::kModifiersUp, &group);
                SendOwn(group);
                break;
            case HeldStep::kReport:
                SendOwn(group);
                // With its program's number, as the keyboard hook reports an ordinary press.
                PostMessageW(step.report.window, WM_HOTKEY, ReportWParam(step.report),
                             step.report.lParam);
                break;
            case HeldStep::kReplay:
                AddReplay(step.input, &group);
                break;
        }
    }
    SendOwn(group);
    if (!outcome.steps.empty() || outcome.swallow || outcome.choiceOpened) {
        ArmClock();
    }
}

HeldOutcome DecideHeldKey(const KBDLLHOOKSTRUCT& event, KeyDecision* decision) {
    HeldInput input;
    input.vk = event.vkCode;
    input.scan = event.scanCode;
    input.up = (event.flags & LLKHF_UP) != 0;
    input.flags = event.flags;
    input.time = event.time;
    input.extraInfo = event.dwExtraInfo;
    std::lock_guard<std::mutex> lock(dataLock);
    return decider.OnKey(input, decision);
}

HeldOutcome DecideHeldMouse(WPARAM message, const MSLLHOOKSTRUCT& event, DWORD vk, bool up,
                            KeyDecision* decision) {
    HeldInput input;
    input.mouse = true;
    input.vk = vk;
    input.up = up || message == WM_LBUTTONUP || message == WM_RBUTTONUP;
    input.flags = (event.flags & LLMHF_INJECTED) ? LLKHF_INJECTED : 0;
    input.message = static_cast<DWORD>(message);
    input.mouseData = event.mouseData;
    input.time = event.time;
    input.extraInfo = event.dwExtraInfo;
    std::lock_guard<std::mutex> lock(dataLock);
    if (vk && decision->swallow) {
        input.mouse = false;  // the button itself, a key to the decider
        return decider.OnKey(input, decision);
    }
    return decider.OnMouse(input);
}

void OnHeldTimer() {
    HeldOutcome outcome;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        outcome = decider.OnTime(GetTickCount());
    }
    CarryHeld(outcome);
    ArmClock();
}

// The request in the low byte, the modifiers above it.
void OnHeldRequest(WPARAM asked) {
    const WPARAM request = asked & 0xFF;
    const UINT modifiers = static_cast<UINT>(asked >> 8);
    HeldOutcome outcome;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        switch (request) {
            case kHoldFor:
                outcome = decider.HoldFor(modifiers);
                break;
            case kLetGo:
                outcome = decider.LetGo();
                break;
            case kTapDone:
                outcome = decider.TapActionDone();
                break;
            default:
                outcome = decider.ReleaseAll();
                break;
        }
    }
    CarryHeld(outcome);
    ArmClock();
}

// Called with dataLock held.
bool HeldButtonsSet() {
    return decider.HasButtons();
}

void ReleaseHeld() {
    OnHeldRequest(kReleaseAll);
}

// A loaded machine may hand the hook a repeat late: a Ctrl let go a second late after a lost
// release is better than one let go under the user's finger.
void SetHeldRepeatWindow(DWORD ms) {
    std::lock_guard<std::mutex> lock(dataLock);
    decider.SetRepeatWindow(ms + 1000);
}

namespace {

// Without a hook thread there is no order to keep with it, and the caller does it itself.
void AskHeld(HeldRequest request, UINT modifiers, bool wait) {
    const WPARAM asked = request | (static_cast<WPARAM>(modifiers) << 8);
    if (!hookWindow) {
        OnHeldRequest(asked);
    } else if (wait) {
        AskHookThread(kMsgHeld, asked);
    } else {
        PostMessageW(hookWindow, kMsgHeld, asked, 0);
    }
}

}  // namespace

}  // namespace layer

void ConfigureHeldModifiers(DWORD holdTimeMs, ULONG_PTR ownExtraInfo) {
    std::lock_guard<std::mutex> lock(layer::dataLock);
    layer::decider.SetHoldTime(holdTimeMs);
    layer::modifierExtraInfo = ownExtraInfo;
}

void SetHeldModifierButtons(const std::vector<HeldButton>& buttons) {
    std::lock_guard<std::mutex> lock(layer::dataLock);
    layer::decider.ClearButtons();
    for (const HeldButton& button : buttons) {
        layer::decider.SetButton(button);
    }
}

void TapActionDone() {
    layer::AskHeld(layer::kTapDone, 0, false);
}

void HoldModifiers(UINT modifiers) {
    layer::AskHeld(layer::kHoldFor, modifiers, false);
}

void LetGoOfModifiers() {
    layer::AskHeld(layer::kLetGo, 0, false);
}

void ReleaseEverythingHeld() {
    layer::AskHeld(layer::kReleaseAll, 0, true);
}

namespace test_access {

UINT HeldModifiersDown() {
    std::lock_guard<std::mutex> lock(layer::dataLock);
    return layer::decider.ModifiersDown();
}

}  // namespace test_access

}  // namespace platform
