#pragma once
// Real programs started by a test under Wine and watched from outside: copied into a
// folder of their own, started, ended by force if they outlive the test, and their windows
// and proof files looked at.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace testing_support {

// A path the build gave as a Unix path, as Wine sees it.
inline std::wstring HostPath(const char* path) {
    std::wstring result = path[0] == '/' ? L"Z:" : L"";
    for (const char* p = path; *p; ++p) {
        result += (*p == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    }
    return result;
}

inline bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Lines of a proof program's "<path>.started" file: one per start.
inline int StartsRecorded(const std::wstring& programPath) {
    HANDLE file =
        CreateFileW((programPath + L".started").c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    char buffer[4096];
    DWORD read = 0;
    int lines = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        for (DWORD i = 0; i < read; ++i) {
            lines += buffer[i] == '\n';
        }
    }
    CloseHandle(file);
    return lines;
}

inline DWORD ProcessOf(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

inline std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

inline std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// Visible top-level windows of one process.
inline std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
    struct Search {
        DWORD processId;
        std::vector<HWND> found;
    } search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (IsWindowVisible(window) && ProcessOf(window) == s->processId) {
                s->found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Removes `folder` with everything in it.
inline void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring full = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// A folder of its own under the temporary folder, named `prefix`-process-serial, removed
// with everything in it.
class ScratchFolder {
  public:
    explicit ScratchFolder(const wchar_t* prefix) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        wchar_t name[64];
        swprintf(name, 64, L"%ls-%lu-%d", prefix, GetCurrentProcessId(), ++serial);
        path_ = std::wstring(temp) + name;
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }

    // Copies `source` into the folder as `name`; returns the copy's path.
    std::wstring Copy(const std::wstring& source, const std::wstring& name) const {
        const std::wstring target = path_ + L"\\" + name;
        CopyFileW(source.c_str(), target.c_str(), FALSE);
        return target;
    }

  private:
    static inline int serial = 0;
    std::wstring path_;
};

// A program this test started, in `workingFolder` (null: this program's own), with
// `arguments` after its path; ended by force if it is still running at the end.
class Program {
  public:
    explicit Program(const std::wstring& path, const wchar_t* workingFolder = nullptr,
                     const std::wstring& arguments = std::wstring()) {
        std::wstring commandLine = L"\"" + path + L"\"";
        if (!arguments.empty()) {
            commandLine += L" " + arguments;
        }
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           workingFolder, &startup, &info)) {
            process_ = info.hProcess;
            processId_ = info.dwProcessId;
            CloseHandle(info.hThread);
        }
    }
    ~Program() {
        if (process_) {
            if (IsRunning()) {
                TerminateProcess(process_, 99);
                WaitForSingleObject(process_, 5000);
            }
            CloseHandle(process_);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return process_ != nullptr; }
    HANDLE Handle() const { return process_; }
    DWORD Id() const { return processId_; }
    bool IsRunning() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_, &code);
        return code;
    }

  private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

}  // namespace testing_support
