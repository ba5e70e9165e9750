// The user's own keys on the real customizer's Button page: added by pressing them in the
// "キーを追加" dialog (injected by this program, and from the X server as a real mouse sends
// it), refused or confirmed as the key demands, removed again, and the agent's limit of
// switched-on buttons told at once.
#include "e2e_system/system_fixture.h"
#include "support/recording_os.h"
#include "support/remote_list_view.h"
#include "support/test_window.h"
#include "support/x_input.h"

#include <map>

namespace e2e {
namespace {

using testing_support::RemoteListView;
using testing_support::RunXdotool;
using testing_support::RunXdotoolOver;

std::string Narrow(const std::wstring& text) {
    return testing_support::RecordingOs::Narrow(text.c_str());
}

constexpr wchar_t kDialogTitle[] = L"キーを追加";
constexpr wchar_t kPauseKey[] = L"4013";
constexpr wchar_t kBackButton[] = L"4005";
constexpr wchar_t kForwardButton[] = L"4006";

class AddedKeysTest : public SystemFixture {
  protected:
    void TearDown() override {
        SystemFixture::TearDown();
        for (const std::wstring& proof : proofs_) {
            DeleteFileW(proof.c_str());
            DeleteFileW((proof + L".started").c_str());
        }
    }

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

    std::unique_ptr<Program> customizer_;
    Sheet sheet_{nullptr};
    HWND page_ = nullptr;
    std::unique_ptr<RemoteListView> list_;
    std::vector<std::wstring> proofs_;  // proof programs in the Start menu
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
    ASSERT_TRUE(RunXdotoolOver(dialog, L"click 9"));
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

// A window of this test under the pointer, with the X focus: what reaches it is what the
// agent let through to programs.
class ClickTarget {
  public:
    ClickTarget() {
        window_ = testing_support::MakeTestWindow(L"KestrelClickTarget", &Procedure,
                                                  WS_POPUP | WS_VISIBLE, 300, 200);
        SetWindowPos(window_, HWND_TOPMOST, 100, 100, 300, 200, SWP_SHOWWINDOW);
        counts_.clear();
    }
    ~ClickTarget() { DestroyWindow(window_); }
    HWND Window() const { return window_; }
    // How often `message` came, for a mouse button's message the one of `xButton`.
    static int Count(UINT message, WORD xButton = 0) { return counts_[Key(message, xButton)]; }

  private:
    static UINT Key(UINT message, WORD xButton) { return message | (xButton << 16); }
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_KEYDOWN && wParam == VK_PAUSE) {
            ++counts_[Key(message, 0)];
        }
        if (message == WM_MBUTTONDOWN || message == WM_XBUTTONDOWN || message == WM_MBUTTONUP ||
            message == WM_XBUTTONUP) {
            const bool side = message == WM_XBUTTONDOWN || message == WM_XBUTTONUP;
            ++counts_[Key(message, side ? GET_XBUTTON_WPARAM(wParam) : 0)];
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    static inline std::map<UINT, int> counts_;
    HWND window_ = nullptr;
};

TEST_F(AddedKeysTest, KeysAndMouseButtonsAddedInTheCustomizerRunTheirAssignmentsInTheAgent) {
    // Short times, with room for a loaded machine between the presses xdotool makes.
    StoreTimes(400, 700);
    struct Button {
        const wchar_t* keyName;
        const wchar_t* pressed;      // what xdotool does over the dialog to add it
        const wchar_t* single;       // the xdotool words of a single press; double and hold follow
        const wchar_t* assigned[3];  // a proof program's name, or the standard function
    };
    const wchar_t* kStandard = L"＜標準ボタン＞";
    const Button buttons[] = {
        {kPauseKey, L"key Pause", L"key Pause", {L"KestrelPause1", L"KestrelPause2", kStandard}},
        {kBackButton, L"click 8", L"click 8", {L"KestrelBack1", L"KestrelBack2", L"KestrelBack3"}},
        {L"4004",
         L"click 2",
         L"click 2",
         {L"KestrelMiddle1", L"KestrelMiddle2", L"KestrelMiddle3"}},
        {kForwardButton,
         L"click 9",
         L"click 9",
         {kStandard, L"KestrelForward2", L"KestrelForward3"}},
    };
    for (const Button& button : buttons) {
        for (const wchar_t* name : button.assigned) {
            if (name != kStandard) {
                proofs_.push_back(StartMenuFolder() + L"\\" + name + L".exe");
                CopyFileW(HostPath(KESTREL_PROOF_EXE).c_str(), proofs_.back().c_str(), FALSE);
            }
        }
    }

    // Each is added by pressing it over the dialog, switched on, and given its three.
    ASSERT_NO_FATAL_FAILURE(Open());
    RemoteListView modes(GetDlgItem(page_, IDC_LIST_MODES));
    int row = 2;
    for (const Button& button : buttons) {
        HWND dialog = OpenDialog();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(RunXdotoolOver(dialog, button.pressed));
        ASSERT_TRUE(Closes(dialog));
        ASSERT_TRUE(RowsBecome(row + 1));
        ASSERT_TRUE(WaitUntil([&] { return list_->SelectedRow() == row; }));
        list_->SetState(row, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
        for (int mode = 0; mode < 3; ++mode) {
            modes.Select(mode);
            ASSERT_TRUE(WaitUntil([&] { return modes.SelectedRow() == mode; }));
            modes.SetState(mode, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
            ASSERT_TRUE(PickProgram(page_, button.assigned[mode]));
        }
        ++row;
    }
    CloseWith(*customizer_, sheet_, PSBTN_OK);
    ASSERT_EQ(Stored(L"4004", L"Cmd_2"), proofs_[7]);

    ClickTarget target;
    ASSERT_TRUE(testing_support::FocusWithClick(target.Window()));
    ASSERT_NO_FATAL_FAILURE(StartAgent());

    // The agent's hot keys may come a moment after its window: press until it answers.
    bool first = false;
    for (int attempt = 0; attempt < 10 && !first; ++attempt) {
        RunXdotool(L"key Pause");
        first = WaitUntil([&] { return StartsRecorded(proofs_[0]) > 0; }, 1500);
    }
    ASSERT_TRUE(first) << "the agent did not take Pause";
    Pump(1000);
    const int pauseSingles = StartsRecorded(proofs_[0]);

    size_t proof = 0;
    for (const Button& button : buttons) {
        const std::wstring single = button.single;
        const std::wstring held = single.substr(single.find(L' ') + 1);
        const bool key = single.rfind(L"key", 0) == 0;
        const std::wstring presses[3] = {
            single,
            key ? L"key --delay 60 " + held + L" " + held : L"click --repeat 2 --delay 60 " + held,
            key ? L"keydown " + held + L" sleep 1.5 keyup " + held
                : L"mousedown " + held + L" sleep 1.5 mouseup " + held,
        };
        for (int mode = 0; mode < 3; ++mode) {
            if (button.keyName == kPauseKey && mode == 0) {
                ++proof;  // pressed above already
                continue;
            }
            // A Pause pressed before the agent took it may have reached the window already.
            const UINT message = key ? WM_KEYDOWN : WM_XBUTTONDOWN;
            const WORD xButton = key ? 0 : XBUTTON2;
            const int passedBefore = ClickTarget::Count(message, xButton);
            ASSERT_TRUE(RunXdotool(presses[mode]));
            if (button.assigned[mode] == kStandard) {
                EXPECT_TRUE(WaitUntil([&] {
                    return ClickTarget::Count(message, xButton) > passedBefore;
                })) << "the standard function did not pass "
                    << Narrow(held);
                Pump(1000);  // a second one would have come by now
                EXPECT_EQ(ClickTarget::Count(message, xButton), passedBefore + 1) << Narrow(held);
                continue;
            }
            EXPECT_TRUE(WaitUntil([&] { return StartsRecorded(proofs_[proof]) == 1; }))
                << Narrow(button.assigned[mode]) << " did not start";
            ++proof;
            Pump(1000);  // the press is over, and nothing else started from it
        }
    }
    EXPECT_EQ(StartsRecorded(proofs_[0]), pauseSingles);
    for (size_t i = 1; i < proofs_.size(); ++i) {
        EXPECT_EQ(StartsRecorded(proofs_[i]), 1) << Narrow(proofs_[i]);
    }
    // The taken clicks reached no program.
    for (UINT message : {WM_XBUTTONDOWN, WM_XBUTTONUP}) {
        EXPECT_EQ(ClickTarget::Count(message, XBUTTON1), 0);
    }
    EXPECT_EQ(ClickTarget::Count(WM_MBUTTONDOWN) + ClickTarget::Count(WM_MBUTTONUP), 0);
    EXPECT_TRUE(agent_->IsRunning());
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
