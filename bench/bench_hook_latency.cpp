// What the agent's keyboard hook costs someone who types: the time from injecting a key
// that is no button to the moment a hook older than the agent's sees it. Rounds of the same
// keystrokes run side by side in one run: with the agent's hot keys released (no hook),
// with another program's hook that does nothing but pass keys on (the floor of any hook in
// another process), with the agent's hook, with the agent's thread blocked, and with desktop
// keys among the buttons. Median and p99 of each, what each hook adds to both, and the
// agent's addition as a multiple of the do-nothing hook's.
#include <string>
#include <vector>

#include "bench/bench_agent.h"
#include "bench/bench_common.h"
#include "bench/pass_on_hook.h"

using namespace e2e_agent;

namespace {

constexpr int kKeys = 50;  // per phase of a round; key-downs and key-ups both count
constexpr int kRounds = 32;
constexpr BYTE kTypedKey = 'A';  // no button

// Latency of each injected event to the observer's hook, in microseconds.
std::vector<double> Type(KeyObserver& observer) {
    std::vector<double> latencies;
    for (int i = 0; i < kKeys; ++i) {
        for (bool up : {false, true}) {
            observer.Clear();
            const double sent = NowMs();
            keybd_event(kTypedKey, 0, up ? KEYEVENTF_KEYUP : 0, 0);
            KeyObserver::Event seen = {};
            if (WaitUntil([&] { return observer.Find(kTypedKey, up, 0, &seen); }, 2000)) {
                latencies.push_back((seen.ms - sent) * 1000.0);
            }
        }
        Sleep(1);
    }
    return latencies;
}

void ReportPhase(const char* name, const std::vector<double>& samples) {
    char figure[160];
    std::snprintf(figure, sizeof(figure), "Typing %s: key to the next hook, median and p99 (%zu)",
                  name, samples.size());
    bench::Report(figure, bench::MedianAndP99(samples), "us", "-");
}

// What `samples` add to `baseline`, at the median and at the p99.
bench::Summary Added(const std::vector<double>& samples, const std::vector<double>& baseline) {
    const bench::Summary with = bench::MedianAndP99(samples);
    const bench::Summary without = bench::MedianAndP99(baseline);
    return {with.median - without.median, with.worst - without.worst};
}

void ReportAdded(const char* name, const char* by, const std::vector<double>& samples,
                 const std::vector<double>& baseline, const char* aim) {
    char figure[160];
    std::snprintf(figure, sizeof(figure), "Typing %s: added by %s, median and p99", name, by);
    bench::Report(figure, Added(samples, baseline), "us", aim);
}

// The agent's addition over the do-nothing hook's, at the median and at the p99. A floor too
// small to tell from the machine's noise makes no ratio: that is said instead.
void ReportRatio(const std::vector<double>& agent, const std::vector<double>& passOn,
                 const std::vector<double>& baseline) {
    constexpr double kSmallestFloor = 5.0;  // us
    const bench::Summary byAgent = Added(agent, baseline);
    const bench::Summary byPassOn = Added(passOn, baseline);
    if (byPassOn.median < kSmallestFloor || byPassOn.worst < kSmallestFloor) {
        std::fprintf(stderr,
                     "the do-nothing hook added %.1f us (median), %.1f us (p99): no ratio\n",
                     byPassOn.median, byPassOn.worst);
        return;
    }
    bench::Report("Typing: the agent's addition over the do-nothing hook's, median and p99",
                  {byAgent.median / byPassOn.median, byAgent.worst / byPassOn.worst}, "x", "-");
}

// pass_on_hook.exe, started for the run: another program's keyboard hook that does nothing
// but pass each key on, put in place and removed on command. Closed, not killed, at the end:
// a program that ends with its hook in place can leave the other hooks deaf under Wine.
class PassOnHook {
  public:
    PassOnHook() : program_(HostPath(KESTREL_PASS_ON_HOOK_EXE)) {
        const DWORD id = program_.Id();
        WaitUntil([&] {
            window_ = FindWindowW(bench::kPassOnHookClass, nullptr);
            return (window_ && ProcessOf(window_) == id) || !program_.IsRunning();
        });
        if (!window_ || ProcessOf(window_) != id) {
            window_ = nullptr;
            std::fprintf(stderr, "the pass-on hook program did not start\n");
        }
    }
    ~PassOnHook() {
        if (window_) {
            PostMessageW(window_, WM_CLOSE, 0, 0);
            AgentFolder::WaitForExit(program_.Handle(), 10000);
        }
    }
    PassOnHook(const PassOnHook&) = delete;
    PassOnHook& operator=(const PassOnHook&) = delete;

    bool Started() const { return window_ != nullptr; }
    // Whether the hook is in place now, as asked.
    bool Set(bool inPlace) { return SendTo(window_, bench::kMsgPassOnHook, inPlace ? 1 : 0) == 1; }
    // Key events the hook passed on since it was put in place.
    LRESULT PassedOn() const { return SendTo(window_, bench::kMsgPassedOn); }

  private:
    testing_support::Program program_;
    HWND window_ = nullptr;
};

void SeedHandheldButtons() {
    for (const wchar_t* name : {L"40C1", L"40C2", L"40C3", L"40C4", L"40C5"}) {
        SeedButton(name, {{0, kestrel::kActionKeySequence, L"#1#"},
                          {1, kestrel::kActionKeySequence, L"#2#"},
                          {2, kestrel::kActionKeySequence, L"#3#"}});
    }
}

// Every button's hot keys away or back, with the messages any program may send: with none
// left the agent's hook and its thread are gone.
void SetButtons(HWND window, const std::vector<BYTE>& keys, bool registered) {
    for (BYTE vk : keys) {
        SendTo(window, registered ? kestrel::MSG_RESTORE_TEMP : kestrel::MSG_RELEASE_TEMP, vk);
    }
    Pump(50);
}

void Append(std::vector<double>* to, const std::vector<double>& samples) {
    to->insert(to->end(), samples.begin(), samples.end());
}

}  // namespace

int main() {
    ReleaseModifiers();
    ClearSettings();
    SeedHandheldButtons();
    KeyObserver observer;  // older than the agent's hook: sees a key after it
    PassOnHook passOn;     // its hook is newer than the observer's, and in place by rounds
    if (!passOn.Started()) {
        return 1;
    }
    Pump(200);
    std::vector<double> noAgent = Type(observer);

    AgentFolder folder;
    const bench::StartedAgent agent(folder, 500);
    if (!agent.Started()) {
        return 1;
    }
    const HWND window = agent.Window();
    HANDLE agentThread =
        OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(window, nullptr));

    // Rounds of the same keystrokes without a hook, with the do-nothing hook, with the
    // agent's, and with the agent's own thread stopped as if a program start hung (its hook
    // thread goes on), so the load of the shared machine falls on every phase alike.
    const std::vector<BYTE> handheld = {0xC1, 0xC2, 0xC3, 0xC4, 0xC5};
    std::vector<double> without, passedOn, with, blocked;
    bool floorMissedKeys = false;
    for (int round = 0; round < kRounds; ++round) {
        SetButtons(window, handheld, false);
        Append(&without, Type(observer));
        if (passOn.Set(true)) {
            Append(&passedOn, Type(observer));
            floorMissedKeys |= passOn.PassedOn() < 2 * kKeys;
        }
        passOn.Set(false);
        SetButtons(window, handheld, true);
        Append(&with, Type(observer));
        if (agentThread && SuspendThread(agentThread) != static_cast<DWORD>(-1)) {
            Append(&blocked, Type(observer));
            ResumeThread(agentThread);
        }
    }

    // Desktop keys among the buttons: F13 to F17 and the media keys' play/pause.
    for (const wchar_t* name : {L"407C", L"407D", L"407E", L"407F", L"4080", L"40B3"}) {
        SeedButton(name, {{0, kestrel::kActionKeySequence, L"#1#"}});
    }
    SendTo(window, kestrel::MSG_RELOAD);
    Pump(300);
    std::vector<BYTE> all = handheld;
    for (BYTE vk : {0x7C, 0x7D, 0x7E, 0x7F, 0x80, 0xB3}) {
        all.push_back(vk);
    }
    std::vector<double> withoutDesktop, desktop;
    for (int round = 0; round < kRounds; ++round) {
        SetButtons(window, all, false);
        Append(&withoutDesktop, Type(observer));
        SetButtons(window, all, true);
        Append(&desktop, Type(observer));
    }

    if (agentThread) {
        CloseHandle(agentThread);
    }
    agent.Close();
    ClearSettings();
    ReleaseModifiers();

    if (noAgent.empty() || without.empty() || passedOn.empty() || with.empty() || blocked.empty() ||
        desktop.empty() || withoutDesktop.empty()) {
        std::fprintf(stderr, "a phase saw no keys\n");
        return 1;
    }
    if (floorMissedKeys) {
        std::fprintf(stderr, "keys typed in the do-nothing rounds went past its hook\n");
        return 1;
    }
    ReportPhase("with no agent running", noAgent);
    ReportPhase("with the agent's hot keys released", without);
    ReportPhase("with a do-nothing hook", passedOn);
    ReportAdded("with a do-nothing hook", "the hook", passedOn, without, "-");
    ReportPhase("with the agent", with);
    ReportAdded("with the agent", "the agent", with, without, "p99 < 500 us");
    ReportRatio(with, passedOn, without);
    ReportPhase("with the agent's thread blocked", blocked);
    ReportAdded("with the agent's thread blocked", "the agent", blocked, without, "p99 < 500 us");
    ReportPhase("with desktop keys registered", desktop);
    ReportAdded("with desktop keys registered", "the agent", desktop, withoutDesktop,
                "p99 < 500 us");
    return 0;
}
