// The Button page with programs of their own: the selector, a program's rules per button,
// its off switch, adding and removing programs, and what OK and Cancel leave in the
// registry. The page runs inside a real sheet and is driven through its controls.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/app_settings.h"
#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "customizer/app_assignments.h"
#include "customizer/button_page.h"
#include "customizer/catalogues.h"
#include "button_page_sheet.h"
#include "support/button_settings.h"
#include "support/message_pump.h"
#include "support/recording_os.h"
#include "support/registry.h"

using namespace kestrel;
using AppSettings::AppButtonKeyPath;
using AppSettings::AppKeyPath;
using testing_support::DispatchPending;
using testing_support::KeyExists;
using testing_support::ReadRaw;
using testing_support::SetDword;
using testing_support::SlotValueName;

namespace {

const platform::OpenProgram kNotepad{L"C:\\windows\\notepad.exe", L"notepad.exe", L"メモ帳"};
const platform::OpenProgram kGame{L"C:\\games\\game.exe", L"game.exe", L"ゲーム"};

class AppAssignmentsTest : public testing_support::ButtonPageSheet {
  protected:
    void SetUp() override {
        StartClean();
        SeedPlatformButtons(3);
    }
    void TearDown() override { CleanUp(); }

    // Buttons 40C1, 40C2, ... in the platform's list.
    static void SeedPlatformButtons(int count) {
        testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, kPlatformButtonsPath);
        for (int i = 1; i <= count; ++i) {
            const std::wstring key = KeyName(i);
            const std::wstring path = std::wstring(kPlatformButtonsPath) + L"\\" + key;
            testing_support::SetString(HKEY_LOCAL_MACHINE, path, kValueName, L"ボタン " + key);
            testing_support::SetString(HKEY_LOCAL_MACHINE, path, kValueIcon, L"");
        }
    }
    static std::wstring KeyName(int i) {
        wchar_t name[8];
        swprintf(name, 8, L"40%02X", 0xC0 + i);
        return name;
    }

    void PressOk() { Close(); }
    void PressCancel() {
        SendMessageW(sheet.m_hWnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        DispatchPending();
        Close();
    }

    void Click(int id) {
        SendMessageW(page.m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Item(id)));
        DispatchPending();
    }
    bool Checked(int row) { return page.m_listButton.GetCheck(row) != FALSE; }

    std::vector<std::wstring> SelectorItems() {
        std::vector<std::wstring> items;
        const auto count = static_cast<int>(SendMessageW(Item(IDC_COMBO_APP), CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[300] = {};
            COMBOBOXEXITEMW item = {};
            item.mask = CBEIF_TEXT;
            item.iItem = i;
            item.pszText = text;
            item.cchTextMax = 300;
            SendMessageW(Item(IDC_COMBO_APP), CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            items.push_back(text);
        }
        return items;
    }

    static DWORD StoredDword(const std::wstring& path, const std::wstring& name) {
        DWORD value = 0xDEADBEEF;
        testing_support::ReadDwordValue(HKEY_CURRENT_USER, path, name.c_str(), value);
        return value;
    }
    static std::wstring StoredString(const std::wstring& path, const std::wstring& name) {
        return testing_support::ReadStringValue(HKEY_CURRENT_USER, path, name.c_str());
    }
};

// The user adds a program, gives one button assignments of its own there (starting from
// the global ones), switches another off there and leaves the third following all
// programs; OK stores exactly that, and the global assignments stay as they were.
TEST_F(AppAssignmentsTest, AProgramsOwnAssignmentsStartFromTheGlobalOnesAndOkStoresThem) {
    testing_support::SeedButton(L"40C1", {{kPressSingle, kActionKeySequence, L"#ZC", 1}});
    testing_support::SeedButton(L"40C2", {{kPressSingle, kActionKeySequence, L"#AC", 1}});
    Open();
    EXPECT_EQ(SelectorItems(), std::vector<std::wstring>{L"すべてのアプリ"});
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_REMOVE_APP)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_COMBO_RULE)));

    page.AddApp(kNotepad);
    EXPECT_EQ(SelectorItems(),
              (std::vector<std::wstring>{L"すべてのアプリ", L"メモ帳 (notepad.exe)"}));
    EXPECT_EQ(page.m_app, 0);
    EXPECT_EQ(Summary(0), L"（共通）");
    EXPECT_TRUE(Checked(0));  // on for all programs, so on here
    EXPECT_FALSE(Checked(2));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_COMBO_RULE)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_COMBO_PROGRAM)));  // following: nothing to edit

    PickFrom(IDC_COMBO_RULE, static_cast<int>(ButtonRule::kOwn));
    EXPECT_EQ(Summary(0), L"★［Ctrl+Z］/_/_");
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_COMBO_PROGRAM)));
    Pick(L"［Ctrl+C］");
    EXPECT_EQ(Summary(0), L"★［Ctrl+C］/_/_");
    CheckButton(1, false);  // cleared in the program's view: off there
    EXPECT_EQ(Summary(1), L"（オフ）");

    PickFrom(IDC_COMBO_APP, 0);  // back to all programs: their assignments are untouched
    EXPECT_EQ(page.m_app, -1);
    EXPECT_EQ(Summary(0), L"［Ctrl+Z］/_/_");
    EXPECT_TRUE(Checked(1));
    PressOk();

    const std::wstring own = AppButtonKeyPath(L"notepad.exe", L"40C1");
    EXPECT_EQ(StoredString(AppKeyPath(L"notepad.exe"), kValueName), L"メモ帳");
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, AppKeyPath(L"notepad.exe"), kValueOff).found);
    EXPECT_EQ(StoredDword(own, kValueEnabled), 1u);
    EXPECT_EQ(StoredDword(own, SlotValueName(kValueSlotModeFormat, 0)), 2u);
    EXPECT_EQ(StoredString(own, SlotValueName(kValueSlotCmdFormat, 0)), L"#CC");
    EXPECT_EQ(StoredDword(own, SlotValueName(kValueSlotEnabledFormat, 0)), 1u);
    EXPECT_EQ(StoredDword(AppButtonKeyPath(L"notepad.exe", L"40C2"), kValueEnabled), 0u);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppButtonKeyPath(L"notepad.exe", L"40C3")));
    EXPECT_EQ(StoredString(testing_support::ButtonKeyPath(L"40C1"),
                           SlotValueName(kValueSlotCmdFormat, 0)),
              L"#ZC");
    EXPECT_EQ(StoredDword(testing_support::ButtonKeyPath(L"40C2"), kValueEnabled), 1u);
}

// Stored programs are listed by name and file name; what the page shows of them matches
// the registry, and closing with OK without a change leaves every byte of them, values
// and subkeys the page does not know included.
TEST_F(AppAssignmentsTest, StoredProgramsAreShownAndKeptByteForByte) {
    const std::wstring paint = AppKeyPath(L"paint.exe");
    testing_support::SetString(HKEY_CURRENT_USER, paint, kValueName, L"ペイント");
    testing_support::SetString(HKEY_CURRENT_USER, paint, L"Unknown", L"kept");
    SetDword(HKEY_CURRENT_USER, paint + L"\\Deeper", L"Enabled", 1);
    testing_support::SetValue(HKEY_CURRENT_USER, AppButtonKeyPath(L"paint.exe", L"40C1"),
                              kValueEnabled, REG_DWORD, "\1\0\0\0", 4);
    testing_support::SetDword(HKEY_CURRENT_USER, AppButtonKeyPath(L"paint.exe", L"40C1"), L"Mode_0",
                              kActionLatch);
    testing_support::SetValue(HKEY_CURRENT_USER, AppButtonKeyPath(L"paint.exe", L"40C1"), L"Cmd_0",
                              REG_SZ, L"S", 4);
    SetDword(HKEY_CURRENT_USER, AppButtonKeyPath(L"paint.exe", L"40C2"), kValueEnabled, 0);
    SetDword(HKEY_CURRENT_USER, AppKeyPath(L"game.exe"), kValueOff, 1);
    const std::vector<AppSettings::AppValues> before = AppSettings::ReadAllApps();
    const testing_support::RawValue keptCommand =
        ReadRaw(HKEY_CURRENT_USER, AppButtonKeyPath(L"paint.exe", L"40C1"), L"Cmd_0");
    Open();

    EXPECT_EQ(SelectorItems(),
              (std::vector<std::wstring>{L"すべてのアプリ", L"game.exe", L"ペイント (paint.exe)"}));
    PickFrom(IDC_COMBO_APP, 2);
    EXPECT_EQ(Summary(0), L"★Shiftラッチ/_/_");
    EXPECT_EQ(Summary(1), L"（オフ）");
    EXPECT_EQ(Summary(2), L"（共通）");
    EXPECT_TRUE(Checked(0));
    EXPECT_FALSE(Checked(1));
    EXPECT_EQ(IsDlgButtonChecked(page.m_hWnd, IDC_APP_OFF), static_cast<UINT>(BST_UNCHECKED));
    PickFrom(IDC_COMBO_APP, 1);
    EXPECT_EQ(IsDlgButtonChecked(page.m_hWnd, IDC_APP_OFF), static_cast<UINT>(BST_CHECKED));
    SelectButton(1);
    SelectButton(0);
    PressOk();

    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, AppButtonKeyPath(L"paint.exe", L"40C1"), L"Cmd_0").bytes,
              keptCommand.bytes);
    EXPECT_EQ(StoredString(paint, L"Unknown"), L"kept");
    EXPECT_EQ(StoredDword(paint + L"\\Deeper", L"Enabled"), 1u);
    EXPECT_FALSE(
        ReadRaw(HKEY_CURRENT_USER, AppButtonKeyPath(L"paint.exe", L"40C1"), L"Enabled_0").found);
    const std::vector<AppSettings::AppValues> after = AppSettings::ReadAllApps();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[1].buttons.size(), before[1].buttons.size());
    EXPECT_TRUE(after[0].off);
}

TEST_F(AppAssignmentsTest, CancelDiscardsEveryChangeToPrograms) {
    SetDword(HKEY_CURRENT_USER, AppButtonKeyPath(L"paint.exe", L"40C1"), kValueEnabled, 1);
    Open();
    PickFrom(IDC_COMBO_APP, 1);
    PickFrom(IDC_COMBO_RULE, static_cast<int>(ButtonRule::kFollowAll));
    CheckDlgButton(page.m_hWnd, IDC_APP_OFF, BST_CHECKED);
    Click(IDC_APP_OFF);
    page.AddApp(kGame);
    PressCancel();

    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, AppButtonKeyPath(L"paint.exe", L"40C1")));
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, AppKeyPath(L"paint.exe"), kValueOff).found);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKeyPath(L"game.exe")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, testing_support::ButtonKeyPath(L"40C1")));
}

// Removing asks first; "No" keeps the program, "Yes" takes it from the selector and its
// whole subtree at OK. The off switch of a program added meanwhile is stored.
TEST_F(AppAssignmentsTest, RemovingAProgramAsksFirstAndTheOffSwitchIsStored) {
    SetDword(HKEY_CURRENT_USER, AppButtonKeyPath(L"paint.exe", L"40C1"), kValueEnabled, 1);
    Open();
    PickFrom(IDC_COMBO_APP, 1);
    os.messageBoxAnswer = IDNO;
    Click(IDC_REMOVE_APP);
    ASSERT_EQ(os.CallsStartingWith("MessageBox(").size(), 1u);
    EXPECT_NE(os.calls.back().find("paint.exe"), std::string::npos);
    EXPECT_EQ(SelectorItems().size(), 2u);
    os.messageBoxAnswer = IDYES;
    Click(IDC_REMOVE_APP);
    EXPECT_EQ(SelectorItems(), std::vector<std::wstring>{L"すべてのアプリ"});
    EXPECT_EQ(page.m_app, -1);

    page.AddApp(kGame);
    CheckDlgButton(page.m_hWnd, IDC_APP_OFF, BST_CHECKED);
    Click(IDC_APP_OFF);
    PressOk();

    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKeyPath(L"paint.exe")));
    EXPECT_EQ(StoredDword(AppKeyPath(L"game.exe"), kValueOff), 1u);
    EXPECT_EQ(StoredString(AppKeyPath(L"game.exe"), kValueName), L"ゲーム");
}

// Sixteen buttons have room in the agent, counted once each whether they are on for all
// programs or in some program.
TEST_F(AppAssignmentsTest, TheLimitOfSixteenCountsButtonsOnInAnyProgram) {
    SeedPlatformButtons(kMaxHotKeyButtons + 2);
    for (int i = 1; i <= kMaxHotKeyButtons - 1; ++i) {
        SetDword(HKEY_CURRENT_USER, testing_support::ButtonKeyPath(KeyName(i)), kValueEnabled, 1);
    }
    const std::wstring sixteenth = KeyName(kMaxHotKeyButtons);
    SetDword(HKEY_CURRENT_USER, AppButtonKeyPath(L"paint.exe", sixteenth), kValueEnabled, 1);
    Open();
    const int last = kMaxHotKeyButtons + 1;  // row of the seventeenth button

    CheckButton(last, true);
    EXPECT_FALSE(Checked(last));
    DispatchPending();
    EXPECT_EQ(os.CallsStartingWith("MessageBox(").size(), 1u);
    CheckButton(kMaxHotKeyButtons - 1, true);  // the sixteenth is counted already
    EXPECT_TRUE(Checked(kMaxHotKeyButtons - 1));

    PickFrom(IDC_COMBO_APP, 1);
    SelectButton(last);
    EXPECT_FALSE(page.SetRule(last, static_cast<int>(ButtonRule::kOwn)));
    CheckButton(last, true);
    EXPECT_FALSE(Checked(last));
    EXPECT_EQ(os.CallsStartingWith("MessageBox(").size(), 3u);
    CheckButton(0, false);  // one switched off in the program frees no room: it is on globally
    EXPECT_FALSE(page.SetRule(last, static_cast<int>(ButtonRule::kOwn)));
    PickFrom(IDC_COMBO_APP, 0);
    CheckButton(0, false);
    PickFrom(IDC_COMBO_APP, 1);
    EXPECT_TRUE(page.SetRule(last, static_cast<int>(ButtonRule::kOwn)));
    EXPECT_TRUE(Checked(last));
}

}  // namespace
