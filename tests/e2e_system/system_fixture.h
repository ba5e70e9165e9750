#pragma once
// Every system test starts from the same ground: a device with two hardware buttons, no
// settings at all, and a fresh copy of the customizer in a folder of its own.
#include <gtest/gtest.h>

#include <memory>

#include "e2e_system/system_harness.h"

namespace e2e {

inline constexpr wchar_t kFirstButton[] = L"40C1";
inline constexpr wchar_t kFirstButtonName[] = L"ボタン 1";
inline constexpr wchar_t kSecondButton[] = L"40C2";
inline constexpr wchar_t kSecondButtonName[] = L"ボタン 2";

class SystemFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kestrel::kProductKeyPath);
        testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, kestrel::kPlatformButtonsPath);
        SeedDeviceButton(kFirstButton, kFirstButtonName);
        SeedDeviceButton(kSecondButton, kSecondButtonName);
        customizerPath_ = folder_.Copy(HostPath(KESTREL_CONFIG_EXE), kestrel::kCustomizerFileName);
        ASSERT_TRUE(FileExists(customizerPath_));
    }
    void TearDown() override {
        if (agent_ && agent_->IsRunning()) {
            PostMessageW(AgentWindow(), WM_CLOSE, 0, 0);
            agent_->WaitForExit();
        }
    }

    static void SeedDeviceButton(const wchar_t* keyName, const wchar_t* name) {
        testing_support::SetString(HKEY_LOCAL_MACHINE,
                                   std::wstring(kestrel::kPlatformButtonsPath) + L"\\" + keyName,
                                   kestrel::kValueName, name);
    }

    static void StoreTimes(DWORD doubleTime, DWORD holdTime) {
        testing_support::SetDword(HKEY_CURRENT_USER, kestrel::kProductKeyPath,
                                  kestrel::kValueDoubleTime, doubleTime);
        testing_support::SetDword(HKEY_CURRENT_USER, kestrel::kProductKeyPath,
                                  kestrel::kValueHoldTime, holdTime);
    }

    static DWORD StoredDword(const wchar_t* name) {
        DWORD value = 0xDEADBEEF;
        ReadProductDword(name, value);
        return value;
    }

    static std::wstring StoredButtonName(const wchar_t* keyName) {
        return testing_support::ReadStringValue(HKEY_CURRENT_USER, ButtonKeyPath(keyName),
                                                kestrel::kValueName);
    }

    // Starts the customizer and waits for its sheet.
    std::unique_ptr<Program> StartCustomizer() {
        auto program = std::make_unique<Program>(customizerPath_);
        EXPECT_TRUE(program->Started());
        return program;
    }

    // Starts the customizer, waits for its sheet and opens the Timing page.
    void StartCustomizerOnTimingPage() {
        customizer_ = StartCustomizer();
        sheet_ = Sheet::Find(customizer_->Id());
        ASSERT_TRUE(sheet_.Exists());
        page_ = sheet_.OpenTimingPage();
        ASSERT_NE(page_, nullptr);
    }

    // Closes the sheet with `button` and waits for the program to end.
    static void CloseWith(const Program& program, const Sheet& sheet, int button) {
        sheet.Press(button);
        ASSERT_TRUE(program.WaitForExit()) << "the customizer did not end";
    }

    // Picks `text` in the Button page's program box, as a tap on the item would.
    static bool PickProgram(HWND buttonPage, const std::wstring& text) {
        HWND box = GetDlgItem(buttonPage, IDC_COMBO_PROGRAM);
        DWORD_PTR index = static_cast<DWORD_PTR>(CB_ERR);
        SendMessageTimeoutW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 5000, &index);
        if (static_cast<LRESULT>(index) < 0) {
            return false;
        }
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(box, CB_SETCURSEL, index, 0, SMTO_NORMAL, 5000, &ignored);
        SendMessageTimeoutW(buttonPage, WM_COMMAND, MAKEWPARAM(IDC_COMBO_PROGRAM, CBN_SELCHANGE),
                            reinterpret_cast<LPARAM>(box), SMTO_NORMAL, 5000, &ignored);
        return true;
    }

    // Starts a copy of the agent from the test's folder and waits for its window to answer.
    void StartAgent() {
        folder_.Copy(HostPath(KESTREL_AGENT_EXE), L"Kestrel.exe");
        agent_ = std::make_unique<Program>(folder_.Path() + L"\\Kestrel.exe");
        ASSERT_TRUE(agent_->Started());
        ASSERT_TRUE(WaitUntil([&] { return AgentWindow() != nullptr; }));
        DWORD_PTR ignored = 0;
        ASSERT_TRUE(
            SendMessageTimeoutW(AgentWindow(), WM_NULL, 0, 0, SMTO_NORMAL, kPatience, &ignored));
    }
    HWND AgentWindow() const {
        HWND window = FindWindowW(kestrel::kAgentClassName, kestrel::kAgentWindowTitle);
        return (window && agent_ && ProcessOf(window) == agent_->Id()) ? window : nullptr;
    }

    static std::wstring Label(HWND page, int id) { return TextOf(GetDlgItem(page, id)); }
    static LRESULT SliderPosition(HWND page, int id) {
        DWORD_PTR position = 0;
        SendMessageTimeoutW(GetDlgItem(page, id), TBM_GETPOS, 0, 0, SMTO_NORMAL, 5000, &position);
        return static_cast<LRESULT>(position);
    }
    // A click on "規定に戻す".
    static void RestoreDefaults(HWND page) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(GetDlgItem(page, IDC_RESTORE_DEFAULTS), BM_CLICK, 0, 0, SMTO_NORMAL,
                            5000, &ignored);
    }

    ScratchFolder folder_;
    std::wstring customizerPath_;
    // The customizer, its sheet and its Timing page once StartCustomizerOnTimingPage has run.
    std::unique_ptr<Program> customizer_;
    Sheet sheet_{nullptr};
    HWND page_ = nullptr;
    std::unique_ptr<Program> agent_;  // once StartAgent has run
};

}  // namespace e2e
