#pragma once
// The real agent, for the benchmarks that measure it from outside.
#include <windows.h>

#include <cstdio>

#include "e2e_agent/agent_harness.h"

namespace bench {

// Starts one more agent from `folder` and returns its window once the agent waits in its
// message loop; null, and said on stderr, when it did not come. `agent` receives the
// process handle.
inline HWND StartAgentWindow(e2e_agent::AgentFolder& folder, HANDLE* agent) {
    HWND window = folder.StartAgentWindow(agent);
    if (!window) {
        std::fprintf(stderr, "the agent did not start\n");
    }
    return window;
}

}  // namespace bench
