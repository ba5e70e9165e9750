// Real key events of configured buttons, injected the way the device reports them (the
// Windows key held with the button's key), and what the real agent makes of them. The
// observer's hook is older than the agent's, so it sees only what the agent lets through
// and the keys the agent types.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e_agent/seeded_agent_test.h"

using namespace e2e_agent;
using kestrel::kActionKeySequence;
using kestrel::kActionProgram;
using kestrel::kActionStandardButton;

namespace {

// Long enough that a loaded machine, which may stall a test for a good part of a second
// between two key events, still makes the press the test means.
constexpr DWORD kDoubleTime = 1000;
constexpr DWORD kHoldTime = 2000;
constexpr double kEarly = 20;   // timer granularity
constexpr double kLate = 1500;  // a loaded machine

constexpr BYTE kFullButton = 0xC1;    // single "1", double "2", hold "3"
constexpr BYTE kSingleButton = 0xC2;  // single "4" only
constexpr BYTE kProgramButton = 0xC3;
constexpr BYTE kStandardButton = 0xC4;

class ButtonPressTest : public SeededAgentTest {
  protected:
    void Seed() override {
        launched = folder.CopyProof(L"launched.exe");
        SeedTimes(kDoubleTime, kHoldTime);
        SeedButton(L"40C1", {{0, kActionKeySequence, L"#1#"},
                             {1, kActionKeySequence, L"#2#"},
                             {2, kActionKeySequence, L"#3#"}});
        SeedButton(L"40C2", {{0, kActionKeySequence, L"#4#"}});
        SeedButton(L"40C3", {{0, kActionProgram, launched}});
        SeedButton(L"40C4", {{0, kActionStandardButton, L""}});
    }

    // Waits for the agent to type `key`; its moment, or a negative value when it did not.
    double Typed(char key, DWORD ms = kPatience) {
        KeyObserver::Event event = {};
        if (!WaitUntil([&] { return observer.Find(key, false, 1, &event); }, ms)) {
            return -1;
        }
        return event.ms;
    }
    // Replays of the standard button as the system sees them: its key with the Windows key
    // held, among the Windows and button keys that got past the agent.
    int Replays() {
        std::vector<std::pair<DWORD, bool>> sequence;
        for (const KeyObserver::Event& e : observer.Events()) {
            if (e.vk == kStandardButton || e.vk == VK_LWIN) {
                sequence.emplace_back(e.vk, e.up);
            }
        }
        const std::vector<std::pair<DWORD, bool>> replay = {{VK_LWIN, true},
                                                            {VK_LWIN, false},
                                                            {kStandardButton, false},
                                                            {kStandardButton, true},
                                                            {VK_LWIN, true}};
        int count = 0;
        for (auto at = sequence.begin();
             (at = std::search(at, sequence.end(), replay.begin(), replay.end())) != sequence.end();
             ++at) {
            ++count;
        }
        return count;
    }
    int ReplayedDowns(BYTE vk) {
        int count = 0;
        for (const KeyObserver::Event& e : observer.Events()) {
            count += e.vk == vk && !e.up;
        }
        return count;
    }
    int TimesTyped(char key) { return Count(static_cast<DWORD>(key), false, 1); }

    std::wstring launched;
};

TEST_F(ButtonPressTest, SinglePressRunsOnceTheDoubleTimeAfterTheReleaseHasPassed) {
    ButtonDown(kFullButton);
    Pump(50);
    const double released = NowMs();
    ButtonUp(kFullButton);

    const double typed = Typed('1');
    ASSERT_GT(typed, 0) << "no single press";
    EXPECT_GE(typed - released, kDoubleTime - kEarly);
    EXPECT_LT(typed - released, kDoubleTime + kLate);
    Pump(kHoldTime);
    EXPECT_EQ(TimesTyped('1'), 1);
    EXPECT_EQ(TimesTyped('2') + TimesTyped('3'), 0);
    EXPECT_FALSE(observer.Saw(kFullButton)) << "the button's own key never gets through";
    EXPECT_TRUE(observer.Find(VK_LWIN, false, 0)) << "the Windows key itself passes";
}

TEST_F(ButtonPressTest, DoublePressRunsAtTheSecondKeyDown) {
    ButtonDown(kFullButton);
    Pump(50);
    ButtonUp(kFullButton);
    Pump(100);
    const double secondDown = NowMs();
    ButtonDown(kFullButton);

    const double typed = Typed('2');
    ASSERT_GT(typed, 0) << "no double press";
    EXPECT_LT(typed - secondDown, kDoubleTime - 100) << "at the key-down, not after a wait";
    ButtonUp(kFullButton);
    Pump(kHoldTime + 200);
    EXPECT_EQ(TimesTyped('2'), 1);
    EXPECT_EQ(TimesTyped('1') + TimesTyped('3'), 0);
}

TEST_F(ButtonPressTest, HoldRunsOnceTheHoldTimeHasPassedWhileTheButtonIsDown) {
    const double down = NowMs();
    ButtonDown(kFullButton);

    const double typed = Typed('3');
    ASSERT_GT(typed, 0) << "no hold";
    EXPECT_GE(typed - down, kHoldTime - kEarly);
    EXPECT_LT(typed - down, kHoldTime + kLate);
    ButtonUp(kFullButton);
    Pump(kDoubleTime + 200);
    EXPECT_EQ(TimesTyped('3'), 1);
    EXPECT_EQ(TimesTyped('1') + TimesTyped('2'), 0);
}

TEST_F(ButtonPressTest, ButtonWithoutDoubleAndHoldRunsAtTheKeyDown) {
    const double down = NowMs();
    ButtonDown(kSingleButton);

    const double typed = Typed('4');
    ASSERT_GT(typed, 0);
    EXPECT_LT(typed - down, kDoubleTime - 100) << "at the key-down, not after a wait";
    ButtonUp(kSingleButton);
    Pump(kHoldTime);
    EXPECT_EQ(TimesTyped('4'), 1);
}

TEST_F(ButtonPressTest, ProgramAssignmentStartsTheProgram) {
    ButtonDown(kProgramButton);
    ButtonUp(kProgramButton);

    EXPECT_TRUE(WaitUntil([&] { return StartsRecorded(launched) == 1; }));
}

// The replay comes at the key-down; the test lets go of the button only after it, so that
// its own release cannot land amid the replayed keys.
TEST_F(ButtonPressTest, StandardFunctionIsReplayedPastTheAgentOncePerPress) {
    for (int press = 1; press <= 2; ++press) {
        ButtonDown(kStandardButton);
        EXPECT_TRUE(WaitUntil([&] { return Replays() >= press; }))
            << "the button's key with the Windows key held, as the system sees it";
        ButtonUp(kStandardButton);
        Pump(300);  // time for a second replay, which must not come
        EXPECT_EQ(ReplayedDowns(kStandardButton), press)
            << "exactly one replayed key-down per press";
    }
}

TEST_F(ButtonPressTest, ReleasedButtonPassesThroughUntilItIsRestored) {
    SendTo(window, kestrel::MSG_RELEASE_TEMP, kSingleButton);
    ButtonDown(kSingleButton);
    ButtonUp(kSingleButton);
    EXPECT_TRUE(WaitUntil([&] { return observer.Find(kSingleButton, false, 0); }));
    EXPECT_TRUE(WaitUntil([&] { return observer.Find(kSingleButton, true, 0); }));
    Pump(300);  // time for an action, which must not come
    EXPECT_EQ(TimesTyped('4'), 0);
    EXPECT_TRUE(CombinationsFree(kSingleButton));

    SendTo(window, kestrel::MSG_RESTORE_TEMP, kSingleButton);
    observer.Clear();
    ButtonDown(kSingleButton);
    ButtonUp(kSingleButton);
    EXPECT_GT(Typed('4'), 0);
    EXPECT_FALSE(observer.Saw(kSingleButton));
}

}  // namespace
