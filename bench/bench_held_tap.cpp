// The real agent's tap of a button whose hold holds Ctrl, against the same tap of a button
// whose hold is an ordinary action: from the injected release to the first key of the
// single's action. The held button's press is reported only at its release, so this is
// what the choice costs a tap.
#include <vector>

#include "bench/bench_agent.h"
#include "bench/bench_common.h"

using namespace e2e_agent;

namespace {

constexpr int kPresses = 50;
constexpr BYTE kWhileHeld = 0xC1;
constexpr BYTE kOrdinary = 0xC2;

std::vector<double> Taps(KeyObserver& observer, BYTE button) {
    std::vector<double> taps;
    for (int i = 0; i < kPresses; ++i) {
        observer.Clear();
        ButtonDown(button);
        Pump(20);
        // Timed from before the injection: the action may come before the call returns.
        const double up = NowMs();
        KeyUp(button);
        KeyUp(VK_LWIN);
        const double at = bench::FirstActionKey(observer, up);
        if (at >= 0) {
            taps.push_back(at - up);
        }
        Pump(30);
    }
    return taps;
}

}  // namespace

int main() {
    ReleaseModifiers();
    ClearSettings();
    SeedTimes(150, 500);
    SeedButton(L"40C1",
               {{0, kestrel::kActionKeySequence, L"#1#"}, {2, kestrel::kActionWhileHeld, L"C"}});
    SeedButton(L"40C2", {{0, kestrel::kActionKeySequence, L"#1#"},
                         {2, kestrel::kActionKeySequence, L"#3#"}});
    KeyObserver observer;  // older than the agent's hook
    AgentFolder folder;
    const bench::StartedAgent agent(folder, 300);
    if (!agent.Started()) {
        return 1;
    }
    const std::vector<double> whileHeld = Taps(observer, kWhileHeld);
    const std::vector<double> ordinary = Taps(observer, kOrdinary);
    agent.Close();
    ClearSettings();
    ReleaseModifiers();
    if (whileHeld.size() < kPresses || ordinary.size() < kPresses) {
        std::fprintf(stderr, "taps without action: %zu, %zu of %d\n", kPresses - whileHeld.size(),
                     kPresses - ordinary.size(), kPresses);
    }
    bench::ReportSamples("Agent: release to tap action, hold held Ctrl (50 presses)", whileHeld,
                         "ms", "median < 10 ms");
    bench::ReportSamples("Agent: release to tap action, ordinary hold (50 presses)", ordinary, "ms",
                         "-");
    return 0;
}
