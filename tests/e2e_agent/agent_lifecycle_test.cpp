// Starting and ending the real agent: one instance only, the first start without
// settings, and a shutdown that gives back every key it took.
#include <gtest/gtest.h>

#include "common/resource_ids.h"
#include "e2e_agent/agent_harness.h"

using namespace e2e_agent;
using kestrel::kActionKeySequence;
using kestrel::kActionLatch;

namespace {

class AgentLifecycleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearSettings();
        ReleaseModifiers();
        ASSERT_EQ(AgentWindowCount(), 0) << "an agent from elsewhere is running";
    }
    void TearDown() override {
        ReleaseModifiers();
        ClearSettings();
    }

    // Starts the agent and waits for its window.
    HWND Start() { return folder.StartAgentWindow(&agent); }
    bool Running() const { return WaitForSingleObject(agent, 0) == WAIT_TIMEOUT; }

    AgentFolder folder;
    HANDLE agent = nullptr;
};

TEST_F(AgentLifecycleTest, SecondStartLeavesOneAgentAndOpensTheCustomizerFromItsFolder) {
    SeedButton(L"40C1", {{0, kActionKeySequence, L"#1#"}});
    HWND window = Start();
    ASSERT_TRUE(window);
    Pump(300);
    ASSERT_EQ(folder.CustomizerStarts(), 0) << "settings exist: no customizer at first";

    HANDLE second = folder.StartAgent();
    ASSERT_TRUE(second);

    EXPECT_EQ(AgentFolder::WaitForExit(second), 0u);
    EXPECT_TRUE(WaitUntil([&] { return folder.CustomizerStarts() == 1; }));
    EXPECT_EQ(AgentWindowCount(), 1);
    EXPECT_EQ(FindWindowW(kestrel::kAgentClassName, kestrel::kAgentWindowTitle), window);
    EXPECT_TRUE(Running());
}

TEST_F(AgentLifecycleTest, FirstStartWithoutSettingsOpensTheCustomizerAndWaitsForAReload) {
    HWND window = Start();
    ASSERT_TRUE(window);

    EXPECT_TRUE(WaitUntil([&] { return folder.CustomizerStarts() == 1; }));
    EXPECT_TRUE(CombinationsFree(0xC1)) << "no hot key without settings";
    Pump(500);
    EXPECT_TRUE(Running());

    // What the customizer does after OK.
    SeedButton(L"40C1", {{0, kActionKeySequence, L"#1#"}});
    SendTo(window, kestrel::MSG_RELOAD);
    EXPECT_TRUE(CombinationsAllTaken(0xC1));
    EXPECT_EQ(folder.CustomizerStarts(), 1);
}

class AgentShutdownTest : public AgentLifecycleTest {
  protected:
    // Two latch buttons: with both latched, Shift and Ctrl are held down by the agent.
    HWND StartLatched() {
        SeedButton(L"40C1", {{0, kActionLatch, L"S"}});
        SeedButton(L"40C2", {{0, kActionLatch, L"C"}});
        HWND window = Start();
        if (!window) {
            return nullptr;
        }
        // The window may answer before start-up has registered every hot key.
        SendTo(window, WM_NULL);  // handled once start-up is done: the probes steal nothing
        EXPECT_TRUE(WaitUntil([] { return CombinationsAllTaken(0xC1); }));
        EXPECT_TRUE(WaitUntil([] { return CombinationsAllTaken(0xC2); }));
        ButtonDown(0xC1);
        ButtonUp(0xC1);
        EXPECT_TRUE(WaitUntil([] { return KeyIsDown(VK_SHIFT); }, 5000));
        ButtonDown(0xC2);  // arrives as the Shift variant of the button
        ButtonUp(0xC2);
        EXPECT_TRUE(WaitUntil([] { return KeyIsDown(VK_CONTROL); }, 5000));
        return window;
    }
    void ExpectEverythingGivenBack() {
        EXPECT_EQ(AgentFolder::WaitForExit(agent), 0u);
        EXPECT_FALSE(KeyIsDown(VK_SHIFT));
        EXPECT_FALSE(KeyIsDown(VK_CONTROL));
        EXPECT_TRUE(CombinationsFree(0xC1));
        EXPECT_TRUE(CombinationsFree(0xC2));
        EXPECT_EQ(AgentWindowCount(), 0);
    }
};

TEST_F(AgentShutdownTest, ExitCommandEndsWithZeroFreesHotKeysAndReleasesShiftAndCtrl) {
    HWND window = StartLatched();
    ASSERT_TRUE(window);

    PostMessageW(window, WM_COMMAND, IDM_EXIT, 0);

    ExpectEverythingGivenBack();
}

TEST_F(AgentShutdownTest, CloseFromAnotherProgramEndsTheSameWay) {
    HWND window = StartLatched();
    ASSERT_TRUE(window);

    SendTo(window, WM_CLOSE);

    ExpectEverythingGivenBack();
}

}  // namespace
