#pragma once
// The programs that have a window open now, as the customizer offers them for settings of
// their own: one row per program file, with its path and the name a user knows it by.
#include <windows.h>

#include <string>
#include <vector>

namespace platform {

struct OpenProgram {
    std::wstring path;      // the program file's full path
    std::wstring fileName;  // what the settings are named after ("notepad.exe")
    std::wstring name;      // the file's own description, else its window's title
};

// Every program with a visible top-level window of its own (no tool windows, none owned
// by another window), in the windows' order from the front, each program file once, the
// calling process left out. A window of the system's frame host for Store apps counts as
// the hosted app's. Programs whose file name cannot be read (access denied) are left out.
std::vector<OpenProgram> ListOpenProgramsNow();

// The program file a top-level window stands for, as the list above takes it (a window of
// the frame host for Store apps as the hosted app's); empty when the process cannot be
// queried (access denied, or the window is gone).
std::wstring ProgramPathOfWindow(HWND window);

// The part of `path` after its last backslash or slash.
std::wstring FileNameOf(const std::wstring& path);

// The "FileDescription" of the program file's version resource; empty when it has none.
std::wstring ProgramDescription(const std::wstring& path);

}  // namespace platform
