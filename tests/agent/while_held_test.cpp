// While-held assignments in the agent: which buttons the hot-key layer is told of, and the
// modifiers the agent itself holds for a press the classifier runs, told through the agent
// window as the layer's reports reach it.
#include "agent/while_held.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "agent/agent_state.h"
#include "agent/agent_window.h"
#include "agent/button_table.h"
#include "agent/pause.h"
#include "support/button_settings.h"
#include "support/press_state.h"
#include "support/recording_os.h"
#include "support/registry.h"

using namespace kestrel;
using testing_support::SeedAppButton;
using testing_support::SeedButton;
using Calls = std::vector<std::string>;

namespace {

HWND const kWindow = reinterpret_cast<HWND>(0x4242);
constexpr LPARAM kKeyUp = kModKeyUp;

class WhileHeldTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath);
        testing_support::ResetPressState(kWindow);
        buttonTable.clear();
    }
    // The next group's agent starts from settings without while-held assignments.
    void TearDown() override {
        ReleaseEverythingHeld();
        buttonTable.clear();
        ApplyWhileHeldButtons();
        agentWindow = nullptr;
    }
    void Load() {
        ASSERT_TRUE(LoadButtons(kWindow));
        os.calls.clear();
    }
    static void Report(LPARAM lParam) { AgentWndProc(kWindow, WM_HOTKEY, 0, lParam); }
    // The calls of the layer's held modifiers only, in order.
    Calls Held() const {
        Calls held;
        std::copy_if(os.calls.begin(), os.calls.end(), std::back_inserter(held),
                     [](const std::string& call) {
                         return call.find("Modifiers") != std::string::npos ||
                                call.find("Held") != std::string::npos;
                     });
        return held;
    }

    testing_support::RecordingOs os;
};

TEST_F(WhileHeldTest, TheLayerHearsOfEnabledHoldSlotsThatNameAModifier) {
    SeedButton(L"40C1", {{kPressHold, kActionWhileHeld, L"CS"}});
    SeedButton(L"40C2", {{kPressHold, kActionWhileHeld, L"x"}});     // names nothing
    SeedButton(L"40C3", {{kPressHold, kActionWhileHeld, L"C", 0}});  // switched off
    SeedButton(L"40C4", {{kPressSingle, kActionWhileHeld, L"A"}});   // not the hold
    SeedButton(L"4013", {{kPressHold, kActionWhileHeld, L"AW"}});
    testing_support::SetDword(HKEY_CURRENT_USER, kProductKeyPath, kValueHoldTime, 700);
    ASSERT_TRUE(LoadButtons(kWindow));
    EXPECT_EQ(Held(), (Calls{"SetHeldModifierButtons(0x13:0x9 0xC1:0x6, 700, 1)"}));
}

// The programs are numbered as read: the editor 1, the terminal 2.
TEST_F(WhileHeldTest, TheLayerHearsWhatEachProgramsOwnHoldHolds) {
    SeedButton(L"40C1", {{kPressHold, kActionWhileHeld, L"C"}});
    SeedButton(L"40C2", {{kPressHold, kActionWhileHeld, L"W"}});
    testing_support::SetDword(HKEY_CURRENT_USER, testing_support::ButtonKeyPath(L"40C2"),
                              kValueEnabled, 0);
    SeedAppButton(L"editor.exe", L"40C1", 1, {{kPressHold, kActionProgram, L"notepad.exe"}});
    SeedAppButton(L"terminal.exe", L"40C1", 1, {{kPressHold, kActionWhileHeld, L"A"}});
    SeedAppButton(L"terminal.exe", L"40C2", 1, {{kPressHold, kActionWhileHeld, L"S"}});
    SeedAppButton(L"editor.exe", L"40C2", 0, {{kPressHold, kActionWhileHeld, L"S"}});  // off
    testing_support::SeedTimes(300, 700);
    ASSERT_TRUE(LoadButtons(kWindow));
    EXPECT_EQ(Held(), (Calls{"SetHeldModifierButtons(0xC1:0x2 0xC1@2:0x1 0xC2@2:0x4, 700, 1)"}));
}

TEST_F(WhileHeldTest, ASingleSlotOfAButtonWithoutDoubleAndHoldHoldsFromDownToUp) {
    SeedButton(L"40C1", {{kPressSingle, kActionWhileHeld, L"C"}});
    Load();
    Report(0);
    EXPECT_EQ(Held(), (Calls{"HoldModifiers(0x2)"}));
    Report(kKeyUp);
    EXPECT_EQ(Held(), (Calls{"HoldModifiers(0x2)", "LetGoOfModifiers()"}));
}

TEST_F(WhileHeldTest, InTheDoubleSlotItHoldsFromTheSecondDownToItsUp) {
    SeedButton(L"40C1",
               {{kPressSingle, kActionProgram, L""}, {kPressDouble, kActionWhileHeld, L"S"}});
    Load();
    Report(0);
    Report(kKeyUp);
    EXPECT_TRUE(Held().empty());
    Report(0);
    EXPECT_EQ(Held(), (Calls{"HoldModifiers(0x4)"}));
    Report(kKeyUp);
    EXPECT_EQ(Held(), (Calls{"HoldModifiers(0x4)", "LetGoOfModifiers()"}));
}

TEST_F(WhileHeldTest, ASingleSlotRunAfterTheReleaseHoldsNothing) {
    SeedButton(L"40C1",
               {{kPressSingle, kActionWhileHeld, L"C"}, {kPressHold, kActionProgram, L""}});
    Load();
    Report(0);
    Report(kKeyUp);
    EXPECT_TRUE(Held().empty());
}

TEST_F(WhileHeldTest, KeysTypedAcrossATapFollowOnlyOnceItsActionIsDone) {
    SeedButton(L"40C1",
               {{kPressSingle, kActionStandardButton, L""}, {kPressHold, kActionWhileHeld, L"C"}});
    Load();
    Report(0);
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "TapActionDone()"), 0);
    Report(kKeyUp);
    ASSERT_FALSE(os.calls.empty());
    EXPECT_EQ(os.calls.back(), "TapActionDone()");
    EXPECT_NE(std::find_if(os.calls.begin(), os.calls.end(),
                           [](const std::string& c) { return c.rfind("SendKeyEvents", 0) == 0; }),
              os.calls.end())
        << "the single replayed the button before";
}

TEST_F(WhileHeldTest, ALockedSessionAndAReloadLeaveNothingHeld) {
    SeedButton(L"40C1", {{kPressSingle, kActionWhileHeld, L"C"}});
    Load();
    Report(0);
    AgentWndProc(kWindow, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    EXPECT_EQ(Held(), (Calls{"HoldModifiers(0x2)", "ReleaseEverythingHeld()"}));
    Report(kKeyUp);
    EXPECT_EQ(Held().size(), 2u) << "its release finds nothing left to let go of";
    os.calls.clear();
    agentWindow = kWindow;
    HandleReload();
    ASSERT_FALSE(os.calls.empty());
    EXPECT_EQ(os.calls.front(), "ReleaseEverythingHeld()");
}

TEST_F(WhileHeldTest, AReloadLetsGoEvenWhenOnlyAProgramHoldsWhileHeld) {
    SeedButton(L"40C1", {{kPressHold, kActionProgram, L"notepad.exe"}});
    SeedAppButton(L"editor.exe", L"40C1", 1, {{kPressHold, kActionWhileHeld, L"C"}});
    Load();
    agentWindow = kWindow;
    HandleReload();
    ASSERT_FALSE(os.calls.empty());
    EXPECT_EQ(os.calls.front(), "ReleaseEverythingHeld()");
}

// Paused, a button that resumes is an ordinary press: its hold waits for the resume too.
TEST_F(WhileHeldTest, ThePauseLeavesNothingHeldAndHoldsNothingUntilTheResume) {
    SeedButton(L"40C1", {{kPressSingle, kActionWhileHeld, L"C"}});
    SeedButton(L"40C2",
               {{kPressSingle, kActionDeviceCommand, L"3"}, {kPressHold, kActionWhileHeld, L"S"}});
    testing_support::SeedTimes(300, 700);
    Load();
    Report(0);
    TogglePause();
    EXPECT_EQ(Held(), (Calls{"HoldModifiers(0x2)", "ReleaseEverythingHeld()",
                             "SetHeldModifierButtons(, 700, 1)"}));
    os.calls.clear();
    TogglePause();
    EXPECT_EQ(Held(), (Calls{"SetHeldModifierButtons(0xC2:0x4, 700, 1)"}));
}

}  // namespace
