// How long the real agent takes from an injected key event of a button to the first key
// of the action it synthesizes, less the wait its settings impose: the key-down of a
// button without double and hold (no wait), the release of a button with a double slot
// (less "DoubleTime"), and the key-down of a held button (less "HoldTime").
#include <string>
#include <vector>

#include "bench/bench_agent.h"
#include "bench/bench_common.h"

using namespace e2e_agent;

namespace {

constexpr int kPresses = 50;
constexpr DWORD kDoubleTime = 150;
constexpr DWORD kHoldTime = 500;
constexpr BYTE kImmediate = 0xC1;  // single only: runs at the key-down
constexpr BYTE kTimed = 0xC2;      // single, double and hold

}  // namespace

int main() {
    ReleaseModifiers();
    ClearSettings();
    SeedTimes(kDoubleTime, kHoldTime);
    SeedButton(L"40C1", {{0, kestrel::kActionKeySequence, L"#1#"}});
    SeedButton(L"40C2", {{0, kestrel::kActionKeySequence, L"#1#"},
                         {1, kestrel::kActionKeySequence, L"#2#"},
                         {2, kestrel::kActionKeySequence, L"#3#"}});
    KeyObserver observer;  // older than the agent's hook
    AgentFolder folder;
    const bench::StartedAgent agent(folder, 300);
    if (!agent.Started()) {
        return 1;
    }

    std::vector<double> immediate, single, hold;
    for (int i = 0; i < kPresses; ++i) {
        observer.Clear();
        KeyDown(VK_LWIN);
        const double down = NowMs();
        KeyDown(kImmediate);
        const double at = bench::FirstActionKey(observer, down);
        ButtonUp(kImmediate);
        if (at >= 0) {
            immediate.push_back(at - down);
        }
        Pump(30);
    }
    for (int i = 0; i < kPresses; ++i) {
        observer.Clear();
        ButtonDown(kTimed);
        Pump(20);
        KeyUp(kTimed);
        const double up = NowMs();
        KeyUp(VK_LWIN);
        const double at = bench::FirstActionKey(observer, up);
        if (at >= 0) {
            single.push_back(at - up - kDoubleTime);
        }
        Pump(30);
    }
    for (int i = 0; i < kPresses; ++i) {
        observer.Clear();
        KeyDown(VK_LWIN);
        const double down = NowMs();
        KeyDown(kTimed);
        const double at = bench::FirstActionKey(observer, down);
        ButtonUp(kTimed);
        if (at >= 0) {
            hold.push_back(at - down - kHoldTime);
        }
        Pump(kDoubleTime + 50);  // let the ignored key-up settle
    }

    agent.Close();
    ClearSettings();
    ReleaseModifiers();
    if (immediate.size() < kPresses || single.size() < kPresses || hold.size() < kPresses) {
        std::fprintf(stderr, "presses without action: %zu, %zu, %zu of %d\n",
                     kPresses - immediate.size(), kPresses - single.size(), kPresses - hold.size(),
                     kPresses);
    }
    bench::ReportSamples("Agent: key-down to first action key, no wait (50 presses)", immediate,
                         "ms", "median < 10 ms");
    bench::ReportSamples("Agent: release to single-press action, less DoubleTime (50 presses)",
                         single, "ms", "median < 10 ms");
    bench::ReportSamples("Agent: key-down to hold action, less HoldTime (50 presses)", hold, "ms",
                         "median < 10 ms");
    return 0;
}
