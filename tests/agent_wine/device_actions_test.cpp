// Program starts and device commands carried out for real: a started program leaves its
// proof, the input panel's window appears and goes, the Today window comes forward.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "agent/agent_state.h"
#include "agent/button_table.h"
#include "agent/classifier.h"
#include "agent/executor.h"
#include "common/exe_directory.h"
#include "press_window.h"
#include "platform/sip.h"
#include "support/press_state.h"

using namespace kestrel;

namespace {

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

HWND InputPanel() {
    return FindWindowW(KESTREL_SIP_CLASS, nullptr);
}

bool InputPanelVisible() {
    HWND panel = InputPanel();
    return panel && IsWindowVisible(panel);
}

class DeviceActionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::UseOneEnabledButton();
        agentInstance = GetModuleHandleW(nullptr);
    }
    void TearDown() override {
        buttonTable.clear();
        for (HWND window : windows) {
            DestroyWindow(window);
        }
    }

    static void Run(int32_t type, const std::wstring& command) {
        SetSlot(buttonTable[0], kPressSingle, type, command);
        ExecuteAction(kPressSingle);
    }

    HWND ShownWindow(const wchar_t* className, const wchar_t* title) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className;
        RegisterClassW(&windowClass);
        HWND window = CreateWindowExW(0, className, title, WS_POPUP | WS_VISIBLE, 10, 10, 200, 150,
                                      nullptr, nullptr, windowClass.hInstance, nullptr);
        windows.push_back(window);
        return window;
    }

    std::vector<HWND> windows;
};

TEST_F(DeviceActionsTest, AProgramActionStartsTheProgramAtItsPath) {
    // A copy under a name of its own, so its proof can only come from this start.
    const std::wstring proof = std::wstring(GetExeDirectory()) + L"..\\tools\\proof_program.exe";
    ASSERT_TRUE(FileExists(proof));
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring copy = std::wstring(temp) + L"kestrel launched " +
                              std::to_wstring(GetCurrentProcessId()) + L".exe";
    const std::wstring started = copy + L".started";
    DeleteFileW(started.c_str());
    ASSERT_TRUE(CopyFileW(proof.c_str(), copy.c_str(), FALSE));

    Run(kActionProgram, copy);

    EXPECT_TRUE(agent_wine::PumpUntil([&] { return FileExists(started); }, 20000));
    // The copy can go once the proof program has ended: a tidy-up, not part of the test.
    agent_wine::PumpUntil([&] { return DeleteFileW(copy.c_str()) != FALSE; }, 5000);
    DeleteFileW(started.c_str());
}

TEST_F(DeviceActionsTest, TheInputPanelCommandShowsAndHidesThePanelWindow) {
    ASSERT_FALSE(InputPanelVisible());

    Run(kActionDeviceCommand, L"2");
    EXPECT_TRUE(InputPanelVisible());

    Run(kActionDeviceCommand, L"2");
    EXPECT_NE(InputPanel(), nullptr);
    EXPECT_FALSE(InputPanelVisible());

    Run(kActionDeviceCommand, L"2");
    EXPECT_TRUE(InputPanelVisible());
    Run(kActionDeviceCommand, L"2");
}

TEST_F(DeviceActionsTest, TheTodayCommandBringsTheTodayWindowForward) {
    HWND today = ShownWindow(L"DesktopExplorerWindow", L"Desktop");
    HWND other = ShownWindow(L"KestrelOtherWindow", L"Other");
    ASSERT_NE(today, nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(agent_wine::PumpUntil([&] { return GetForegroundWindow() == other; }, 10000));

    Run(kActionDeviceCommand, L"0");

    EXPECT_TRUE(agent_wine::PumpUntil([&] { return GetForegroundWindow() == today; }, 10000));
}

}  // namespace
