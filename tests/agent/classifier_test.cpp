#include "agent/classifier.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "agent/agent_state.h"
#include "agent/button_table.h"
#include "agent/latches.h"
#include "common/trace.h"
#include "support/press_state.h"
#include "support/recording_os.h"

using namespace kestrel;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

HWND const kWindow = reinterpret_cast<HWND>(0x4242);
constexpr LPARAM kKeyUp = 0x1000;
const char* const kSlotNames[] = {"single", "double", "hold"};

// The agent window's one timer on a clock that moves only when the story says so. Like a
// real window timer it repeats every period until it is killed. The story notes every
// timer call and every action, each with the time it happened.
class FakeClockOs : public testing_support::RecordingOs {
  public:
    DWORD now = 0;
    bool timerRunning = false;
    DWORD timerDue = 0;
    UINT timerPeriod = 0;
    std::vector<std::string> story;

    // Which action a synthesized key stands for ("A hold").
    std::map<BYTE, std::string> actionOfKey;

    // The classifier's state each time an action began.
    struct Snapshot {
        bool pressActive;
        bool doublePending;
        bool timerRunning;
    };
    std::vector<Snapshot> atAction;

    UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse) override {
        EXPECT_EQ(window, kWindow);
        Note("SetTimer(" + std::to_string(id) + ", " + std::to_string(elapse) + ")");
        timerRunning = true;
        timerDue = now + elapse;
        timerPeriod = elapse;
        return id;
    }
    BOOL KillTimer(HWND window, UINT_PTR id) override {
        EXPECT_EQ(window, kWindow);
        Note("KillTimer(" + std::to_string(id) + ")");
        timerRunning = false;
        return TRUE;
    }
    // Only the key-down that types an action's key tells the story; the releases that
    // come before every key sequence would only repeat it.
    UINT SendKeyEvents(const std::vector<platform::KeyStroke>& strokes) override {
        const UINT sent = RecordingOs::SendKeyEvents(strokes);
        for (const platform::KeyStroke& stroke : strokes) {
            auto action = actionOfKey.find(stroke.vk);
            if (stroke.flags == 0 && action != actionOfKey.end()) {
                Note(action->second);
                atAction.push_back({pressActive, doublePending, timerRunning});
            }
        }
        return sent;
    }

    void Wait(DWORD ms) {
        const DWORD until = now + ms;
        while (timerRunning && timerDue <= until) {
            now = timerDue;
            timerDue += timerPeriod;
            HandlePressTimer();
        }
        now = until;
    }

  private:
    void Note(const std::string& what) { story.push_back("@" + std::to_string(now) + " " + what); }
};

class ClassifierTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::ResetPressState(kWindow);
        shiftLatch = false;
        ctrlLatch = false;
    }
    void TearDown() override {
        buttonTable.clear();
        agentWindow = nullptr;
    }

    // A button `name` with base id `id`. Every slot types a key of its own, also when it
    // is switched off, so the story shows which slot ran even where the user would see
    // nothing; a switched-off slot is marked "(off)".
    void Button(char name, int id, bool doubleOn, bool holdOn) {
        ButtonBinding binding = MakeBinding(L"40C1");
        binding.enabled = 1;
        binding.hotKeyId = id;
        const bool on[] = {true, doubleOn, holdOn};
        for (int k = 0; k < kSlotCount; ++k) {
            const BYTE key = static_cast<BYTE>('A' + buttonTable.size() * kSlotCount + k);
            binding.slots[k].enabled = on[k] ? 1 : 0;
            SetSlot(binding, k, kActionKeySequence, std::wstring{L'#', wchar_t(key), L'#'});
            os.actionOfKey[key] =
                std::string(1, name) + " " + kSlotNames[k] + (on[k] ? "" : "(off)");
        }
        buttonTable.push_back(binding);
    }

    void Down(int32_t id) { HandleHotKey(id, 0); }
    void Up(int32_t id) { HandleHotKey(id, kKeyUp); }
    // A press of `id` released `heldMs` after its key-down.
    void Press(int32_t id, DWORD heldMs) {
        Down(id);
        Wait(heldMs);
        Up(id);
    }
    void Wait(DWORD ms) { os.Wait(ms); }

    FakeClockOs os;
};

TEST_F(ClassifierTest, ShiftAndCtrlIdsFoldOntoTheBaseIdOnce) {
    const std::pair<int32_t, int32_t> folds[] = {{0, 0},   {3, 3},   {15, 15}, {16, 0},
                                                 {19, 3},  {31, 15}, {32, 0},  {35, 3},
                                                 {47, 15}, {48, 16}, {63, 31}, {-1, -1}};
    for (const auto& [id, base] : folds) {
        EXPECT_EQ(FoldHotKeyId(id), base) << id;
    }
}

TEST_F(ClassifierTest, PressesUnderShiftOrCtrlCountAsPressesOfTheSameButton) {
    Button('A', 0, false, false);
    Button('B', 3, false, false);

    Down(19);
    EXPECT_EQ(currentId, 3);
    Down(35);
    Down(3);
    Down(16);
    EXPECT_EQ(currentId, 0);

    EXPECT_THAT(os.story, ElementsAre("@0 B single", "@0 B single", "@0 B single", "@0 A single"));
}

TEST_F(ClassifierTest, PlainButtonRunsSingleAtEachKeyDownAndNeverTimes) {
    Button('A', 0, false, false);

    Press(0, 80);
    Wait(100);
    Down(0);
    Wait(900);  // held far beyond the hold time
    Up(0);
    Wait(1000);

    EXPECT_THAT(os.story, ElementsAre("@0 A single", "@180 A single"));
    EXPECT_FALSE(pressActive);
}

TEST_F(ClassifierTest, WithDoubleOnAShortPressRunsSingleDoubleTimeAfterTheRelease) {
    Button('A', 0, true, false);

    Press(0, 80);
    EXPECT_TRUE(pressActive);
    EXPECT_TRUE(doublePending);
    Wait(1000);

    EXPECT_THAT(os.story,
                ElementsAre("@0 SetTimer(1025, 500)", "@80 KillTimer(1025)",
                            "@80 SetTimer(1025, 150)", "@230 KillTimer(1025)", "@230 A single"));
}

TEST_F(ClassifierTest, SecondKeyDownWithinDoubleTimeRunsDoubleAndItsKeyUpDoesNothing) {
    Button('A', 0, true, true);

    Press(0, 80);
    Wait(100);
    Press(0, 60);
    Wait(1000);

    EXPECT_THAT(os.story,
                ElementsAre("@0 SetTimer(1025, 500)", "@80 KillTimer(1025)",
                            "@80 SetTimer(1025, 150)", "@180 KillTimer(1025)", "@180 A double"));
}

TEST_F(ClassifierTest, WithOnlyHoldOnAShortPressRunsSingleAtTheKeyUp) {
    Button('A', 0, false, true);

    Press(0, 80);
    Wait(100);
    Press(0, 50);
    Wait(1000);

    EXPECT_THAT(os.story,
                ElementsAre("@0 SetTimer(1025, 500)", "@80 KillTimer(1025)", "@80 A single",
                            "@180 SetTimer(1025, 500)", "@230 KillTimer(1025)", "@230 A single"));
}

TEST_F(ClassifierTest, HeldPressRunsHoldAtHoldTimeAfterTheKeyDownNotAtTheRelease) {
    Button('A', 0, true, true);

    Press(0, 700);
    Wait(1000);

    EXPECT_THAT(os.story,
                ElementsAre("@0 SetTimer(1025, 500)", "@500 KillTimer(1025)", "@500 A hold"));
}

TEST_F(ClassifierTest, WithDoubleOnAndHoldOffAHeldPressRunsOnlyTheSwitchedOffHoldSlot) {
    Button('A', 0, true, false);

    Press(0, 700);
    Wait(1000);

    EXPECT_THAT(os.story,
                ElementsAre("@0 SetTimer(1025, 500)", "@500 KillTimer(1025)", "@500 A hold(off)"));
}

TEST_F(ClassifierTest, SwitchedOffSlotsAsLoadedDoNothingVisible) {
    ButtonBinding binding = MakeBinding(L"40C1");
    binding.enabled = 1;
    binding.hotKeyId = 0;
    binding.slots[kPressDouble].enabled = 1;
    buttonTable.push_back(binding);

    Press(0, 700);
    Wait(1000);

    EXPECT_THAT(os.CallsStartingWith("keybd_event"), IsEmpty());
    EXPECT_THAT(os.CallsStartingWith("ShellExecuteEx"), IsEmpty());
}

TEST_F(ClassifierTest, EachPressTimesWithTheTimesInForceWhenItStarts) {
    Button('A', 0, true, true);
    doubleTime = 300;
    holdTime = 800;

    Down(0);
    holdTime = 900;  // a reload while the button is down
    Wait(100);
    Up(0);
    Wait(1000);
    Down(0);
    Wait(2000);

    EXPECT_THAT(os.story,
                ElementsAre("@0 SetTimer(1025, 800)", "@100 KillTimer(1025)",
                            "@100 SetTimer(1025, 300)", "@400 KillTimer(1025)", "@400 A single",
                            "@1100 SetTimer(1025, 900)", "@2000 KillTimer(1025)", "@2000 A hold"));
}

TEST_F(ClassifierTest, AnotherKeyDownWhileHeldRestartsTheHoldTimeForThatButton) {
    Button('A', 0, false, true);
    Button('B', 1, true, true);

    Down(0);
    Wait(300);
    Down(0);  // the button's own repeat
    Wait(300);
    Down(1);
    Wait(1000);

    EXPECT_THAT(os.story,
                ElementsAre("@0 SetTimer(1025, 500)", "@300 SetTimer(1025, 500)",
                            "@600 SetTimer(1025, 500)", "@1100 KillTimer(1025)", "@1100 B hold"));
}

TEST_F(ClassifierTest, ATimedButtonPressedWhileAwaitingSecondRunsItsOwnDouble) {
    Button('A', 0, true, false);
    Button('B', 1, false, true);

    Press(0, 80);
    Wait(50);
    Down(1);
    Wait(1000);

    EXPECT_THAT(os.story, ElementsAre("@0 SetTimer(1025, 500)", "@80 KillTimer(1025)",
                                      "@80 SetTimer(1025, 150)", "@130 KillTimer(1025)",
                                      "@130 B double(off)"));
}

TEST_F(ClassifierTest, APlainButtonWhileAwaitingSecondLosesTheFirstAndLeavesTheTimer) {
    Button('A', 0, true, false);
    Button('B', 1, false, false);

    Press(0, 80);
    Wait(50);
    Down(1);
    EXPECT_FALSE(pressActive);
    EXPECT_FALSE(doublePending);
    Wait(1000);

    // The timer set for A fires in Idle and runs B's hold slot.
    EXPECT_THAT(os.story, ElementsAre("@0 SetTimer(1025, 500)", "@80 KillTimer(1025)",
                                      "@80 SetTimer(1025, 150)", "@130 B single",
                                      "@230 KillTimer(1025)", "@230 B hold(off)"));
}

TEST_F(ClassifierTest, AKeyUpAlwaysEndsThePressOfTheCurrentButton) {
    Button('A', 0, true, false);
    Button('B', 1, false, true);

    Down(0);
    Wait(80);
    Up(1);  // B's id, but A is current: A waits for a second press
    Wait(1000);
    Down(1);
    Wait(80);
    Up(16);  // A's Shift id, but B is current: B's single at once
    Wait(1000);

    EXPECT_THAT(os.story, ElementsAre("@0 SetTimer(1025, 500)", "@80 KillTimer(1025)",
                                      "@80 SetTimer(1025, 150)", "@230 KillTimer(1025)",
                                      "@230 A single", "@1080 SetTimer(1025, 500)",
                                      "@1160 KillTimer(1025)", "@1160 B single"));
}

TEST_F(ClassifierTest, KeyUpsWithoutAPressAreIgnoredWhateverTheirId) {
    Button('A', 0, false, true);
    currentId = 0;

    Up(0);
    Up(5);
    Up(-7);
    Wait(1000);

    EXPECT_THAT(os.story, IsEmpty());
    EXPECT_EQ(currentId, 0);
}

TEST_F(ClassifierTest, ATimerInIdleRunsTheHoldSlotOfTheCurrentButton) {
    Button('A', 0, false, false);
    Button('B', 1, false, false);
    Down(1);

    HandlePressTimer();

    EXPECT_THAT(os.story, ElementsAre("@0 B single", "@0 KillTimer(1025)", "@0 B hold(off)"));
}

TEST_F(ClassifierTest, OnlyTheKeyUpBitOfLParamTellsARelease) {
    Button('A', 0, false, true);
    const LPARAM shiftDown = MAKELPARAM(MOD_WIN | MOD_SHIFT, 0xC1);
    const LPARAM shiftUp = MAKELPARAM(0x100C, 0xC1);

    HandleHotKey(16, shiftDown);
    EXPECT_TRUE(pressActive);
    Wait(50);
    HandleHotKey(16, shiftUp);

    EXPECT_THAT(os.story,
                ElementsAre("@0 SetTimer(1025, 500)", "@50 KillTimer(1025)", "@50 A single"));
}

TEST_F(ClassifierTest, ActionsRunAfterFlagsAndTimerAreSettled) {
    Button('A', 0, true, true);
    Button('P', 1, false, false);
    Button('Q', 2, false, true);

    Down(0);  // hold
    Wait(600);
    Up(0);
    Down(0);  // single after the wait
    Up(0);
    Wait(200);
    Down(0);  // double
    Up(0);
    Down(0);
    Up(0);
    Wait(400);
    Down(1);  // immediate, while nothing is timed
    Down(2);  // single at the release
    Wait(50);
    Up(2);

    EXPECT_THAT(
        os.story,
        ElementsAre("@0 SetTimer(1025, 500)", "@500 KillTimer(1025)", "@500 A hold",
                    "@600 SetTimer(1025, 500)", "@600 KillTimer(1025)", "@600 SetTimer(1025, 150)",
                    "@750 KillTimer(1025)", "@750 A single", "@800 SetTimer(1025, 500)",
                    "@800 KillTimer(1025)", "@800 SetTimer(1025, 150)", "@800 KillTimer(1025)",
                    "@800 A double", "@1200 P single", "@1200 SetTimer(1025, 500)",
                    "@1250 KillTimer(1025)", "@1250 Q single"));
    ASSERT_EQ(os.atAction.size(), 5u);
    for (const FakeClockOs::Snapshot& at : os.atAction) {
        EXPECT_FALSE(at.pressActive);
        EXPECT_FALSE(at.doublePending);
        EXPECT_FALSE(at.timerRunning);
    }
}

TEST_F(ClassifierTest, AStaleKeyDownForAButtonNoLongerLoadedChangesNothing) {
    Button('A', 0, true, false);

    Press(0, 80);
    Wait(50);
    Down(7);
    Down(39);  // folds to 7
    EXPECT_EQ(currentId, 0);
    EXPECT_TRUE(pressActive);
    EXPECT_TRUE(doublePending);
    Wait(1000);

    EXPECT_THAT(os.story,
                ElementsAre("@0 SetTimer(1025, 500)", "@80 KillTimer(1025)",
                            "@80 SetTimer(1025, 150)", "@230 KillTimer(1025)", "@230 A single"));
}

TEST_F(ClassifierTest, IdsOutsideTheSixteenButtonsNameNoButtonEvenAnUnnumberedOne) {
    Button('A', 0, true, false);
    Button('X', kNoHotKeyId, false, false);  // disabled, never numbered
    Button('Y', 16, false, false);           // beyond the scheme

    Press(0, 80);
    Down(-1);
    Down(48);
    Down(INT32_MIN);
    EXPECT_EQ(currentId, 0);
    Wait(1000);

    EXPECT_THAT(os.story,
                ElementsAre("@0 SetTimer(1025, 500)", "@80 KillTimer(1025)",
                            "@80 SetTimer(1025, 150)", "@230 KillTimer(1025)", "@230 A single"));
}

TEST_F(ClassifierTest, AKeyUpAfterAReloadDroppedTheButtonEndsThePressQuietly) {
    Button('A', 0, false, true);

    Down(0);
    Wait(80);
    buttonTable.clear();
    Up(0);
    Wait(1000);

    EXPECT_THAT(os.story, ElementsAre("@0 SetTimer(1025, 500)", "@80 KillTimer(1025)"));
    EXPECT_FALSE(pressActive);
    EXPECT_FALSE(doublePending);
}

TEST_F(ClassifierTest, ATimerAfterAReloadDroppedTheButtonRunsNothing) {
    Button('A', 0, true, true);

    Down(0);
    buttonTable.clear();
    Wait(1000);

    EXPECT_THAT(os.story, ElementsAre("@0 SetTimer(1025, 500)", "@500 KillTimer(1025)"));
    EXPECT_THAT(os.CallsStartingWith("keybd_event"), IsEmpty());
    EXPECT_FALSE(pressActive);
}

TEST_F(ClassifierTest, AReloadDuringAPressRunsWhicheverButtonNowHoldsTheId) {
    Button('A', 0, true, true);
    Down(0);
    Wait(100);
    buttonTable.clear();
    Button('B', 0, true, true);

    Wait(1000);

    EXPECT_THAT(os.story,
                ElementsAre("@0 SetTimer(1025, 500)", "@500 KillTimer(1025)", "@500 B hold"));
}

// The agent is built with the trace off: its labels must cost nothing and read nothing.
TEST(AgentTraceTest, TraceLooksAtNeitherFormatNorArguments) {
    testing_support::RecordingOs os;
    const wchar_t* bogus = reinterpret_cast<const wchar_t*>(static_cast<uintptr_t>(1));

    Trace(L"%s %s %s", bogus, bogus, bogus);
    Trace(nullptr);

    EXPECT_THAT(os.calls, IsEmpty());
}

}  // namespace
