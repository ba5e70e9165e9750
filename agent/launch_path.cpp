#include "agent/launch_path.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "agent/agent_state.h"
#include "common/settings_schema.h"
#include "platform/os_calls.h"

namespace kestrel {

namespace {

// Set while a failure box is up: a button pressed again on a program that cannot start
// must not pile up boxes.
volatile LONG failureShown = 0;

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

// The box runs its modal loop on this thread of its own, never on the agent's: a press
// that comes while it is up is classified by the agent as usual, not inside the box. It
// calls the system directly, as nothing may outlive a test's stand-in for it.
DWORD WINAPI ShowFailure(LPVOID context) {
    auto* text = static_cast<std::wstring*>(context);
    MessageBoxW(nullptr, text->c_str(), kAgentWindowTitle,
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
    delete text;
    InterlockedExchange(&failureShown, 0);
    return 0;
}

void ReportFailure(const wchar_t* path, DWORD error) {
    if (InterlockedCompareExchange(&failureShown, 1, 0) != 0) {
        return;
    }
    auto* text = new std::wstring(FailureText(path, error));
    HANDLE thread = CreateThread(nullptr, 0, ShowFailure, text, 0, nullptr);
    if (!thread) {
        delete text;
        InterlockedExchange(&failureShown, 0);
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
