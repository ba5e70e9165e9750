// The agent's side of per-program assignments and the pause, through the seam: what it
// registers and hands the hot-key layer from the settings, whose slots a reported press
// runs, and what the pause changes.
#include "agent/app_assignments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent/agent_window.h"
#include "agent/classifier.h"
#include "agent/pause.h"
#include "common/settings_schema.h"
#include "support/button_settings.h"
#include "support/press_state.h"
#include "support/recording_os.h"
#include "support/registry.h"

using namespace kestrel;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using testing_support::SeedAppButton;
using testing_support::SetDword;

namespace {

HWND const kWindow = reinterpret_cast<HWND>(0x4242);
constexpr LPARAM kKeyUp = 0x1000;

class AppAssignmentsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::ClearSettings();
        testing_support::ResetPressState(kWindow);
        trayIconData = {};
    }
    void TearDown() override {
        testing_support::ClearSettings();
        testing_support::ResetPressState(nullptr);
        trayIconData = {};
    }

    // F13 on globally, starting "global.exe" at once; its double slot, on, makes the
    // global press wait for a second one. The browser has its own F13 with a single slot
    // only, and F14, off globally, on; the drawing program switches F13 off; the game is Off.
    void SeedDesktop() {
        testing_support::SeedButton(L"407C", {{kPressSingle, kActionProgram, L"global.exe"},
                                              {kPressDouble, kActionProgram, L"double.exe"}});
        SetDword(HKEY_CURRENT_USER, testing_support::ButtonKeyPath(L"407D"), kValueEnabled, 0);
        SeedAppButton(L"Browser.exe", L"407C", 1, {{kPressSingle, kActionProgram, L"browser.exe"}});
        SeedAppButton(L"Browser.exe", L"407D", 1, {{kPressSingle, kActionProgram, L"spare.exe"}});
        SeedAppButton(L"drawing.exe", L"407C", 0);
        SetDword(HKEY_CURRENT_USER, std::wstring(kAppsKeyPath) + L"\\game.exe", kValueOff, 1);
    }

    int ProgramNumber(const std::wstring& fileName) const {
        for (size_t i = 0; i < loadedApps.size(); ++i) {
            if (loadedApps[i].fileName == fileName) {
                return static_cast<int>(i) + 1;
            }
        }
        return 0;
    }

    testing_support::RecordingOs os;
};

TEST_F(AppAssignmentsTest, EveryButtonOnGloballyOrInAProgramIsRegisteredAndRuledPerProgram) {
    SeedDesktop();
    ASSERT_TRUE(LoadButtons(kWindow));

    EXPECT_THAT(os.calls, Contains("RegisterHotKey(0, 0x1008, 0x7C)"));
    EXPECT_THAT(os.calls, Contains("RegisterHotKey(1, 0x1008, 0x7D)"));
    const platform::PressRules& rules = os.pressRules;
    EXPECT_FALSE(rules.paused);
    EXPECT_EQ(rules.doubleTimeMs, kDefaultDoubleTime);
    ASSERT_EQ(rules.global.size(), 2u);
    EXPECT_TRUE(rules.global[0].on);
    EXPECT_FALSE(rules.global[1].on);

    ASSERT_EQ(rules.programs.size(), 3u);
    const platform::ProgramRule& browser = rules.programs[ProgramNumber(L"browser.exe") - 1];
    EXPECT_EQ(browser.fileName, L"browser.exe");
    EXPECT_EQ(browser.buttons.size(), 2u);
    EXPECT_TRUE(rules.programs[ProgramNumber(L"game.exe") - 1].off);
    const platform::ProgramRule& drawing = rules.programs[ProgramNumber(L"drawing.exe") - 1];
    ASSERT_EQ(drawing.buttons.size(), 1u);
    EXPECT_FALSE(drawing.buttons[0].on);

    EXPECT_TRUE(rules.Judge(0x7D, L"browser.exe").take);
    EXPECT_FALSE(rules.Judge(0x7D, L"editor.exe").take);
    // Only the global F13 has a double press: only its second press follows the first's.
    EXPECT_TRUE(rules.Judge(0x7C, L"editor.exe").awaitsSecond);
    EXPECT_FALSE(rules.Judge(0x7C, L"browser.exe").awaitsSecond);
}

TEST_F(AppAssignmentsTest, TheSixteenButtonLimitCountsButtonsOnInAProgramOnly) {
    for (int vk = 0xC1; vk < 0xC1 + 15; ++vk) {
        wchar_t name[8];
        wsprintfW(name, L"40%02X", vk);
        testing_support::SeedButton(name, {});
    }
    for (const wchar_t* programOnly : {L"40D0", L"40D1"}) {
        SetDword(HKEY_CURRENT_USER, testing_support::ButtonKeyPath(programOnly), kValueEnabled, 0);
        SeedAppButton(L"editor.exe", programOnly, 1);
    }
    ASSERT_TRUE(LoadButtons(kWindow));

    EXPECT_THAT(os.calls, Contains("RegisterHotKey(15, 0x1008, 0xD0)"));
    EXPECT_EQ(FindBindingByKey(0xD1)->hotKeyId, kNoHotKeyId);
    EXPECT_THAT(os.calls, Not(Contains("RegisterHotKey(16, 0x1008, 0xD1)")));
}

// The press's program picks the slots, and with them whether the press is timed at all.
TEST_F(AppAssignmentsTest, AReportedProgramsSlotsRunAndDecideWhetherThePressIsTimed) {
    SeedDesktop();
    ASSERT_TRUE(LoadButtons(kWindow));
    const int browser = ProgramNumber(L"browser.exe");

    os.calls.clear();
    HandleHotKey(0, 0, browser);
    EXPECT_THAT(os.calls, ElementsAre("ShellExecuteEx(browser.exe)"));
    HandleHotKey(0, kKeyUp, browser);

    // Globally the double slot is on: the down only starts the press timer.
    os.calls.clear();
    HandleHotKey(0, 0, 0);
    EXPECT_THAT(os.calls, ElementsAre("SetTimer(1025, 500)"));
    HandleHotKey(0, kKeyUp, 0);
    HandlePressTimer();
    EXPECT_THAT(os.calls, Contains("ShellExecuteEx(global.exe)"));

    // WM_HOTKEY's wParam carries the program above the id; an unknown number names no
    // button, as any foreign wParam.
    const WPARAM reported = (static_cast<WPARAM>(browser) << 16) | 32;
    EXPECT_EQ(HotKeyIdOf(reported), 32);
    EXPECT_EQ(HotKeyProgramOf(reported), browser);
    const WPARAM unknown = (static_cast<WPARAM>(9) << 16) | 1;
    EXPECT_EQ(HotKeyProgramOf(unknown), 0);
    EXPECT_FALSE(IsButtonId(FoldHotKeyId(HotKeyIdOf(unknown))));
}

TEST_F(AppAssignmentsTest, ThePauseRunsOnlyTheButtonThatResumesAndSaysSoInTheTrayTip) {
    testing_support::SeedButton(L"407C", {{kPressSingle, kActionProgram, L"global.exe"}});
    testing_support::SeedButton(L"407E", {{kPressSingle, kActionDeviceCommand, L"3"}});
    ASSERT_TRUE(LoadButtons(kWindow));
    trayIconData.hWnd = kWindow;
    EXPECT_FALSE(paused);
    EXPECT_FALSE(os.pressRules.paused);

    // The tray menu's item pauses.
    os.calls.clear();
    AgentWndProc(kWindow, WM_COMMAND, IDM_PAUSE, 0);
    EXPECT_TRUE(paused);
    EXPECT_TRUE(os.pressRules.paused);
    EXPECT_TRUE(os.pressRules.Judge(0x7E, L"").take);
    EXPECT_FALSE(os.pressRules.Judge(0x7C, L"").take);
    EXPECT_THAT(os.calls, ElementsAre("Shell_NotifyIcon(1, id 0, flags 0x4, message 0, no icon)"));
    EXPECT_STREQ(os.lastNotifyIcon.szTip, L"Kestrel (一時停止中)");

    // A report that came anyway runs nothing but the pause command.
    os.calls.clear();
    HandleHotKey(0, 0);
    EXPECT_TRUE(os.calls.empty());
    HandleHotKey(0, kKeyUp);

    // A reload keeps the pause.
    LoadButtons(kWindow);
    EXPECT_TRUE(os.pressRules.paused);

    HandleHotKey(1, 0);
    HandleHotKey(1, kKeyUp);
    EXPECT_FALSE(paused);
    EXPECT_FALSE(os.pressRules.paused);
    EXPECT_STREQ(os.lastNotifyIcon.szTip, L"");
}

}  // namespace
