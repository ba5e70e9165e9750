// The user's own keys on the real customizer's Button page: added by pressing them in the
// "キーを追加" dialog (injected by this program, and from the X server as a real mouse sends
// it), refused or confirmed as the key demands, removed again, and the agent's limit of
// switched-on buttons told at once.
#include "e2e_system/system_fixture.h"
#include "support/remote_list_view.h"

namespace e2e {
namespace {

using testing_support::RemoteListView;

constexpr wchar_t kDialogTitle[] = L"キーを追加";
constexpr wchar_t kPauseKey[] = L"4013";
constexpr wchar_t kBackButton[] = L"4005";
constexpr wchar_t kForwardButton[] = L"4006";

class AddedKeysTest : public SystemFixture {
  protected:
    // Starts the customizer and waits for its Button page.
    void Open() {
        customizer_ = StartCustomizer();
        sheet_ = Sheet::Find(customizer_->Id());
        ASSERT_TRUE(sheet_.Exists());
        ASSERT_TRUE(WaitUntil([&] { return Sheet::IsButtonPage(page_ = sheet_.CurrentPage()); }));
        list_ = std::make_unique<RemoteListView>(GetDlgItem(page_, IDC_LIST_BUTTONS));
    }

    // A click on "キーを追加…"; the dialog, once it is up and listening.
    HWND OpenDialog() {
        PostMessageW(GetDlgItem(page_, IDC_ADD_KEY), BM_CLICK, 0, 0);
        HWND dialog = nullptr;
        WaitUntil([&] {
            for (HWND window : testing_support::TopLevelWindowsOf(customizer_->Id())) {
                if (TextOf(window) == kDialogTitle && IsWindowVisible(window)) {
                    dialog = window;
                }
            }
            return dialog != nullptr;
        });
        return dialog;
    }

    static void PressKey(BYTE vk) {
        keybd_event(vk, 0, 0, 0);
        keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
    }
    static bool Says(HWND dialog, const std::wstring& part) {
        return WaitUntil([&] {
            return TextOf(GetDlgItem(dialog, IDC_ADD_KEY_STATUS)).find(part) != std::wstring::npos;
        });
    }
    static bool Closes(HWND dialog) {
        return WaitUntil([&] { return !IsWindow(dialog); });
    }
    bool RowsBecome(int rows) const {
        return WaitUntil([&] { return list_->Rows() == rows; });
    }
    bool RemoveEnabled() const { return IsWindowEnabled(GetDlgItem(page_, IDC_REMOVE_KEY)); }

    static std::wstring Stored(const wchar_t* keyName, const wchar_t* value) {
        return testing_support::ReadStringValue(HKEY_CURRENT_USER, ButtonKeyPath(keyName), value);
    }
    static DWORD StoredNumber(const wchar_t* keyName, const wchar_t* value) {
        DWORD number = 0xDEADBEEF;
        testing_support::ReadDwordValue(HKEY_CURRENT_USER, ButtonKeyPath(keyName), value, number);
        return number;
    }
    static void SeedUserKey(const wchar_t* keyName, const wchar_t* name) {
        testing_support::SetString(HKEY_CURRENT_USER, ButtonKeyPath(keyName), kestrel::kValueName,
                                   name);
        testing_support::SetDword(HKEY_CURRENT_USER, ButtonKeyPath(keyName),
                                  kestrel::kValueUserButton, 1);
        testing_support::SetDword(HKEY_CURRENT_USER, ButtonKeyPath(keyName), kestrel::kValueEnabled,
                                  1);
    }

    // Runs xdotool with `arguments`; it cannot be waited for under Wine, so the caller
    // waits for what it does.
    static bool StartXdotool(const std::wstring& arguments) {
        std::wstring command = L"Z:\\usr\\bin\\xdotool " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process)) {
            return false;
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }

    std::unique_ptr<Program> customizer_;
    Sheet sheet_{nullptr};
    HWND page_ = nullptr;
    std::unique_ptr<RemoteListView> list_;
};

TEST_F(AddedKeysTest, KeysAndMouseButtonsPressedInTheDialogBecomeButtonsAfterOk) {
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_TRUE(RowsBecome(2));
    EXPECT_FALSE(RemoveEnabled()) << "the platform's buttons cannot be removed";

    // Refused keys leave the dialog waiting; its Cancel adds nothing.
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    PressKey(VK_LSHIFT);
    EXPECT_TRUE(Says(dialog, L"追加できません"));
    mouse_event(MOUSEEVENTF_RIGHTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_RIGHTUP, 0, 0, 0, 0);
    EXPECT_TRUE(Says(dialog, L"左右のボタン"));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(Closes(dialog));
    EXPECT_EQ(list_->Rows(), 2);

    // Pause is taken at once, named as the system names it, last in the list and selected.
    dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    PressKey(VK_PAUSE);
    ASSERT_TRUE(Closes(dialog));
    ASSERT_TRUE(RowsBecome(3));
    EXPECT_EQ(list_->Text(2), L"Pause");
    EXPECT_EQ(list_->Text(2, 1), L"_/_/_");
    EXPECT_FALSE(list_->Checked(2));
    EXPECT_EQ(list_->SelectedRow(), 2);
    EXPECT_TRUE(WaitUntil([&] { return RemoveEnabled(); }));

    // The mouse's back button, injected.
    dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    mouse_event(MOUSEEVENTF_XDOWN, 0, 0, XBUTTON1, 0);
    mouse_event(MOUSEEVENTF_XUP, 0, 0, XBUTTON1, 0);
    ASSERT_TRUE(Closes(dialog));
    ASSERT_TRUE(RowsBecome(4));
    EXPECT_EQ(list_->Text(3), L"マウス 戻るボタン");

    // A key in the list already is not added twice; a typing key waits for the user's yes.
    dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    PressKey(VK_PAUSE);
    EXPECT_TRUE(Says(dialog, L"すでに一覧にあります"));
    PressKey('K');
    EXPECT_TRUE(Says(dialog, L"文字の入力に使えなくなります"));
    EXPECT_EQ(list_->Rows(), 4);
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(Closes(dialog));
    ASSERT_TRUE(RowsBecome(5));
    EXPECT_EQ(list_->Text(4), L"K");

    // The forward button from the X server, as a real mouse sends it, over the dialog.
    dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    RECT frame = {};
    GetWindowRect(dialog, &frame);
    ASSERT_TRUE(StartXdotool(L"mousemove " + std::to_wstring((frame.left + frame.right) / 2) +
                             L" " + std::to_wstring(frame.top + 20) + L" click 9"));
    ASSERT_TRUE(Closes(dialog));
    ASSERT_TRUE(RowsBecome(6));
    EXPECT_EQ(list_->Text(5), L"マウス 進むボタン");

    CloseWith(*customizer_, sheet_, PSBTN_OK);
    EXPECT_EQ(Stored(kPauseKey, kestrel::kValueName), L"Pause");
    EXPECT_EQ(StoredNumber(kPauseKey, kestrel::kValueUserButton), 1u);
    EXPECT_EQ(StoredNumber(kPauseKey, kestrel::kValueEnabled), 0u);
    EXPECT_EQ(Stored(kPauseKey, L"Cmd_0"), L"\\");
    EXPECT_EQ(StoredNumber(kPauseKey, L"Enabled_2"), 0u);
    EXPECT_EQ(Stored(kBackButton, kestrel::kValueName), L"マウス 戻るボタン");
    EXPECT_EQ(Stored(kForwardButton, kestrel::kValueName), L"マウス 進むボタン");
    EXPECT_EQ(Stored(L"404B", kestrel::kValueName), L"K");
    // Nothing was written to the machine's list.
    EXPECT_FALSE(testing_support::KeyExists(
        HKEY_LOCAL_MACHINE, std::wstring(kestrel::kPlatformButtonsPath) + L"\\" + kPauseKey));
}

TEST_F(AddedKeysTest, ARemovedKeyLosesItsSettingsAfterOkAndTheOthersStay) {
    SeedUserKey(kPauseKey, L"Pause");
    SeedUserKey(kBackButton, L"マウス 戻るボタン");

    // Cancel discards a removal and an addition alike.
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_TRUE(RowsBecome(4));
    list_->Select(3);
    ASSERT_TRUE(WaitUntil([&] { return RemoveEnabled(); }));
    PostMessageW(GetDlgItem(page_, IDC_REMOVE_KEY), BM_CLICK, 0, 0);
    ASSERT_TRUE(RowsBecome(3));
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    mouse_event(MOUSEEVENTF_XDOWN, 0, 0, XBUTTON2, 0);
    mouse_event(MOUSEEVENTF_XUP, 0, 0, XBUTTON2, 0);
    ASSERT_TRUE(RowsBecome(4));
    CloseWith(*customizer_, sheet_, PSBTN_CANCEL);
    EXPECT_TRUE(testing_support::KeyExists(HKEY_CURRENT_USER, ButtonKeyPath(kPauseKey)));
    EXPECT_FALSE(testing_support::KeyExists(HKEY_CURRENT_USER, ButtonKeyPath(kForwardButton)));

    ASSERT_NO_FATAL_FAILURE(Open());
    // The machine's list first, then the user's own keys.
    ASSERT_TRUE(RowsBecome(4));
    EXPECT_EQ(list_->Text(0), kFirstButtonName);
    EXPECT_EQ(list_->Text(2), L"マウス 戻るボタン");  // subkeys enumerate in name order
    EXPECT_EQ(list_->Text(3), L"Pause");
    EXPECT_TRUE(list_->Checked(3));

    list_->Select(3);
    ASSERT_TRUE(WaitUntil([&] { return RemoveEnabled(); }));
    PostMessageW(GetDlgItem(page_, IDC_REMOVE_KEY), BM_CLICK, 0, 0);
    ASSERT_TRUE(RowsBecome(3));
    EXPECT_EQ(list_->Text(2), L"マウス 戻るボタン");
    // Removed in the page only: the settings go with the sheet's writing.
    EXPECT_TRUE(testing_support::KeyExists(HKEY_CURRENT_USER, ButtonKeyPath(kPauseKey)));

    CloseWith(*customizer_, sheet_, PSBTN_OK);
    EXPECT_FALSE(testing_support::KeyExists(HKEY_CURRENT_USER, ButtonKeyPath(kPauseKey)));
    EXPECT_EQ(StoredNumber(kBackButton, kestrel::kValueUserButton), 1u);
    EXPECT_EQ(Stored(kFirstButton, kestrel::kValueName), kFirstButtonName);
}

TEST_F(AddedKeysTest, SwitchingOnASeventeenthButtonIsRefusedAndSaidAtOnce) {
    for (int i = 0; i < kestrel::kMaxHotKeyButtons + 1; ++i) {
        wchar_t keyName[8] = {};
        swprintf(keyName, 8, L"40%02X", 0xC3 + i);
        SeedDeviceButton(keyName, keyName);
        if (i < kestrel::kMaxHotKeyButtons - 2) {  // with the two of the fixture: 16 on
            testing_support::SetDword(HKEY_CURRENT_USER, ButtonKeyPath(keyName),
                                      kestrel::kValueEnabled, 1);
        }
    }
    for (const wchar_t* keyName : {kFirstButton, kSecondButton}) {
        testing_support::SetDword(HKEY_CURRENT_USER, ButtonKeyPath(keyName), kestrel::kValueEnabled,
                                  1);
    }
    ASSERT_NO_FATAL_FAILURE(Open());
    const int rows = kestrel::kMaxHotKeyButtons + 3;
    ASSERT_TRUE(RowsBecome(rows));
    ASSERT_TRUE(list_->Checked(kestrel::kMaxHotKeyButtons - 1));
    ASSERT_FALSE(list_->Checked(rows - 1));

    list_->SetState(rows - 1, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
    HWND box = WaitForMessageBox(customizer_->Id(), sheet_.Window());
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(list_->Checked(rows - 1));
    ASSERT_TRUE(Dismiss(box));

    // With one switched off, the same button may be switched on.
    list_->SetState(0, INDEXTOSTATEIMAGEMASK(1), LVIS_STATEIMAGEMASK);
    list_->SetState(rows - 1, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
    EXPECT_TRUE(WaitUntil([&] { return list_->Checked(rows - 1); }));
    CloseWith(*customizer_, sheet_, PSBTN_OK);
    wchar_t last[8] = {};
    swprintf(last, 8, L"40%02X", 0xC3 + kestrel::kMaxHotKeyButtons);
    EXPECT_EQ(StoredNumber(last, kestrel::kValueEnabled), 1u);
}

}  // namespace
}  // namespace e2e
