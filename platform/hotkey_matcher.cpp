#include "platform/hotkey_matcher.h"

#include <algorithm>

namespace platform {

bool IsDesktopKey(UINT vk) {
    return (vk >= VK_F13 && vk <= VK_F24) || (vk >= VK_BROWSER_BACK && vk <= VK_LAUNCH_APP2);
}

void HotKeyMatcher::Add(HWND window, int id, UINT modifiers, UINT vk) {
    const Registration fresh = {window, id, modifiers, vk, false, 0};
    for (Registration& r : registrations_) {
        if (r.window == window && r.id == id) {
            r = fresh;
            return;
        }
    }
    registrations_.push_back(fresh);
}

bool HotKeyMatcher::Remove(HWND window, int id) {
    for (auto it = registrations_.begin(); it != registrations_.end(); ++it) {
        if (it->window == window && it->id == id) {
            registrations_.erase(it);
            return true;
        }
    }
    return false;
}

bool HotKeyMatcher::Concerns(DWORD vk, std::vector<HWND>* windows) const {
    bool concerns = false;
    for (const Registration& r : registrations_) {
        if (r.vk == vk) {
            concerns = true;
            if (std::find(windows->begin(), windows->end(), r.window) == windows->end()) {
                windows->push_back(r.window);
            }
        }
    }
    return concerns;
}

// Win is left out of the comparison for a desktop key, so its plain, Shift and Ctrl
// registrations answer to the key with or without Win; Shift and Ctrl still choose the id.
bool HotKeyMatcher::Matches(const Registration& r, DWORD vk, UINT held) {
    if (r.vk != vk) {
        return false;
    }
    UINT wanted = r.modifiers & kHotKeyModifierMask;
    if ((wanted & MOD_WIN) && IsDesktopKey(vk)) {
        wanted &= ~MOD_WIN;
        held &= ~MOD_WIN;
    }
    return wanted == held;
}

// A report carries the modifiers as registered, whatever was held, so the receiver sees
// the same message for a desktop key pressed with or without Win.
void HotKeyMatcher::AddReport(KeyDecision* decision, const Registration& r, bool up) {
    const UINT modifiers = (r.modifiers & kHotKeyModifierMask) | (up ? MOD_KEYUP : 0);
    decision->reports[decision->reportCount++] = {r.window, r.id, MAKELPARAM(modifiers, r.vk)};
}

// The press is over; a registration that asked for releases hears of it.
void HotKeyMatcher::EndPress(KeyDecision* decision, Registration& r) {
    r.down = false;
    if (r.modifiers & MOD_KEYUP) {
        AddReport(decision, r, true);
    }
}

KeyDecision HotKeyMatcher::Handle(const KeyEvent& event, UINT held, const std::vector<HWND>& gone) {
    KeyDecision decision;
    // A window destroyed without unregistering must not keep swallowing its key.
    registrations_.erase(std::remove_if(registrations_.begin(), registrations_.end(),
                                        [&gone](const Registration& r) {
                                            return std::find(gone.begin(), gone.end(), r.window) !=
                                                   gone.end();
                                        }),
                         registrations_.end());
    for (Registration& r : registrations_) {
        if (r.vk != event.vk || !r.down) {
            continue;
        }
        if (event.up) {
            EndPress(&decision, r);
            decision.swallow = true;
            return decision;
        }
        // Our hook swallows the key, so the system's own state of it never shows it down
        // and cannot tell a repeat from a new press. The keyboard repeats a held key first
        // after its repeat delay and then faster, so a key-down that comes later than that
        // after the last one means the key was released in between, where we did not see
        // it (on the secure desktop, or while the hook was gone). The missed release is
        // reported first, and the key-down is then taken as the new press it is.
        if (event.time - r.lastDownAt <= repeatWindowMs_) {
            r.lastDownAt = event.time;
            decision.swallow = true;
            return decision;
        }
        EndPress(&decision, r);
        break;
    }
    if (event.up) {
        return decision;
    }
    for (Registration& r : registrations_) {
        if (Matches(r, event.vk, held)) {
            r.down = true;
            r.lastDownAt = event.time;
            AddReport(&decision, r, false);
            decision.swallow = true;
            decision.maskWin = (held & MOD_WIN) != 0;
            return decision;
        }
    }
    // A new press after a missed release that no longer matches (other modifiers) is an
    // ordinary key again and passes.
    return decision;
}

}  // namespace platform
