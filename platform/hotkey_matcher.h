#pragma once
// The decisions of the hot-key layer, apart from any thread, hook or lock: which
// registration a key event belongs to, whether it is reported, and whether it is swallowed.
// Everything it must know of the system (the modifiers held, the windows that are gone, the
// keyboard's repeat delay, the time of each event) is handed in, so a test can tell it any
// story, missed events included.
#include <windows.h>

#include <vector>

#ifndef MOD_KEYUP
#define MOD_KEYUP 0x1000
#endif

namespace platform {

constexpr UINT kHotKeyModifierMask = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

// F13-F24 and the browser, media and launch keys: keys a desktop keyboard sends on their
// own, so a registration that asks for Win accepts them with or without it.
bool IsDesktopKey(UINT vk);

struct KeyEvent {
    DWORD vk;
    bool up;
    DWORD time;  // milliseconds, the event's own time stamp
};

struct HotKeyReport {
    HWND window;
    int id;
    LPARAM lParam;  // MAKELPARAM(modifiers, vk), MOD_KEYUP set for a release
};

struct KeyDecision {
    bool swallow = false;
    int reportCount = 0;
    HotKeyReport reports[2] = {};  // in the order they must be posted
    bool maskWin = false;          // a button went down under a held Win: hide it from Win
};

class HotKeyMatcher {
  public:
    // Adds or, for the same window and id, replaces a registration.
    void Add(HWND window, int id, UINT modifiers, UINT vk);
    bool Remove(HWND window, int id);
    int Count() const { return static_cast<int>(registrations_.size()); }

    // A key-down of a key still marked down counts as the keyboard's auto-repeat only this
    // long after that key's last key-down; later, its key-up must have been missed.
    void SetRepeatWindow(DWORD ms) { repeatWindowMs_ = ms; }

    // Whether an event of `vk` may concern a registration; if so, the windows that hold
    // one, to be checked for life, and the caller reads the system's modifiers for Handle.
    bool Concerns(DWORD vk, std::vector<HWND>* windows) const;

    // `held` is the system's modifier state just before the event (MOD_* bits), `gone` the
    // windows that no longer exist.
    KeyDecision Handle(const KeyEvent& event, UINT held, const std::vector<HWND>& gone);

  private:
    struct Registration {
        HWND window;
        int id;
        UINT modifiers;  // as registered, MOD_KEYUP included
        UINT vk;
        bool down;         // its key-down was reported; the key-up is owed
        DWORD lastDownAt;  // time of its latest key-down, auto-repeats included
    };
    static bool Matches(const Registration& r, DWORD vk, UINT held);
    static void AddReport(KeyDecision* decision, const Registration& r, bool up);
    static void EndPress(KeyDecision* decision, Registration& r);

    std::vector<Registration> registrations_;
    DWORD repeatWindowMs_ = 750;
};

}  // namespace platform
