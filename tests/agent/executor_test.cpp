#include "agent/executor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent/agent_state.h"
#include "agent/button_table.h"
#include "agent/classifier.h"
#include "agent/latches.h"
#include "agent/pause.h"
#include "support/recording_os.h"

using namespace kestrel;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using Calls = std::vector<std::string>;

namespace {

HWND const kWindow = reinterpret_cast<HWND>(0x4242);
HINSTANCE const kInstance = reinterpret_cast<HINSTANCE>(0x400000);

// The releases that open every key sequence: the fixed code 2, then the Windows key.
const Calls kSequenceReleases = {"keybd_event(2, 0, 2, 0)", "keybd_event(91, 0, 2, 0)"};

Calls Join(Calls first, const Calls& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// A standard button replayed past the agent: button 0xC5 and the Windows key released,
// then pressed and released again.
const Calls kReplay = {"keybd_event(197, 0, 2, 0)", "keybd_event(91, 0, 2, 0)",
                       "keybd_event(91, 0, 0, 0)",  "keybd_event(197, 0, 0, 0)",
                       "keybd_event(197, 0, 2, 0)", "keybd_event(91, 0, 2, 0)"};

class ExecutorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        buttonTable.clear();
        agentWindow = kWindow;
        agentInstance = kInstance;
        shiftLatch = false;
        ctrlLatch = false;
        paused = false;
        // A second button holds the current id; its code has bits above the low byte.
        AddButton(L"40C1", 0);
        AddButton(L"4C5", 1);
        buttonTable.back().vk = 0x1C5;
        currentId = 1;
    }
    void TearDown() override {
        buttonTable.clear();
        agentWindow = nullptr;
        agentInstance = nullptr;
        shiftLatch = false;
        ctrlLatch = false;
        paused = false;
    }

    static void AddButton(const wchar_t* name, int id) {
        ButtonBinding binding = MakeBinding(name);
        binding.enabled = 1;
        binding.hotKeyId = id;
        buttonTable.push_back(binding);
    }

    // Runs `command` of `type` as the current button's single press.
    Calls Run(int32_t type, const std::wstring& command) {
        SetSlot(*FindBindingById(currentId), kPressSingle, type, command);
        os.calls.clear();
        ExecuteAction(kPressSingle);
        return os.calls;
    }

    testing_support::RecordingOs os;
};

TEST_F(ExecutorTest, ProgramStartsThePathThroughTheShell) {
    EXPECT_THAT(Run(kActionProgram, L"\\Windows\\Start Menu\\Calc.lnk"),
                ElementsAre("ShellExecuteEx(\\Windows\\Start Menu\\Calc.lnk)"));
    const SHELLEXECUTEINFOW& info = os.lastExecute;
    EXPECT_EQ(info.fMask, static_cast<ULONG>(SEE_MASK_FLAG_NO_UI));  // no box on this thread
    EXPECT_EQ(info.hwnd, kWindow);
    EXPECT_STREQ(info.lpVerb, L"open");
    ASSERT_NE(info.lpParameters, nullptr);
    EXPECT_STREQ(info.lpParameters, L"");
    EXPECT_EQ(info.lpDirectory, nullptr);
    EXPECT_EQ(info.nShow, SW_SHOW);
    EXPECT_EQ(info.hInstApp, kInstance);

    EXPECT_THAT(Run(kActionProgram, L""), IsEmpty());
}

TEST_F(ExecutorTest, DeviceCommandsReadTheCommandAsADecimalNumber) {
    // No Today window here: the desktop comes forward instead.
    const Calls today = {"FindWindow(DesktopExplorerWindow, Desktop)", "ToggleDesktop"};
    const Calls startKey = {"keybd_event(91, 0, 0, 1)", "keybd_event(91, 0, 2, 1)"};
    const Calls showPanel = {"SipGetInfo(48)", "SipShowIM(1)"};

    EXPECT_THAT(Run(kActionDeviceCommand, L"0"), ElementsAreArray(today));
    EXPECT_THAT(Run(kActionDeviceCommand, L"1"), ElementsAreArray(startKey));
    EXPECT_THAT(Run(kActionDeviceCommand, L"2"), ElementsAreArray(showPanel));
    // 3 pauses, and the same command resumes.
    Run(kActionDeviceCommand, L"3");
    EXPECT_TRUE(paused);
    Run(kActionDeviceCommand, L"3");
    EXPECT_FALSE(paused);
    EXPECT_THAT(Run(kActionDeviceCommand, L"4"), IsEmpty());
    EXPECT_THAT(Run(kActionDeviceCommand, L"-1"), IsEmpty());
    // Leading blanks and a sign are read; text without a leading digit reads as 0.
    EXPECT_THAT(Run(kActionDeviceCommand, L"  +1"), ElementsAreArray(startKey));
    EXPECT_THAT(Run(kActionDeviceCommand, L"01x"), ElementsAreArray(startKey));
    EXPECT_THAT(Run(kActionDeviceCommand, L"Today"), ElementsAreArray(today));
    EXPECT_THAT(Run(kActionDeviceCommand, L""), ElementsAreArray(today));
}

TEST_F(ExecutorTest, KeySequenceTypesEachGroupWithItsModifierAfterTheTwoReleases) {
    struct Case {
        const wchar_t* command;
        Calls events;
    } cases[] = {
        {L"#AC",
         {"keybd_event(17, 0, 0, 1)", "keybd_event(65, 0, 0, 1)", "keybd_event(65, 0, 2, 1)",
          "keybd_event(17, 0, 2, 1)"}},
        {L"#*#", {"keybd_event(13, 0, 0, 1)", "keybd_event(13, 0, 2, 1)"}},
        {L"#ac",
         {"keybd_event(17, 0, 0, 1)", "keybd_event(97, 0, 0, 1)", "keybd_event(97, 0, 2, 1)",
          "keybd_event(17, 0, 2, 1)"}},
        {L"#>S",
         {"keybd_event(16, 0, 0, 1)", "keybd_event(39, 0, 0, 1)", "keybd_event(39, 0, 2, 1)",
          "keybd_event(16, 0, 2, 1)"}},
        {L"#9a",
         {"keybd_event(18, 0, 0, 1)", "keybd_event(57, 0, 0, 1)", "keybd_event(57, 0, 2, 1)",
          "keybd_event(18, 0, 2, 1)"}},
        {L"#?C", {"keybd_event(17, 0, 0, 1)", "keybd_event(17, 0, 2, 1)"}},
        {L"#?x", {}},
        {L"#AC#V",
         {"keybd_event(17, 0, 0, 1)", "keybd_event(65, 0, 0, 1)", "keybd_event(65, 0, 2, 1)",
          "keybd_event(17, 0, 2, 1)"}},
        {L"xACxVC", {}},
        {L"xAC#VC",
         {"keybd_event(17, 0, 0, 1)", "keybd_event(86, 0, 0, 1)", "keybd_event(86, 0, 2, 1)",
          "keybd_event(17, 0, 2, 1)"}},
        {L"#&##<s#_#",
         {"keybd_event(27, 0, 0, 1)", "keybd_event(27, 0, 2, 1)", "keybd_event(16, 0, 0, 1)",
          "keybd_event(37, 0, 0, 1)", "keybd_event(37, 0, 2, 1)", "keybd_event(16, 0, 2, 1)",
          "keybd_event(32, 0, 0, 1)", "keybd_event(32, 0, 2, 1)"}},
        {L"", {}},
        {L"#A", {}},
    };
    for (const Case& c : cases) {
        EXPECT_THAT(Run(kActionKeySequence, c.command),
                    ElementsAreArray(Join(kSequenceReleases, c.events)))
            << testing_support::RecordingOs::Narrow(c.command);
    }
    EXPECT_FALSE(shiftLatch);
    EXPECT_FALSE(ctrlLatch);
}

// A recorded combination: extended keys carry KEYEVENTF_EXTENDEDKEY (1), and every key
// is the agent's own.
TEST_F(ExecutorTest, KeySequenceTypesARecordedCombinationWithItsExtendedKeys) {
    EXPECT_THAT(Run(kActionKeySequence, L"+5B+10$25"),
                ElementsAreArray(Join(kSequenceReleases,
                                      {"keybd_event(91, 0, 1, 1)", "keybd_event(16, 0, 0, 1)",
                                       "keybd_event(37, 0, 1, 1)", "keybd_event(37, 0, 3, 1)",
                                       "keybd_event(16, 0, 2, 1)", "keybd_event(91, 0, 3, 1)"})));
}

// Typed with its hot keys in place, button C1's own key would come back as its press.
TEST_F(ExecutorTest, KeySequenceTypingAButtonsOwnKeyMovesThatButtonAsideMeanwhile) {
    EXPECT_THAT(Run(kActionKeySequence, L"$C1"),
                ElementsAreArray(Join(
                    Join({"UnregisterHotKey(0)", "UnregisterHotKey(16)", "UnregisterHotKey(32)"},
                         kSequenceReleases),
                    {"keybd_event(193, 0, 0, 1)", "keybd_event(193, 0, 2, 1)",
                     "RegisterHotKey(0, 0x1008, 0xC1)", "RegisterHotKey(16, 0x100C, 0xC1)",
                     "RegisterHotKey(32, 0x100A, 0xC1)"})));
}

TEST_F(ExecutorTest, KeySequenceLeavesTheLatchesAsTheyAre) {
    shiftLatch = true;
    EXPECT_THAT(Run(kActionKeySequence, L"#B#"),
                ElementsAreArray(Join(kSequenceReleases,
                                      {"keybd_event(66, 0, 0, 1)", "keybd_event(66, 0, 2, 1)"})));
    EXPECT_TRUE(shiftLatch);
}

// The hot-key layer lets the agent's own keystrokes pass: nothing is moved out of the way,
// with or without a latch.
TEST_F(ExecutorTest, StandardButtonReplaysTheButtonWithItsHotKeysLeftInPlace) {
    EXPECT_THAT(Run(kActionStandardButton, L"ignored"), ElementsAreArray(kReplay));
    shiftLatch = true;
    ctrlLatch = true;
    EXPECT_THAT(Run(kActionStandardButton, L""), ElementsAreArray(kReplay));
}

TEST_F(ExecutorTest, StandardFunctionOfADesktopKeyPassesTheKeyOnAlone) {
    buttonTable.back().vk = VK_F13;
    EXPECT_THAT(Run(kActionStandardButton, L""),
                ElementsAre("keybd_event(124, 0, 0, 0)", "keybd_event(124, 0, 2, 0)"));
}

// A mouse button's standard function is its click; a latch on it sends no key of its code.
TEST_F(ExecutorTest, AMouseButtonReplaysItsClickAndHasNoKeyToRelease) {
    buttonTable.back().vk = VK_XBUTTON1;
    EXPECT_THAT(Run(kActionStandardButton, L""),
                ElementsAre("SendMouseButton(5, down, 0)", "SendMouseButton(5, up, 0)"));
    EXPECT_THAT(Run(kActionLatch, L"S"),
                ElementsAre("keybd_event(91, 0, 2, 0)", "keybd_event(16, 0, 2, 0)",
                            "keybd_event(17, 0, 2, 0)", "keybd_event(16, 0, 0, 1)",
                            "keybd_event(17, 0, 0, 1)", "keybd_event(17, 0, 2, 1)"));
}

TEST_F(ExecutorTest, ShiftLatchStaysDownUntilTheSameActionAgain) {
    const Calls releases = {"keybd_event(197, 0, 2, 0)", "keybd_event(91, 0, 2, 0)",
                            "keybd_event(16, 0, 2, 0)", "keybd_event(17, 0, 2, 0)"};

    EXPECT_THAT(
        Run(kActionLatch, L"S"),
        ElementsAreArray(Join(releases, {"keybd_event(16, 0, 0, 1)", "keybd_event(17, 0, 0, 1)",
                                         "keybd_event(17, 0, 2, 1)"})));
    EXPECT_TRUE(shiftLatch);
    EXPECT_FALSE(ctrlLatch);

    EXPECT_THAT(
        Run(kActionLatch, L"Shift"),
        ElementsAreArray(Join(releases, {"keybd_event(16, 0, 0, 1)", "keybd_event(16, 0, 2, 1)",
                                         "keybd_event(17, 0, 0, 1)", "keybd_event(17, 0, 2, 1)"})));
    EXPECT_FALSE(shiftLatch);
}

TEST_F(ExecutorTest, CtrlLatchWorksTheSameWayAndTheLatchesAreIndependent) {
    const Calls releases = {"keybd_event(197, 0, 2, 0)", "keybd_event(91, 0, 2, 0)",
                            "keybd_event(16, 0, 2, 0)", "keybd_event(17, 0, 2, 0)"};
    shiftLatch = true;

    EXPECT_THAT(
        Run(kActionLatch, L"C"),
        ElementsAreArray(Join(releases, {"keybd_event(16, 0, 0, 1)", "keybd_event(17, 0, 0, 1)"})));
    EXPECT_TRUE(shiftLatch);
    EXPECT_TRUE(ctrlLatch);

    Run(kActionLatch, L"C");
    EXPECT_TRUE(shiftLatch);
    EXPECT_FALSE(ctrlLatch);
}

TEST_F(ExecutorTest, LatchCommandsNotStartingWithACapitalOnlyReapplyTheLatches) {
    const Calls releasesThenApply = {"keybd_event(197, 0, 2, 0)", "keybd_event(91, 0, 2, 0)",
                                     "keybd_event(16, 0, 2, 0)",  "keybd_event(17, 0, 2, 0)",
                                     "keybd_event(16, 0, 0, 1)",  "keybd_event(16, 0, 2, 1)",
                                     "keybd_event(17, 0, 0, 1)",  "keybd_event(17, 0, 2, 1)"};
    for (const wchar_t* command : {L"s", L"c", L"", L"xS"}) {
        EXPECT_THAT(Run(kActionLatch, command), ElementsAreArray(releasesThenApply))
            << testing_support::RecordingOs::Narrow(command);
        EXPECT_FALSE(shiftLatch);
        EXPECT_FALSE(ctrlLatch);
    }
}

TEST_F(ExecutorTest, UnknownActionTypesDoNothingAtAll) {
    for (int32_t type : {5, -1, 7, INT32_MIN}) {
        EXPECT_THAT(Run(type, L"#AC"), IsEmpty()) << type;
    }
}

TEST_F(ExecutorTest, ThePressKindSelectsTheSlotWhateverItsSwitch) {
    ButtonBinding& binding = *FindBindingById(currentId);
    SetSlot(binding, kPressSingle, kActionKeySequence, L"#1#");
    SetSlot(binding, kPressDouble, kActionKeySequence, L"#2#");
    SetSlot(binding, kPressHold, kActionKeySequence, L"#3#");
    binding.slots[kPressHold].enabled = 0;

    for (int kind : {kPressHold, kPressDouble, kPressSingle}) {
        ExecuteAction(kind);
    }

    Calls typed;
    for (const std::string& call : os.calls) {
        if (call.find(", 1)") != std::string::npos) {
            typed.push_back(call);
        }
    }
    EXPECT_THAT(typed, ElementsAre("keybd_event(51, 0, 0, 1)", "keybd_event(51, 0, 2, 1)",
                                   "keybd_event(50, 0, 0, 1)", "keybd_event(50, 0, 2, 1)",
                                   "keybd_event(49, 0, 0, 1)", "keybd_event(49, 0, 2, 1)"));
}

TEST_F(ExecutorTest, NothingHappensWithoutABindingOrForAnUnknownPressKind) {
    SetSlot(*FindBindingById(currentId), kPressSingle, kActionKeySequence, L"#A#");
    os.calls.clear();

    ExecuteAction(3);
    ExecuteAction(-1);
    currentId = 9;
    ExecuteAction(kPressSingle);
    AddButton(L"40C9", kNoHotKeyId);  // disabled, never numbered
    SetSlot(buttonTable.back(), kPressSingle, kActionKeySequence, L"#A#");
    currentId = kNoHotKeyId;
    ExecuteAction(kPressSingle);
    buttonTable.clear();
    currentId = 0;
    ExecuteAction(kPressSingle);

    EXPECT_THAT(os.calls, IsEmpty());
}

TEST_F(ExecutorTest, ResetLatchesPressesAndReleasesBothEvenWhenClear) {
    ResetLatches();
    EXPECT_THAT(os.calls, ElementsAre("keybd_event(16, 0, 0, 1)", "keybd_event(16, 0, 2, 1)",
                                      "keybd_event(17, 0, 0, 1)", "keybd_event(17, 0, 2, 1)"));
}

}  // namespace
