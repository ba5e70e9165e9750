// The keyboard hook: every key of every program passes here, and the matcher decides.
#include <string>
#include <vector>

#include "platform/hotkey_layer.h"

namespace platform {
namespace layer {

HHOOK keyboardHook = nullptr;

namespace {

// The system's state of the modifiers; inside the hook it reflects every earlier event.
// Shift, Ctrl and Alt are asked by their generic codes, which stand for either side
// whichever code the event that pressed them named.
UINT HeldModifiers() {
    struct ModifierKey {
        int vk;
        UINT modifier;
    };
    static constexpr ModifierKey kKeys[] = {
        {VK_LWIN, MOD_WIN},        {VK_RWIN, MOD_WIN}, {VK_SHIFT, MOD_SHIFT},
        {VK_CONTROL, MOD_CONTROL}, {VK_MENU, MOD_ALT},
    };
    UINT held = 0;
    for (const ModifierKey& key : kKeys) {
        if (GetAsyncKeyState(key.vk) & 0x8000) {
            held |= key.modifier;
        }
    }
    return held;
}

}  // namespace

// Two short steps under the lock with the system calls between them: which windows the
// key may concern, then the decision once their life and the modifiers are known.
KeyDecision Decide(const KeyEvent& event, const POINT* pointer) {
    std::vector<HWND> windows;
    bool needsProgram = false;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        if (!matcher.Concerns(event, &windows)) {
            return KeyDecision();
        }
        needsProgram = matcher.NeedsProgram(event);
    }
    const std::wstring program = needsProgram ? PressProgram(pointer) : std::wstring();
    std::vector<HWND> gone;
    for (HWND window : windows) {
        if (!IsWindow(window)) {
            gone.push_back(window);
        }
    }
    // The modifiers matter only to a registration of this key. Asking for them costs a
    // round trip to the system once any key has moved, which an injected key that is no
    // button (met while an own event is awaited) need not pay.
    const UINT held = (event.up || windows.empty()) ? 0 : HeldModifiers();
    std::lock_guard<std::mutex> lock(dataLock);
    return matcher.Handle(event, held, gone, program);
}

void PostReports(const KeyDecision& decision) {
    for (int i = 0; i < decision.reportCount; ++i) {
        const HotKeyReport& report = decision.reports[i];
        PostMessageW(report.window, WM_HOTKEY, ReportWParam(report), report.lParam);
    }
}

bool Carry(const KeyDecision& decision) {
    // Before the reports: the receiver's own keystrokes, made in answer to one, must come
    // after the mask.
    if (decision.maskWin) {
        InjectMask();
    }
    PostReports(decision);
    if (decision.asideVk) {
        SetReservationsAside(decision.asideVk);
    }
    if (decision.backVk) {
        PostMessageW(threadWindow, kMsgBack, decision.backVk, 0);
    }
    return decision.swallow;
}

// The system waits for this at every key of every program: a key that concerns no
// registration passes with no more than the matcher's look at it.
LRESULT CALLBACK KeyboardHook(int code, WPARAM message, LPARAM lParam) {
    if (code != HC_ACTION) {
        return CallNextHookEx(nullptr, code, message, lParam);
    }
    const KBDLLHOOKSTRUCT& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    const DWORD now = GetTickCount();
    lastSeenAt = now;
    if (event.vkCode == kMaskKey && event.dwExtraInfo == kProbeExtraInfo) {
        keyProbeSeen = true;
        return 1;  // only the hook asked for it
    }
    if (event.vkCode == kMaskKey && event.dwExtraInfo == kMaskExtraInfo) {
        return CallNextHookEx(nullptr, code, message, lParam);
    }
    KeyEvent key = {event.vkCode, (event.flags & LLKHF_UP) != 0, event.time, event.flags,
                    event.dwExtraInfo};
    key.seenAt = now;
    KeyDecision decision = Decide(key);
    const HeldOutcome held = DecideHeldKey(event, &decision);
    const bool swallow = Carry(decision);
    CarryHeld(held);
    if (swallow || held.swallow) {
        return 1;
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

}  // namespace layer

namespace test_access {

LRESULT CallKeyboardHook(KBDLLHOOKSTRUCT* event) {
    return layer::KeyboardHook(HC_ACTION, (event->flags & LLKHF_UP) ? WM_KEYUP : WM_KEYDOWN,
                               reinterpret_cast<LPARAM>(event));
}

}  // namespace test_access

}  // namespace platform
