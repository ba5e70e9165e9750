#include "platform/hotkeys.h"

#include <vector>

namespace platform {

namespace {

constexpr UINT kModifierMask = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

struct Registration {
    HWND window;
    DWORD thread;  // receives the message when there is no window
    int id;
    UINT modifiers;  // as registered, MOD_KEYUP included
    UINT vk;
    bool down;  // its key-down was reported and swallowed; the key-up is owed
};

std::vector<Registration> registrations;
HHOOK keyboardHook = nullptr;

// The eight modifier keys, each followed on its own, because Windows reports the left
// and right keys separately and a combination holds while either of them is down.
struct ModifierKey {
    DWORD vk;
    UINT modifier;
};
constexpr ModifierKey kModifierKeys[] = {
    {VK_LWIN, MOD_WIN},     {VK_RWIN, MOD_WIN},         {VK_LSHIFT, MOD_SHIFT},
    {VK_RSHIFT, MOD_SHIFT}, {VK_LCONTROL, MOD_CONTROL}, {VK_RCONTROL, MOD_CONTROL},
    {VK_LMENU, MOD_ALT},    {VK_RMENU, MOD_ALT},
};
constexpr int kModifierKeyCount = sizeof(kModifierKeys) / sizeof(kModifierKeys[0]);
bool modifierDown[kModifierKeyCount] = {};

UINT HeldModifiers() {
    UINT held = 0;
    for (int i = 0; i < kModifierKeyCount; ++i) {
        if (modifierDown[i]) {
            held |= kModifierKeys[i].modifier;
        }
    }
    return held;
}

// Injected events may name the generic keys; the extended flag tells the right one.
DWORD SidedKey(DWORD vk, bool extended) {
    switch (vk) {
        case VK_SHIFT:
            return extended ? VK_RSHIFT : VK_LSHIFT;
        case VK_CONTROL:
            return extended ? VK_RCONTROL : VK_LCONTROL;
        case VK_MENU:
            return extended ? VK_RMENU : VK_LMENU;
        default:
            return vk;
    }
}

void TrackModifier(DWORD vk, bool extended, bool up) {
    const DWORD sided = SidedKey(vk, extended);
    for (int i = 0; i < kModifierKeyCount; ++i) {
        if (kModifierKeys[i].vk == sided) {
            modifierDown[i] = !up;
        }
    }
}

// A hook that starts while a modifier is held learns it from the system's key state.
void ReadModifiersFromSystem() {
    for (int i = 0; i < kModifierKeyCount; ++i) {
        modifierDown[i] = (GetAsyncKeyState(static_cast<int>(kModifierKeys[i].vk)) & 0x8000) != 0;
    }
}

void Report(const Registration& r, bool up) {
    const UINT modifiers = (r.modifiers & kModifierMask) | (up ? MOD_KEYUP : 0);
    const LPARAM lParam = MAKELPARAM(modifiers, r.vk);
    if (r.window) {
        PostMessageW(r.window, WM_HOTKEY, static_cast<WPARAM>(r.id), lParam);
    } else {
        PostThreadMessageW(r.thread, WM_HOTKEY, static_cast<WPARAM>(r.id), lParam);
    }
}

// A window destroyed without unregistering must not keep swallowing its key.
void ForgetDeadWindows() {
    for (size_t i = 0; i < registrations.size();) {
        if (registrations[i].window && !IsWindow(registrations[i].window)) {
            registrations.erase(registrations.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

// True when the event belongs to a registration and must be swallowed.
bool HandleKeyEvent(DWORD vk, bool up) {
    ForgetDeadWindows();
    for (Registration& r : registrations) {
        if (r.vk == vk && r.down) {
            // While the key is down a further key-down is the keyboard's auto-repeat; the
            // handheld's buttons report one press, so it is swallowed without a report.
            if (up) {
                r.down = false;
                if (r.modifiers & MOD_KEYUP) {
                    Report(r, true);
                }
            }
            return true;
        }
    }
    if (up) {
        return false;
    }
    const UINT held = HeldModifiers();
    for (Registration& r : registrations) {
        if (r.vk == vk && (r.modifiers & kModifierMask) == held) {
            r.down = true;
            Report(r, false);
            return true;
        }
    }
    return false;
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM message, LPARAM lParam) {
    if (code == HC_ACTION) {
        const KBDLLHOOKSTRUCT& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool up = (event.flags & LLKHF_UP) != 0;
        TrackModifier(event.vkCode, (event.flags & LLKHF_EXTENDED) != 0, up);
        if (HandleKeyEvent(event.vkCode, up)) {
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

void InstallHookIfNeeded() {
    if (keyboardHook) {
        return;
    }
    ReadModifiersFromSystem();
    keyboardHook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHook, GetModuleHandleW(nullptr), 0);
}

void RemoveHookIfUnused() {
    if (keyboardHook && registrations.empty()) {
        UnhookWindowsHookEx(keyboardHook);
        keyboardHook = nullptr;
    }
}

Registration* Find(HWND window, int id) {
    for (Registration& r : registrations) {
        if (r.window == window && r.id == id && (window || r.thread == GetCurrentThreadId())) {
            return &r;
        }
    }
    return nullptr;
}

}  // namespace

BOOL RegisterKeyUpHotKey(HWND window, int id, UINT modifiers, UINT vk) {
    // The system's registration is the cross-process reservation: it refuses a taken
    // combination, this process's own registrations included.
    if (!::RegisterHotKey(window, id, modifiers & kModifierMask, vk)) {
        return FALSE;
    }
    const Registration fresh = {window, GetCurrentThreadId(), id, modifiers, vk, false};
    // The system replaces an earlier registration of the same window and id.
    if (Registration* existing = Find(window, id)) {
        *existing = fresh;
    } else {
        registrations.push_back(fresh);
    }
    InstallHookIfNeeded();
    if (!keyboardHook) {
        // Without the hook the key would be reserved but never reported.
        UnregisterKeyUpHotKey(window, id);
        return FALSE;
    }
    return TRUE;
}

BOOL UnregisterKeyUpHotKey(HWND window, int id) {
    BOOL known = FALSE;
    if (Registration* r = Find(window, id)) {
        registrations.erase(registrations.begin() + (r - registrations.data()));
        known = TRUE;
    }
    const BOOL released = ::UnregisterHotKey(window, id);
    RemoveHookIfUnused();
    return known || released;
}

int KeyUpHotKeyCount() {
    return static_cast<int>(registrations.size());
}

}  // namespace platform
