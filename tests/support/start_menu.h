#pragma once
// The prefix's real Start menu, where the customizer looks for programs and shortcuts.
#include <windows.h>
#include <shlobj.h>

#include <string>

namespace testing_support {

// The Start menu's "Programs" folder.
inline std::wstring ProgramsFolder() {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, CSIDL_PROGRAMS, TRUE);
    return path;
}

// The Start menu itself: the folder that holds "Programs".
inline std::wstring StartMenuFolder() {
    const std::wstring programs = ProgramsFolder();
    return programs.substr(0, programs.rfind(L'\\'));
}

// The Start menu of all users: the folder that holds its "Programs".
inline std::wstring CommonStartMenuFolder() {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, CSIDL_COMMON_PROGRAMS, TRUE);
    const std::wstring programs = path;
    return programs.substr(0, programs.rfind(L'\\'));
}

}  // namespace testing_support
