// The mouse hook: the middle, back and forward buttons are keys to the matcher. The system
// waits for a mouse hook at every move of every user's mouse, so it is in place only while
// a mouse button is registered or a swallowed one's release is still to come.
#include <atomic>

#include "platform/hotkey_layer.h"

namespace platform {
namespace layer {

HHOOK mouseHook = nullptr;
bool mouseMissingNoticed = false;
HWND noticeWindow = nullptr;
UINT noticeMessage = 0;

namespace {

// Trying again costs one call, and a user who has just lost the buttons wants them back soon.
constexpr UINT kMouseRetryMs = 1000;

std::atomic<bool> refuseMouseHook{false};

void Notice(WPARAM what) {
    HWND window = nullptr;
    UINT message = 0;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        window = noticeWindow;
        message = noticeMessage;
    }
    if (window) {
        PostMessageW(window, message, what, 0);
    }
}

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
KeyEvent MouseKeyEvent(DWORD vk, bool up, const MSLLHOOKSTRUCT& event, DWORD seenAt) {
    DWORD flags = up ? LLKHF_UP : 0;
    if (event.flags & LLMHF_INJECTED) {
        flags |= LLKHF_INJECTED;
    }
    if (event.flags & LLMHF_LOWER_IL_INJECTED) {
        flags |= LLKHF_LOWER_IL_INJECTED;
    }
    return {vk, up, event.time, flags, event.dwExtraInfo, seenAt};
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
    const DWORD now = GetTickCount();
    lastSeenAt = now;
    if (message == WM_MOUSEMOVE && event.dwExtraInfo == kProbeExtraInfo) {
        mouseProbeSeen = true;
        return 1;
    }
    if (message == WM_MOUSEMOVE) {
        return CallNextHookEx(nullptr, code, message, lParam);
    }
    bool up = false;
    const DWORD vk = MouseButtonOf(message, event, &up);
    KeyDecision decision =
        vk ? Decide(MouseKeyEvent(vk, up, event, now), &event.pt) : KeyDecision();
    const HeldOutcome held = DecideHeldMouse(message, event, vk, up, &decision);
    const bool swallow = Carry(decision);
    CarryHeld(held);
    // A release may have been the last thing the hook, or the thread, was kept for.
    if (vk && up) {
        PostMessageW(threadWindow, kMsgMouseSettled, 0, 0);
    }
    return (swallow || held.swallow) ? 1 : CallNextHookEx(nullptr, code, message, lParam);
}

bool InstallMouseHook() {
    return !refuseMouseHook && Install(&mouseHook, WH_MOUSE_LL, MouseHook);
}

bool UpdateMouseHook(bool forNewButton) {
    bool needed = forNewButton;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        needed = needed || matcher.NeedsMouseHook() || HeldButtonsSet();
    }
    if (needed && !mouseHook && !InstallMouseHook()) {
        MouseHookMissing();
        return false;
    }
    if (!needed && mouseHook) {
        UnhookWindowsHookEx(mouseHook);
        mouseHook = nullptr;
    }
    return true;
}

// The buttons the hook would take now reach programs. A retry is worth making for the
// buttons still registered, and for a window that is told and can register them again.
void MouseHookMissing() {
    if (mouseHook) {
        UnhookWindowsHookEx(mouseHook);
        mouseHook = nullptr;
    }
    if (!mouseMissingNoticed) {
        mouseMissingNoticed = true;
        Notice(kMouseHookMissing);
    }
    bool retry = false;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        retry = noticeWindow != nullptr || matcher.NeedsMouseHook();
        mouseRetrying = retry;
    }
    if (retry) {
        SetTimer(threadWindow, kMouseRetryTimer, kMouseRetryMs, nullptr);
    }
}

// The hook stays once it is in where a window is told: it registers its buttons again at
// once, and a hook taken away in between could fail again and tell the user twice.
void OnMouseRetryTimer() {
    if (!mouseHook && !InstallMouseHook()) {
        return;
    }
    KillTimer(threadWindow, kMouseRetryTimer);
    bool told = false;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        mouseRetrying = false;
        told = noticeWindow != nullptr;
    }
    if (mouseMissingNoticed) {
        mouseMissingNoticed = false;
        Notice(kMouseHookWorks);
    }
    if (!told) {
        UpdateMouseHook(false);
    }
    CheckEnd();
}

}  // namespace layer

void SetHookNotice(HWND window, UINT message) {
    std::lock_guard<std::mutex> lock(layer::dataLock);
    layer::noticeWindow = window;
    layer::noticeMessage = message;
}

namespace test_access {

void RefuseMouseHook(bool refuse) {
    layer::refuseMouseHook = refuse;
}

bool MouseHookInstalled() {
    WaitForHookThread();
    return layer::hookThread && layer::mouseHook;
}

}  // namespace test_access

}  // namespace platform
