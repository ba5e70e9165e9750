// A program's own settings through the real customizer: the user chooses the program in
// the selector, gives the selected button assignments of its own there and picks one for
// its single press. OK stores them under the program, beside untouched global ones, and
// tells the agent; Cancel stores nothing.
#include "common/app_settings.h"
#include "e2e_system/system_fixture.h"

namespace e2e {
namespace {

constexpr wchar_t kProgram[] = L"notepad.exe";
// The rule box's second item: "このアプリ専用の割り当て".
constexpr int kOwnAssignments = 1;

class ProgramSettingsTest : public SystemFixture {
  protected:
    void SetUp() override {
        SystemFixture::SetUp();
        agent_ = std::make_unique<StandInAgent>(kFirstButton);
        testing_support::SeedButton(kFirstButton,
                                    {{kestrel::kPressSingle, kestrel::kActionKeySequence, L"#ZC"}});
        testing_support::SetString(HKEY_CURRENT_USER, kestrel::AppSettings::AppKeyPath(kProgram),
                                   kestrel::kValueName, L"メモ帳");
    }

    // Item `index` of a drop-down list on the page, chosen as a tap on it would.
    static void Choose(HWND page, int id, int index) {
        const HWND box = GetDlgItem(page, id);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_NORMAL, 5000,
                            &ignored);
        SendMessageTimeoutW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                            reinterpret_cast<LPARAM>(box), SMTO_NORMAL, 5000, &ignored);
    }

    // The first button, selected when the sheet opens, gets Ctrl+C for its single press in
    // the program.
    static void GiveFirstButtonItsOwnCtrlC(HWND page) {
        Choose(page, IDC_COMBO_APP, 1);
        Choose(page, IDC_COMBO_RULE, kOwnAssignments);
        ASSERT_TRUE(PickProgram(page, L"［Ctrl+C］"));
    }

    static DWORD OwnDword(const wchar_t* value) {
        DWORD stored = 0xDEADBEEF;
        testing_support::ReadDwordValue(
            HKEY_CURRENT_USER, kestrel::AppSettings::AppButtonKeyPath(kProgram, kFirstButton),
            value, stored);
        return stored;
    }

    std::unique_ptr<StandInAgent> agent_;
};

TEST_F(ProgramSettingsTest, OkStoresAProgramsOwnAssignmentAndCancelNothing) {
    {
        auto customizer = StartCustomizer();
        Sheet sheet = Sheet::Find(customizer->Id());
        ASSERT_TRUE(sheet.Exists());
        GiveFirstButtonItsOwnCtrlC(sheet.CurrentPage());
        CloseWith(*customizer, sheet, PSBTN_CANCEL);
    }
    EXPECT_FALSE(testing_support::KeyExists(
        HKEY_CURRENT_USER, kestrel::AppSettings::AppButtonKeyPath(kProgram, kFirstButton)));
    EXPECT_TRUE(agent_->Reloads().empty());

    auto customizer = StartCustomizer();
    Sheet sheet = Sheet::Find(customizer->Id());
    ASSERT_TRUE(sheet.Exists());
    GiveFirstButtonItsOwnCtrlC(sheet.CurrentPage());
    CloseWith(*customizer, sheet, PSBTN_OK);

    EXPECT_EQ(agent_->Reloads().size(), 1u);
    EXPECT_EQ(OwnDword(kestrel::kValueEnabled), 1u);
    EXPECT_EQ(OwnDword(L"Mode_0"), static_cast<DWORD>(kestrel::kActionKeySequence));
    EXPECT_EQ(OwnDword(L"Enabled_0"), 1u);  // copied from the global single press
    EXPECT_EQ(testing_support::ReadStringValue(
                  HKEY_CURRENT_USER, kestrel::AppSettings::AppButtonKeyPath(kProgram, kFirstButton),
                  L"Cmd_0"),
              L"#CC");
    EXPECT_EQ(
        testing_support::ReadStringValue(HKEY_CURRENT_USER, ButtonKeyPath(kFirstButton), L"Cmd_0"),
        L"#ZC");
    EXPECT_FALSE(testing_support::KeyExists(
        HKEY_CURRENT_USER, kestrel::AppSettings::AppButtonKeyPath(kProgram, kSecondButton)));
}

}  // namespace
}  // namespace e2e
