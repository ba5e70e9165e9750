#include "platform/hotkeys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hotkey_test_keys.h"
#include "support/key_settle.h"
#include "support/message_pump.h"
#include "support/test_window.h"

using namespace platform;
using namespace hotkey_test;

namespace {

constexpr UINT kOtherButton = 0xC2;

struct HotKey {
    WPARAM id;
    UINT modifiers;
    UINT vk;
    bool operator==(const HotKey& o) const {
        return id == o.id && modifiers == o.modifiers && vk == o.vk;
    }
};

std::ostream& operator<<(std::ostream& out, const HotKey& h) {
    return out << "{id " << h.id << ", mods 0x" << std::hex << h.modifiers << ", vk 0x" << h.vk
               << std::dec << "}";
}

// Every key event that got past the hot-key layer. This hook is installed before the
// layer's own, so the layer sees each event first and whatever it swallows never arrives.
// Read it through PassedKeys(), which waits until the hooks have seen every key sent before.
std::vector<std::string> passed;

LRESULT CALLBACK ObserverHook(int code, WPARAM message, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (testing_support::IsSettleMarker(event)) {
            return CallNextHookEx(nullptr, code, message, lParam);
        }
        char line[32];
        snprintf(line, sizeof(line), "%02lX %s", event.vkCode,
                 (event.flags & LLKHF_UP) ? "up" : "down");
        passed.emplace_back(line);
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

HWND MakeWindow() {
    return testing_support::MakeTestWindow(L"HotKeyTestWindow");
}

using Reports = std::vector<HotKey>;

class HotKeyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = MakeWindow();
        ASSERT_TRUE(window);
        observer = SetWindowsHookExW(WH_KEYBOARD_LL, ObserverHook, GetModuleHandleW(nullptr), 0);
        ASSERT_TRUE(observer);
        passed.clear();
        // Wine skips the low-level hooks of a thread that has not asked for messages for
        // a while, as it would for a hung one; a test thread is no message loop.
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    }
    void TearDown() override {
        for (int id = 0; id < 48; ++id) {
            UnregisterKeyUpHotKey(window, id);
            if (otherWindow) {
                UnregisterKeyUpHotKey(otherWindow, id);
            }
        }
        EXPECT_EQ(KeyUpHotKeyCount(), 0);
        for (BYTE key : {VK_LWIN, VK_RWIN, VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_LMENU}) {
            keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
        }
        UnhookWindowsHookEx(observer);
        DestroyWindow(window);
        if (otherWindow) {
            DestroyWindow(otherWindow);
        }
        testing_support::DiscardPending();
    }

    // The WM_HOTKEY messages posted to `target` (the test window when null) for every key
    // sent so far.
    std::vector<HotKey> Posted(HWND target = nullptr) {
        EXPECT_TRUE(testing_support::SettleKeyEvents());
        std::vector<HotKey> found;
        MSG message;
        while (PeekMessageW(&message, target ? target : window, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
            found.push_back({message.wParam, LOWORD(message.lParam), HIWORD(message.lParam)});
        }
        return found;
    }

    // What one press of registration `id` reports: its key-down, then its key-up.
    static const std::vector<std::string>& PassedKeys() {
        EXPECT_TRUE(testing_support::SettleKeyEvents());
        return passed;
    }

    static Reports DownAndUp(WPARAM id) {
        return {{id, MOD_WIN, kButton}, {id, MOD_WIN | MOD_KEYUP, kButton}};
    }

    void RegisterButton(int baseId, UINT vk = kButton) {
        ASSERT_TRUE(RegisterKeyUpHotKey(window, baseId, kPlain, vk));
        ASSERT_TRUE(RegisterKeyUpHotKey(window, baseId + 16, kShift, vk));
        ASSERT_TRUE(RegisterKeyUpHotKey(window, baseId + 32, kControl, vk));
    }

    HWND window = nullptr;
    HWND otherWindow = nullptr;
    HHOOK observer = nullptr;
};

using Passed = std::vector<std::string>;

// A press of the button under Win, as the system sees it: Win, and the mask tap that keeps
// a lone Win from opening the Start menu where the button was swallowed.
const Passed kWinWithMask = {"5B down", "E8 down", "E8 up", "5B up"};

TEST_F(HotKeyTest, PressOfTheButtonReportsDownAndUpAndSwallowsBoth) {
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 3, kPlain, kButton));

    Down(VK_LWIN);
    Down(kButton);
    EXPECT_EQ(Posted(), (Reports{{3, MOD_WIN, kButton}}));
    Up(kButton);
    EXPECT_EQ(Posted(), (Reports{{3, MOD_WIN | MOD_KEYUP, kButton}}));
    Up(VK_LWIN);

    EXPECT_EQ(PassedKeys(), kWinWithMask);
}

TEST_F(HotKeyTest, ReleaseIsReportedWhenWinComesUpBeforeTheButton) {
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));

    Down(VK_LWIN);
    Down(kButton);
    Up(VK_LWIN);
    Up(kButton);

    EXPECT_EQ(Posted(), DownAndUp(0));
    EXPECT_EQ(PassedKeys(), kWinWithMask);
}

TEST_F(HotKeyTest, WithoutKeyUpFlagOnlyTheKeyDownIsReported) {
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, MOD_WIN, kButton));

    PressWithWin();

    EXPECT_EQ(Posted(), (Reports{{0, MOD_WIN, kButton}}));
    EXPECT_EQ(PassedKeys(), kWinWithMask);
}

TEST_F(HotKeyTest, AutoRepeatWhileHeldIsSwallowedWithoutFurtherReports) {
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));

    Down(VK_LWIN);
    Down(kButton);
    Down(kButton);
    Down(kButton);
    Up(kButton);
    Up(VK_LWIN);

    EXPECT_EQ(Posted(), DownAndUp(0));
    EXPECT_EQ(PassedKeys(), kWinWithMask);
}

TEST_F(HotKeyTest, RightWinKeyCountsAsWin) {
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));

    PressWithWin(kButton, VK_RWIN);

    EXPECT_EQ(Posted(), DownAndUp(0));
}

TEST_F(HotKeyTest, WinHeldBeforeTheFirstRegistrationIsKnown) {
    Down(VK_LWIN);
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));

    Down(kButton);
    Up(kButton);
    Up(VK_LWIN);

    EXPECT_EQ(Posted(), DownAndUp(0));
}

class HotKeyVariantTest : public HotKeyTest {};

TEST_F(HotKeyVariantTest, ShiftAndCtrlSelectTheirOwnIds) {
    RegisterButton(1);

    Down(VK_LWIN);
    Down(kButton);
    Up(kButton);
    Down(VK_SHIFT);  // the latches press the generic key
    Down(kButton);
    Up(kButton);
    Up(VK_SHIFT);
    Down(VK_RCONTROL);
    Down(kButton);
    Up(kButton);
    Up(VK_RCONTROL);
    Up(VK_LWIN);

    EXPECT_EQ(Posted(), (Reports{{1, MOD_WIN, kButton},
                                 {1, MOD_WIN | MOD_KEYUP, kButton},
                                 {17, MOD_WIN | MOD_SHIFT, kButton},
                                 {17, MOD_WIN | MOD_SHIFT | MOD_KEYUP, kButton},
                                 {33, MOD_WIN | MOD_CONTROL, kButton},
                                 {33, MOD_WIN | MOD_CONTROL | MOD_KEYUP, kButton}}));
}

TEST_F(HotKeyVariantTest, ModifiersMustMatchExactly) {
    RegisterButton(0);

    Down(VK_LWIN);
    Down(VK_LSHIFT);
    Down(VK_LCONTROL);
    Down(kButton);  // Shift and Ctrl together: no registration
    Up(kButton);
    Up(VK_LCONTROL);
    Up(VK_LSHIFT);
    Down(VK_LMENU);
    Down(kButton);  // Alt: no registration
    Up(kButton);
    Up(VK_LMENU);
    Up(VK_LWIN);

    EXPECT_TRUE(Posted().empty());
    EXPECT_EQ(PassedKeys(), (Passed{"5B down", "A0 down", "A2 down", "C1 down", "C1 up", "A2 up",
                                    "A0 up", "A4 down", "C1 down", "C1 up", "A4 up", "5B up"}));
}

TEST_F(HotKeyVariantTest, PlainRegistrationIgnoresTheButtonWhileShiftIsDown) {
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));

    Down(VK_LWIN);
    Down(VK_RSHIFT);
    Down(kButton);
    Up(kButton);
    Up(VK_RSHIFT);
    Up(VK_LWIN);

    EXPECT_TRUE(Posted().empty());
    EXPECT_EQ(PassedKeys().size(), 6u);
}

class HotKeyRegistrationTest : public HotKeyTest {};

TEST_F(HotKeyRegistrationTest, ATakenCombinationIsRefusedAndTheHolderKeepsIt) {
    otherWindow = MakeWindow();
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));

    EXPECT_FALSE(RegisterKeyUpHotKey(otherWindow, 5, kPlain, kButton));
    EXPECT_FALSE(RegisterKeyUpHotKey(window, 1, MOD_WIN, kButton));  // MOD_KEYUP alone differs
    EXPECT_FALSE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));   // even the same id again
    EXPECT_EQ(KeyUpHotKeyCount(), 1);

    PressWithWin();
    EXPECT_EQ(Posted(), DownAndUp(0));
}

TEST_F(HotKeyRegistrationTest, AFreedCombinationCanBeTakenByAnotherWindow) {
    otherWindow = MakeWindow();
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));
    ASSERT_TRUE(UnregisterKeyUpHotKey(window, 0));

    EXPECT_TRUE(RegisterKeyUpHotKey(otherWindow, 5, kPlain, kButton));
    PressWithWin();

    EXPECT_EQ(Posted(otherWindow), DownAndUp(5));
    EXPECT_TRUE(Posted().empty());
}

TEST_F(HotKeyRegistrationTest, TheSystemReservationFollowsTheLayer) {
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));
    otherWindow = MakeWindow();
    EXPECT_FALSE(::RegisterHotKey(otherWindow, 9, MOD_WIN, kButton));

    ASSERT_TRUE(UnregisterKeyUpHotKey(window, 0));
    EXPECT_TRUE(::RegisterHotKey(otherWindow, 9, MOD_WIN, kButton));
    ::UnregisterHotKey(otherWindow, 9);
}

TEST_F(HotKeyRegistrationTest, UnregisterStopsAtOnceEvenInTheMiddleOfAPress) {
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));

    Down(VK_LWIN);
    Down(kButton);
    ASSERT_TRUE(testing_support::SettleKeyEvents());  // the key-down was the layer's
    ASSERT_TRUE(UnregisterKeyUpHotKey(window, 0));
    Up(kButton);
    Down(kButton);
    Up(kButton);
    Up(VK_LWIN);

    EXPECT_EQ(Posted(), (Reports{{0, MOD_WIN, kButton}}));
    EXPECT_EQ(PassedKeys(),
              (Passed{"5B down", "E8 down", "E8 up", "C1 up", "C1 down", "C1 up", "5B up"}));
    EXPECT_EQ(KeyUpHotKeyCount(), 0);
}

TEST_F(HotKeyRegistrationTest, UnregisterOfAnUnknownIdFails) {
    EXPECT_FALSE(UnregisterKeyUpHotKey(window, 7));
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));
    EXPECT_FALSE(UnregisterKeyUpHotKey(window, 1));
    EXPECT_TRUE(UnregisterKeyUpHotKey(window, 0));
    EXPECT_FALSE(UnregisterKeyUpHotKey(window, 0));
}

TEST_F(HotKeyRegistrationTest, ADestroyedWindowNoLongerSwallowsItsKey) {
    otherWindow = MakeWindow();
    ASSERT_TRUE(RegisterKeyUpHotKey(otherWindow, 0, kPlain, kButton));
    DestroyWindow(otherWindow);
    otherWindow = nullptr;

    PressWithWin();

    EXPECT_EQ(PassedKeys(), (Passed{"5B down", "C1 down", "C1 up", "5B up"}));
}

class HotKeyPassThroughTest : public HotKeyTest {};

TEST_F(HotKeyPassThroughTest, KeysItDoesNotOwnPassUntouched) {
    RegisterButton(0);

    Down(kButton);  // the button without Win
    Up(kButton);
    Down(VK_LWIN);
    Down(kOtherButton);  // another button with Win
    Up(kOtherButton);
    Up(VK_LWIN);
    Down('A');
    Up('A');

    EXPECT_TRUE(Posted().empty());
    EXPECT_EQ(PassedKeys(), (Passed{"C1 down", "C1 up", "5B down", "C2 down", "C2 up", "5B up",
                                    "41 down", "41 up"}));
}

TEST_F(HotKeyPassThroughTest, ReplayOfTheStandardFunctionPassesWhileTheBaseIdIsOut) {
    RegisterButton(0);

    Down(VK_LWIN);
    Down(kButton);
    ASSERT_EQ(Posted(), (Reports{{0, MOD_WIN, kButton}}));
    passed.clear();

    // What the executor does for a button whose standard function is assigned.
    ASSERT_TRUE(UnregisterKeyUpHotKey(window, 0));
    Up(kButton);
    Up(VK_LWIN);
    PressWithWin();
    ASSERT_TRUE(testing_support::SettleKeyEvents());  // the replay is past the hook
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));

    EXPECT_TRUE(Posted().empty());
    EXPECT_EQ(PassedKeys(), (Passed{"C1 up", "5B up", "5B down", "C1 down", "C1 up", "5B up"}));

    // The button is the agent's again afterwards.
    PressWithWin();
    EXPECT_EQ(Posted(), DownAndUp(0));
}

TEST_F(HotKeyPassThroughTest, ExtraInformationOfPassedEventsIsKept) {
    static ULONG_PTR extra = 0;
    HHOOK reader = SetWindowsHookExW(
        WH_KEYBOARD_LL,
        [](int code, WPARAM message, LPARAM lParam) -> LRESULT {
            const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
            if (code == HC_ACTION && !testing_support::IsSettleMarker(event)) {
                extra = event.dwExtraInfo;
            }
            return CallNextHookEx(nullptr, code, message, lParam);
        },
        GetModuleHandleW(nullptr), 0);
    RegisterButton(0);  // the layer's hook is now newer than the reader

    keybd_event('A', 0, 0, 1);
    ASSERT_TRUE(testing_support::SettleKeyEvents());
    EXPECT_EQ(extra, 1u);
    keybd_event('A', 0, KEYEVENTF_KEYUP, 7);
    ASSERT_TRUE(testing_support::SettleKeyEvents());
    EXPECT_EQ(extra, 7u);
    UnhookWindowsHookEx(reader);
}

}  // namespace
