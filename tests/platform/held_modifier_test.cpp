// Stories of a button that is a modifier while held, told on a fake clock: each story reads
// as what programs and the button's window receive, in order.
#include "platform/held_modifier.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hotkey_test_keys.h"

using namespace platform;

namespace {

const HWND kWindow = reinterpret_cast<HWND>(0x100);
constexpr UINT kSide = VK_XBUTTON1;
constexpr DWORD kHoldTime = 500;
using Seen = std::vector<std::string>;

std::string KeyName(DWORD vk) {
    switch (vk) {
        case VK_CAPITAL:
            return "Caps";
        case VK_LCONTROL:
            return "LCtrl";
        case VK_PAUSE:
            return "Pause";
        default:
            return std::string(1, static_cast<char>(vk));
    }
}

std::string ModifierNames(UINT modifiers) {
    std::string names;
    for (const auto& m : {std::make_pair(MOD_SHIFT, "Shift"), std::make_pair(MOD_CONTROL, "Ctrl"),
                          std::make_pair(MOD_ALT, "Alt"), std::make_pair(MOD_WIN, "Win")}) {
        if (modifiers & m.first) {
            names += (names.empty() ? "" : "+") + std::string(m.second);
        }
    }
    return names;
}

class HeldModifierStory : public ::testing::Test {
  protected:
    void SetUp() override {
        matcher.SetRepeatWindow(750);
        decider.SetRepeatWindow(750);
        decider.SetHoldTime(kHoldTime);
        for (UINT vk : {static_cast<UINT>(VK_CAPITAL), static_cast<UINT>(VK_PAUSE), kSide}) {
            matcher.Add(kWindow, static_cast<int>(vk), MOD_WIN | MOD_KEYUP, vk);
        }
        decider.SetButton(VK_CAPITAL, MOD_CONTROL);
        decider.SetButton(kSide, MOD_CONTROL);
    }

    void Key(DWORD vk, bool up, DWORD at, DWORD flags = 0) {
        now = at;
        HeldInput input;
        input.vk = vk;
        input.up = up;
        input.time = at;
        input.flags = flags | (up ? LLKHF_UP : 0);
        KeyDecision decision = matcher.Handle({vk, up, at, input.flags}, 0, {});
        const HeldOutcome outcome = decider.OnKey(input, &decision);
        for (int i = 0; i < decision.reportCount; ++i) {
            Report(decision.reports[i]);
        }
        if (!decision.swallow && !outcome.swallow) {
            seen.push_back(KeyName(vk) + (up ? " up" : " down"));
        }
        Carry(outcome);
    }
    void Down(DWORD vk, DWORD at, DWORD flags = 0) { Key(vk, false, at, flags); }
    void Up(DWORD vk, DWORD at, DWORD flags = 0) { Key(vk, true, at, flags); }
    void Wheel(DWORD at) {
        now = at;
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
        while (decider.NextDeadline(&due) && static_cast<LONG>(at - due) >= 0) {
            Carry(decider.OnTime(due));
        }
        now = at;
    }
    void Report(const HotKeyReport& report) {
        seen.push_back("report " + hotkey_test::ReportText(0, report.lParam).substr(2));
    }
    void Carry(const HeldOutcome& outcome) {
        for (const HeldStep& step : outcome.steps) {
            switch (step.kind) {
                case HeldStep::kModifiersDown:
                    seen.push_back(ModifierNames(step.modifiers) + " down");
                    break;
                case HeldStep::kModifiersUp:
                    seen.push_back(ModifierNames(step.modifiers) + " up");
                    break;
                case HeldStep::kReport:
                    Report(step.report);
                    break;
                case HeldStep::kReplay:
                    seen.push_back(step.input.mouse ? std::string("wheel")
                                                    : KeyName(step.input.vk) +
                                                          (step.input.up ? " up" : " down"));
                    break;
            }
        }
    }

    HotKeyMatcher matcher;
    HeldModifierDecider decider;
    Seen seen;
    DWORD now = 0;
};

TEST_F(HeldModifierStory, AQuickTapIsAnOrdinaryPress) {
    Down(VK_CAPITAL, 1000);
    EXPECT_TRUE(seen.empty()) << "the choice is still open";
    Up(VK_CAPITAL, 1120);
    Clock(3000);
    EXPECT_EQ(seen, (Seen{"report down", "report up"}));
    EXPECT_EQ(decider.ModifiersDown(), 0u);
}

TEST_F(HeldModifierStory, HeldPastHoldTimeTheModifiersAreDownUntilTheRelease) {
    Down(VK_CAPITAL, 1000);
    Clock(1499);
    EXPECT_TRUE(seen.empty());
    Clock(1500);
    EXPECT_EQ(seen, (Seen{"Ctrl down"}));
    // The keyboard repeats the held key; each repeat says it is still down.
    for (DWORD at = 1500; at < 4000; at += 33) {
        Down(VK_CAPITAL, at);
        Clock(at);
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
    EXPECT_EQ(seen, (Seen{"Ctrl down", "C down", "C up"}));
    Up(VK_CAPITAL, 1130);
    EXPECT_EQ(seen, (Seen{"Ctrl down", "C down", "C up", "Ctrl up"}));
}

// Typing fast across the button: button down, key down, button up, key up.
TEST_F(HeldModifierStory, ReleasedWhileALaterKeyIsDownItIsATapAndTheKeyFollowsTheAction) {
    Down(VK_CAPITAL, 1000);
    Down('X', 1050);
    Up(VK_CAPITAL, 1080);
    EXPECT_EQ(seen, (Seen{"report down", "report up"})) << "X waits for the tap's action";
    Up('X', 1100);
    EXPECT_EQ(seen.size(), 2u) << "its release may not overtake its press";
    Carry(decider.TapActionDone());
    EXPECT_EQ(seen, (Seen{"report down", "report up", "X down", "X up"}));
    Down('Y', 1200);
    EXPECT_EQ(seen.back(), "Y down") << "nothing waits any more";
    EXPECT_EQ(decider.ModifiersDown(), 0u);
}

TEST_F(HeldModifierStory, KeysWaitingForATapsActionGoAfterHoldTimeWithoutAWord) {
    Down(VK_CAPITAL, 1000);
    Down('X', 1050);
    Up(VK_CAPITAL, 1080);
    Clock(1579);
    EXPECT_EQ(seen, (Seen{"report down", "report up"}));
    Clock(1580);
    EXPECT_EQ(seen, (Seen{"report down", "report up", "X down"}));
}

TEST_F(HeldModifierStory, AKeyStillDownAtHoldTimeIsDeliveredAfterTheModifiers) {
    Down(VK_CAPITAL, 1000);
    Down('S', 1100);
    Down('S', 1400);  // already repeating
    Clock(1500);
    EXPECT_EQ(seen, (Seen{"Ctrl down", "S down", "S down"}));
    Up('S', 1600);
    Up(VK_CAPITAL, 1700);
    EXPECT_EQ(seen, (Seen{"Ctrl down", "S down", "S down", "S up", "Ctrl up"}));
}

TEST_F(HeldModifierStory, AWheelTurnUnderTheHeldSideButtonComesAfterTheModifiers) {
    Down(kSide, 1000);
    Wheel(1100);
    EXPECT_EQ(seen, (Seen{"Ctrl down", "wheel"}));
    Wheel(1150);
    Up(kSide, 1300);
    EXPECT_EQ(seen, (Seen{"Ctrl down", "wheel", "wheel", "Ctrl up"}));
}

TEST_F(HeldModifierStory, ALostReleaseOfAKeyEndsTheHoldWhenItsRepeatsStop) {
    Down(VK_CAPITAL, 1000);
    Clock(1500);
    Down(VK_CAPITAL, 1520);
    Clock(2270);
    EXPECT_EQ(decider.ModifiersDown(), static_cast<UINT>(MOD_CONTROL)) << "within the window";
    Clock(2300);
    EXPECT_EQ(seen, (Seen{"Ctrl down", "Ctrl up"}));
    // A side button does not repeat: its hold lasts until it is released.
    seen.clear();
    Down(kSide, 5000);
    Clock(60000);
    EXPECT_EQ(seen, (Seen{"Ctrl down"}));
}

TEST_F(HeldModifierStory, ANewPressAfterALostReleaseEndsTheOldHoldFirst) {
    Down(VK_CAPITAL, 1000);
    Clock(1500);
    Down(VK_CAPITAL, 9000);  // the release happened where the hook could not see it
    Up(VK_CAPITAL, 9050);
    EXPECT_EQ(seen, (Seen{"Ctrl down", "Ctrl up", "report down", "report up"}));
}

TEST_F(HeldModifierStory, ACtrlTheUserHoldsIsNotReleasedUnderTheirFinger) {
    Down(VK_LCONTROL, 900);
    Down(kSide, 1000);
    Wheel(1100);
    Up(kSide, 1200);
    EXPECT_EQ(seen, (Seen{"LCtrl down", "Ctrl down", "wheel"}));
    Up(VK_LCONTROL, 1300);
    EXPECT_EQ(seen.back(), "LCtrl up");
}

TEST_F(HeldModifierStory, AnotherButtonKeepsItsOwnMeaningWhileTheChoiceIsOpen) {
    decider.SetButton(VK_PAUSE, MOD_SHIFT);
    Down(VK_CAPITAL, 1000);
    Down(VK_PAUSE, 1050);
    Up(VK_PAUSE, 1080);
    EXPECT_EQ(seen, (Seen{"report down", "report up"})) << "Pause, reported at once";
    Up(VK_CAPITAL, 1100);
    EXPECT_EQ(seen, (Seen{"report down", "report up", "report down", "report up"}));
}

TEST_F(HeldModifierStory, InjectedKeysAreNoTypingButAnInjectedButtonIsPressed) {
    Down(VK_CAPITAL, 1000, LLKHF_INJECTED);
    Down('I', 1010, LLKHF_INJECTED);
    Up('I', 1020, LLKHF_INJECTED);
    EXPECT_EQ(seen, (Seen{"I down", "I up"})) << "another program's keys pass at once";
    Up(VK_CAPITAL, 1030, LLKHF_INJECTED);
    EXPECT_EQ(seen, (Seen{"I down", "I up", "report down", "report up"}));
}

TEST_F(HeldModifierStory, AKeyPressedBeforeTheButtonIsReleasedFreely) {
    Down('A', 900);
    Down(VK_CAPITAL, 1000);
    Up('A', 1020);
    Up(VK_CAPITAL, 1060);
    EXPECT_EQ(seen, (Seen{"A down", "A up", "report down", "report up"}));
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
    Carry(decider.HoldFor(MOD_SHIFT | MOD_CONTROL));
    Carry(decider.ReleaseAll());
    EXPECT_EQ(seen, (Seen{"Ctrl down", "Shift down", "Shift+Ctrl up"}));
    EXPECT_EQ(decider.ModifiersDown(), 0u);
    Up(kSide, 2600);
    EXPECT_EQ(seen.back(), "report up") << "a stray release harms no one";
}

TEST_F(HeldModifierStory, ModifiersHeldTwiceGoUpOnlyWithTheirLastHolder) {
    Down(kSide, 1000);
    Clock(1500);
    Carry(decider.HoldFor(MOD_CONTROL | MOD_ALT));
    Up(kSide, 1600);
    Carry(decider.LetGo());
    EXPECT_EQ(seen, (Seen{"Ctrl down", "Alt down", "Ctrl+Alt up"}));
}

}  // namespace
