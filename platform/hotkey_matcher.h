#pragma once
// The decisions of the hot-key layer, apart from any thread, hook or lock: which
// registration a key event belongs to, whether it is reported, and whether it is swallowed.
// Everything it must know of the system (the modifiers held, the windows that are gone, the
// keyboard's repeat delay, the time of each event) is handed in, so a test can tell it any
// story, missed events included.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/press_rules.h"

#ifndef MOD_KEYUP
#define MOD_KEYUP 0x1000
#endif

namespace platform {

constexpr UINT kHotKeyModifierMask = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

// Every key outside the codes that desktop Windows leaves unassigned (0xC1-0xDA), where a
// handheld's own buttons live and arrive with Win: a desktop keyboard sends such a key on
// its own, so a registration that asks for Win accepts it with or without Win.
bool IsDesktopKey(UINT vk);

// The mouse's middle, back and forward buttons, which can be buttons as keys can; the left
// and right buttons never are.
bool IsMouseButton(UINT vk);

// A desktop key registered with Win is taken alone: the system reserves it without Win.
bool IsTakenAlone(UINT modifiers, UINT vk);

// Whether the system's refusal (`error`) to reserve a combination refuses the registration
// too. Where another program holds it, always. A key taken alone still works through the
// hook where the system refuses for any other reason. A handheld's button arrives with Win,
// which the shell may own: there every refusal stands.
bool ReservationRefusalStands(UINT modifiers, UINT vk, DWORD error);

struct KeyEvent {
    DWORD vk;
    bool up;
    DWORD time;       // milliseconds, the event's own time stamp
    DWORD flags = 0;  // LLKHF_* as the hook received them
    ULONG_PTR extraInfo = 0;
    // When the hook met it, on the hook's own clock, which an injector cannot choose; 0
    // takes `time`. Each program stamps the input it receives on a clock of its own, so two
    // presses that reached different programs are compared by this.
    DWORD seenAt = 0;
};

// A registration without a reservation of the system's own.
constexpr int kNoReservation = -1;

struct HotKeyReport {
    HWND window;
    int id;
    LPARAM lParam;    // MAKELPARAM(modifiers, vk), MOD_KEYUP set for a release
    int program = 0;  // whose assignments the press uses, as the rules number them
};

struct KeyDecision {
    bool swallow = false;
    int reportCount = 0;
    HotKeyReport reports[2] = {};  // in the order they must be posted
    bool maskWin = false;          // a button went down under a held Win: hide it from Win
    // One of the layer's own events passed: the system's reservations of this key step aside
    // for its key-down, so the system does not take it either, and return after its key-up.
    UINT asideVk = 0;
    UINT backVk = 0;
};

class HotKeyMatcher {
  public:
    // Adds or, for the same window and id, replaces a registration. `reservation` is the id
    // of the system hot key that stands for it, if any.
    void Add(HWND window, int id, UINT modifiers, UINT vk, int reservation = kNoReservation);
    // Whether `window` already holds `id`, or any registration holds the same key with the
    // same modifiers (MOD_KEYUP aside), as the system would refuse them.
    bool Taken(HWND window, int id, UINT modifiers, UINT vk) const;
    // Removes a registration; `reservation` receives its system hot key's id.
    bool Remove(HWND window, int id, int* reservation = nullptr);
    int Count() const { return static_cast<int>(registrations_.size()); }
    // Whether a mouse hook has work: a mouse button is registered, or the release of one
    // whose press was swallowed is still to come.
    bool NeedsMouseHook() const;
    // Whether a mouse button's press was swallowed and its release has not come yet.
    bool OwesMouseRelease() const;

    // A key-down of a key still marked down counts as the keyboard's auto-repeat only this
    // long after that key's last key-down; later, its key-up must have been missed.
    void SetRepeatWindow(DWORD ms) { repeatWindowMs_ = ms; }

    // An event the layer is about to inject itself at `now`, and the time stamp it must
    // carry: it passes the hook once, untouched, whatever it matches, when it arrives
    // injected with that stamp within kOwnEventLifeMs.
    //
    // The stamp is kOwnStampLeadMs ahead of the clock, further than the ticket lives. The
    // system stamps an event with the time it was injected, and it reaches the hook after
    // that, so every event that meets the ticket alive and was stamped by the system carries
    // an earlier time: another program's event cannot use it, whatever its key and extra
    // information. Only a stamp that an injector sets itself, to the millisecond, could.
    DWORD ExpectOwn(DWORD vk, bool up, ULONG_PTR extraInfo, DWORD now);
    // Forgets own events that never arrived; true while some are still awaited.
    bool ExpireOwn(DWORD now);
    void ForgetOwn() { own_.clear(); }
    // The awaited event with `stamp` was never injected (the system refused it).
    void DropOwn(DWORD vk, bool up, ULONG_PTR extraInfo, DWORD stamp);

    // Whether `event` may concern a registration or an awaited own event; if so, the windows
    // that hold one, to be checked for life, and the caller reads the modifiers for Handle.
    bool Concerns(const KeyEvent& event, std::vector<HWND>* windows) const;

    // The rules for the presses of `window`'s registrations; rules that are not Active()
    // leave every press as it was without them. A press under way keeps its choice.
    void SetRules(HWND window, PressRules rules);
    // Whether Handle needs the program the event belongs to: a key-down of a registered key
    // whose rules depend on the program. Every other event is decided without it.
    bool NeedsProgram(const KeyEvent& event) const;

    // `held` is the system's modifier state just before the event (MOD_* bits), `gone` the
    // windows that no longer exist, `program` the lower-case file name of the program the
    // event belongs to (only read where NeedsProgram; empty for one that cannot be read).
    KeyDecision Handle(const KeyEvent& event, UINT held, const std::vector<HWND>& gone,
                       const std::wstring& program = std::wstring());

    // The system's own hot key `reservation` fired at `time`: the hook did not see the key
    // (the foreground window is elevated, or the hook was gone). The system reports key-downs
    // only, repeated while the key is held; the first becomes one whole press and the
    // repeats are dropped. `known` tells whether any registration owns the reservation.
    KeyDecision SystemReport(int reservation, DWORD time, bool* known);

    static constexpr DWORD kOwnEventLifeMs = 400;
    // Past the life by more than the system's clock steps (up to 16 ms) could part the
    // injector's clock from the hook's.
    static constexpr DWORD kOwnStampLeadMs = kOwnEventLifeMs + 100;

  private:
    struct Registration {
        HWND window;
        int id;
        UINT modifiers;  // as registered, MOD_KEYUP included
        UINT vk;
        int reservation;
        bool down;          // its key-down was reported; the key-up is owed
        DWORD lastDownAt;   // time of its latest key-down, auto-repeats included
        bool systemPress;   // the system reported a press the hook did not see
        DWORD systemAt;     // time of its latest report, auto-repeats included
        int program;        // the press's program, chosen at its first down
        bool awaitsSecond;  // its release waits for a second press of the same program
    };
    // A key whose press the rules let pass: its repeats and release pass with it.
    struct PassingKey {
        DWORD vk;
        DWORD lastDownAt;
    };
    // The latest taken press of a key, for a second press that may follow it.
    struct TakenPress {
        DWORD vk;
        int program;
        DWORD upAt;
    };
    struct OwnEvent {
        DWORD vk;
        bool up;
        ULONG_PTR extraInfo;
        DWORD sentAt;
        DWORD stamp;
    };
    bool TakeOwn(const KeyEvent& event);
    void OweRelease(const Registration& r);
    bool TakeOwedRelease(const KeyEvent& event);
    bool Repeats(bool pressed, DWORD lastAt, DWORD time) const;
    static bool Matches(const Registration& r, DWORD vk, UINT held);
    PressVerdict Judge(const Registration& r, const KeyEvent& event, const std::wstring& program);
    bool KeepsPassing(const KeyEvent& event);
    void RememberTaken(const Registration& r, DWORD upAt);
    static DWORD SeenAt(const KeyEvent& event);
    static void AddReport(KeyDecision* decision, const Registration& r, bool up);
    static void EndPress(KeyDecision* decision, Registration& r);

    std::vector<Registration> registrations_;
    std::vector<OwnEvent> own_;
    // Mouse buttons whose press was swallowed and whose registration went before the release.
    std::vector<DWORD> owedReleases_;
    DWORD repeatWindowMs_ = 750;
    HWND rulesWindow_ = nullptr;
    PressRules rules_;
    std::vector<PassingKey> passing_;
    std::vector<TakenPress> taken_;
};

}  // namespace platform
