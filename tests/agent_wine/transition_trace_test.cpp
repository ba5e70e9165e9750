// The labels the classifier passes to the trace, each in its place among the timer calls
// and the action of its transition.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent/agent_state.h"
#include "agent/button_table.h"
#include "agent/classifier.h"
#include "agent/executor.h"
#include "support/press_state.h"
#include "support/recording_os.h"

using namespace kestrel;
using ::testing::ElementsAre;

namespace {

HWND const kWindow = reinterpret_cast<HWND>(0x4242);
constexpr LPARAM kKeyUp = 0x1000;

class TransitionTraceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::ResetPressState(kWindow);
        Button(0, true, true, L"#S#");    // timed: double and hold on
        Button(1, false, false, L"#P#");  // plain
        Button(2, false, true, L"#Q#");   // hold only
    }
    void TearDown() override {
        buttonTable.clear();
        agentWindow = nullptr;
    }

    static void Button(int id, bool doubleOn, bool holdOn, const wchar_t* single) {
        ButtonBinding binding = MakeBinding(L"40C1");
        binding.enabled = 1;
        binding.hotKeyId = id;
        binding.slots[kPressDouble].enabled = doubleOn;
        binding.slots[kPressHold].enabled = holdOn;
        SetSlot(binding, kPressSingle, kActionKeySequence, single);
        SetSlot(binding, kPressDouble, kActionKeySequence, L"#D#");
        SetSlot(binding, kPressHold, kActionKeySequence, L"#H#");
        buttonTable.push_back(binding);
    }

    // The calls since the last look: trace lines shortened to their message, actions to
    // the key they type.
    std::vector<std::string> Since() {
        std::vector<std::string> seen;
        for (const std::string& call : os.calls) {
            const std::string trace = "OutputDebugString(";
            if (call.rfind(trace, 0) == 0) {
                // "yyyy/MM/dd HH:mm:ss " comes first, "\n)" last.
                seen.push_back("trace " +
                               call.substr(trace.size() + 20, call.size() - trace.size() - 22));
            } else if (call.rfind("key(", 0) == 0) {
                if (call.find(", 0, 1)") != std::string::npos) {
                    seen.push_back("action " + call.substr(4, call.find(',') - 4));
                }
            } else if (call.rfind("SendKeyEvents(", 0) != 0) {
                seen.push_back(call);
            }
        }
        os.calls.clear();
        return seen;
    }

    testing_support::RecordingOs os;
};

TEST_F(TransitionTraceTest, APressReleasedAndNotRepeatedIsProc3Proc2Proc5) {
    HandleHotKey(0, 0);
    EXPECT_THAT(Since(), ElementsAre("trace PROC3", "SetTimer(1025, 500)"));
    HandleHotKey(0, kKeyUp);
    EXPECT_THAT(Since(), ElementsAre("trace PROC2", "KillTimer(1025)", "SetTimer(1025, 150)"));
    HandlePressTimer();
    EXPECT_THAT(Since(), ElementsAre("trace PROC5", "KillTimer(1025)", "action 83"));
}

TEST_F(TransitionTraceTest, ADoublePressEndsWithProc4AndAHoldWithProc6) {
    HandleHotKey(0, 0);
    HandleHotKey(0, kKeyUp);
    Since();
    HandleHotKey(16, 0);
    EXPECT_THAT(Since(), ElementsAre("trace PROC4", "KillTimer(1025)", "action 68"));

    HandleHotKey(32, 0);
    Since();
    HandlePressTimer();
    EXPECT_THAT(Since(), ElementsAre("trace PROC6", "KillTimer(1025)", "action 72"));
}

TEST_F(TransitionTraceTest, ReleaseOfAButtonWithoutDoubleIsProc1AndThePlainPressHasNoLabel) {
    HandleHotKey(2, 0);
    Since();
    HandleHotKey(2, kKeyUp);
    EXPECT_THAT(Since(), ElementsAre("trace PROC1", "KillTimer(1025)", "action 81"));

    HandleHotKey(1, 0);
    HandleHotKey(1, kKeyUp);
    EXPECT_THAT(Since(), ElementsAre("action 80"));
}

TEST_F(TransitionTraceTest, TheStandardButtonReplayTracesItsIdAndKey) {
    SetSlot(*FindBindingById(2), kPressSingle, kActionStandardButton, L"");
    buttonTable[2].vk = 0x1C3;
    currentId = 2;

    ExecuteAction(kPressSingle);

    const std::vector<std::string> seen = Since();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), "trace ID 2 : tyoe 1c3");
}

}  // namespace
