// Buttons on desktop keys (F13-F24, browser, media and launch keys) with the real agent and
// real injected key events: such a key arrives without Win, and with Win it must act the
// same, without leaving Windows a lone Win tap. The observer's hook is older than the
// agent's, so it sees only what the agent lets through and what it injects.
#include <gtest/gtest.h>

#include <string>

#include "e2e_agent/seeded_agent_test.h"
#include "platform/hotkeys.h"

using namespace e2e_agent;

namespace {

constexpr DWORD kDoubleTime = 300;
constexpr DWORD kHoldTime = 700;

constexpr BYTE kFullKey = VK_F13;      // single "1", double "2", hold "3"
constexpr BYTE kStandardKey = VK_F14;  // its standard function
constexpr BYTE kLatchButton = 0xC2;    // a handheld button that toggles the Shift latch

class DesktopKeysTest : public SeededAgentTest {
  protected:
    void Seed() override {
        SeedTimes(kDoubleTime, kHoldTime);
        SeedButton(L"407C", {{0, kestrel::kActionKeySequence, L"#1#"},
                             {1, kestrel::kActionKeySequence, L"#2#"},
                             {2, kestrel::kActionKeySequence, L"#3#"}});
        SeedButton(L"407D", {{0, kestrel::kActionStandardButton, L""}});
        SeedButton(L"40C2", {{0, kestrel::kActionLatch, L"S"}});
    }

    // The keys the agent typed as actions (extra information 1), in order, once the story
    // has had time to end.
    std::string TypedActions() {
        Pump(kDoubleTime + kHoldTime);
        std::string typed;
        for (const KeyObserver::Event& e : observer.Events()) {
            if (!e.up && e.extra == 1 && e.vk >= '0' && e.vk <= '9') {
                typed += static_cast<char>(e.vk);
            }
        }
        return typed;
    }
    bool WaitForAction(char key) {
        return WaitUntil([&] { return observer.Find(key, false, 1); }, 3000);
    }
    int MaskTaps() { return Count(platform::kMaskKey, false, platform::kMaskExtraInfo); }

    // Single, double and hold of the F13 button, each key event with Win held around it
    // or not. (An action releases Win, so Win is pressed again for every key event.)
    void SingleDoubleAndHold(bool withWin) {
        auto down = [withWin] { withWin ? ButtonDown(kFullKey) : KeyDown(kFullKey); };
        auto up = [withWin] { withWin ? ButtonUp(kFullKey) : KeyUp(kFullKey); };
        down();
        up();
        ASSERT_TRUE(WaitForAction('1'));
        down();
        up();
        Pump(50);
        down();
        ASSERT_TRUE(WaitForAction('2'));
        up();
        Pump(kDoubleTime + 100);
        down();
        ASSERT_TRUE(WaitForAction('3'));
        up();
    }
};

TEST_F(DesktopKeysTest, BareKeyGivesSingleDoubleAndHoldWithoutAMask) {
    SingleDoubleAndHold(false);

    EXPECT_EQ(TypedActions(), "123");
    EXPECT_FALSE(observer.Saw(kFullKey)) << "the button's own key never gets through";
    EXPECT_EQ(MaskTaps(), 0);
}

TEST_F(DesktopKeysTest, WithWinHeldTheSameAndOneMaskTapPerPress) {
    SingleDoubleAndHold(true);

    EXPECT_EQ(TypedActions(), "123");
    EXPECT_FALSE(observer.Saw(kFullKey));
    EXPECT_EQ(MaskTaps(), 4) << "single, two of the double, hold";
    EXPECT_EQ(Count(platform::kMaskKey, true, platform::kMaskExtraInfo), 4);
}

TEST_F(DesktopKeysTest, ShiftLatchSetTheKeyStillRunsItsAction) {
    ButtonDown(kLatchButton);
    ButtonUp(kLatchButton);
    // The latch's last key: Ctrl pressed and released again after Shift went down.
    ASSERT_TRUE(
        WaitUntil([&] { return observer.Find(VK_CONTROL, true, 1) && KeyIsDown(VK_SHIFT); }, 3000))
        << "the latch holds Shift";
    ASSERT_EQ(MaskTaps(), 1) << "the latch button's press under Win";

    Tap(kFullKey);

    EXPECT_TRUE(WaitForAction('1'));
    EXPECT_EQ(MaskTaps(), 1);
    ButtonDown(kLatchButton);  // the latch off again
    ButtonUp(kLatchButton);
    EXPECT_TRUE(WaitUntil([] { return !KeyIsDown(VK_SHIFT); }, 3000));
}

TEST_F(DesktopKeysTest, StandardFunctionPassesTheBareKeyAndOtherKeysPassUntouched) {
    Tap(kStandardKey);
    ASSERT_TRUE(WaitUntil([&] { return Count(kStandardKey, true, 0) >= 1; }, 3000));
    Tap(VK_F12);
    Tap('Q');
    Pump(kDoubleTime + 200);

    // The user's own key-up may follow the replay once the key is the agent's again; it
    // passes as a stray release.
    EXPECT_EQ(Count(kStandardKey, false, 0), 1) << "one replayed key-down, the press swallowed";
    EXPECT_FALSE(observer.Saw(VK_LWIN)) << "no Win around the replay";
    for (BYTE key : {static_cast<BYTE>(VK_F12), static_cast<BYTE>('Q')}) {
        EXPECT_EQ(Count(key, false, 0), 1);
        EXPECT_EQ(Count(key, true, 0), 1);
    }
    EXPECT_EQ(TypedActions(), "");
    EXPECT_EQ(MaskTaps(), 0);
}

}  // namespace
