// Which key events the customizer's hooks leave to the agent.
#include "customizer/agents_own_events.h"

#include <gtest/gtest.h>

#include "common/settings_schema.h"
#include "platform/hotkeys.h"

namespace {

TEST(AgentsOwnKeyEventTest, OnlyInjectedEventsWithTheAgentsMarksAreTheAgents) {
    struct Case {
        DWORD vk;
        DWORD flags;
        ULONG_PTR extraInfo;
        bool agents;
    };
    const DWORD injected = LLKHF_INJECTED;
    const Case cases[] = {
        {platform::kMaskKey, injected, platform::kProbeExtraInfo, true},
        {platform::kMaskKey, injected | LLKHF_UP, platform::kMaskExtraInfo, true},
        {'A', injected, kestrel::kExtraInfoOwnKey, true},
        {VK_LSHIFT, injected | LLKHF_UP, kestrel::kExtraInfoOwnKey, true},
        // The same from a keyboard, or with another program's marks.
        {platform::kMaskKey, 0, platform::kProbeExtraInfo, false},
        {'A', 0, kestrel::kExtraInfoOwnKey, false},
        {'A', injected, kestrel::kExtraInfoPassThrough, false},
        {platform::kMaskKey, injected, 0, false},
        {'A', injected, platform::kProbeExtraInfo, false},
    };
    for (const Case& c : cases) {
        KBDLLHOOKSTRUCT event = {};
        event.vkCode = c.vk;
        event.flags = c.flags;
        event.dwExtraInfo = c.extraInfo;
        EXPECT_EQ(kestrel::IsAgentsOwnKeyEvent(event), c.agents)
            << std::hex << c.vk << " " << c.flags << " " << c.extraInfo;
    }
}

}  // namespace
