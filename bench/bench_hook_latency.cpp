// What the agent's keyboard hook costs someone who types: the time from injecting a key
// that is no button to the moment a hook older than the agent's sees it. Rounds of the same
// keystrokes run side by side in one run: with the agent's hot keys released (no hook),
// with them, with the agent's thread blocked, and with desktop keys among the buttons.
// Median and p99 of each, and what the hook adds to both.
#include <string>
#include <vector>

#include "bench/bench_agent.h"
#include "bench/bench_common.h"

using namespace e2e_agent;

namespace {

constexpr int kKeys = 50;  // per phase of a round; key-downs and key-ups both count
constexpr int kRounds = 8;
constexpr BYTE kTypedKey = 'A';  // no button

using bench::Percentile;

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
    bench::Report(figure, {Percentile(samples, 0.5), Percentile(samples, 0.99)}, "us", "-");
}

void ReportAdded(const char* name, const std::vector<double>& samples,
                 const std::vector<double>& baseline) {
    char figure[160];
    std::snprintf(figure, sizeof(figure), "Typing %s: added by the agent, median and p99", name);
    bench::Report(figure,
                  {Percentile(samples, 0.5) - Percentile(baseline, 0.5),
                   Percentile(samples, 0.99) - Percentile(baseline, 0.99)},
                  "us", "p99 < 500 us");
}

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
    Pump(200);
    std::vector<double> noAgent = Type(observer);

    AgentFolder folder;
    HANDLE agent = nullptr;
    HWND window = bench::StartAgentWindow(folder, &agent);
    if (!window) {
        return 1;
    }
    Pump(500);
    HANDLE agentThread =
        OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(window, nullptr));

    // Rounds of the same keystrokes without the hook, with it, and with the agent's own
    // thread stopped as if a program start hung (its hook thread goes on), so the load of
    // the shared machine falls on every phase alike.
    const std::vector<BYTE> handheld = {0xC1, 0xC2, 0xC3, 0xC4, 0xC5};
    std::vector<double> without, with, blocked;
    for (int round = 0; round < kRounds; ++round) {
        SetButtons(window, handheld, false);
        Append(&without, Type(observer));
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
    SendTo(window, WM_CLOSE);
    AgentFolder::WaitForExit(agent, 10000);
    ClearSettings();
    ReleaseModifiers();

    if (noAgent.empty() || without.empty() || with.empty() || blocked.empty() || desktop.empty() ||
        withoutDesktop.empty()) {
        std::fprintf(stderr, "a phase saw no keys\n");
        return 1;
    }
    ReportPhase("with no agent running", noAgent);
    ReportPhase("with the agent's hot keys released", without);
    ReportPhase("with the agent", with);
    ReportAdded("with the agent", with, without);
    ReportPhase("with the agent's thread blocked", blocked);
    ReportAdded("with the agent's thread blocked", blocked, without);
    ReportPhase("with desktop keys registered", desktop);
    ReportAdded("with desktop keys registered", desktop, withoutDesktop);
    return 0;
}
