// How long the agent leaves a message unanswered while it types a key sequence that
// another program's newer hook takes, key by key, before the agent's own hook could see
// it. Another thread sends the agent WM_NULL without pause and times each answer; the
// figure is the worst answer of each press. The same presses run against the agent as it
// was before (KESTREL_BASELINE_AGENT, a Kestrel.exe built from the earlier code), side by
// side in one run.
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_agent.h"
#include "bench/bench_common.h"
#include "bench/newer_hook.h"

using namespace e2e_agent;

namespace {

constexpr int kPresses = 10;
constexpr BYTE kButton = 0xC1;
// The bench's own presses carry a mark of their own, so the newer hook lets them by.
constexpr ULONG_PTR kPressInfo = 0x7E57;

// The agent marks its keystrokes 0 or 1; the newer hook takes every one of them.
bool TakesTheAgentsKeys(const KBDLLHOOKSTRUCT& event) {
    return (event.flags & LLKHF_INJECTED) && (event.dwExtraInfo == kestrel::kExtraInfoOwnKey ||
                                              event.dwExtraInfo == kestrel::kExtraInfoPassThrough);
}

class Pinger {
  public:
    explicit Pinger(HWND window) : window_(window) {
        thread_ = std::thread([this] {
            while (running_) {
                const double start = NowMs();
                DWORD_PTR result = 0;
                SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
                const double took = NowMs() - start;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    worst_ = std::max(worst_, took);
                }
                Sleep(2);
            }
        });
    }
    ~Pinger() {
        running_ = false;
        thread_.join();
    }
    double TakeWorst() {
        std::lock_guard<std::mutex> lock(mutex_);
        const double worst = worst_;
        worst_ = 0;
        return worst;
    }

  private:
    HWND window_;
    std::atomic<bool> running_{true};
    std::mutex mutex_;
    double worst_ = 0;
    std::thread thread_;
};

void Press(DWORD vk, bool up) {
    keybd_event(static_cast<BYTE>(vk), 0, up ? KEYEVENTF_KEYUP : 0, kPressInfo);
}

// The worst answer time of each press, in milliseconds; empty when the agent did not come.
std::vector<double> Measure(const std::wstring& agentExe) {
    AgentFolder folder;
    folder.Copy(agentExe, L"Kestrel.exe");
    const bench::StartedAgent agent(folder, 500);
    std::vector<double> worst;
    if (!agent.Started()) {
        return worst;
    }
    {
        bench::NewerHook newer(&TakesTheAgentsKeys);
        Pinger pinger(agent.Window());
        for (int i = 0; i < kPresses; ++i) {
            newer.Reinstall();  // ahead of an agent hook that was put first since
            Pump(300);
            pinger.TakeWorst();
            Press(VK_LWIN, false);
            Press(kButton, false);
            Pump(50);
            Press(kButton, true);
            Press(VK_LWIN, true);
            Pump(2500);  // the press, its 18 keystrokes and whatever waits for them
            worst.push_back(pinger.TakeWorst());
        }
    }
    agent.Close();
    return worst;
}

}  // namespace

int main() {
    ReleaseModifiers();
    ClearSettings();
    // A single press that types four groups, each with Shift: 16 keystrokes and the two
    // releases before them.
    SeedButton(L"40C1", {{0, kestrel::kActionKeySequence, L"#1S#2S#3S#4S"}});

    char baseline[MAX_PATH] = {};
    GetEnvironmentVariableA("KESTREL_BASELINE_AGENT", baseline, MAX_PATH);
    std::vector<double> before;
    if (baseline[0]) {
        before = Measure(HostPath(baseline));
    }
    const std::vector<double> now = Measure(HostPath(KESTREL_AGENT_EXE));
    ClearSettings();
    ReleaseModifiers();
    if (now.empty()) {
        return 1;
    }
    bench::ReportSamples(
        "Agent's worst answer while a newer hook takes its keys, before (10 presses)", before, "ms",
        "-");
    bench::Report("Agent's worst answer while a newer hook takes its keys (10 presses)",
                  bench::Summarize(now), "ms", "worst < 100 ms");
    return 0;
}
