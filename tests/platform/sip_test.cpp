// The input panel calls on a desktop: the system's on-screen keyboard where Windows has
// one, our own panel where it has none.
#include "platform/sip.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/recording_os.h"

namespace {

constexpr char kStartKeyboard[] = "ShellExecuteEx(C:\\windows\\system32\\osk.exe)";
constexpr char kCloseKeyboard[] = "PostMessage(274, 61536, 0)";  // WM_SYSCOMMAND, SC_CLOSE

bool Shown() {
    SIPINFO info = {};
    info.cbSize = sizeof(info);
    return SipGetInfo(&info) && (info.fdwFlags & SIPF_ON);
}

HWND OurPanel() {
    return FindWindowW(KESTREL_SIP_CLASS, KESTREL_SIP_TITLE);
}

class SipTest : public ::testing::Test {
  protected:
    void SetUp() override { DestroyWindow(OurPanel()); }
    void TearDown() override {
        DestroyWindow(OurPanel());
        if (keyboard) {
            DestroyWindow(keyboard);
        }
    }
    // A window that stands for the keyboard the system started, found through the seam.
    void KeyboardAppears() {
        keyboard = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"On-Screen Keyboard",
                                   WS_POPUP | WS_VISIBLE, 0, 0, 200, 60, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(keyboard);
        os.windowToFind = keyboard;
    }

    testing_support::RecordingOs os;
    HWND keyboard = nullptr;
};

TEST_F(SipTest, WhereWindowsHasAKeyboardItIsStartedAndAskedToClose) {
    os.systemFiles = {L"osk.exe"};

    EXPECT_TRUE(SipShowIM(SIPF_ON));
    EXPECT_EQ(os.CallsStartingWith("ShellExecuteEx"), std::vector<std::string>{kStartKeyboard});
    EXPECT_STREQ(os.lastExecute.lpVerb, L"open");
    EXPECT_FALSE(OurPanel()) << "no panel of our own beside the system's keyboard";

    KeyboardAppears();
    EXPECT_TRUE(Shown());
    os.calls.clear();
    EXPECT_TRUE(SipShowIM(SIPF_ON));  // already there: not a second keyboard
    EXPECT_TRUE(os.CallsStartingWith("ShellExecuteEx").empty());

    EXPECT_TRUE(SipShowIM(SIPF_OFF));
    EXPECT_EQ(os.CallsStartingWith("PostMessage"), std::vector<std::string>{kCloseKeyboard});
    ShowWindow(keyboard, SW_HIDE);  // as the keyboard does when it closes
    EXPECT_FALSE(Shown());
}

TEST_F(SipTest, WithoutAKeyboardOurOwnPanelShowsAndHides) {
    EXPECT_TRUE(SipShowIM(SIPF_ON));
    ASSERT_TRUE(OurPanel());
    EXPECT_TRUE(IsWindowVisible(OurPanel()));
    EXPECT_TRUE(Shown());

    EXPECT_TRUE(SipShowIM(SIPF_OFF));
    EXPECT_FALSE(IsWindowVisible(OurPanel()));
    EXPECT_FALSE(Shown());
    EXPECT_TRUE(os.CallsStartingWith("ShellExecuteEx").empty());
    EXPECT_TRUE(os.CallsStartingWith("PostMessage").empty());
}

TEST_F(SipTest, OurPanelOnceMadeKeepsServingWhereAKeyboardExistsToo) {
    ASSERT_TRUE(SipShowIM(SIPF_ON));  // no keyboard yet: our panel is made
    ASSERT_TRUE(SipShowIM(SIPF_OFF));
    os.systemFiles = {L"osk.exe"};

    EXPECT_TRUE(SipShowIM(SIPF_ON));
    EXPECT_TRUE(IsWindowVisible(OurPanel()));
    EXPECT_TRUE(os.CallsStartingWith("ShellExecuteEx").empty());
}

}  // namespace
