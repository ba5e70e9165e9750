// Presses classified on a real window with its real timer: the action comes about
// "DoubleTime" after a short press's release, about "HoldTime" after a held press began.
#include <gtest/gtest.h>

#include <vector>

#include "agent/agent_state.h"
#include "agent/button_table.h"
#include "agent/classifier.h"
#include "press_window.h"
#include "platform/os_calls.h"

using namespace kestrel;
using agent_wine::NowMs;

namespace {

constexpr LPARAM kButtonDown = MAKELPARAM(0x0008, 0xC1);
constexpr LPARAM kButtonUp = MAKELPARAM(0x1008, 0xC1);

constexpr double kEarly = 15;   // a timer may come this much early
constexpr double kLate = 1500;  // and this much late, on a loaded machine
constexpr DWORD kPatience = 10000;

// Real timers; keystrokes are only noted with their time, never sent.
class TimedKeysOs : public platform::OsCalls {
  public:
    struct Key {
        BYTE vk;
        double at;
    };
    std::vector<Key> typed;
    void keybd_event(BYTE vk, BYTE, DWORD flags, ULONG_PTR extraInfo) override {
        if (flags == 0 && extraInfo == 1) {
            typed.push_back({vk, NowMs()});
        }
    }
    UINT SendKeyEvents(const std::vector<platform::KeyStroke>& strokes) override {
        for (const platform::KeyStroke& stroke : strokes) {
            keybd_event(stroke.vk, 0, stroke.flags, stroke.extraInfo);
        }
        return static_cast<UINT>(strokes.size());
    }
};

class PressTimingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetOs(&os);
        window = agent_wine::CreatePressWindow();
        ASSERT_NE(window, nullptr);
        agentWindow = window;
        buttonTable.clear();
        currentId = 0;
        pressActive = false;
        doublePending = false;
        doubleTime = 150;
        holdTime = 500;
        ButtonBinding binding = MakeBinding(L"40C1");
        binding.enabled = 1;
        binding.hotKeyId = 0;
        binding.slots[kPressDouble].enabled = 1;
        binding.slots[kPressHold].enabled = 1;
        SetSlot(binding, kPressSingle, kActionKeySequence, L"#S#");
        SetSlot(binding, kPressDouble, kActionKeySequence, L"#D#");
        SetSlot(binding, kPressHold, kActionKeySequence, L"#H#");
        buttonTable.push_back(binding);
    }
    void TearDown() override {
        KillTimer(window, TIMER_PRESS);
        DestroyWindow(window);
        platform::SetOs(nullptr);
        buttonTable.clear();
        agentWindow = nullptr;
        pressActive = false;
        doublePending = false;
    }

    // Posts a hot-key message and waits until the classifier has taken it.
    void Post(LPARAM lParam) {
        agent_wine::lastHotKeyAt = 0;
        PostMessageW(window, WM_HOTKEY, 0, lParam);
        ASSERT_TRUE(agent_wine::PumpUntil([] { return agent_wine::lastHotKeyAt != 0; }, kPatience));
    }
    bool WaitForAction() {
        return agent_wine::PumpUntil([this] { return !os.typed.empty(); }, kPatience);
    }

    TimedKeysOs os;
    HWND window = nullptr;
};

TEST_F(PressTimingTest, AShortPressRunsSingleAboutDoubleTimeAfterTheRelease) {
    holdTime = 5000;  // however long this machine stalls the press, it stays a short one
    Post(kButtonDown);
    agent_wine::Pump(60);
    Post(kButtonUp);
    const double releasedAt = agent_wine::lastHotKeyAt;
    EXPECT_TRUE(os.typed.empty());

    ASSERT_TRUE(WaitForAction());

    ASSERT_EQ(os.typed.size(), 1u);
    EXPECT_EQ(os.typed[0].vk, 'S');
    const double after = os.typed[0].at - releasedAt;
    EXPECT_GE(after, doubleTime - kEarly);
    EXPECT_LT(after, doubleTime + kLate);
}

TEST_F(PressTimingTest, AHeldPressRunsHoldAboutHoldTimeAfterThePress) {
    Post(kButtonDown);
    const double pressedAt = agent_wine::lastHotKeyAt;

    ASSERT_TRUE(WaitForAction());
    Post(kButtonUp);
    agent_wine::Pump(300);

    ASSERT_EQ(os.typed.size(), 1u);
    EXPECT_EQ(os.typed[0].vk, 'H');
    const double after = os.typed[0].at - pressedAt;
    EXPECT_GE(after, holdTime - kEarly);
    EXPECT_LT(after, holdTime + kLate);
}

}  // namespace
