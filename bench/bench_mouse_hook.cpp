// What the agent's mouse hook costs someone who clicks: the time from injecting a click
// that is no button (a left click, and a middle click while only back and forward are
// buttons) to the moment a hook older than the agent's sees it. Rounds of the same clicks
// run side by side in one run: with no agent, with the agent's hot keys released (no hook
// thread, no mouse hook) and with its buttons in place. Median and p99 of each, and what
// the mouse hook adds.
#include <atomic>
#include <memory>
#include <vector>

#include "bench/bench_agent.h"
#include "bench/bench_common.h"
#include "support/hook_thread.h"

using namespace e2e_agent;

namespace {

constexpr int kClicks = 50;  // per kind and phase of a round; downs and ups both count
constexpr int kRounds = 16;
constexpr ULONG_PTR kMark = 0x4B4D;  // the benchmark's own clicks, which its hook takes
constexpr BYTE kButtons[] = {VK_XBUTTON1, VK_XBUTTON2};

struct ClickKind {
    const char* name;
    DWORD downFlag, upFlag;
    WPARAM downMessage, upMessage;
};
constexpr ClickKind kLeft = {"left", MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, WM_LBUTTONDOWN,
                             WM_LBUTTONUP};
constexpr ClickKind kMiddle = {"middle", MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP,
                               WM_MBUTTONDOWN, WM_MBUTTONUP};

// The observer: the oldest mouse hook, on a thread that does nothing but answer it. It
// takes every marked event, so that no window under the pointer gets the clicks.
std::atomic<WPARAM> awaited{0};
std::atomic<double> seenAtMs{0.0};

LRESULT CALLBACK ObserverHook(int code, WPARAM message, LPARAM lParam) {
    if (code != HC_ACTION || reinterpret_cast<MSLLHOOKSTRUCT*>(lParam)->dwExtraInfo != kMark) {
        return CallNextHookEx(nullptr, code, message, lParam);
    }
    if (message == awaited) {
        seenAtMs = NowMs();
    }
    return 1;
}

// Latency of each injected down and up to the observer's hook, in microseconds.
void Click(const ClickKind& kind, std::vector<double>* latencies) {
    for (int i = 0; i < kClicks; ++i) {
        for (bool up : {false, true}) {
            awaited = up ? kind.upMessage : kind.downMessage;
            seenAtMs = 0.0;
            const double sent = NowMs();
            mouse_event(up ? kind.upFlag : kind.downFlag, 0, 0, 0, kMark);
            if (WaitUntil([] { return seenAtMs != 0.0; }, 2000)) {
                latencies->push_back((seenAtMs - sent) * 1000.0);
            }
        }
        Sleep(1);
    }
}

struct Phase {
    const char* name;
    std::vector<double> left{}, middle{};
    void Measure() {
        Click(kLeft, &left);
        Click(kMiddle, &middle);
    }
};

// Median and p99 of a phase's clicks of `kind`; less those of `baseline` where one is
// given, as the figure `added`.
void ReportClicks(const ClickKind& kind, const Phase& phase, const Phase* baseline = nullptr,
                  const char* added = nullptr) {
    auto samples = [&](const Phase& p) -> const std::vector<double>& {
        return &kind == &kLeft ? p.left : p.middle;
    };
    bench::Summary figure = bench::MedianAndP99(samples(phase));
    char name[160];
    if (baseline) {
        const bench::Summary base = bench::MedianAndP99(samples(*baseline));
        figure.median -= base.median;
        figure.worst -= base.worst;
        std::snprintf(name, sizeof(name), "Clicking %s: %s, median and p99", kind.name, added);
    } else {
        std::snprintf(name, sizeof(name),
                      "Clicking %s %s: click to the next hook, median and p99 (%zu)", kind.name,
                      phase.name, samples(phase).size());
    }
    bench::Report(name, figure, "us", baseline ? "p99 < 500 us" : "-");
}

// Back and forward are buttons, as a desktop user adds them; the middle button is not.
void SeedBackAndForward() {
    ClearSettings();
    for (const wchar_t* name : {L"4005", L"4006"}) {
        SeedButton(name, {{0, kestrel::kActionKeySequence, L"#1#"},
                          {1, kestrel::kActionKeySequence, L"#2#"},
                          {2, kestrel::kActionKeySequence, L"#3#"}});
    }
}

// Rounds of clicks with the agent's buttons released and in place, by the messages any
// program may send; false when the agent did not start.
bool MeasureAgent(Phase* released, Phase* taken) {
    AgentFolder folder;
    const bench::StartedAgent agent(folder, 500);
    if (!agent.Started()) {
        return false;
    }
    for (int round = 0; round < kRounds; ++round) {
        for (bool buttons : {false, true}) {
            for (BYTE vk : kButtons) {
                SendTo(agent.Window(),
                       buttons ? kestrel::MSG_RESTORE_TEMP : kestrel::MSG_RELEASE_TEMP, vk);
            }
            Pump(50);
            (buttons ? taken : released)->Measure();
        }
    }
    agent.Close();
    return true;
}

}  // namespace

int main() {
    // Hooked before the agent starts: older than the agent's hook, it sees each click after.
    auto observer = std::make_unique<testing_support::HookThread>(WH_MOUSE_LL, ObserverHook);
    SeedBackAndForward();
    Pump(200);

    // The clicks with no agent come half before it starts and half after it has gone, so
    // that the load of the shared machine falls on them as on the rounds between.
    Phase none{"with no agent running"}, released{"with the agent's hot keys released"},
        taken{"with the agent"};
    for (int round = 0; round < kRounds / 2; ++round) {
        none.Measure();
    }
    const bool agentRan = MeasureAgent(&released, &taken);
    for (int round = 0; round < kRounds / 2; ++round) {
        none.Measure();
    }
    observer.reset();
    ClearSettings();

    if (!agentRan) {
        return 1;
    }
    for (const Phase* phase : {&none, &released, &taken}) {
        if (phase->left.empty() || phase->middle.empty()) {
            std::fprintf(stderr, "no clicks reached the observer %s\n", phase->name);
            return 1;
        }
    }
    for (const ClickKind* kind : {&kLeft, &kMiddle}) {
        for (const Phase* phase : {&none, &released, &taken}) {
            ReportClicks(*kind, *phase);
        }
        ReportClicks(*kind, taken, &none, "added by the agent, against no agent running");
        ReportClicks(*kind, taken, &released,
                     "added by the agent's mouse hook, against its hot keys released");
    }
    return 0;
}
