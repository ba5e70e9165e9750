// How the customizer ends: OK stores and then tells the agent; Cancel stores nothing.
#include <functional>

#include "e2e_system/system_fixture.h"
#include "hostile/registry_image.h"

namespace e2e {
namespace {

// With a stand-in agent window in this process, which counts the reloads.
class SheetClosingTest : public SystemFixture {
  protected:
    void SetUp() override {
        SystemFixture::SetUp();
        agent_ = std::make_unique<StandInAgent>(kFirstButton);
        ASSERT_NE(agent_->Window(), nullptr);
    }

    std::unique_ptr<StandInAgent> agent_;
};

TEST_F(SheetClosingTest, OkStoresBothPagesThenSendsExactlyOneReloadThenEnds) {
    StoreTimes(300, 700);
    ASSERT_NO_FATAL_FAILURE(StartCustomizerOnTimingPage());
    agent_->customizerAlive = [&] { return customizer_->IsRunning(); };
    RestoreDefaults(page_);

    CloseWith(*customizer_, sheet_, PSBTN_OK);

    ASSERT_EQ(agent_->Reloads().size(), 1u);
    const StandInAgent::Reload& reload = agent_->Reloads()[0];
    // Both pages had written when the message arrived.
    EXPECT_TRUE(reload.doubleTimeStored);
    EXPECT_EQ(reload.doubleTime, 150u);
    EXPECT_EQ(reload.holdTime, 500u);
    EXPECT_EQ(reload.firstButtonName, kFirstButtonName);
    EXPECT_EQ(reload.wParam, 0u);
    EXPECT_EQ(reload.lParam, 0);
    // The send is synchronous: the customizer waits for the agent before it ends.
    EXPECT_TRUE(agent_->customizerAliveAtReload);
    EXPECT_EQ(customizer_->ExitCode(), 0u);
}

// Real edits on both pages, then Cancel, the close box or Esc: every setting stays byte
// for byte as it was, and the agent is not told.
TEST_F(SheetClosingTest, CancelTheCloseBoxAndEscLeaveEverySettingByteForByte) {
    StoreTimes(300, 700);
    testing_support::SetString(HKEY_CURRENT_USER, ButtonKeyPath(kFirstButton), kestrel::kValueName,
                               kFirstButtonName);
    testing_support::SeedButton(kFirstButton,
                                {{0, kestrel::kActionKeySequence, L"#CC"},
                                 {1, kestrel::kActionProgram, L"C:\\windows\\notepad.exe", 0}});
    testing_support::SeedButton(kSecondButton, {{2, kestrel::kActionLatch, L"S"}});
    const hostile::KeyImage before = hostile::ImageOf(HKEY_CURRENT_USER, kestrel::kProductKeyPath);
    struct Closing {
        const char* name;
        std::function<void(const Sheet&)> close;
    };
    const Closing closings[] = {
        {"Cancel", [](const Sheet& sheet) { sheet.Press(PSBTN_CANCEL); }},
        {"close box",
         [](const Sheet& sheet) { PostMessageW(sheet.Window(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Esc",
         [](const Sheet&) {
             keybd_event(VK_ESCAPE, 0, 0, 0);
             keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
         }},
    };
    for (const Closing& closing : closings) {
        SCOPED_TRACE(closing.name);
        auto customizer = StartCustomizer();
        Sheet sheet = Sheet::Find(customizer->Id());
        ASSERT_TRUE(sheet.Exists());
        ASSERT_TRUE(PickProgram(sheet.CurrentPage(), L"［Ctrl+V］"));
        HWND timing = sheet.OpenTimingPage();
        ASSERT_NE(timing, nullptr);
        RestoreDefaults(timing);
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == sheet.Window(); }));

        closing.close(sheet);
        ASSERT_TRUE(customizer->WaitForExit()) << "the customizer did not end";
        EXPECT_EQ(customizer->ExitCode(), 0u);
        EXPECT_TRUE(hostile::ImageOf(HKEY_CURRENT_USER, kestrel::kProductKeyPath) == before);
    }
    EXPECT_TRUE(agent_->Reloads().empty());
}

// The agent opens the customizer at its start for as long as no button has settings.
TEST_F(SheetClosingTest, ACancelledFirstRunLeavesNoSettingsBehind) {
    ASSERT_NO_FATAL_FAILURE(StartCustomizerOnTimingPage());
    CloseWith(*customizer_, sheet_, PSBTN_CANCEL);
    EXPECT_FALSE(testing_support::KeyExists(HKEY_CURRENT_USER, kestrel::kProductKeyPath));
}

// No agent window anywhere.
class SheetClosingWithoutAgentTest : public SystemFixture {};

TEST_F(SheetClosingWithoutAgentTest, OkStoresTheSettingsAndEndsCleanly) {
    ASSERT_EQ(FindWindowW(kestrel::kAgentClassName, kestrel::kAgentWindowTitle), nullptr);
    StoreTimes(300, 700);
    ASSERT_NO_FATAL_FAILURE(StartCustomizerOnTimingPage());
    RestoreDefaults(page_);

    CloseWith(*customizer_, sheet_, PSBTN_OK);

    EXPECT_EQ(customizer_->ExitCode(), 0u);
    EXPECT_EQ(StoredDword(kestrel::kValueDoubleTime), 150u);
    EXPECT_EQ(StoredDword(kestrel::kValueHoldTime), 500u);
    EXPECT_EQ(StoredButtonName(kFirstButton), kFirstButtonName);
    // Nothing else was started in its place.
    EXPECT_EQ(FindWindowW(kestrel::kAgentClassName, kestrel::kAgentWindowTitle), nullptr);
}

// The sheet's pages as the user meets them.
class SheetPagesTest : public SystemFixture {};

TEST_F(SheetPagesTest, OpensOnTheButtonPageAndMakesTheTimingPageOnlyWhenChosen) {
    auto customizer = StartCustomizer();
    Sheet sheet = Sheet::Find(customizer->Id());
    ASSERT_TRUE(sheet.Exists());
    EXPECT_TRUE(Sheet::IsButtonPage(sheet.CurrentPage()));
    EXPECT_EQ(sheet.TimingPageWindow(), nullptr);

    HWND timing = sheet.OpenTimingPage();
    ASSERT_NE(timing, nullptr);
    EXPECT_EQ(sheet.TimingPageWindow(), timing);

    sheet.Select(0);
    EXPECT_TRUE(WaitUntil([&] { return Sheet::IsButtonPage(sheet.CurrentPage()); }));
    CloseWith(*customizer, sheet, PSBTN_CANCEL);
}

TEST_F(SheetPagesTest, EveryStartOpensOnTheButtonPageAgain) {
    for (int run = 0; run < 2; ++run) {
        auto customizer = StartCustomizer();
        Sheet sheet = Sheet::Find(customizer->Id());
        ASSERT_TRUE(sheet.Exists());
        EXPECT_TRUE(Sheet::IsButtonPage(sheet.CurrentPage())) << "run " << run;
        // The first run leaves the Timing page as the last one shown.
        ASSERT_NE(sheet.OpenTimingPage(), nullptr);
        CloseWith(*customizer, sheet, PSBTN_OK);
    }
}

}  // namespace
}  // namespace e2e
