// How the customizer ends: what OK and Cancel store, and when the agent hears of it.
#include "e2e_system/system_fixture.h"

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

TEST_F(SheetClosingTest, CancelStoresTheOpenedPagesButSendsNoReload) {
    StoreTimes(300, 700);
    ASSERT_NO_FATAL_FAILURE(StartCustomizerOnTimingPage());
    RestoreDefaults(page_);

    CloseWith(*customizer_, sheet_, PSBTN_CANCEL);

    EXPECT_TRUE(agent_->Reloads().empty());
    EXPECT_EQ(StoredDword(kestrel::kValueDoubleTime), 150u);
    EXPECT_EQ(StoredDword(kestrel::kValueHoldTime), 500u);
    EXPECT_EQ(StoredButtonName(kFirstButton), kFirstButtonName);
    EXPECT_EQ(StoredButtonName(kSecondButton), kSecondButtonName);
    EXPECT_EQ(customizer_->ExitCode(), 0u);
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
