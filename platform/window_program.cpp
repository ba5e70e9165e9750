#include "platform/window_program.h"

#include "platform/press_rules.h"

namespace platform {

namespace {

constexpr wchar_t kFrameHostFileName[] = L"applicationframehost.exe";

// The last part of a process's image path, lower-case; empty when it cannot be read.
std::wstring ProcessFileName(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) {
        return std::wstring();
    }
    wchar_t path[MAX_PATH * 2];
    DWORD size = ARRAYSIZE(path);
    const BOOL read = QueryFullProcessImageNameW(process, 0, path, &size);
    CloseHandle(process);
    if (!read || size == 0) {
        return std::wstring();
    }
    const std::wstring full(path, size);
    const size_t slash = full.find_last_of(L"\\/");
    return ProgramKey(slash == std::wstring::npos ? full : full.substr(slash + 1));
}

struct HostedSearch {
    DWORD frameProcessId;
    DWORD hostedProcessId;
};

BOOL CALLBACK FindHostedChild(HWND child, LPARAM context) {
    auto* search = reinterpret_cast<HostedSearch*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(child, &processId);
    if (processId != 0 && processId != search->frameProcessId) {
        search->hostedProcessId = processId;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

WindowProgram ProgramOfWindow(HWND window) {
    WindowProgram program;
    DWORD processId = 0;
    if (!window || !GetWindowThreadProcessId(window, &processId) || processId == 0) {
        return program;
    }
    program.fileName = ProcessFileName(processId);
    if (program.fileName != kFrameHostFileName) {
        return program;
    }
    HostedSearch search = {processId, 0};
    EnumChildWindows(window, FindHostedChild, reinterpret_cast<LPARAM>(&search));
    if (search.hostedProcessId == 0) {
        program.settled = false;
        return program;
    }
    program.fileName = ProcessFileName(search.hostedProcessId);
    return program;
}

HWND TopLevelWindowAt(POINT point) {
    HWND window = WindowFromPoint(point);
    return window ? GetAncestor(window, GA_ROOT) : nullptr;
}

}  // namespace platform
