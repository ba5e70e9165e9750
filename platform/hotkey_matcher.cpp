#include "platform/hotkey_matcher.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace platform {

bool IsDesktopKey(UINT vk) {
    constexpr UINT kFirstHandheldKey = 0xC1;
    constexpr UINT kLastHandheldKey = 0xDA;
    const UINT code = vk & 0xFF;  // what a key event carries of a wider value
    return code < kFirstHandheldKey || code > kLastHandheldKey;
}

bool IsMouseButton(UINT vk) {
    return vk == VK_MBUTTON || vk == VK_XBUTTON1 || vk == VK_XBUTTON2;
}

bool IsTakenAlone(UINT modifiers, UINT vk) {
    return (modifiers & MOD_WIN) && IsDesktopKey(vk);
}

bool ReservationRefusalStands(UINT modifiers, UINT vk, DWORD error) {
    return error == ERROR_HOTKEY_ALREADY_REGISTERED || !IsTakenAlone(modifiers, vk);
}

void HotKeyMatcher::Add(HWND window, int id, UINT modifiers, UINT vk, int reservation) {
    const Registration fresh = {window, id,    modifiers, vk, reservation, false,
                                0,      false, 0,         0,  false};
    for (Registration& r : registrations_) {
        if (r.window == window && r.id == id) {
            OweRelease(r);
            r = fresh;
            return;
        }
    }
    registrations_.push_back(fresh);
}

bool HotKeyMatcher::Taken(HWND window, int id, UINT modifiers, UINT vk) const {
    for (const Registration& r : registrations_) {
        if ((r.window == window && r.id == id) ||
            (r.vk == vk &&
             (r.modifiers & kHotKeyModifierMask) == (modifiers & kHotKeyModifierMask))) {
            return true;
        }
    }
    return false;
}

bool HotKeyMatcher::Remove(HWND window, int id, int* reservation) {
    for (auto it = registrations_.begin(); it != registrations_.end(); ++it) {
        if (it->window == window && it->id == id) {
            if (reservation) {
                *reservation = it->reservation;
            }
            OweRelease(*it);
            registrations_.erase(it);
            return true;
        }
    }
    return false;
}

bool HotKeyMatcher::NeedsMouseHook() const {
    return !owedReleases_.empty() ||
           std::any_of(registrations_.begin(), registrations_.end(),
                       [](const Registration& r) { return IsMouseButton(r.vk); });
}

bool HotKeyMatcher::OwesMouseRelease() const {
    return !owedReleases_.empty() ||
           std::any_of(registrations_.begin(), registrations_.end(),
                       [](const Registration& r) { return r.down && IsMouseButton(r.vk); });
}

// A key's stray release does no harm, but a program turns a lone release of the back or
// forward button into a step back or forward: the release of a press it never saw stays
// swallowed even after the registration has gone.
void HotKeyMatcher::OweRelease(const Registration& r) {
    if (r.down && IsMouseButton(r.vk) &&
        std::find(owedReleases_.begin(), owedReleases_.end(), r.vk) == owedReleases_.end()) {
        owedReleases_.push_back(r.vk);
    }
}

// Any event of the button settles what is owed: its release is swallowed, and a new press
// means the release was missed.
bool HotKeyMatcher::TakeOwedRelease(const KeyEvent& event) {
    const auto owed = std::find(owedReleases_.begin(), owedReleases_.end(), event.vk);
    if (owed == owedReleases_.end()) {
        return false;
    }
    owedReleases_.erase(owed);
    return event.up;
}

bool HotKeyMatcher::Concerns(const KeyEvent& event, std::vector<HWND>* windows) const {
    bool concerns =
        (!own_.empty() && (event.flags & LLKHF_INJECTED)) ||
        std::find(owedReleases_.begin(), owedReleases_.end(), event.vk) != owedReleases_.end();
    for (const Registration& r : registrations_) {
        if (r.vk == event.vk) {
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
    decision->reports[decision->reportCount++] = {r.window, r.id, MAKELPARAM(modifiers, r.vk),
                                                  r.program};
}

// The press is over; a registration that asked for releases hears of it.
void HotKeyMatcher::EndPress(KeyDecision* decision, Registration& r) {
    r.down = false;
    if (r.modifiers & MOD_KEYUP) {
        AddReport(decision, r, true);
    }
}

// A key-down this soon after the last one of a held key is the keyboard repeating it. The
// hook's calls overtake the system's posted reports, so a report may be older than the
// last key-down already seen: that is a repeat too.
bool HotKeyMatcher::Repeats(bool pressed, DWORD lastAt, DWORD time) const {
    return pressed && static_cast<LONG>(time - lastAt) <= static_cast<LONG>(repeatWindowMs_);
}

// The latest of two event times, across the tick count's wrap.
static DWORD Later(DWORD a, DWORD b) {
    return static_cast<LONG>(b - a) > 0 ? b : a;
}

void HotKeyMatcher::SetRules(HWND window, PressRules rules) {
    rulesWindow_ = window;
    rules_ = std::move(rules);
    if (!rules_.Active()) {
        passing_.clear();
        taken_.clear();
    }
}

bool HotKeyMatcher::NeedsProgram(const KeyEvent& event) const {
    if (event.up || !rules_.DependOnProgram()) {
        return false;
    }
    return std::any_of(registrations_.begin(), registrations_.end(), [&](const Registration& r) {
        return r.vk == event.vk && r.window == rulesWindow_;
    });
}

// The choice of a press's first down. A second press that follows a taken one within the
// double-press time belongs to the first one's program: the receiver is still waiting to
// tell a double press from a single one.
PressVerdict HotKeyMatcher::Judge(const Registration& r, const KeyEvent& event,
                                  const std::wstring& program) {
    if (r.window != rulesWindow_ || !rules_.Active()) {
        return PressVerdict();
    }
    for (const TakenPress& press : taken_) {
        const LONG since = static_cast<LONG>(SeenAt(event) - press.upAt);
        if (press.vk == event.vk && since >= 0 && since <= static_cast<LONG>(rules_.doubleTimeMs)) {
            return {true, press.program, false};  // the double press is complete with it
        }
    }
    return rules_.Judge(r.vk, program);
}

DWORD HotKeyMatcher::SeenAt(const KeyEvent& event) {
    return event.seenAt ? event.seenAt : event.time;
}

// Only a press whose receiver waits for a second one has one: the hook may see presses a
// moment apart that the user made seconds apart, when it had to wait for the processor.
void HotKeyMatcher::RememberTaken(const Registration& r, DWORD upAt) {
    taken_.erase(std::remove_if(taken_.begin(), taken_.end(),
                                [&](const TakenPress& press) { return press.vk == r.vk; }),
                 taken_.end());
    if (r.window != rulesWindow_ || !rules_.Active() || !r.awaitsSecond) {
        return;
    }
    taken_.push_back({r.vk, r.program, upAt});
}

// A press the rules let pass passes whole: its repeats are not judged again when another
// program has come to the front meanwhile. A later down is a new press, whose release
// was missed.
bool HotKeyMatcher::KeepsPassing(const KeyEvent& event) {
    const auto passing = std::find_if(passing_.begin(), passing_.end(),
                                      [&](const PassingKey& key) { return key.vk == event.vk; });
    if (passing == passing_.end()) {
        return false;
    }
    if (event.up || IsMouseButton(event.vk) || !Repeats(true, passing->lastDownAt, SeenAt(event))) {
        passing_.erase(passing);
        return event.up;
    }
    passing->lastDownAt = SeenAt(event);
    return true;
}

KeyDecision HotKeyMatcher::Handle(const KeyEvent& event, UINT held, const std::vector<HWND>& gone,
                                  const std::wstring& program) {
    KeyDecision decision;
    // A program at a lower integrity level must not press the agent's buttons (nor would the
    // system let it reach the agent's window otherwise).
    if (event.flags & LLKHF_LOWER_IL_INJECTED) {
        return decision;
    }
    if (TakeOwn(event)) {
        for (const Registration& r : registrations_) {
            if (r.vk == event.vk && r.reservation != kNoReservation) {
                (event.up ? decision.backVk : decision.asideVk) = event.vk;
            }
        }
        return decision;
    }
    // A window destroyed without unregistering must not keep swallowing its key.
    registrations_.erase(std::remove_if(registrations_.begin(), registrations_.end(),
                                        [&](const Registration& r) {
                                            const bool isGone = std::find(gone.begin(), gone.end(),
                                                                          r.window) != gone.end();
                                            if (isGone) {
                                                OweRelease(r);
                                            }
                                            return isGone;
                                        }),
                         registrations_.end());
    if (TakeOwedRelease(event)) {
        decision.swallow = true;
        return decision;
    }
    for (Registration& r : registrations_) {
        if (r.vk != event.vk || !r.down) {
            continue;
        }
        if (event.up) {
            RememberTaken(r, SeenAt(event));
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
        // A mouse button never repeats: its second press is always a new one.
        if (!IsMouseButton(event.vk) && Repeats(true, r.lastDownAt, event.time)) {
            r.lastDownAt = event.time;
            decision.swallow = true;
            return decision;
        }
        EndPress(&decision, r);
        break;
    }
    if (KeepsPassing(event) || event.up) {
        return decision;
    }
    for (Registration& r : registrations_) {
        if (Matches(r, event.vk, held)) {
            // The system reported this press while the hook was away; the key is still held.
            if (Repeats(r.systemPress, r.systemAt, event.time)) {
                r.systemAt = Later(r.systemAt, event.time);
                decision.swallow = true;
                return decision;
            }
            const PressVerdict verdict = Judge(r, event, program);
            if (!verdict.take) {
                passing_.push_back({event.vk, SeenAt(event)});
                return decision;
            }
            r.program = verdict.program;
            r.awaitsSecond = verdict.awaitsSecond;
            r.systemPress = false;
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

KeyDecision HotKeyMatcher::SystemReport(int reservation, DWORD time, bool* known) {
    KeyDecision decision;
    *known = false;
    for (Registration& r : registrations_) {
        if (reservation == kNoReservation || r.reservation != reservation) {
            continue;
        }
        *known = true;
        if (r.down || Repeats(r.systemPress, r.systemAt, time)) {
            r.systemAt = Later(r.systemAt, time);
            return decision;
        }
        r.systemPress = true;
        r.systemAt = time;
        // The window in front hides its program from the hook, as it hides its keys.
        const KeyEvent asReported = {r.vk, false, time};
        const PressVerdict verdict = Judge(r, asReported, std::wstring());
        if (!verdict.take) {
            return decision;
        }
        r.program = verdict.program;
        AddReport(&decision, r, false);
        if (r.modifiers & MOD_KEYUP) {
            AddReport(&decision, r, true);
        }
        return decision;
    }
    return decision;
}

}  // namespace platform
