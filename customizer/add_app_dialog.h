#pragma once
// "アプリを追加": the programs that have a window open now (icon, name, file name), and
// "参照…" for any program file.
#include <windows.h>

#include "platform/open_programs.h"

namespace kestrel {

// Shows the dialog over `owner` until the user picks a program (true, `chosen` set) or
// cancels (false).
bool AskForApp(HWND owner, platform::OpenProgram& chosen);

// The program a chosen file stands for: its path, file name and description (else its
// file name without the folder).
platform::OpenProgram ProgramFromFile(const std::wstring& path);

// The small icon of a program file; the system's icon for program files when the file
// has none or cannot be read. The caller destroys it.
HICON SmallProgramIcon(const std::wstring& path);

}  // namespace kestrel
