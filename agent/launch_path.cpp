#include "agent/launch_path.h"

#include <windows.h>
#include <shellapi.h>

#include "agent/agent_state.h"
#include "platform/os_calls.h"

namespace kestrel {

void LaunchPath(const wchar_t* path) {
    if (!path || path[0] == L'\0') {
        return;
    }
    // The record's size is the desktop's own; every other field is as on the handheld.
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = 0;
    info.hwnd = agentWindow;
    info.lpVerb = L"open";
    info.lpFile = path;
    info.lpParameters = L"";
    info.lpDirectory = nullptr;
    info.nShow = SW_SHOW;
    info.hInstApp = reinterpret_cast<HINSTANCE>(agentInstance);
    platform::Os().ShellExecuteExW(&info);
}

}  // namespace kestrel
