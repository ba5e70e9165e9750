// The programs with a window open now, as the system reports them: a real program started
// beside the test is listed once by its file name and path, and the test's own windows are
// not.
#include "platform/open_programs.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/message_pump.h"
#include "support/wine_programs.h"

using platform::ListOpenProgramsNow;
using platform::OpenProgram;

namespace {

constexpr DWORD kDeadlineMs = 30000;

const OpenProgram* Listed(const std::vector<OpenProgram>& programs, const wchar_t* fileName) {
    for (const OpenProgram& program : programs) {
        if (_wcsicmp(program.fileName.c_str(), fileName) == 0) {
            return &program;
        }
    }
    return nullptr;
}

TEST(OpenProgramsTest, AProgramWithAWindowIsListedOnceAndThisProcessIsNot) {
    // A window of this process, visible and titled, as the customizer's own sheet is.
    HWND own =
        CreateWindowExW(0, L"STATIC", L"open programs test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                        200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(own, nullptr);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring command = std::wstring(system) + L"\\notepad.exe";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));

    std::vector<OpenProgram> programs;
    const bool listed = testing_support::PumpUntil(
        [&] {
            programs = ListOpenProgramsNow();
            return Listed(programs, L"notepad.exe") != nullptr;
        },
        kDeadlineMs, 100);
    const std::vector<HWND> windows = testing_support::TopLevelWindowsOf(process.dwProcessId);
    const std::wstring windowPath =
        windows.empty() ? L"" : platform::ProgramPathOfWindow(windows[0]);
    for (HWND window : windows) {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    testing_support::PumpUntil(
        [&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, kDeadlineMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DestroyWindow(own);

    ASSERT_TRUE(listed);
    const OpenProgram* notepad = Listed(programs, L"notepad.exe");
    EXPECT_EQ(_wcsicmp(platform::FileNameOf(notepad->path).c_str(), L"notepad.exe"), 0);
    EXPECT_NE(notepad->path.find(L'\\'), std::wstring::npos);
    EXPECT_FALSE(notepad->name.empty());
    EXPECT_EQ(windowPath, notepad->path);
    EXPECT_TRUE(platform::ProgramPathOfWindow(nullptr).empty());
    int notepads = 0;
    wchar_t ownPath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, ownPath, MAX_PATH);
    for (const OpenProgram& program : programs) {
        notepads += _wcsicmp(program.fileName.c_str(), L"notepad.exe") == 0;
        EXPECT_NE(_wcsicmp(program.fileName.c_str(), platform::FileNameOf(ownPath).c_str()), 0);
    }
    EXPECT_EQ(notepads, 1);
}

}  // namespace
