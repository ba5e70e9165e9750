// Stories of presses that belong to programs, on a fake clock: the choice made at a
// press's first down, kept through its repeats, its release and its second press, and the
// pause.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hotkey_matcher.h"
#include "platform/hotkey_test_keys.h"
#include "platform/hotkeys.h"
#include "platform/press_rules.h"

using namespace platform;
using hotkey_test::kControl;
using hotkey_test::kPlain;
using hotkey_test::kShift;

namespace {

const HWND kAgent = reinterpret_cast<HWND>(0x100);
const HWND kOther = reinterpret_cast<HWND>(0x200);
constexpr UINT kBack = VK_F13;    // on everywhere, own assignments in the browser
constexpr UINT kSpare = VK_F14;   // off globally, on in the browser only
constexpr UINT kPauser = VK_F15;  // carries the pause globally
constexpr DWORD kDoubleMs = 150;

const std::wstring kBrowser = L"browser.exe";  // program 1
const std::wstring kEditor = L"editor.exe";    // no settings at all
const std::wstring kGame = L"game.exe";        // program 2, Off
const std::wstring kDrawing = L"drawing.exe";  // program 3, the back button off

using Said = std::vector<std::string>;

// A report as the window reads it: "id down", with "in N" where a program's slots apply.
Said Reports(const KeyDecision& decision) {
    Said out;
    for (int i = 0; i < decision.reportCount; ++i) {
        const WPARAM wParam = ReportWParam(decision.reports[i]);
        std::string text = hotkey_test::ReportText(ReportedId(wParam), decision.reports[i].lParam);
        if (ReportedProgram(wParam) != 0) {
            text += " in " + std::to_string(ReportedProgram(wParam));
        }
        out.push_back(text);
    }
    return out;
}

PressRules DesktopRules(bool paused = false) {
    PressRules rules;
    rules.paused = paused;
    rules.doubleTimeMs = kDoubleMs;
    rules.global = {{kBack, true, false}, {kSpare, false, false}, {kPauser, true, true}};
    rules.programs = {
        {kBrowser, false, {{kBack, true, false, true}, {kSpare, true, false, false}}},
        {kGame, true, {}},
        {kDrawing, false, {{kBack, false, false}}},
    };
    return rules;
}

class ProgramRulesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        matcher.SetRepeatWindow(750);
        for (UINT vk : {kBack, kSpare, kPauser}) {
            const int base = static_cast<int>(vk - kBack);
            matcher.Add(kAgent, base, kPlain, vk);
            matcher.Add(kAgent, base + 16, kShift, vk);
            matcher.Add(kAgent, base + 32, kControl, vk);
        }
        matcher.SetRules(kAgent, DesktopRules());
    }
    KeyDecision Down(UINT vk, DWORD at, const std::wstring& program) {
        return matcher.Handle({vk, false, at}, 0, {}, program);
    }
    KeyDecision Up(UINT vk, DWORD at) { return matcher.Handle({vk, true, at}, 0, {}); }

    HotKeyMatcher matcher;
};

TEST_F(ProgramRulesTest, TheProgramAtTheDownChoosesTheAssignmentsOrLetsThePressPass) {
    EXPECT_EQ(Reports(Down(kBack, 1000, kBrowser)), (Said{"0 down in 1"}));
    EXPECT_EQ(Reports(Up(kBack, 1100)), (Said{"0 up in 1"}));

    EXPECT_EQ(Reports(Down(kBack, 2000, kEditor)), (Said{"0 down"}));
    EXPECT_EQ(Reports(Up(kBack, 2100)), (Said{"0 up"}));

    // A program whose name could not be read has the global assignments.
    EXPECT_EQ(Reports(Down(kBack, 3000, L"")), (Said{"0 down"}));
    Up(kBack, 3100);

    for (const std::wstring& passing : {kGame, kDrawing}) {
        const KeyDecision down = Down(kBack, 4000, passing);
        EXPECT_FALSE(down.swallow);
        EXPECT_EQ(down.reportCount, 0);
        const KeyDecision up = Up(kBack, 4100);
        EXPECT_FALSE(up.swallow);
        EXPECT_EQ(up.reportCount, 0);
    }
}

TEST_F(ProgramRulesTest, AButtonOffGloballyWorksOnlyInTheProgramThatSwitchesItOn) {
    EXPECT_EQ(Reports(Down(kSpare, 1000, kBrowser)), (Said{"1 down in 1"}));
    EXPECT_TRUE(Up(kSpare, 1100).swallow);

    const KeyDecision elsewhere = Down(kSpare, 2000, kEditor);
    EXPECT_FALSE(elsewhere.swallow);
    EXPECT_EQ(elsewhere.reportCount, 0);
    EXPECT_FALSE(Up(kSpare, 2100).swallow);
}

TEST_F(ProgramRulesTest, AFocusChangeMidPressChangesNothingForTheHoldOrTheRelease) {
    Down(kBack, 1000, kBrowser);
    // Held: the keyboard repeats it while the game comes to the front.
    for (DWORD at = 1500; at <= 2500; at += 50) {
        const KeyDecision repeat = Down(kBack, at, kGame);
        EXPECT_TRUE(repeat.swallow);
        EXPECT_EQ(repeat.reportCount, 0);
    }
    const KeyDecision up = Up(kBack, 2600);
    EXPECT_TRUE(up.swallow);
    EXPECT_EQ(Reports(up), (Said{"0 up in 1"}));

    // The other way round: a press the game let pass stays passing in the browser.
    EXPECT_FALSE(Down(kBack, 5000, kGame).swallow);
    for (DWORD at = 5500; at <= 6000; at += 50) {
        EXPECT_FALSE(Down(kBack, at, kBrowser).swallow);
    }
    EXPECT_FALSE(Up(kBack, 6100).swallow);
    // Its next press is judged afresh.
    EXPECT_EQ(Reports(Down(kBack, 7000, kBrowser)), (Said{"0 down in 1"}));
}

TEST_F(ProgramRulesTest, ASecondPressWithinTheDoubleTimeBelongsToTheFirstPresssProgram) {
    Down(kBack, 1000, kBrowser);
    Up(kBack, 1050);
    EXPECT_EQ(Reports(Down(kBack, 1050 + kDoubleMs, kGame)), (Said{"0 down in 1"}));
    EXPECT_EQ(Reports(Up(kBack, 1250)), (Said{"0 up in 1"}));

    // Later than that it is a new press of whatever program is in front.
    EXPECT_EQ(Reports(Down(kBack, 1250 + kDoubleMs + 1, kEditor)), (Said{"0 down"}));
    Up(kBack, 1500);
    EXPECT_FALSE(Down(kBack, 2000, kGame).swallow);
    Up(kBack, 2100);

    // Where the first press's assignments have no double press, nothing waits for a second:
    // the next down, however soon, is a press of the program in front.
    Down(kSpare, 3000, kBrowser);
    Up(kSpare, 3050);
    EXPECT_FALSE(Down(kSpare, 3100, kEditor).swallow);
}

TEST_F(ProgramRulesTest, AMouseButtonsSecondDownIsANewPressEvenWhileItsFirstPassed) {
    matcher.Add(kAgent, 3, kPlain, VK_XBUTTON1);
    PressRules rules = DesktopRules();
    rules.global.push_back({VK_XBUTTON1, true, false});
    matcher.SetRules(kAgent, rules);

    EXPECT_FALSE(Down(VK_XBUTTON1, 1000, kGame).swallow);
    EXPECT_EQ(Reports(Down(VK_XBUTTON1, 1100, kEditor)), (Said{"3 down"}));
    EXPECT_TRUE(Up(VK_XBUTTON1, 1200).swallow);
}

TEST_F(ProgramRulesTest, PausedEveryButtonPassesButTheOneThatResumes) {
    matcher.SetRules(kAgent, DesktopRules(true));
    for (const std::wstring& program : {kBrowser, kEditor}) {
        EXPECT_FALSE(Down(kBack, 1000, program).swallow);
        EXPECT_FALSE(Up(kBack, 1100).swallow);
    }
    EXPECT_EQ(Reports(Down(kPauser, 2000, kEditor)), (Said{"2 down"}));
    EXPECT_EQ(Reports(Up(kPauser, 2100)), (Said{"2 up"}));
    // A program that wants to be left alone is left alone, pause button and all.
    EXPECT_FALSE(Down(kPauser, 3000, kGame).swallow);
    Up(kPauser, 3100);

    matcher.SetRules(kAgent, DesktopRules(false));
    EXPECT_EQ(Reports(Down(kBack, 4000, kEditor)), (Said{"0 down"}));
}

TEST_F(ProgramRulesTest, ThePausedSystemReportOfAKeyTheHookDidNotSeeIsDropped) {
    matcher.Add(kAgent, 40, kPlain, VK_F16, 7);
    PressRules rules = DesktopRules(true);
    rules.global.push_back({VK_F16, true, false});
    matcher.SetRules(kAgent, rules);
    bool known = false;
    EXPECT_EQ(matcher.SystemReport(7, 1000, &known).reportCount, 0);
    EXPECT_TRUE(known);

    rules.paused = false;
    matcher.SetRules(kAgent, rules);
    EXPECT_EQ(Reports(matcher.SystemReport(7, 5000, &known)), (Said{"40 down", "40 up"}));
}

TEST_F(ProgramRulesTest, OnlyAButtonsDownOfTheRulesWindowNeedsTheProgram) {
    matcher.Add(kOther, 9, kPlain, VK_F17);
    EXPECT_TRUE(matcher.NeedsProgram({kBack, false, 1000}));
    EXPECT_FALSE(matcher.NeedsProgram({kBack, true, 1000}));
    EXPECT_FALSE(matcher.NeedsProgram({'A', false, 1000}));
    EXPECT_FALSE(matcher.NeedsProgram({VK_F17, false, 1000}));
    // Another window's key is taken wherever it is pressed.
    EXPECT_EQ(Reports(Down(VK_F17, 1000, kGame)), (Said{"9 down"}));

    // Rules without programs or pause are no rules: nothing is looked up, all is taken.
    matcher.SetRules(kAgent, PressRules());
    EXPECT_FALSE(matcher.NeedsProgram({kBack, false, 2000}));
    EXPECT_EQ(Reports(Down(kSpare, 2000, L"")), (Said{"1 down"}));
}

TEST(ProgramKeyTest, FileNamesAreComparedWithoutRegardToCase) {
    EXPECT_EQ(ProgramKey(L"NotePad.EXE"), L"notepad.exe");
    PressRules rules = DesktopRules();
    EXPECT_EQ(rules.Judge(kBack, ProgramKey(L"Browser.Exe")).program, 1);
}

}  // namespace
