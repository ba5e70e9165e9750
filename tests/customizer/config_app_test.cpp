// The customizer application in this process: the sheet it shows and what it tells the
// agent after OK and after Cancel. A timer of this thread plays the user inside the
// sheet's modal loop; the agent is a window of this thread that the seam hands out.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/settings_schema.h"
#include "customizer/config_app.h"
#include "customizer/config_sheet.h"
#include "support/device_profile.h"
#include "support/recording_os.h"
#include "support/registry.h"
#include "support/stand_in_agent.h"
#include "support/windows_sheet_result.h"

namespace {

using Step = std::function<void(HWND sheet)>;

// The user's steps, one per tick, on the sheet found by its caption.
std::vector<Step>* userSteps = nullptr;
size_t nextStep = 0;

void CALLBACK PlayUser(HWND, UINT, UINT_PTR, DWORD) {
    HWND sheet = FindWindowW(nullptr, kestrel::kSheetCaption);
    if (sheet && userSteps && nextStep < userSteps->size()) {
        (*userSteps)[nextStep++](sheet);
    }
}

class ConfigAppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::SeedDeviceProfile();
        testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kestrel::kProductKeyPath);
        agent = standIn.Window();
        os.windowToFind = agent;
        userSteps = &steps;
        nextStep = 0;
    }
    void TearDown() override { userSteps = nullptr; }

    // Runs the application with the user's steps; true when InitInstance asked for a
    // message loop.
    bool Run() {
        const UINT_PTR timer = SetTimer(nullptr, 0, 150, PlayUser);
        KestrelConfigApp app;
        const bool wantsLoop = app.InitInstance() != FALSE;
        KillTimer(nullptr, timer);
        EXPECT_EQ(nextStep, steps.size()) << "the sheet closed before the user was done";
        return wantsLoop;
    }

    size_t AgentLookups() const {
        size_t count = 0;
        for (const std::string& call : os.calls) {
            count += call == "FindWindow(Kestrel, Kestrel)";
        }
        return count;
    }

    static Step Select(int page) {
        return [page](HWND sheet) { PostMessageW(sheet, PSM_SETCURSEL, page, 0); };
    }
    static Step Press(int button) {
        return [button](HWND sheet) { PostMessageW(sheet, PSM_PRESSBUTTON, button, 0); };
    }

    testing_support::RecordingOs os;
    // What the agent would see: each MSG_RELOAD, with the settings as they were then.
    testing_support::StandInAgent standIn{L"40C1", L"ConfigAppTestAgent", L""};
    const std::vector<testing_support::StandInAgent::Reload>& reloads = standIn.Reloads();
    HWND agent = nullptr;
    std::vector<Step> steps;
};

TEST_F(ConfigAppTest, OkTellsTheAgentOnceAfterBothPagesWrote) {
    steps = {Select(1), Press(PSBTN_OK)};
    EXPECT_FALSE(Run());
    ASSERT_EQ(reloads.size(), 1u);
    EXPECT_TRUE(reloads[0].doubleTimeStored);
    EXPECT_EQ(reloads[0].doubleTime, kestrel::kDefaultDoubleTime);
    EXPECT_EQ(reloads[0].firstButtonName, testing_support::kDeviceButtons[0].name);
    EXPECT_EQ(AgentLookups(), 1u);
}

// On Windows PropertySheet answers 0 after OK, since no page reports a change; the agent
// must be told all the same.
TEST_F(ConfigAppTest, OkAsOnWindowsStillTellsTheAgent) {
    testing_support::WindowsSheetResultOs windows;
    windows.windowToFind = agent;
    steps = {Press(PSBTN_OK)};
    EXPECT_FALSE(Run());
    EXPECT_EQ(windows.modalSheets, 1);
    ASSERT_EQ(reloads.size(), 1u);
    EXPECT_EQ(reloads[0].firstButtonName, testing_support::kDeviceButtons[0].name);
}

TEST_F(ConfigAppTest, OkWithoutAnAgentWindowSendsNothing) {
    os.windowToFind = nullptr;
    steps = {Press(PSBTN_OK)};
    EXPECT_FALSE(Run());
    EXPECT_EQ(AgentLookups(), 1u);
    EXPECT_TRUE(reloads.empty());
    // The Button page wrote all the same.
    EXPECT_EQ(testing_support::ReadStringValue(HKEY_CURRENT_USER,
                                               std::wstring(kestrel::kProductKeyPath) + L"\\40C1",
                                               kestrel::kValueName),
              testing_support::kDeviceButtons[0].name);
}

TEST_F(ConfigAppTest, CancelWritesNothingAndDoesNotLookForTheAgent) {
    steps = {Select(1), Press(PSBTN_CANCEL)};
    EXPECT_FALSE(Run());
    EXPECT_EQ(AgentLookups(), 0u);
    EXPECT_TRUE(reloads.empty());
    DWORD doubleTime = 0;
    EXPECT_FALSE(testing_support::ReadDwordValue(HKEY_CURRENT_USER, kestrel::kProductKeyPath,
                                                 kestrel::kValueDoubleTime, doubleTime));
    EXPECT_TRUE(testing_support::ReadStringValue(HKEY_CURRENT_USER,
                                                 std::wstring(kestrel::kProductKeyPath) + L"\\40C1",
                                                 kestrel::kValueName)
                    .empty());
}

TEST(ConfigSheetTest, HoldsTheButtonPageThenTheTimingPage) {
    KestrelConfigPropSheet sheet(kestrel::kSheetCaption);
    ASSERT_EQ(sheet.GetPageCount(), 2);
    EXPECT_EQ(sheet.GetPage(0), &sheet.m_buttonPage);
    EXPECT_EQ(sheet.GetPage(1), &sheet.m_timingPage);
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    EXPECT_EQ(sheet.GetPage(0)->GetTemplateId(), static_cast<UINT>(IDD_PAGE_BUTTONS));
    EXPECT_EQ(sheet.GetPage(1)->GetTemplateId(), static_cast<UINT>(IDD_PAGE_TIMING));
}

TEST(ConfigSheetTest, IsNamedButNotCreatableByName) {
    const CRuntimeClass* record = RUNTIME_CLASS(KestrelConfigPropSheet);
    EXPECT_STREQ(record->m_lpszClassName, "KestrelConfigPropSheet");
    EXPECT_EQ(record->m_pBaseClass, RUNTIME_CLASS(CPropertySheet));
    EXPECT_EQ(CRuntimeClass::FromName("KestrelConfigPropSheet"), record);
    EXPECT_EQ(CRuntimeClass::CreateObject("KestrelConfigPropSheet"), nullptr);
}

}  // namespace
