// The mouse hook: the middle, back and forward buttons are keys to the matcher.
#include "platform/hotkey_layer.h"

namespace platform {
namespace layer {

HHOOK mouseHook = nullptr;

namespace {

// The mouse button a mouse hook event presses or releases, if it can be a button; 0 for
// the left and right buttons, the wheel and moves.
DWORD MouseButtonOf(WPARAM message, const MSLLHOOKSTRUCT& event, bool* up) {
    *up = message == WM_MBUTTONUP || message == WM_XBUTTONUP;
    switch (message) {
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            return VK_MBUTTON;
        case WM_XBUTTONDOWN:
        case WM_XBUTTONUP:
            switch (HIWORD(event.mouseData)) {
                case XBUTTON1:
                    return VK_XBUTTON1;
                case XBUTTON2:
                    return VK_XBUTTON2;
                default:
                    return 0;
            }
        default:
            return 0;
    }
}

// A mouse button is a key to the matcher, with the mouse hook's marks named as a key's.
KeyEvent MouseKeyEvent(DWORD vk, bool up, const MSLLHOOKSTRUCT& event) {
    DWORD flags = up ? LLKHF_UP : 0;
    if (event.flags & LLMHF_INJECTED) {
        flags |= LLKHF_INJECTED;
    }
    if (event.flags & LLMHF_LOWER_IL_INJECTED) {
        flags |= LLKHF_LOWER_IL_INJECTED;
    }
    return {vk, up, event.time, flags, event.dwExtraInfo};
}

}  // namespace

// Mouse input reaches no keyboard hook; seen here, it is no sign of a lost one. A move
// passes at once: the system waits for this at every move of the mouse. Clicks and the
// wheel may settle a held button's choice; a mouse button that can be a button is a key.
LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM lParam) {
    if (code != HC_ACTION) {
        return CallNextHookEx(nullptr, code, message, lParam);
    }
    const MSLLHOOKSTRUCT& event = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    lastSeenAt = GetTickCount();
    if (message == WM_MOUSEMOVE && event.dwExtraInfo == kProbeExtraInfo) {
        mouseProbeSeen = true;
        return 1;
    }
    if (message == WM_MOUSEMOVE) {
        return CallNextHookEx(nullptr, code, message, lParam);
    }
    bool up = false;
    const DWORD vk = MouseButtonOf(message, event, &up);
    KeyDecision decision = vk ? Decide(MouseKeyEvent(vk, up, event)) : KeyDecision();
    const HeldOutcome held = DecideHeldMouse(message, event, vk, up, &decision);
    const bool swallow = Carry(decision);
    CarryHeld(held);
    if (swallow || held.swallow) {
        return 1;
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

}  // namespace layer
}  // namespace platform
