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
constexpr BYTE kImmediate = 0xC1;     // single only: runs at the key-down
constexpr BYTE kTimed = 0xC2;         // single, double and hold
constexpr DWORD kFirstActionKey = 2;  // every key sequence opens with a release of key 2

// The moment the agent's first synthesized key arrived after `since`, or a negative value.
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
    HANDLE agent = nullptr;
    HWND window = bench::StartAgentWindow(folder, &agent);
    if (!window) {
        return 1;
    }
    Pump(300);

    std::vector<double> immediate, single, hold;
    for (int i = 0; i < kPresses; ++i) {
        observer.Clear();
        KeyDown(VK_LWIN);
        const double down = NowMs();
        KeyDown(kImmediate);
        const double at = FirstActionKey(observer, down);
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
        const double at = FirstActionKey(observer, up);
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
        const double at = FirstActionKey(observer, down);
        ButtonUp(kTimed);
        if (at >= 0) {
            hold.push_back(at - down - kHoldTime);
        }
        Pump(kDoubleTime + 50);  // let the ignored key-up settle
    }

    SendTo(window, WM_CLOSE);
    AgentFolder::WaitForExit(agent, 10000);
    ClearSettings();
    ReleaseModifiers();
    if (immediate.size() < kPresses || single.size() < kPresses || hold.size() < kPresses) {
        std::fprintf(stderr, "presses without action: %zu, %zu, %zu of %d\n",
                     kPresses - immediate.size(), kPresses - single.size(), kPresses - hold.size(),
                     kPresses);
    }
    if (!immediate.empty()) {
        bench::Report("Agent: key-down to first action key, no wait (50 presses)",
                      bench::Summarize(immediate), "ms", "median < 10 ms");
    }
    if (!single.empty()) {
        bench::Report("Agent: release to single-press action, less DoubleTime (50 presses)",
                      bench::Summarize(single), "ms", "median < 10 ms");
    }
    if (!hold.empty()) {
        bench::Report("Agent: key-down to hold action, less HoldTime (50 presses)",
                      bench::Summarize(hold), "ms", "median < 10 ms");
    }
    return 0;
}
