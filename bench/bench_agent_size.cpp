// Size of Kestrel.exe and the agent's working set after start-up, over repeated starts. Under
// Wine a process's working set is mostly Wine's own; the figure the agent adds is its
// working set less that of an idle Win32 program with one window that loads the same system
// libraries, under the same Wine.
#include <windows.h>
#include <psapi.h>

#include <string>
#include <vector>

#include "bench/bench_common.h"
#include "e2e_agent/agent_harness.h"

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
    const std::wstring commandLine = L"\"" + path + L"\"";
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(path.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return -1;
    }
    WaitForInputIdle(info.hProcess, kPatience);
    Pump(500);
    const double kb = WorkingSetKb(info.hProcess);
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return kb;
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
        HANDLE agent = folder.StartAgent();
        HWND window = agent ? AgentFolder::WaitForWindow(agent) : nullptr;
        if (!window) {
            std::fprintf(stderr, "the agent did not start\n");
            return 1;
        }
        Pump(500);
        const double kb = WorkingSetKb(agent);
        SendTo(window, WM_CLOSE);
        AgentFolder::WaitForExit(agent, 10000);
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
