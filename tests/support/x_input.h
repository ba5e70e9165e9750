#pragma once
// Real keyboard and mouse input through the X server, as a physical device sends it:
// xdotool, started from this Windows program under Wine. X gives the input to the window
// with the X focus only, so a test first puts one of its windows under the pointer and
// clicks it (or moves over a window that has the focus already).
#include <windows.h>

#include <string>

namespace testing_support {

// Starts xdotool with its own words, e.g. L"key Pause" or L"click 9"; false when it did not
// start. Wine cannot wait on a Unix program: the caller waits for what the input does.
inline bool RunXdotool(const std::wstring& arguments) {
    std::wstring command = L"Z:\\usr\\bin\\xdotool " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    // Never closed: Wine puts stack leftovers here for a Unix program; closing one may close ours.
    return CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &started) != FALSE;
}

// Moves the pointer to (x, y) on the screen, then does `then` there (e.g. L"click 1").
inline bool RunXdotoolAt(int x, int y, const std::wstring& then) {
    return RunXdotool(L"mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y) + L" " + then);
}

// Moves the pointer over `window`, across its middle and just below its top edge, then does
// `then` there.
inline bool RunXdotoolOver(HWND window, const std::wstring& then) {
    RECT frame = {};
    GetWindowRect(window, &frame);
    return RunXdotoolAt((frame.left + frame.right) / 2, frame.top + 20, then);
}

}  // namespace testing_support
