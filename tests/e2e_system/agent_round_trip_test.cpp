// The whole road of a settings change with the real agent: a button runs its old
// assignment, the user picks a new one in the customizer and presses OK, the agent reloads,
// and the next real press of the button runs the new one.
#include "e2e_system/system_fixture.h"

namespace e2e {
namespace {

constexpr wchar_t kNewProgramName[] = L"KestrelProofNew";
constexpr BYTE kFirstButtonVk = 0xC1;  // from the key name 40C1

class AgentRoundTripTest : public SystemFixture {
  protected:
    void SetUp() override {
        SystemFixture::SetUp();
        ASSERT_EQ(FindWindowW(kestrel::kAgentClassName, kestrel::kAgentWindowTitle), nullptr)
            << "an agent from elsewhere is running";
        // Whatever an earlier test left held down would turn a press into another one.
        for (BYTE key : {VK_LWIN, VK_RWIN, VK_SHIFT, VK_CONTROL}) {
            keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
        }
        oldProgram_ = folder_.Copy(HostPath(KESTREL_PROOF_EXE), L"KestrelProofOld.exe");
        // The new program lies in the Start menu, where the customizer offers it.
        newProgram_ = StartMenuFolder() + L"\\" + kNewProgramName + L".exe";
        CopyFileW(HostPath(KESTREL_PROOF_EXE).c_str(), newProgram_.c_str(), FALSE);
        ASSERT_TRUE(FileExists(newProgram_));

        // The first button runs the old program on a single press.
        testing_support::SetString(HKEY_CURRENT_USER, ButtonKeyPath(kFirstButton),
                                   kestrel::kValueName, kFirstButtonName);
        testing_support::SeedButton(kFirstButton, {{0, kestrel::kActionProgram, oldProgram_}});
    }

    void TearDown() override {
        SystemFixture::TearDown();
        DeleteFileW(newProgram_.c_str());
        DeleteFileW((newProgram_ + L".started").c_str());
    }

    // A real single press of a hardware button, as the device reports it: the Windows key
    // held with the button's key.
    static void PressButton(BYTE vk) {
        keybd_event(VK_LWIN, 0, 0, 0);
        keybd_event(vk, 0, 0, 0);
        Sleep(40);
        keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
        keybd_event(VK_LWIN, 0, KEYEVENTF_KEYUP, 0);
    }

    std::wstring oldProgram_;
    std::wstring newProgram_;
};

TEST_F(AgentRoundTripTest, AfterOkTheNextPressRunsTheNewlyAssignedProgram) {
    StartAgent();
    // The agent answers messages before its start-up is through (the tray icon's send
    // lets them in), so its hot keys may not be there yet: press until it responds.
    bool oldRan = false;
    for (int attempt = 0; attempt < 10 && !oldRan; ++attempt) {
        PressButton(kFirstButtonVk);
        oldRan = WaitUntil([&] { return StartsRecorded(oldProgram_) > 0; }, 1000);
    }
    ASSERT_TRUE(oldRan) << "the agent did not run the old assignment";
    Pump(500);
    const int oldRuns = StartsRecorded(oldProgram_);

    auto customizer = StartCustomizer();
    Sheet sheet = Sheet::Find(customizer->Id());
    ASSERT_TRUE(sheet.Exists());
    HWND buttonPage = sheet.CurrentPage();
    ASSERT_TRUE(Sheet::IsButtonPage(buttonPage));
    // The first button and its single press are selected when the page opens.
    ASSERT_TRUE(PickProgram(buttonPage, kNewProgramName));
    CloseWith(*customizer, sheet, PSBTN_OK);
    EXPECT_EQ(customizer->ExitCode(), 0u);
    EXPECT_EQ(
        testing_support::ReadStringValue(HKEY_CURRENT_USER, ButtonKeyPath(kFirstButton), L"Cmd_0"),
        newProgram_);

    // The agent reloaded during the customizer's send, so the next press is the new one.
    PressButton(kFirstButtonVk);
    EXPECT_TRUE(WaitUntil([&] { return StartsRecorded(newProgram_) == 1; }))
        << "the agent did not run the new assignment";
    Pump(500);
    EXPECT_EQ(StartsRecorded(oldProgram_), oldRuns);
    EXPECT_EQ(StartsRecorded(newProgram_), 1);
    EXPECT_TRUE(agent_->IsRunning());
}

TEST_F(AgentRoundTripTest, CancelLeavesTheRunningAgentOnTheOldAssignment) {
    StartAgent();

    auto customizer = StartCustomizer();
    Sheet sheet = Sheet::Find(customizer->Id());
    ASSERT_TRUE(sheet.Exists());
    ASSERT_TRUE(PickProgram(sheet.CurrentPage(), kNewProgramName));
    CloseWith(*customizer, sheet, PSBTN_CANCEL);
    EXPECT_EQ(
        testing_support::ReadStringValue(HKEY_CURRENT_USER, ButtonKeyPath(kFirstButton), L"Cmd_0"),
        oldProgram_);

    PressButton(kFirstButtonVk);
    EXPECT_TRUE(WaitUntil([&] { return StartsRecorded(oldProgram_) == 1; }))
        << "the agent did not keep the old assignment";
    Pump(500);
    EXPECT_EQ(StartsRecorded(newProgram_), 0);
}

}  // namespace
}  // namespace e2e
