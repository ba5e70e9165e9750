// The mouse hook's own life: in place only while a mouse button needs it, refused buttons
// while it cannot be installed and a word to the window each way, a hook thread that
// nothing overtakes, and a swallowed back press whose release never reaches a program
// alone, however the layer ends.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/hotkey_test_keys.h"
#include "platform/hotkeys.h"
#include "support/hook_thread.h"
#include "support/message_pump.h"  // NowMs
#include "support/older_mouse_hook.h"
#include "support/test_window.h"

using namespace platform;
using namespace hotkey_test;
using testing_support::NowMs;

namespace {

constexpr double kPatienceMs = 10000;
constexpr UINT kNoticeMessage = WM_APP + 50;
using Said = std::vector<std::string>;

// A keyboard hook newer than the layer's: it counts the layer's watch probes, which pass it
// on their way to the layer's hook.
class ProbeCounter {
  public:
    static inline std::atomic<int> probes{0};

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM message, LPARAM lParam) {
        const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (code == HC_ACTION && event.vkCode == kMaskKey && event.dwExtraInfo == kProbeExtraInfo) {
            ++probes;
        }
        return CallNextHookEx(nullptr, code, message, lParam);
    }
    testing_support::HookThread hook_{WH_KEYBOARD_LL, Hook};
};

class MouseHookTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = testing_support::MakeTestWindow(L"MouseHookTestWindow");
        ASSERT_TRUE(window);
    }
    void TearDown() override {
        test_access::RefuseMouseHook(false);
        SetHookNotice(nullptr, 0);
        for (int id : {0, 1, 2}) {
            UnregisterKeyUpHotKey(window, id);
        }
        EXPECT_EQ(KeyUpHotKeyCount(), 0);
        DestroyWindow(window);
    }

    // Every message of `message` or WM_HOTKEY posted to the window until `count` of them
    // have come, as "notice N" or a report's text.
    Said PostedUntil(size_t count, double patienceMs = kPatienceMs) {
        Said found;
        const double deadline = NowMs() + patienceMs;
        do {
            test_access::WaitForHookThread();
            MSG message;
            while (PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
                if (message.message == kNoticeMessage) {
                    found.push_back("notice " + std::to_string(message.wParam));
                } else if (message.message == WM_HOTKEY) {
                    found.push_back(ReportText(message.wParam, message.lParam));
                }
            }
        } while (found.size() < count && NowMs() < deadline && (Sleep(10), true));
        return found;
    }
    // Whether the mouse hook comes to be in place or not, as `wanted`.
    static bool MouseHookBecomes(bool wanted, double patienceMs = kPatienceMs) {
        const double deadline = NowMs() + patienceMs;
        while (test_access::MouseHookInstalled() != wanted) {
            if (NowMs() > deadline) {
                return false;
            }
            Sleep(10);
        }
        return true;
    }
    // The layer takes the back button's press, and the button stays held.
    void HoldBack() {
        ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, VK_XBUTTON1));
        mouse_event(MOUSEEVENTF_XDOWN, 0, 0, XBUTTON1, 0);
        ASSERT_EQ(PostedUntil(1), Said{"0 down"});
    }
    static void ReleaseBack() { mouse_event(MOUSEEVENTF_XUP, 0, 0, XBUTTON1, 0); }

    testing_support::ClickMarkedMouseHook programs;
    HWND window = nullptr;
};

const std::string kMissing = "notice " + std::to_string(kMouseHookMissing);
const std::string kWorks = "notice " + std::to_string(kMouseHookWorks);

TEST_F(MouseHookTest, TheMouseHookIsInPlaceOnlyWhileAMouseButtonIsRegistered) {
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));
    EXPECT_FALSE(test_access::MouseHookInstalled()) << "a key alone needs no mouse hook";

    ASSERT_TRUE(RegisterKeyUpHotKey(window, 1, kPlain, VK_MBUTTON));
    EXPECT_TRUE(test_access::MouseHookInstalled());
    Click(VK_MBUTTON);
    EXPECT_EQ(PostedUntil(2), (Said{"1 down", "1 up"}));

    ASSERT_TRUE(UnregisterKeyUpHotKey(window, 1));
    EXPECT_FALSE(test_access::MouseHookInstalled()) << "the last mouse button took it along";
    Click(VK_MBUTTON);
    EXPECT_EQ(programs.Seen(), (Said{"middle down", "middle up"}));
}

TEST_F(MouseHookTest, WithoutItsHookAMouseButtonIsRefusedAndTheWindowIsToldBothWays) {
    SetHookNotice(window, kNoticeMessage);
    test_access::RefuseMouseHook(true);
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));

    EXPECT_FALSE(RegisterKeyUpHotKey(window, 1, kPlain, VK_XBUTTON1));
    EXPECT_FALSE(RegisterKeyUpHotKey(window, 2, kShift, VK_XBUTTON1));
    EXPECT_EQ(PostedUntil(1), Said{kMissing});

    // The missing hook is retried on a timer: the mouse's moves, which no hook sees now,
    // send no probe keys through every program's hooks meanwhile.
    ProbeCounter counter;
    ProbeCounter::probes = 0;
    SetCursorPos(100, 300);
    const double movingUntil = NowMs() + 2000;  // over several looks of the watch
    while (NowMs() < movingUntil) {
        mouse_event(MOUSEEVENTF_MOVE, 2, 0, 0, 0);
        Sleep(15);
    }
    EXPECT_EQ(ProbeCounter::probes, 0);
    EXPECT_EQ(PostedUntil(1, 300), Said{}) << "the user was told once";
    Click(VK_XBUTTON1);
    EXPECT_EQ(programs.Seen(), (Said{"back down", "back up"})) << "programs still get it";

    test_access::RefuseMouseHook(false);
    EXPECT_EQ(PostedUntil(1), Said{kWorks});
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 1, kPlain, VK_XBUTTON1));
    Click(VK_XBUTTON1);
    EXPECT_EQ(PostedUntil(2), (Said{"1 down", "1 up"}));
    EXPECT_EQ(programs.Seen(), Said{});
}

// The registration stands while its hook is away: once the hook is back, the button is
// taken without registering it again.
TEST_F(MouseHookTest, AMouseHookLostForGoodIsToldAndRetriedUntilItIsBack) {
    SetHookNotice(window, kNoticeMessage);
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, VK_XBUTTON1));
    test_access::RefuseMouseHook(true);
    test_access::DropHookSilently(WH_MOUSE_LL);
    Sleep(50);  // the system's input clock moves in steps of up to 16 ms

    // Clicks the lost hook does not see, until the watch has found it gone.
    Said notices;
    const double deadline = NowMs() + kPatienceMs;
    while (notices.empty() && NowMs() < deadline) {
        Click(VK_XBUTTON1);
        notices = PostedUntil(1, 1000);
    }
    EXPECT_EQ(notices, Said{kMissing});
    programs.Seen();

    test_access::RefuseMouseHook(false);
    EXPECT_EQ(PostedUntil(1), Said{kWorks});
    Click(VK_XBUTTON1);
    EXPECT_EQ(PostedUntil(2), (Said{"0 down", "0 up"}));
    EXPECT_EQ(programs.Seen(), Said{});
}

TEST_F(MouseHookTest, TheHookThreadRunsAtTheTopOfTheNormalRange) {
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));
    EXPECT_EQ(test_access::HookThreadPriority(), THREAD_PRIORITY_TIME_CRITICAL);
}

TEST_F(MouseHookTest, ABackPressHeldAsTheLastRegistrationGoesReleasesIntoNoProgram) {
    HoldBack();
    ASSERT_TRUE(UnregisterKeyUpHotKey(window, 0));
    ASSERT_EQ(KeyUpHotKeyCount(), 0);

    ReleaseBack();
    EXPECT_EQ(programs.Seen(), Said{});
    // Well before the hook would go unreleased, however slow the machine.
    EXPECT_TRUE(MouseHookBecomes(false, 4000)) << "the hook stayed on once the release came";
    Click(VK_XBUTTON1);
    EXPECT_EQ(programs.Seen(), (Said{"back down", "back up"}));
}

TEST_F(MouseHookTest, AProgramEndingWhileABackPressIsHeldWaitsForItsRelease) {
    HoldBack();
    std::thread user([] {
        Sleep(300);  // the program has begun to end; the release only comes later
        ReleaseBack();
    });
    test_access::EndAsTheProgramEnds();
    user.join();

    EXPECT_EQ(programs.Seen(), Said{});
    EXPECT_FALSE(test_access::MouseHookInstalled());
}

TEST_F(MouseHookTest, AButtonNeverReleasedKeepsTheHookOnlyForAWhile) {
    HoldBack();
    ASSERT_TRUE(UnregisterKeyUpHotKey(window, 0));
    EXPECT_TRUE(MouseHookBecomes(false));
    ReleaseBack();
    EXPECT_EQ(programs.Seen(), (Said{"back up"})) << "too late to keep from programs";
}

}  // namespace
