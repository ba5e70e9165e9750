#include "agent/launch_path.h"

#include <windows.h>
#include <shellapi.h>

#include <mutex>
#include <string>

#include "agent/agent_state.h"
#include "agent/failure_queue.h"
#include "common/settings_schema.h"
#include "platform/os_calls.h"

namespace kestrel {

namespace {

// Failures wait here for the box, which the agent's thread fills and the box's thread
// empties. The data lives on the heap and is never destroyed: a box still open at exit
// must never meet freed data.
std::mutex& failuresLock = *new std::mutex;
FailureQueue& failures = *new FailureQueue;

std::wstring FailureText(const wchar_t* path, DWORD error) {
    std::wstring text = L"プログラムを起動できませんでした。\n\n";
    text += path;
    wchar_t* reason = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<LPWSTR>(&reason), 0, nullptr);
    if (length && reason) {
        text += L"\n\n";
        text += reason;
    }
    LocalFree(reason);
    return text;
}

// The boxes run their modal loop on this thread of their own, never on the agent's: a
// press that comes while one is up is classified by the agent as usual, not inside the box.
// It calls the system directly, as nothing may outlive a test's stand-in for it.
DWORD WINAPI ShowFailures(LPVOID) {
    for (;;) {
        std::wstring text;
        {
            std::lock_guard<std::mutex> lock(failuresLock);
            if (!failures.Next(&text)) {
                return 0;
            }
        }
        MessageBoxW(nullptr, text.c_str(), kAgentWindowTitle,
                    MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
    }
}

void ReportFailure(const wchar_t* path, DWORD error) {
    const std::wstring text = FailureText(path, error);
    {
        std::lock_guard<std::mutex> lock(failuresLock);
        if (!failures.Add(text)) {
            return;
        }
    }
    HANDLE thread = CreateThread(nullptr, 0, ShowFailures, nullptr, 0, nullptr);
    if (!thread) {
        std::lock_guard<std::mutex> lock(failuresLock);
        failures.Abandon();
        return;
    }
    CloseHandle(thread);
}

}  // namespace

void LaunchPath(const wchar_t* path) {
    if (!path || path[0] == L'\0') {
        return;
    }
    // The record's size is the desktop's own. The shell's own error box would be owned by
    // the agent window and run its modal loop on the agent's thread, where the next
    // presses would run inside it: the failure is reported by a box of the agent's own.
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = agentWindow;
    info.lpVerb = L"open";
    info.lpFile = path;
    info.lpParameters = L"";
    info.lpDirectory = nullptr;
    info.nShow = SW_SHOW;
    info.hInstApp = reinterpret_cast<HINSTANCE>(agentInstance);
    if (!platform::Os().ShellExecuteExW(&info)) {
        ReportFailure(path, GetLastError());
    }
}

}  // namespace kestrel
