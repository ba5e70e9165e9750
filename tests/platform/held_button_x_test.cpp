// A button that is a modifier while held, through the real hooks, with keys and a wheel from
// the X server as a physical keyboard and mouse send them: a tap is reported as a press, a
// key typed inside the press reaches the window with Ctrl, and a wheel turned under the held
// side button reaches it as Ctrl+wheel. After every story no modifier is down.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hotkey_held.h"
#include "platform/hotkey_test_keys.h"
#include "platform/hotkeys.h"
#include "support/message_pump.h"
#include "support/test_window.h"
#include "support/x_input.h"

using namespace platform;
using testing_support::PumpUntil;
using testing_support::RunXdotool;
using testing_support::RunXdotoolAt;

namespace {

constexpr DWORD kPatienceMs = 15000;
constexpr int kPauseId = 1;
constexpr int kSideId = 2;
constexpr UINT kTakenAlone = MOD_WIN | MOD_KEYUP;  // desktop keys come without Win

// What the focused window under the pointer receives, as a story reads it.
std::vector<std::string> received;

bool ControlDown() {
    return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
}

LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_HOTKEY:
            received.push_back(hotkey_test::ReportText(wParam, lParam));
            return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (wParam == 'C' || wParam == VK_F12) {
                received.push_back(std::string(ControlDown() ? "Ctrl+" : "") +
                                   (wParam == 'C' ? "C" : "F12") +
                                   (message == WM_KEYUP ? " up" : " down"));
            }
            return 0;
        case WM_MOUSEWHEEL:
            received.push_back((GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) ? "Ctrl+wheel" : "wheel");
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

class HeldButtonFromX : public ::testing::Test {
  protected:
    void SetUp() override {
        received.clear();
        window_ = testing_support::MakeTestWindow(L"KestrelHeldTarget", Receive,
                                                  WS_POPUP | WS_VISIBLE, 300, 200);
        ASSERT_NE(window_, nullptr);
        SetWindowPos(window_, HWND_TOPMOST, 100, 100, 300, 200, SWP_SHOWWINDOW);
        ASSERT_TRUE(RunXdotoolAt(250, 200, L"click 1"));
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window_; }, kPatienceMs));
        // Room for a loaded machine: no tap here may run into the hold time.
        ConfigureHeldModifiers(3000, 1);
        ASSERT_TRUE(RegisterKeyUpHotKey(window_, kPauseId, kTakenAlone, VK_PAUSE));
        ASSERT_TRUE(RegisterKeyUpHotKey(window_, kSideId, kTakenAlone, VK_XBUTTON1));
        SetHeldModifierButton(VK_PAUSE, MOD_CONTROL);
        SetHeldModifierButton(VK_XBUTTON1, MOD_CONTROL);
    }
    void TearDown() override {
        ClearHeldModifierButtons();
        UnregisterKeyUpHotKey(window_, kPauseId);
        UnregisterKeyUpHotKey(window_, kSideId);
        DestroyWindow(window_);
        testing_support::DiscardPending();
    }

    // Runs the xdotool words and a last F12, whose release says that all before it came.
    std::vector<std::string> Story(const std::wstring& words) {
        received.clear();
        EXPECT_TRUE(RunXdotool(words + L" key F12"));
        EXPECT_TRUE(
            PumpUntil([] { return !received.empty() && received.back() == "F12 up"; }, kPatienceMs))
            << "F12 never came without Ctrl";
        received.pop_back();
        received.pop_back();  // its key-down
        return received;
    }
    static void ExpectNothingDown() {
        EXPECT_EQ(GetAsyncKeyState(VK_CONTROL) & 0x8000, 0);
        EXPECT_EQ(test_access::HeldModifiersDown(), 0u);
    }

    HWND window_ = nullptr;
};

TEST_F(HeldButtonFromX, ATapIsReportedAsAPressAndNothingIsHeld) {
    EXPECT_EQ(Story(L"key Pause"), (std::vector<std::string>{"1 down", "1 up"}));
    ExpectNothingDown();
}

TEST_F(HeldButtonFromX, AKeyTypedFastInsideThePressComesWithCtrl) {
    EXPECT_EQ(Story(L"keydown Pause keydown c keyup c keyup Pause"),
              (std::vector<std::string>{"Ctrl+C down", "Ctrl+C up"}));
    ExpectNothingDown();
}

TEST_F(HeldButtonFromX, AWheelUnderTheHeldSideButtonIsCtrlWheel) {
    EXPECT_EQ(Story(L"mousedown 8 click 5 click 4 mouseup 8"),
              (std::vector<std::string>{"Ctrl+wheel", "Ctrl+wheel"}));
    ExpectNothingDown();
    // Let go, the side button is an ordinary button again and the wheel plain.
    EXPECT_EQ(Story(L"click 8 click 5"), (std::vector<std::string>{"2 down", "2 up", "wheel"}));
    ExpectNothingDown();
}

TEST_F(HeldButtonFromX, HeldPastTheHoldTimeCtrlIsDownUntilTheRelease) {
    ConfigureHeldModifiers(200, 1);
    received.clear();
    ASSERT_TRUE(RunXdotool(L"keydown Pause"));
    EXPECT_TRUE(PumpUntil([] { return (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0; }, kPatienceMs))
        << "Ctrl never went down";
    EXPECT_EQ(test_access::HeldModifiersDown(), static_cast<UINT>(MOD_CONTROL));
    EXPECT_EQ(Story(L"key c keyup Pause"), (std::vector<std::string>{"Ctrl+C down", "Ctrl+C up"}));
    ExpectNothingDown();
}

}  // namespace
