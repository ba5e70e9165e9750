// The mouse's middle, back and forward buttons through the real hooks: reported as keys,
// kept from every program, replayed once, and taken again after the system dropped the
// mouse hook.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hotkey_test_keys.h"
#include "platform/hotkeys.h"
#include "support/message_pump.h"  // NowMs
#include "support/older_mouse_hook.h"
#include "support/test_window.h"

using namespace platform;
using namespace hotkey_test;
using testing_support::NowMs;

namespace {

constexpr double kPatienceMs = 10000;

using Said = std::vector<std::string>;

class MouseButtonsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = testing_support::MakeTestWindow(L"MouseButtonsTestWindow");
        ASSERT_TRUE(window);
        // The agent's registrations of a button: plain, with Shift, with Ctrl.
        ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, VK_XBUTTON1));
        ASSERT_TRUE(RegisterKeyUpHotKey(window, 16, kShift, VK_XBUTTON1));
        ASSERT_TRUE(RegisterKeyUpHotKey(window, 1, kPlain, VK_MBUTTON));
    }
    void TearDown() override {
        for (int id : {0, 16, 1}) {
            UnregisterKeyUpHotKey(window, id);
        }
        EXPECT_EQ(KeyUpHotKeyCount(), 0);
        DestroyWindow(window);
    }

    // The reports posted for the clicks so far, until there are `count` of them.
    std::vector<std::string> PostedUntil(size_t count, double patienceMs = kPatienceMs) {
        std::vector<std::string> found;
        const double deadline = NowMs() + patienceMs;
        do {
            test_access::WaitForHookThread();
            MSG message;
            while (PeekMessageW(&message, window, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
                found.push_back(ReportText(message.wParam, message.lParam));
            }
        } while (found.size() < count && NowMs() < deadline && (Sleep(10), true));
        return found;
    }

    testing_support::ClickMarkedMouseHook
        programs;  // before the layer's hook, so it sees what the layer passes
    HWND window = nullptr;
};

TEST_F(MouseButtonsTest, TakenButtonsAreReportedAsKeysAndNeverReachAProgram) {
    Click(VK_XBUTTON1);
    Click(VK_MBUTTON);
    Click(VK_XBUTTON2);  // no button

    EXPECT_EQ(programs.Seen(), (Said{"forward down", "forward up"}));
    EXPECT_EQ(PostedUntil(4), (Said{"0 down", "0 up", "1 down", "1 up"}));

    // Shift chooses the id, and Win held or not makes no difference, as for a desktop key.
    Down(VK_LSHIFT);
    Click(VK_XBUTTON1);
    Up(VK_LSHIFT);
    Down(VK_LWIN);
    Click(VK_XBUTTON1);
    Up(VK_LWIN);
    EXPECT_EQ(programs.Seen(), Said{});
    EXPECT_EQ(PostedUntil(4), (Said{"16 down", "16 up", "0 down", "0 up"}));

    // The left and right buttons are the user's, always.
    EXPECT_FALSE(RegisterKeyUpHotKey(window, 2, kPlain, VK_LBUTTON));
    EXPECT_FALSE(RegisterKeyUpHotKey(window, 3, kPlain, VK_RBUTTON));
}

TEST_F(MouseButtonsTest, AReplayedClickPassesOnceWithoutComingBack) {
    SendMouseButtonEvent(VK_XBUTTON1, false, 0);
    SendMouseButtonEvent(VK_XBUTTON1, true, 0);

    EXPECT_EQ(programs.Seen(), (Said{"back down", "back up"}));
    EXPECT_EQ(PostedUntil(1, 300), Said{});  // waits briefly for a report that must not come
    Click(VK_XBUTTON1);
    EXPECT_EQ(PostedUntil(2), (Said{"0 down", "0 up"})) << "the button is the layer's again";
}

TEST_F(MouseButtonsTest, AMouseHookTheSystemDroppedIsBackAfterClicksItMissed) {
    test_access::DropHookSilently(WH_MOUSE_LL);
    // The system's input clock moves in steps of up to 16 ms: the missed click comes later
    // than the last event the hook saw.
    Sleep(50);
    Click(VK_XBUTTON1);
    EXPECT_EQ(programs.Seen(), (Said{"back down", "back up"}));

    // The watch looks twice a second; until then the clicks go by.
    const double deadline = NowMs() + kPatienceMs;
    Said reports;
    while (reports.empty() && NowMs() < deadline) {
        Click(VK_XBUTTON1);
        reports = PostedUntil(1, 1000);
    }
    if (reports.size() == 1) {
        const Said rest = PostedUntil(1);
        reports.insert(reports.end(), rest.begin(), rest.end());
    }
    EXPECT_EQ(reports, (Said{"0 down", "0 up"}));
}

}  // namespace
