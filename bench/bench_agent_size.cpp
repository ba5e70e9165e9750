// Size of Kestrel.exe and the agent's working set after start-up, over repeated starts. Under
// Wine a process's working set is mostly Wine's own; the figure the agent adds is its
// working set less that of an idle Win32 program with one window that loads the same system
// libraries, under the same Wine.
#include <windows.h>
#include <psapi.h>

#include <string>
#include <vector>

#include "bench/bench_agent.h"
#include "bench/bench_common.h"

using namespace e2e_agent;

namespace {

constexpr int kStarts = 5;

double WorkingSetKb(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(process, &counters, sizeof(counters))) {
        return -1;
    }
    return static_cast<double>(counters.WorkingSetSize) / 1024.0;
}

// An idle program started and measured the same way, once it waits for input.
double IdleWorkingSetKb(const std::wstring& path) {
    const testing_support::Program idle(path);  // ended by force as it goes out of scope
    if (!idle.Started()) {
        return -1;
    }
    WaitForInputIdle(idle.Handle(), kPatience);
    Pump(500);
    return WorkingSetKb(idle.Handle());
}

}  // namespace

int main() {
    ClearSettings();
    SeedButton(L"40C1", {{0, kestrel::kActionKeySequence, L"#1#"},
                         {1, kestrel::kActionDeviceCommand, L"2"},
                         {2, kestrel::kActionKeySequence, L"#AC"}});
    SeedButton(L"40C2", {{0, kestrel::kActionStandardButton, L""}});

    WIN32_FILE_ATTRIBUTE_DATA file = {};
    GetFileAttributesExW(HostPath(KESTREL_AGENT_EXE).c_str(), GetFileExInfoStandard, &file);
    const double fileKb = static_cast<double>(file.nFileSizeLow) / 1024.0;
    bench::Report("Kestrel.exe file size", {fileKb, fileKb}, "KB", "< 1024 KB");

    std::vector<double> agentKb, addedKb;
    for (int i = 0; i < kStarts; ++i) {
        AgentFolder folder;
        const bench::StartedAgent agent(folder, 500);
        if (!agent.Started()) {
            return 1;
        }
        const double kb = WorkingSetKb(agent.Process());
        agent.Close();
        const double idle = IdleWorkingSetKb(HostPath(KESTREL_IDLE_EXE));
        if (kb > 0 && idle > 0) {
            agentKb.push_back(kb);
            addedKb.push_back(kb - idle);
        }
    }
    ClearSettings();
    if (agentKb.empty()) {
        std::fprintf(stderr, "no working set could be read\n");
        return 1;
    }
    bench::Report("Kestrel working set after start-up, as Wine reports it",
                  bench::Summarize(agentKb), "KB", "< 1024 KB");
    bench::Report("Kestrel working set above an idle program with its libraries",
                  bench::Summarize(addedKb), "KB", "< 1024 KB");
    return 0;
}
