// The system's own hot keys stand for the layer's registrations across programs: a
// combination another program holds is refused, whichever way the layer would take it.
#include <gtest/gtest.h>

#include <thread>

#include "platform/hotkey_test_keys.h"
#include "platform/hotkeys.h"
#include "support/test_window.h"

using namespace platform;
using namespace hotkey_test;

namespace {

// Another program's hot key: held by a thread of its own from construction to destruction.
class HeldElsewhere {
  public:
    HeldElsewhere(UINT modifiers, UINT vk) {
        thread_ = std::thread([this, modifiers, vk] {
            held_ = ::RegisterHotKey(nullptr, 1, modifiers, vk) != FALSE;
            SetEvent(ready_);
            WaitForSingleObject(done_, 10000);
            if (held_) {
                ::UnregisterHotKey(nullptr, 1);
            }
        });
        WaitForSingleObject(ready_, 10000);
    }
    ~HeldElsewhere() {
        SetEvent(done_);
        thread_.join();
        CloseHandle(ready_);
        CloseHandle(done_);
    }
    bool Held() const { return held_; }

  private:
    HANDLE ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool held_ = false;
    std::thread thread_;
};

class ReservationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = testing_support::MakeTestWindow(L"ReservationTestWindow");
        ASSERT_TRUE(window);
    }
    void TearDown() override {
        for (int id = 0; id < 4; ++id) {
            UnregisterKeyUpHotKey(window, id);
        }
        EXPECT_EQ(KeyUpHotKeyCount(), 0);
        DestroyWindow(window);
    }
    HWND window = nullptr;
};

TEST_F(ReservationTest, ADesktopKeyAnotherProgramHoldsIsRefusedUntilItLetsGo) {
    {
        HeldElsewhere pause(0, VK_PAUSE);
        ASSERT_TRUE(pause.Held());
        EXPECT_FALSE(RegisterKeyUpHotKey(window, 0, kPlain, VK_PAUSE));
        EXPECT_EQ(KeyUpHotKeyCount(), 0);
        // Only the combination it holds: Shift with the key is free.
        EXPECT_TRUE(RegisterKeyUpHotKey(window, 1, kShift, VK_PAUSE));
    }
    EXPECT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, VK_PAUSE));
    EXPECT_EQ(KeyUpHotKeyCount(), 2);
}

TEST_F(ReservationTest, AHandheldButtonAnotherProgramHoldsIsRefused) {
    HeldElsewhere button(MOD_WIN | MOD_CONTROL, kButton);
    ASSERT_TRUE(button.Held());
    EXPECT_FALSE(RegisterKeyUpHotKey(window, 2, kControl, kButton));
    EXPECT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));
}

TEST(ReservationRefusalTest, OnlyAKeyTakenAloneOutlivesARefusalForAnotherReason) {
    EXPECT_TRUE(ReservationRefusalStands(kPlain, VK_PAUSE, ERROR_HOTKEY_ALREADY_REGISTERED));
    EXPECT_FALSE(ReservationRefusalStands(kPlain, VK_PAUSE, ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(ReservationRefusalStands(kShift, VK_F11, ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_TRUE(ReservationRefusalStands(kPlain, kButton, ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(ReservationRefusalStands(MOD_SHIFT, VK_PAUSE, ERROR_INVALID_PARAMETER));
}

}  // namespace
