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

// The releases that open every key sequence of a handheld button: the fixed code 2, then
// the Windows key.
const Calls kSequenceReleases = {"key(2, 2, 0)", "key(91, 2, 0)"};

Calls Join(Calls first, const Calls& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// One group of key events as the seam records it: the one call, then each event.
Calls Group(const Calls& keys) {
    return Join({"SendKeyEvents(" + std::to_string(keys.size()) + ")"}, keys);
}

// A standard button replayed past the agent: button 0xC5 and the Windows key released,
// then pressed and released again.
const Calls kReplay = Group({"key(197, 2, 0)", "key(91, 2, 0)", "key(91, 0, 0)", "key(197, 0, 0)",
                             "key(197, 2, 0)", "key(91, 2, 0)"});

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
        {L"#AC", {"key(17, 0, 1)", "key(65, 0, 1)", "key(65, 2, 1)", "key(17, 2, 1)"}},
        {L"#*#", {"key(13, 0, 1)", "key(13, 2, 1)"}},
        {L"#ac", {"key(17, 0, 1)", "key(97, 0, 1)", "key(97, 2, 1)", "key(17, 2, 1)"}},
        {L"#>S", {"key(16, 0, 1)", "key(39, 0, 1)", "key(39, 2, 1)", "key(16, 2, 1)"}},
        {L"#9a", {"key(18, 0, 1)", "key(57, 0, 1)", "key(57, 2, 1)", "key(18, 2, 1)"}},
        {L"#?C", {"key(17, 0, 1)", "key(17, 2, 1)"}},
        {L"#?x", {}},
        {L"#AC#V", {"key(17, 0, 1)", "key(65, 0, 1)", "key(65, 2, 1)", "key(17, 2, 1)"}},
        {L"xACxVC", {}},
        {L"xAC#VC", {"key(17, 0, 1)", "key(86, 0, 1)", "key(86, 2, 1)", "key(17, 2, 1)"}},
        {L"#&##<s#_#",
         {"key(27, 0, 1)", "key(27, 2, 1)", "key(16, 0, 1)", "key(37, 0, 1)", "key(37, 2, 1)",
          "key(16, 2, 1)", "key(32, 0, 1)", "key(32, 2, 1)"}},
        {L"", {}},
        {L"#A", {}},
    };
    for (const Case& c : cases) {
        EXPECT_THAT(Run(kActionKeySequence, c.command),
                    ElementsAreArray(Group(Join(kSequenceReleases, c.events))))
            << testing_support::RecordingOs::Narrow(c.command);
    }
    EXPECT_FALSE(shiftLatch);
    EXPECT_FALSE(ctrlLatch);
}

// A recorded combination: extended keys carry KEYEVENTF_EXTENDEDKEY (1), and every key
// is the agent's own.
TEST_F(ExecutorTest, KeySequenceTypesARecordedCombinationWithItsExtendedKeys) {
    EXPECT_THAT(Run(kActionKeySequence, L"+5B+10$25"),
                ElementsAreArray(Group(
                    Join(kSequenceReleases, {"key(91, 1, 1)", "key(16, 0, 1)", "key(37, 1, 1)",
                                             "key(37, 3, 1)", "key(16, 2, 1)", "key(91, 3, 1)"}))));
}

// The hot-key layer lets each typed key pass once: a sequence that types button C1's own
// key leaves the button's hot keys where they are.
TEST_F(ExecutorTest, KeySequenceTypingAButtonsOwnKeyLeavesItsHotKeysInPlace) {
    EXPECT_THAT(
        Run(kActionKeySequence, L"$C1"),
        ElementsAreArray(Group(Join(kSequenceReleases, {"key(193, 0, 1)", "key(193, 2, 1)"}))));
}

// On a desktop code 2 is the right mouse button's: its key-up would end a right-drag. Only
// the Win keys the user holds are let go, on either side.
TEST_F(ExecutorTest, KeySequenceOfADesktopKeyOrMouseButtonReleasesOnlyTheWinKeysHeld) {
    for (uint32_t vk : {static_cast<uint32_t>(VK_F13), static_cast<uint32_t>(VK_XBUTTON2)}) {
        buttonTable.back().vk = vk;
        os.keysDown.clear();
        EXPECT_THAT(Run(kActionKeySequence, L"#B#"),
                    ElementsAreArray(Group({"key(66, 0, 1)", "key(66, 2, 1)"})))
            << vk;
        os.keysDown = {VK_RWIN};
        EXPECT_THAT(Run(kActionKeySequence, L"#B#"),
                    ElementsAreArray(Group({"key(92, 2, 0)", "key(66, 0, 1)", "key(66, 2, 1)"})))
            << vk;
        os.keysDown = {VK_LWIN, VK_RWIN};
        EXPECT_THAT(Run(kActionKeySequence, L"#B#"),
                    ElementsAreArray(Group(
                        {"key(91, 2, 0)", "key(92, 2, 0)", "key(66, 0, 1)", "key(66, 2, 1)"})))
            << vk;
    }
}

TEST_F(ExecutorTest, KeySequenceLeavesTheLatchesAsTheyAre) {
    shiftLatch = true;
    EXPECT_THAT(
        Run(kActionKeySequence, L"#B#"),
        ElementsAreArray(Group(Join(kSequenceReleases, {"key(66, 0, 1)", "key(66, 2, 1)"}))));
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
                ElementsAreArray(Group({"key(124, 0, 0)", "key(124, 2, 0)"})));
}

// A mouse button's standard function is its click; a latch on it sends no key of its code.
TEST_F(ExecutorTest, AMouseButtonReplaysItsClickAndHasNoKeyToRelease) {
    buttonTable.back().vk = VK_XBUTTON1;
    EXPECT_THAT(Run(kActionStandardButton, L""),
                ElementsAre("SendMouseButton(5, down, 0)", "SendMouseButton(5, up, 0)"));
    EXPECT_THAT(Run(kActionLatch, L"S"),
                ElementsAreArray(Group({"key(16, 2, 0)", "key(17, 2, 0)", "key(16, 0, 1)",
                                        "key(17, 0, 1)", "key(17, 2, 1)"})));
    EXPECT_TRUE(shiftLatch);
    // A Win the user holds with the mouse button is let go, whichever side.
    os.keysDown = {VK_RWIN};
    EXPECT_THAT(
        Run(kActionLatch, L"S"),
        ElementsAreArray(Group({"key(92, 2, 0)", "key(16, 2, 0)", "key(17, 2, 0)", "key(16, 0, 1)",
                                "key(16, 2, 1)", "key(17, 0, 1)", "key(17, 2, 1)"})));
    EXPECT_FALSE(shiftLatch);
}

TEST_F(ExecutorTest, ShiftLatchStaysDownUntilTheSameActionAgain) {
    const Calls releases = {"key(197, 2, 0)", "key(91, 2, 0)", "key(16, 2, 0)", "key(17, 2, 0)"};

    EXPECT_THAT(Run(kActionLatch, L"S"),
                ElementsAreArray(
                    Group(Join(releases, {"key(16, 0, 1)", "key(17, 0, 1)", "key(17, 2, 1)"}))));
    EXPECT_TRUE(shiftLatch);
    EXPECT_FALSE(ctrlLatch);

    EXPECT_THAT(Run(kActionLatch, L"Shift"),
                ElementsAreArray(Group(Join(releases, {"key(16, 0, 1)", "key(16, 2, 1)",
                                                       "key(17, 0, 1)", "key(17, 2, 1)"}))));
    EXPECT_FALSE(shiftLatch);
}

TEST_F(ExecutorTest, CtrlLatchWorksTheSameWayAndTheLatchesAreIndependent) {
    const Calls releases = {"key(197, 2, 0)", "key(91, 2, 0)", "key(16, 2, 0)", "key(17, 2, 0)"};
    shiftLatch = true;

    EXPECT_THAT(Run(kActionLatch, L"C"),
                ElementsAreArray(Group(Join(releases, {"key(16, 0, 1)", "key(17, 0, 1)"}))));
    EXPECT_TRUE(shiftLatch);
    EXPECT_TRUE(ctrlLatch);

    Run(kActionLatch, L"C");
    EXPECT_TRUE(shiftLatch);
    EXPECT_FALSE(ctrlLatch);
}

// The system drops events meant for a window above the agent's integrity level without a
// word: nothing is sent, the latch stays, and the user learns why.
TEST_F(ExecutorTest, ALatchIsLeftAsItWasWhileAnElevatedWindowIsInFront) {
    os.foregroundElevated = true;
    EXPECT_THAT(Run(kActionLatch, L"S"),
                ElementsAre("Shell_NotifyIcon(1, id 0, flags 0x10, message 0, no icon)"));
    EXPECT_FALSE(shiftLatch);
    EXPECT_NE(std::wstring(os.lastNotifyIcon.szInfo).find(L"管理者"), std::wstring::npos);

    os.foregroundElevated = false;
    Run(kActionLatch, L"C");
    ASSERT_TRUE(ctrlLatch);
    os.foregroundElevated = true;
    os.calls.clear();
    EXPECT_FALSE(ResetLatches());
    EXPECT_TRUE(ctrlLatch) << "the latch and its key stay as they are, together";
    EXPECT_THAT(os.CallsStartingWith("SendKeyEvents"), IsEmpty());
}

TEST_F(ExecutorTest, ALatchIsLeftAsItWasWhenTheSystemTakesFewerEventsThanSent) {
    os.keysTaken = 3;
    const Calls calls = Run(kActionLatch, L"S");
    ASSERT_EQ(os.CallsStartingWith("SendKeyEvents").size(), 1u) << "one group, one call";
    EXPECT_EQ(calls.back(), "Shell_NotifyIcon(1, id 0, flags 0x10, message 0, no icon)");
    EXPECT_FALSE(shiftLatch);

    os.keysTaken = UINT_MAX;
    Run(kActionLatch, L"S");
    EXPECT_TRUE(shiftLatch);
    EXPECT_THAT(os.CallsStartingWith("Shell_NotifyIcon"), IsEmpty());
}

TEST_F(ExecutorTest, LatchCommandsNotStartingWithACapitalOnlyReapplyTheLatches) {
    const Calls releasesThenApply = {"key(197, 2, 0)", "key(91, 2, 0)", "key(16, 2, 0)",
                                     "key(17, 2, 0)",  "key(16, 0, 1)", "key(16, 2, 1)",
                                     "key(17, 0, 1)",  "key(17, 2, 1)"};
    for (const wchar_t* command : {L"s", L"c", L"", L"xS"}) {
        EXPECT_THAT(Run(kActionLatch, command), ElementsAreArray(Group(releasesThenApply)))
            << testing_support::RecordingOs::Narrow(command);
        EXPECT_FALSE(shiftLatch);
        EXPECT_FALSE(ctrlLatch);
    }
}

TEST_F(ExecutorTest, UnknownActionTypesDoNothingAtAll) {
    for (int32_t type : {6, -1, 7, INT32_MIN}) {
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
    EXPECT_THAT(typed, ElementsAre("key(51, 0, 1)", "key(51, 2, 1)", "key(50, 0, 1)",
                                   "key(50, 2, 1)", "key(49, 0, 1)", "key(49, 2, 1)"));
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
    EXPECT_THAT(os.calls, ElementsAreArray(Group({"key(16, 0, 1)", "key(16, 2, 1)", "key(17, 0, 1)",
                                                  "key(17, 2, 1)"})));
}

}  // namespace
