#pragma once
// Which program a window belongs to, by the file name the system reports for its process.
#include <windows.h>

#include <string>

namespace platform {

struct WindowProgram {
    // Lower-case file name ("notepad.exe"); empty where the process cannot be asked (it
    // runs elevated, or is gone) or there is no window.
    std::wstring fileName;
    // False for a frame that hosts another process's app and has no app in it yet: ask
    // again later rather than remember the frame's own name.
    bool settled = true;
};

// The program of `window`, as the customizer lists the open programs
// (platform/open_programs.h): a Store app's frame counts as the hosted app's.
WindowProgram ProgramOfWindow(HWND window);

// The top-level window under `point`, which receives a click there.
HWND TopLevelWindowAt(POINT point);

}  // namespace platform
