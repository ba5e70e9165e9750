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
constexpr DWORD kFirstActionKey = 2;  // every key sequence opens with a release of key 2

double FirstActionKey(KeyObserver& observer, double since) {
    double at = -1;
    WaitUntil(
        [&] {
            for (const KeyObserver::Event& e : observer.Events()) {
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
        const double at = FirstActionKey(observer, up);
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
    HANDLE agent = nullptr;
    HWND window = bench::StartAgentWindow(folder, &agent);
    if (!window) {
        return 1;
    }
    Pump(300);
    const std::vector<double> whileHeld = Taps(observer, kWhileHeld);
    const std::vector<double> ordinary = Taps(observer, kOrdinary);
    SendTo(window, WM_CLOSE);
    AgentFolder::WaitForExit(agent, 10000);
    ClearSettings();
    ReleaseModifiers();
    if (whileHeld.size() < kPresses || ordinary.size() < kPresses) {
        std::fprintf(stderr, "taps without action: %zu, %zu of %d\n", kPresses - whileHeld.size(),
                     kPresses - ordinary.size(), kPresses);
    }
    if (!whileHeld.empty()) {
        bench::Report("Agent: release to tap action, hold held Ctrl (50 presses)",
                      bench::Summarize(whileHeld), "ms", "median < 10 ms");
    }
    if (!ordinary.empty()) {
        bench::Report("Agent: release to tap action, ordinary hold (50 presses)",
                      bench::Summarize(ordinary), "ms", "-");
    }
    return 0;
}
