#pragma once
// The real agent, for the benchmarks that measure it from outside.
#include <windows.h>

#include <cstdio>

#include "e2e_agent/agent_harness.h"

namespace bench {

// One more agent started from `folder`, given `settleMs` once it waits in its message loop;
// not started, and said on stderr, when its window did not come.
class StartedAgent {
  public:
    StartedAgent(e2e_agent::AgentFolder& folder, DWORD settleMs) {
        window_ = folder.StartAgentWindow(&process_);
        if (!window_) {
            std::fprintf(stderr, "the agent did not start\n");
            return;
        }
        e2e_agent::Pump(settleMs);
    }
    StartedAgent(const StartedAgent&) = delete;
    StartedAgent& operator=(const StartedAgent&) = delete;

    bool Started() const { return window_ != nullptr; }
    HWND Window() const { return window_; }
    HANDLE Process() const { return process_; }  // owned by the folder

    // Asks the agent to end and returns its exit code; STILL_ACTIVE when it did not end.
    DWORD Close() const {
        e2e_agent::SendTo(window_, WM_CLOSE);
        return e2e_agent::AgentFolder::WaitForExit(process_, 10000);
    }

  private:
    HANDLE process_ = nullptr;
    HWND window_ = nullptr;
};

// When the first key of an action came after `since` (every key sequence opens with a
// release of key 2), as the observer saw it; negative when none came within 3 s.
inline double FirstActionKey(e2e_agent::KeyObserver& observer, double since) {
    constexpr DWORD kFirstActionKey = 2;
    double at = -1;
    e2e_agent::WaitUntil(
        [&] {
            for (const e2e_agent::KeyObserver::Event& e : observer.Events()) {
                if (e.vk == kFirstActionKey && e.ms >= since) {
                    at = e.ms;
                    return true;
                }
            }
            return false;
        },
        3000);
    return at;
}

}  // namespace bench
