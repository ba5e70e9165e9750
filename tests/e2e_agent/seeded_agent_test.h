#pragma once
// A fixture for stories told to the real agent: the test seeds the settings in Seed(), the
// agent then runs on them, and an observer whose hook is older than the agent's sees only
// what the agent lets through and what it types.
#include <gtest/gtest.h>

#include "e2e_agent/agent_harness.h"

namespace e2e_agent {

class SeededAgentTest : public ::testing::Test {
  protected:
    virtual void Seed() = 0;

    void SetUp() override {
        ClearSettings();
        ReleaseModifiers();
        ASSERT_EQ(AgentWindowCount(), 0) << "an agent from elsewhere is running";
        Seed();
        agent = folder.StartAgent();
        ASSERT_TRUE(agent);
        window = AgentFolder::WaitForWindow(agent);
        ASSERT_TRUE(window);
        Pump(200);
        observer.Clear();
    }
    void TearDown() override {
        ReleaseModifiers();
        if (window) {
            SendTo(window, WM_CLOSE);
            AgentFolder::WaitForExit(agent, 5000);
        }
        ClearSettings();
    }

    // Events of `vk` in that direction and with that extra information seen so far.
    int Count(DWORD vk, bool up, ULONG_PTR extra) {
        int count = 0;
        for (const KeyObserver::Event& e : observer.Events()) {
            count += e.vk == vk && e.up == up && e.extra == extra;
        }
        return count;
    }

    KeyObserver observer;  // before the agent, so its hook is the older one
    AgentFolder folder;
    HANDLE agent = nullptr;
    HWND window = nullptr;
};

}  // namespace e2e_agent
