#include "common/exe_directory.h"

#include <windows.h>

#include <cwchar>

#include "platform/os_calls.h"

namespace kestrel {

namespace {
constexpr DWORD kPathChars = 260;
wchar_t exeDirectory[kPathChars] = {};
}  // namespace

const wchar_t* GetExeDirectory() {
    if (exeDirectory[0] != L'\0') {
        return exeDirectory;
    }
    wchar_t path[kPathChars] = {};
    const DWORD length =
        platform::Os().GetModuleFileNameW(GetModuleHandleW(nullptr), path, kPathChars);
    // A failed or truncated read leaves no trustworthy path: keep the folder empty.
    if (length == 0 || length >= kPathChars) {
        return exeDirectory;
    }
    path[length] = L'\0';
    const wchar_t* lastBackslash = wcsrchr(path, L'\\');
    if (!lastBackslash) {
        return exeDirectory;
    }
    const size_t folderChars = static_cast<size_t>(lastBackslash - path) + 1;
    wmemcpy(exeDirectory, path, folderChars);
    exeDirectory[folderChars] = L'\0';
    return exeDirectory;
}

}  // namespace kestrel
