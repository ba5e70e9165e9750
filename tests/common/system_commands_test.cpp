#include "common/system_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/recording_os.h"

using namespace kestrel;
using ::testing::ElementsAre;

namespace {

// A platform whose input-panel calls fail: the query writes nothing back, the show call
// reports failure.
class FailingPanelOs : public testing_support::RecordingOs {
  public:
    DWORD flagsSeenByQuery = 0xFFFFFFFF;
    BOOL SipGetInfo(SIPINFO* info) override {
        RecordingOs::SipGetInfo(info);
        flagsSeenByQuery = info->fdwFlags;
        info->fdwFlags = 0;
        return FALSE;
    }
    BOOL SipShowIM(DWORD flags) override {
        RecordingOs::SipShowIM(flags);
        return FALSE;
    }
};

class SystemCommandsTest : public ::testing::Test {
  protected:
    testing_support::RecordingOs os;
};

TEST_F(SystemCommandsTest, TodayScreenIsBroughtForwardAndWithoutOneTheDesktop) {
    os.windowToFind = reinterpret_cast<HWND>(0x77);
    ShowTodayScreen();
    os.windowToFind = nullptr;
    ShowTodayScreen();

    EXPECT_THAT(
        os.calls,
        ElementsAre("FindWindow(DesktopExplorerWindow, Desktop)", "SetForegroundWindow(window)",
                    "FindWindow(DesktopExplorerWindow, Desktop)", "ToggleDesktop"));
}

TEST_F(SystemCommandsTest, StartAndPowerKeysArePressedAndReleasedAsOwnKeys) {
    PressStartKey();
    PressPowerKey();

    EXPECT_THAT(os.calls, ElementsAre("keybd_event(91, 0, 0, 1)", "keybd_event(91, 0, 2, 1)",
                                      "keybd_event(223, 0, 0, 1)", "keybd_event(223, 0, 2, 1)"));
}

TEST_F(SystemCommandsTest, InputPanelStateComesFromTheQueryWithTheRecordSize) {
    os.sipShown = true;
    EXPECT_TRUE(IsInputPanelShown());
    os.sipShown = false;
    EXPECT_FALSE(IsInputPanelShown());
    EXPECT_THAT(os.calls, ElementsAre("SipGetInfo(48)", "SipGetInfo(48)"));
}

TEST_F(SystemCommandsTest, ToggleHidesAShownPanelAndShowsAHiddenOne) {
    os.sipShown = true;
    EXPECT_TRUE(ToggleInputPanel());
    EXPECT_FALSE(os.sipShown);
    EXPECT_TRUE(ToggleInputPanel());
    EXPECT_TRUE(os.sipShown);

    EXPECT_THAT(os.calls,
                ElementsAre("SipGetInfo(48)", "SipShowIM(0)", "SipGetInfo(48)", "SipShowIM(1)"));
}

TEST(SystemCommandsFailureTest, AFailingQueryReadsAsHiddenAndTheShowResultIsPassedOn) {
    FailingPanelOs os;

    EXPECT_FALSE(IsInputPanelShown());
    EXPECT_EQ(os.flagsSeenByQuery, 0u);
    EXPECT_FALSE(ToggleInputPanel());
    EXPECT_FALSE(ShowInputPanel(false));

    EXPECT_THAT(os.calls,
                ElementsAre("SipGetInfo(48)", "SipGetInfo(48)", "SipShowIM(1)", "SipShowIM(0)"));
}

}  // namespace
