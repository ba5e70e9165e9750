// Presses of a button under Win, injected as fast as another program may inject them: every
// press counts, Windows never sees a lone Win tap (which opens the Start menu), and no Win
// is left down.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/hotkey_test_keys.h"
#include "platform/hotkeys.h"
#include "support/hook_thread.h"
#include "support/key_settle.h"
#include "support/message_pump.h"
#include "support/test_window.h"

using namespace platform;
using namespace hotkey_test;

namespace {

constexpr DWORD kBurstGapMs = 4;

// What got past the layer, seen by an older hook on a thread of its own, as "5B down".
std::mutex& passedLock = *new std::mutex;
std::vector<std::string>& passed = *new std::vector<std::string>;

LRESULT CALLBACK RecordPassed(int code, WPARAM message, LPARAM lParam) {
    const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (code == HC_ACTION && !testing_support::IsSettleMarker(event)) {
        char line[32];
        snprintf(line, sizeof(line), "%02lX %s", event.vkCode,
                 (event.flags & LLKHF_UP) ? "up" : "down");
        std::lock_guard<std::mutex> lock(passedLock);
        passed.emplace_back(line);
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

class WinMaskTest : public ::testing::Test {
  protected:
    void SetUp() override {
        {
            std::lock_guard<std::mutex> lock(passedLock);
            passed.clear();
        }
        window = testing_support::MakeTestWindow(L"WinMaskTestWindow");
        ASSERT_TRUE(window);
        ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));  // newer than the observer
    }
    void TearDown() override {
        UnregisterKeyUpHotKey(window, 0);
        for (BYTE win : {VK_LWIN, VK_RWIN}) {
            keybd_event(win, 0, KEYEVENTF_KEYUP, 0);
        }
        DestroyWindow(window);
        testing_support::DiscardPending();
    }

    // Each press in one go, as a program that injects whole presses sends them, the next
    // press a few milliseconds later.
    static void Burst(const std::vector<std::vector<INPUT>>& presses) {
        for (std::vector<INPUT> press : presses) {
            ASSERT_EQ(SendInput(static_cast<UINT>(press.size()), press.data(), sizeof(INPUT)),
                      press.size());
            Sleep(kBurstGapMs);
        }
    }
    static std::vector<INPUT> PressWith(BYTE win) {
        std::vector<INPUT> press;
        for (const auto& [vk, up] : {std::pair<BYTE, bool>{win, false},
                                     {static_cast<BYTE>(kButton), false},
                                     {static_cast<BYTE>(kButton), true},
                                     {win, true}}) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = vk;
            input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            press.push_back(input);
        }
        return press;
    }

    // Every event injected so far through every hook, and whatever the layer left its own
    // thread to do done.
    static std::vector<std::string> Passed() {
        EXPECT_TRUE(testing_support::SettleKeyEvents());
        test_access::WaitForHookThread();
        EXPECT_TRUE(testing_support::SettleKeyEvents());
        std::lock_guard<std::mutex> lock(passedLock);
        return passed;
    }
    std::vector<std::string> Reports() {
        std::vector<std::string> found;
        MSG message;
        while (PeekMessageW(&message, window, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
            found.push_back(ReportText(message.wParam, message.lParam));
        }
        return found;
    }

    HWND window = nullptr;
    testing_support::HookThread observer{WH_KEYBOARD_LL, RecordPassed};
};

// What the system must see of one press: Win, the mask before Win's release, nothing of
// the button.
std::vector<std::string> Masked(const char* win) {
    const std::string code = win;
    return {code + " down", "E8 down", "E8 up", code + " up"};
}

TEST_F(WinMaskTest, EveryPressOfABurstCountsAndEachWinIsMaskedBeforeItsRelease) {
    constexpr int kPresses = 12;
    std::vector<std::vector<INPUT>> presses;
    std::vector<std::string> expected;
    for (int press = 0; press < kPresses; ++press) {
        presses.push_back(PressWith(VK_LWIN));
        const auto masked = Masked("5B");
        expected.insert(expected.end(), masked.begin(), masked.end());
    }
    Burst(presses);

    EXPECT_EQ(Passed(), expected);
    std::vector<std::string> reports;
    for (int press = 0; press < kPresses; ++press) {
        reports.insert(reports.end(), {"0 down", "0 up"});
    }
    EXPECT_EQ(Reports(), reports);
    EXPECT_FALSE(GetAsyncKeyState(VK_LWIN) & 0x8000);
}

TEST_F(WinMaskTest, LeftWinUpFollowedByARightWinPressLeavesNeitherDown) {
    constexpr int kPairs = 6;
    std::vector<std::vector<INPUT>> presses;
    std::vector<std::string> expected;
    for (int pair = 0; pair < kPairs; ++pair) {
        presses.push_back(PressWith(VK_LWIN));
        presses.push_back(PressWith(VK_RWIN));
        for (const char* win : {"5B", "5C"}) {
            const auto masked = Masked(win);
            expected.insert(expected.end(), masked.begin(), masked.end());
        }
    }
    Burst(presses);

    EXPECT_EQ(Passed(), expected);
    EXPECT_EQ(Reports().size(), 4u * kPairs);
    EXPECT_FALSE(GetAsyncKeyState(VK_LWIN) & 0x8000);
    EXPECT_FALSE(GetAsyncKeyState(VK_RWIN) & 0x8000);
}

}  // namespace
