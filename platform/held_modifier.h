#pragma once
// The decisions for a button that is a modifier while held: tapped, it is the button it
// always was; held, it holds down its modifiers for exactly as long as it is down. Apart from
// any thread, hook or lock, as the matcher is: the hooks hand it every physical event with
// the matcher's decision on it, and the hook thread carries out the steps it returns, so a
// test can tell it any story on a fake clock.
//
// After the button's press the choice is open until one of these settles it:
// - the button's release with no other key pressed and released since: a tap, reported to
//   the button's window as an ordinary short press;
// - HoldTime with the button still down, a key pressed after the button and released while
//   it is down, or a click or wheel turn: a hold, the modifiers go down at once.
// Meanwhile every other physical key is held back in order and replayed by the choice: after
// the modifiers for a hold, after the tap's own action for a tap (the window says when that
// is done, or HoldTime passes). A key that is itself a button is never held back.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/hotkey_matcher.h"

namespace platform {

// A press of button `vk` that uses `program`'s assignments (0 the global ones, else the
// number the press rules give it) holds `modifiers` (MOD_SHIFT, MOD_CONTROL, MOD_ALT,
// MOD_WIN) while held. A program's own assignments of the button decide its presses there,
// whatever the global ones say.
struct HeldButton {
    UINT vk = 0;
    int program = 0;
    UINT modifiers = 0;
};

// One physical event as the hook saw it, enough to replay it as it came.
struct HeldInput {
    bool mouse = false;
    DWORD vk = 0;       // a key's code; for the mouse, the button or 0 for the wheel
    DWORD scan = 0;     // a key's scan code
    bool up = false;    // a key's or button's release
    DWORD flags = 0;    // a key's LLKHF_* marks (LLKHF_INJECTED for the mouse's own)
    DWORD message = 0;  // the mouse's WM_* message
    DWORD mouseData = 0;
    DWORD time = 0;
    ULONG_PTR extraInfo = 0;
};

struct HeldStep {
    enum Kind : uint8_t { kModifiersDown, kModifiersUp, kReport, kReplay };
    Kind kind;
    UINT modifiers = 0;  // MOD_* for kModifiersDown and kModifiersUp
    HotKeyReport report = {};
    HeldInput input = {};
};

struct HeldOutcome {
    bool swallow = false;         // the event is held back, to be replayed
    bool choiceOpened = false;    // the clock must be set for NextDeadline
    std::vector<HeldStep> steps;  // to be carried out in order
};

class HeldModifierDecider {
  public:
    // Modifiers 0 make the press an ordinary one again.
    void SetButton(const HeldButton& button);
    void ClearButtons() { buttons_.clear(); }
    bool HasButtons() const { return !buttons_.empty(); }
    bool IsButton(UINT vk) const;
    void SetHoldTime(DWORD ms) { holdTimeMs_ = ms; }
    // A held key repeats at least this often; a longer silence means its release was lost.
    void SetRepeatWindow(DWORD ms) { repeatWindowMs_ = ms; }

    // A key event and the matcher's decision on it. The reports of a button that holds
    // modifiers move from the decision into the steps, or are dropped for a hold.
    HeldOutcome OnKey(const HeldInput& key, KeyDecision* decision);
    // A click, a release of a click, or a turn of the wheel, that is no button's.
    HeldOutcome OnMouse(const HeldInput& input);
    // The clock has reached `now`: a choice may close, a tap's wait end, a release be lost.
    HeldOutcome OnTime(DWORD now);
    // The tap's own action is done: the keys held back behind it follow.
    HeldOutcome TapActionDone();
    // Modifiers held for the agent itself, down until LetGo or ReleaseAll.
    HeldOutcome HoldFor(UINT modifiers);
    HeldOutcome LetGo();
    // Nothing held stays down, and nothing held back stays back.
    HeldOutcome ReleaseAll();
    // When OnTime must next be called; false when nothing waits for the clock.
    bool NextDeadline(DWORD* at) const;

    // What is down on our behalf (MOD_*), for tests and benchmarks.
    UINT ModifiersDown() const { return (state_ == kHeld ? heldModifiers_ : 0) | agentHeld_; }

  private:
    enum State : uint8_t { kIdle, kOpen, kHeld, kTapWait };
    UINT ModifiersOf(UINT vk, int program) const;
    void NotePhysicalModifier(const HeldInput& key);
    void ButtonDown(const HotKeyReport& report, const HeldInput& key, HeldOutcome* out,
                    std::vector<HotKeyReport>* passed);
    void ButtonUp(const HotKeyReport& report, const HeldInput& key, HeldOutcome* out,
                  std::vector<HotKeyReport>* passed);
    void OtherKey(const HeldInput& key, HeldOutcome* out);
    void Hold(HeldOutcome* out);
    void Replay(HeldOutcome* out);
    void PressModifiers(UINT modifiers, HeldOutcome* out) const;
    void ReleaseModifiers(UINT modifiers, UINT stillHeld, HeldOutcome* out) const;
    void HoldBack(const HeldInput& input, HeldOutcome* out);

    std::vector<HeldButton> buttons_;
    DWORD holdTimeMs_ = 500;
    DWORD repeatWindowMs_ = 750;

    State state_ = kIdle;
    UINT buttonVk_ = 0;
    UINT heldModifiers_ = 0;
    DWORD openedAt_ = 0;
    DWORD lastSeenAt_ = 0;   // the button's latest key-down, repeats included
    bool repeated_ = false;  // the keyboard has repeated the button in this press
    DWORD tapAt_ = 0;
    std::vector<HotKeyReport> pressReports_;  // the button's press, owed to its window
    std::vector<HeldInput> heldBack_;
    std::vector<DWORD> keysPressedSince_;  // keys pressed after the button, still down
    UINT agentHeld_ = 0;
    uint8_t physicalKeys_ = 0;  // one bit per modifier key the user holds
};

}  // namespace platform
