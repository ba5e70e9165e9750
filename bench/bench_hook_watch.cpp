// How often the agent puts its keyboard hook back at the head of the chain without cause:
// during a minute of wheel turns and clicks without a cursor move, and during a minute of
// typing that another program's newer hook takes. That program's hook also watches a key
// the agent takes (F14): while the agent's hook stays behind it, it sees each F14 the bench
// presses once a second; when it no longer does, the agent reinstalled its hook ahead of
// it, which is counted, and the program's hook goes first again. The same minutes run
// against the agent as it was before (KESTREL_BASELINE_AGENT), side by side in one run.
// KESTREL_WATCH_SECONDS sets another length for a quicker look.
#include <cstdlib>
#include <string>

#include "bench/bench_agent.h"
#include "bench/bench_common.h"
#include "bench/newer_hook.h"

using namespace e2e_agent;

namespace {

constexpr BYTE kWatchedKey = VK_F14;
constexpr BYTE kTypedKey = 'A';

bool TakesTyping(const KBDLLHOOKSTRUCT& event) {
    return event.vkCode == kTypedKey;
}

// Whether the newer hook still sees the key the agent takes.
bool StillFirst() {
    const int before = bench::NewerHook::DownsOf(kWatchedKey);
    keybd_event(kWatchedKey, 0, 0, 0);
    keybd_event(kWatchedKey, 0, KEYEVENTF_KEYUP, 0);
    return WaitUntil([&] { return bench::NewerHook::DownsOf(kWatchedKey) > before; }, 1000);
}

struct Counts {
    int wheel;
    int typing;
};

// Runs `seconds` of `input`, ten times a second; the reinstalls seen once a second.
template <typename Input>
int Reinstalls(bench::NewerHook& newer, int seconds, Input input) {
    int reinstalls = 0;
    for (int second = 0; second < seconds; ++second) {
        for (int tenth = 0; tenth < 10; ++tenth) {
            input(tenth);
            Pump(100);
        }
        if (!StillFirst()) {
            ++reinstalls;
            newer.Reinstall();
        }
    }
    return reinstalls;
}

bool Measure(const std::wstring& agentExe, int seconds, HWND target, Counts* counts) {
    AgentFolder folder;
    folder.Copy(agentExe, L"Kestrel.exe");
    const bench::StartedAgent agent(folder, 500);
    if (!agent.Started()) {
        return false;
    }
    {
        bench::NewerHook newer(&TakesTyping);
        bench::NewerHook::Watch(kWatchedKey);
        RECT area;
        GetWindowRect(target, &area);
        SetCursorPos((area.left + area.right) / 2, (area.top + area.bottom) / 2);
        Pump(300);
        newer.Reinstall();
        counts->wheel = Reinstalls(newer, seconds, [](int tenth) {
            mouse_event(MOUSEEVENTF_WHEEL, 0, 0, tenth % 2 ? WHEEL_DELTA : -WHEEL_DELTA, 0);
            if (tenth == 5) {
                mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
                mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
            }
        });
        counts->typing = Reinstalls(newer, seconds, [](int) {
            keybd_event(kTypedKey, 0, 0, 0);
            keybd_event(kTypedKey, 0, KEYEVENTF_KEYUP, 0);
        });
    }
    agent.Close();
    return true;
}

}  // namespace

int main() {
    ReleaseModifiers();
    ClearSettings();
    SeedButton(L"407D", {{0, kestrel::kActionProgram, L""}});  // F14, taken, runs nothing
    char text[32] = {};
    GetEnvironmentVariableA("KESTREL_WATCH_SECONDS", text, sizeof(text));
    const int seconds = text[0] ? std::atoi(text) : 60;
    // Where the clicks land: a window of the bench's own.
    HWND target = CreateWindowExW(0, L"STATIC", L"bench_hook_watch", WS_POPUP | WS_VISIBLE, 100,
                                  100, 200, 200, nullptr, nullptr, nullptr, nullptr);

    char baseline[MAX_PATH] = {};
    GetEnvironmentVariableA("KESTREL_BASELINE_AGENT", baseline, MAX_PATH);
    Counts before = {};
    const bool haveBefore = baseline[0] && Measure(HostPath(baseline), seconds, target, &before);
    Counts now = {};
    const bool haveNow = Measure(HostPath(KESTREL_AGENT_EXE), seconds, target, &now);
    DestroyWindow(target);
    ClearSettings();
    if (!haveNow) {
        return 1;
    }
    char figure[160];
    auto report = [&](const char* what, const char* when, int count, const char* aim) {
        std::snprintf(figure, sizeof(figure), "Hook reinstalls during %d s of %s%s", seconds, what,
                      when);
        bench::Report(figure, {static_cast<double>(count), static_cast<double>(count)},
                      "reinstalls", aim);
    };
    if (haveBefore) {
        report("wheel turns and clicks", ", before", before.wheel, "-");
        report("typing a newer hook takes", ", before", before.typing, "-");
    }
    report("wheel turns and clicks", "", now.wheel, "none");
    report("typing a newer hook takes", "", now.typing, "none");
    return 0;
}
