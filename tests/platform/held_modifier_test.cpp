// Stories of a button that is a modifier while held, told on a fake clock: each story reads
// as what programs and the button's window receive, in order.
#include "platform/held_modifier.h"

#include <gtest/gtest.h>

#include "platform/press_rules.h"

#include <string>
#include <vector>

using namespace platform;

namespace {

constexpr UINT kSide = VK_XBUTTON1;
using Seen = std::vector<std::string>;

std::string Name(DWORD vk) {
    return vk == VK_CAPITAL ? "Caps" : vk == VK_LCONTROL ? "LCtrl" : std::string(1, char(vk));
}

std::string Modifiers(UINT modifiers) {
    std::string names;
    for (const auto& [bit, name] : {std::pair<UINT, const char*>{MOD_SHIFT, "Shift"},
                                    {MOD_CONTROL, "Ctrl"},
                                    {MOD_ALT, "Alt"},
                                    {MOD_WIN, "Win"}}) {
        if (modifiers & bit) {
            names += (names.empty() ? "" : "+") + std::string(name);
        }
    }
    return names;
}

class HeldModifierStory : public ::testing::Test {
  protected:
    void SetUp() override {
        matcher.SetRepeatWindow(750);
        decider.SetRepeatWindow(750);
        decider.SetHoldTime(500);
        for (UINT vk : {UINT(VK_CAPITAL), UINT(VK_PAUSE), kSide}) {
            matcher.Add(nullptr, int(vk), MOD_WIN | MOD_KEYUP, vk);
        }
        decider.SetButton({VK_CAPITAL, 0, MOD_CONTROL});
        decider.SetButton({kSide, 0, MOD_CONTROL});
    }
    void Key(DWORD vk, bool up, DWORD at, DWORD flags = 0) {
        HeldInput input;
        input.vk = vk;
        input.up = up;
        input.time = at;
        input.flags = flags | (up ? LLKHF_UP : 0);
        KeyDecision decision = matcher.Handle({vk, up, at, input.flags}, 0, {}, inFront);
        const HeldOutcome outcome = decider.OnKey(input, &decision);
        for (int i = 0; i < decision.reportCount; ++i) {
            Report(decision.reports[i]);
        }
        if (!decision.swallow && !outcome.swallow) {
            seen.push_back(Name(vk) + (up ? " up" : " down"));
        }
        Carry(outcome);
    }
    void Down(DWORD vk, DWORD at, DWORD flags = 0) { Key(vk, false, at, flags); }
    void Up(DWORD vk, DWORD at, DWORD flags = 0) { Key(vk, true, at, flags); }
    void Wheel(DWORD at) {
        HeldInput input;
        input.mouse = true;
        input.message = WM_MOUSEWHEEL;
        input.time = at;
        const HeldOutcome outcome = decider.OnMouse(input);
        if (!outcome.swallow) {
            seen.push_back("wheel");
        }
        Carry(outcome);
    }
    // The hook thread's timer, as it is set after every outcome.
    void Clock(DWORD at) {
        DWORD due = 0;
        while (decider.NextDeadline(&due) && LONG(at - due) >= 0) {
            Carry(decider.OnTime(due));
        }
    }
    void Report(const HotKeyReport& report) {
        std::string text = (LOWORD(report.lParam) & MOD_KEYUP) ? "report up" : "report down";
        if (report.program != 0) {
            text += " in " + std::to_string(report.program);
        }
        seen.push_back(text);
    }
    void Carry(const HeldOutcome& outcome) {
        for (const HeldStep& step : outcome.steps) {
            if (step.kind == HeldStep::kReport) {
                Report(step.report);
            } else if (step.kind == HeldStep::kReplay) {
                seen.push_back(step.input.mouse
                                   ? "wheel"
                                   : Name(step.input.vk) + (step.input.up ? " up" : " down"));
            } else {
                seen.push_back(Modifiers(step.modifiers) +
                               (step.kind == HeldStep::kModifiersUp ? " up" : " down"));
            }
        }
    }

    HotKeyMatcher matcher;
    HeldModifierDecider decider;
    Seen seen;
    std::wstring inFront;  // the program in front at a press
};

TEST_F(HeldModifierStory, AQuickTapIsAnOrdinaryPress) {
    Down(VK_CAPITAL, 1000);
    EXPECT_TRUE(seen.empty()) << "the choice is still open";
    Up(VK_CAPITAL, 1120);
    Clock(3000);
    EXPECT_EQ(seen, (Seen{"report down", "report up"}));
}

TEST_F(HeldModifierStory, HeldPastHoldTimeTheModifiersAreDownUntilTheRelease) {
    Down(VK_CAPITAL, 1000);
    Clock(1499);
    EXPECT_TRUE(seen.empty());
    for (DWORD at = 1500; at < 4000; at += 33) {  // the keyboard repeats the held key
        Clock(at);
        Down(VK_CAPITAL, at);
    }
    Down('V', 4000);
    Up('V', 4050);
    Up(VK_CAPITAL, 4100);
    EXPECT_EQ(seen, (Seen{"Ctrl down", "V down", "V up", "Ctrl up"}));
}

// Caps+C typed fast: button down, key down, key up, button up.
TEST_F(HeldModifierStory, AKeyPressedAndReleasedInsideThePressMakesAHoldAtOnce) {
    Down(VK_CAPITAL, 1000);
    Down('C', 1040);
    EXPECT_TRUE(seen.empty()) << "C waits for the choice";
    Up('C', 1090);
    Up(VK_CAPITAL, 1130);
    EXPECT_EQ(seen, (Seen{"Ctrl down", "C down", "C up", "Ctrl up"}));
}

// Typing fast across the button: button down, key down, button up, key up.
TEST_F(HeldModifierStory, ReleasedWhileALaterKeyIsDownItIsATapAndTheKeyFollowsItsAction) {
    Down(VK_CAPITAL, 1000);
    Down('X', 1050);
    Up(VK_CAPITAL, 1080);
    Up('X', 1100);
    EXPECT_EQ(seen, (Seen{"report down", "report up"})) << "X waits for the tap's action";
    Carry(decider.TapActionDone());
    Down('Y', 1200);
    EXPECT_EQ(seen, (Seen{"report down", "report up", "X down", "X up", "Y down"}));
    // Without word of the action, the keys go once the hold time has passed.
    seen.clear();
    Down(VK_CAPITAL, 2000);
    Down('Z', 2050);
    Up(VK_CAPITAL, 2080);
    Clock(2579);
    EXPECT_EQ(seen, (Seen{"report down", "report up"}));
    Clock(2580);
    EXPECT_EQ(seen.back(), "Z down");
}

TEST_F(HeldModifierStory, AKeyStillDownAtHoldTimeIsDeliveredAfterTheModifiers) {
    Down(VK_CAPITAL, 1000);
    Down('S', 1100);
    Down('S', 1400);  // already repeating
    Clock(1500);
    Up('S', 1600);
    Up(VK_CAPITAL, 1700);
    EXPECT_EQ(seen, (Seen{"Ctrl down", "S down", "S down", "S up", "Ctrl up"}));
}

TEST_F(HeldModifierStory, AWheelTurnUnderTheHeldSideButtonComesAfterTheModifiers) {
    Down(kSide, 1000);
    Wheel(1100);
    Wheel(1150);
    Up(kSide, 1300);
    EXPECT_EQ(seen, (Seen{"Ctrl down", "wheel", "wheel", "Ctrl up"}));
}

TEST_F(HeldModifierStory, ALostReleaseEndsTheHoldWhenTheRepeatsStopOrTheKeyComesAgain) {
    Down(VK_CAPITAL, 1000);
    Down(VK_CAPITAL, 1400);  // it repeats
    Clock(2150);
    EXPECT_EQ(decider.ModifiersDown(), UINT(MOD_CONTROL)) << "within the repeat window";
    Clock(2160);
    EXPECT_EQ(seen, (Seen{"Ctrl down", "Ctrl up"}));
    // A side button does not repeat: only its next press tells of a lost release.
    seen.clear();
    Down(kSide, 5000);
    Clock(60000);
    Down(kSide, 61000);
    Up(kSide, 61050);
    EXPECT_EQ(seen, (Seen{"Ctrl down", "Ctrl up", "report down", "report up"}));
}

TEST_F(HeldModifierStory, ACtrlTheUserHoldsIsNotReleasedUnderTheirFinger) {
    Down(VK_LCONTROL, 900);
    Down(kSide, 1000);
    Wheel(1100);
    Up(kSide, 1200);
    EXPECT_EQ(seen, (Seen{"LCtrl down", "Ctrl down", "wheel"}));
}

TEST_F(HeldModifierStory, OtherButtonsInjectedKeysAndEarlierKeysAreNotHeldBack) {
    decider.SetButton({VK_PAUSE, 0, MOD_SHIFT});
    Down('A', 900);
    Down(VK_CAPITAL, 1000);
    Up('A', 1010);         // pressed before the button
    Down(VK_PAUSE, 1020);  // another button, reported at once
    Up(VK_PAUSE, 1030);
    Down('I', 1040, LLKHF_INJECTED);  // another program's keys
    Up('I', 1050, LLKHF_INJECTED);
    Up(VK_CAPITAL, 1060);
    EXPECT_EQ(seen, (Seen{"A down", "A up", "report down", "report up", "I down", "I up",
                          "report down", "report up"}));
    seen.clear();
    Down(VK_CAPITAL, 2000, LLKHF_INJECTED);  // a button another program presses is pressed
    Up(VK_CAPITAL, 2010, LLKHF_INJECTED);
    EXPECT_EQ(seen, (Seen{"report down", "report up"}));
}

// The editor's own Caps holds nothing (its hold starts a program); the terminal's holds Alt;
// anywhere else the global Ctrl.
TEST_F(HeldModifierStory, EachProgramsOwnHoldDecidesWhatItsPressesHold) {
    PressRules rules;
    rules.global = {{VK_CAPITAL, true}, {VK_PAUSE, true}, {kSide, true}};
    rules.programs = {{L"editor.exe", false, {{VK_CAPITAL, true}}},
                      {L"terminal.exe", false, {{VK_CAPITAL, true}}}};
    matcher.SetRules(nullptr, rules);
    decider.SetButton({VK_CAPITAL, 2, MOD_ALT});

    inFront = L"editor.exe";
    Down(VK_CAPITAL, 1000);
    Down('C', 1040);
    Up('C', 1090);
    Up(VK_CAPITAL, 1700);
    EXPECT_EQ(seen, (Seen{"report down in 1", "C down", "C up", "report up in 1"}));

    seen.clear();
    inFront = L"terminal.exe";
    Down(VK_CAPITAL, 2000);
    Up(VK_CAPITAL, 2100);
    Down(VK_CAPITAL, 3000);
    Down('C', 3040);
    inFront = L"other.exe";
    Down(VK_CAPITAL, 3060);  // a repeat: the press stays with the program it began in
    Up('C', 3090);
    Up(VK_CAPITAL, 3130);
    EXPECT_EQ(seen,
              (Seen{"report down in 2", "report up in 2", "Alt down", "C down", "C up", "Alt up"}));

    seen.clear();
    Down(VK_CAPITAL, 4000);
    Clock(4500);
    Up(VK_CAPITAL, 4600);
    EXPECT_EQ(seen, (Seen{"Ctrl down", "Ctrl up"}));
}

// A reload may hand the layer a set without the button while it is held.
TEST_F(HeldModifierStory, AHeldButtonLeftOutOfANewSetStillLetsGoAtItsRelease) {
    Down(VK_CAPITAL, 1000);
    Clock(1500);
    decider.ClearButtons();
    Up(VK_CAPITAL, 1600);
    EXPECT_EQ(seen, (Seen{"Ctrl down", "Ctrl up"}));
}

TEST_F(HeldModifierStory, ReleaseAllLeavesNothingDownAndNothingBehind) {
    Down(VK_CAPITAL, 1000);
    Down('Q', 1010);
    Carry(decider.ReleaseAll());
    EXPECT_EQ(seen, (Seen{"Q down"})) << "the open choice gives back what it held";
    Up(VK_CAPITAL, 1100);
    seen.clear();
    Down(kSide, 2000);
    Clock(2500);
    Carry(decider.HoldFor(MOD_SHIFT | MOD_CONTROL));  // Ctrl is down already
    Up(kSide, 2600);                                  // and stays for the agent
    Carry(decider.ReleaseAll());
    EXPECT_EQ(seen, (Seen{"Ctrl down", "Shift down", "Shift+Ctrl up"}));
    EXPECT_EQ(decider.ModifiersDown(), 0u);
}

}  // namespace
