#pragma once
// Runs the real programs, KestrelConfig.exe and Kestrel.exe, copied side by side into a
// folder of their own, and watches them from outside: windows found by title, the sheet
// driven by the messages a user's taps would cause, the registry read directly.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "support/registry.h"

namespace e2e {

inline constexpr wchar_t kSheetTitle[] = L"Kestrel設定";
inline constexpr DWORD kPatience = 15000;  // a Wine process start can take seconds

// A path the build gave as a Unix path, as Wine sees it.
inline std::wstring HostPath(const char* path) {
    std::wstring result;
    if (path[0] == '/') {
        result = L"Z:";
    }
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

// Handles whatever is sent or posted to this thread's windows for `ms` milliseconds.
inline void Pump(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) {
            return;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

// Pumps this thread's messages until `done` holds or `ms` have passed.
inline bool WaitUntil(const std::function<bool()>& done, DWORD ms = kPatience) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!done()) {
        if (GetTickCount64() >= end) {
            return false;
        }
        Pump(20);
    }
    return true;
}

// A folder of its own under the temporary folder, removed with everything in it.
class ScratchFolder {
  public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        wchar_t name[64];
        swprintf(name, 64, L"kestrel-e2e-%lu-%llu", GetCurrentProcessId(),
                 static_cast<unsigned long long>(GetTickCount64()));
        path_ = std::wstring(temp) + name;
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }

    // Copies `source` into the folder as `name`; returns the copy's path.
    std::wstring Copy(const std::wstring& source, const std::wstring& name) const {
        std::wstring target = path_ + L"\\" + name;
        CopyFileW(source.c_str(), target.c_str(), FALSE);
        return target;
    }

    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") {
                    continue;
                }
                std::wstring full = folder + L"\\" + name;
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

  private:
    std::wstring path_;
};

// A program this test started; ended by force if it is still running at the end.
class Program {
  public:
    explicit Program(const std::wstring& path) {
        std::wstring commandLine = L"\"" + path + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &startup, &info)) {
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
    DWORD Id() const { return processId_; }
    bool IsRunning() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

    // Waits for the program to end, handling this thread's messages meanwhile (a program
    // may be sending to one of our windows). False when it is still running.
    bool WaitForExit(DWORD ms = kPatience) const {
        return WaitUntil([this] { return !IsRunning(); }, ms);
    }

    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_, &code);
        return code;
    }

  private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

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

// The customizer's property sheet, as its user sees it.
class Sheet {
  public:
    // Waits for the sheet of process `processId` to appear.
    static Sheet Find(DWORD processId, DWORD ms = kPatience) {
        HWND found = nullptr;
        WaitUntil(
            [&] {
                for (HWND window : TopLevelWindowsOf(processId)) {
                    if (TextOf(window) == kSheetTitle) {
                        found = window;
                        return true;
                    }
                }
                return false;
            },
            ms);
        return Sheet(found);
    }

    explicit Sheet(HWND window) : window_(window) {}
    HWND Window() const { return window_; }
    bool Exists() const { return window_ && IsWindow(window_); }

    HWND CurrentPage() const {
        DWORD_PTR page = 0;
        SendMessageTimeoutW(window_, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_NORMAL, 5000, &page);
        return reinterpret_cast<HWND>(page);
    }

    // The pages tell themselves apart by their controls: only the Timing page has the
    // hold label, only the Button page has the button list.
    static bool IsTimingPage(HWND page) { return page && GetDlgItem(page, IDC_LABEL_HOLD); }
    static bool IsButtonPage(HWND page) {
        return page && GetDlgItem(page, IDC_LIST_BUTTONS) && !GetDlgItem(page, IDC_LABEL_HOLD);
    }

    // The Timing page's window, if it was ever created.
    HWND TimingPageWindow() const {
        HWND child = nullptr;
        while ((child = FindWindowExW(window_, child, nullptr, nullptr)) != nullptr) {
            if (IsTimingPage(child)) {
                return child;
            }
        }
        return nullptr;
    }

    // Chooses tab `index`, as a tap on it would.
    void Select(int index) const { PostMessageW(window_, PSM_SETCURSEL, index, 0); }
    // Presses a button of the sheet: PSBTN_OK, PSBTN_CANCEL.
    void Press(int button) const { PostMessageW(window_, PSM_PRESSBUTTON, button, 0); }

    // Chooses the Timing page and waits until it is the current page.
    HWND OpenTimingPage() const {
        Select(1);
        HWND page = nullptr;
        WaitUntil([&] {
            page = CurrentPage();
            return IsTimingPage(page);
        });
        return IsTimingPage(page) ? page : nullptr;
    }

  private:
    HWND window_;
};

// A dialog of process `processId` other than the sheet: a message box the program shows.
inline HWND WaitForMessageBox(DWORD processId, HWND sheet, DWORD ms = kPatience) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindowsOf(processId)) {
                if (window != sheet && ClassOf(window) == L"#32770") {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        ms);
    return found;
}

// Answers a message box with its default button and waits for it to go.
inline bool Dismiss(HWND box) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
}

inline std::wstring ButtonKeyPath(const wchar_t* keyName) {
    return std::wstring(kestrel::kProductKeyPath) + L"\\" + keyName;
}

inline bool ReadProductDword(const wchar_t* name, DWORD& value) {
    return testing_support::ReadDwordValue(HKEY_CURRENT_USER, kestrel::kProductKeyPath, name,
                                           value);
}

// Stands in for the agent: a window of the agent's class and title in this process that
// counts MSG_RELOAD and notes what the settings held when each one arrived.
class FakeAgent {
  public:
    struct Reload {
        bool doubleTimeStored = false;
        DWORD doubleTime = 0;
        bool holdTimeStored = false;
        DWORD holdTime = 0;
        std::wstring firstButtonName;  // "Name" of the first button's settings key
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };

    explicit FakeAgent(const wchar_t* firstButtonKey) : firstButtonKey_(firstButtonKey) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &FakeAgent::Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kestrel::kAgentClassName;
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, kestrel::kAgentClassName, kestrel::kAgentWindowTitle, 0,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), this);
    }
    ~FakeAgent() {
        DestroyWindow(window_);
        UnregisterClassW(kestrel::kAgentClassName, GetModuleHandleW(nullptr));
    }
    FakeAgent(const FakeAgent&) = delete;
    FakeAgent& operator=(const FakeAgent&) = delete;

    HWND Window() const { return window_; }
    const std::vector<Reload>& Reloads() const { return reloads_; }
    // Whether the customizer was still running when the first reload arrived.
    bool customizerAliveAtReload = false;
    std::function<bool()> customizerAlive;

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<FakeAgent*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == kestrel::MSG_RELOAD) {
            self->NoteReload(wParam, lParam);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    void NoteReload(WPARAM wParam, LPARAM lParam) {
        Reload reload;
        reload.doubleTimeStored = ReadProductDword(kestrel::kValueDoubleTime, reload.doubleTime);
        reload.holdTimeStored = ReadProductDword(kestrel::kValueHoldTime, reload.holdTime);
        reload.firstButtonName = testing_support::ReadStringValue(
            HKEY_CURRENT_USER, ButtonKeyPath(firstButtonKey_.c_str()), kestrel::kValueName);
        reload.wParam = wParam;
        reload.lParam = lParam;
        if (reloads_.empty() && customizerAlive) {
            customizerAliveAtReload = customizerAlive();
        }
        reloads_.push_back(reload);
    }

    std::wstring firstButtonKey_;
    HWND window_ = nullptr;
    std::vector<Reload> reloads_;
};

// The folder whose shortcuts and programs the customizer offers: the Start menu itself.
inline std::wstring StartMenuFolder() {
    wchar_t programs[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, programs, CSIDL_PROGRAMS, TRUE);
    std::wstring folder = programs;
    return folder.substr(0, folder.rfind(L'\\'));
}

}  // namespace e2e
