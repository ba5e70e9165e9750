// What a desktop user reaches beyond the handheld's catalogue, through the real
// KestrelConfig.exe: the Start menu of all users, any file through the file dialog, and a
// key combination recorded by pressing it, which the real agent then types.
#include "e2e_system/system_fixture.h"
#include "support/recording_os.h"

namespace e2e {
namespace {

constexpr BYTE kFirstButtonVk = 0xC1;   // from the key name 40C1
constexpr DWORD kFileNameBox = 0x47C;   // cmb13, the file dialog's file-name box
constexpr DWORD kFileNameEdit = 0x480;  // edt1, where a dialog has an edit box instead

std::string Narrow(const std::wstring& text) {
    return testing_support::RecordingOs::Narrow(text.c_str());
}

void MakeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot make " << Narrow(path);
    CloseHandle(file);
}

// The keys other programs type with the extra information `extraInfo`, as a low-level
// hook of this thread sees them, the left and right modifiers by their generic codes.
class TypedKeys {
  public:
    explicit TypedKeys(ULONG_PTR extraInfo) {
        watched_ = extraInfo;
        seen_.clear();
        hook_ = SetWindowsHookExW(WH_KEYBOARD_LL, &TypedKeys::Hook, GetModuleHandleW(nullptr), 0);
    }
    ~TypedKeys() { UnhookWindowsHookEx(hook_); }

    static const std::vector<std::string>& Seen() { return seen_; }
    void Clear() { seen_.clear(); }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM message, LPARAM lParam) {
        const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (code == HC_ACTION && event.dwExtraInfo == watched_) {
            DWORD vk = event.vkCode;
            vk = (vk == VK_LCONTROL || vk == VK_RCONTROL) ? VK_CONTROL : vk;
            vk = (vk == VK_LSHIFT || vk == VK_RSHIFT) ? VK_SHIFT : vk;
            vk = (vk == VK_LMENU || vk == VK_RMENU) ? VK_MENU : vk;
            char text[8];
            snprintf(text, sizeof(text), "%s%02lX", (event.flags & LLKHF_UP) ? "^" : "", vk);
            seen_.emplace_back(text);
        }
        return CallNextHookEx(nullptr, code, message, lParam);
    }

    static inline ULONG_PTR watched_ = 0;
    static inline std::vector<std::string> seen_;
    HHOOK hook_ = nullptr;
};

class DesktopChoicesTest : public SystemFixture {
  protected:
    void TearDown() override {
        SystemFixture::TearDown();
        for (const std::wstring& folder : madeFolders_) {
            testing_support::RemoveTree(folder);
        }
    }

    std::wstring MakeFolder(const std::wstring& path) {
        CreateDirectoryW(path.c_str(), nullptr);
        madeFolders_.push_back(path);
        return path;
    }

    // Starts the customizer and waits for its sheet, which opens on the Button page with
    // the first button's single press selected.
    void Open() {
        customizer_ = StartCustomizer();
        sheet_ = Sheet::Find(customizer_->Id());
        ASSERT_TRUE(sheet_.Exists());
        page_ = sheet_.CurrentPage();
        ASSERT_TRUE(Sheet::IsButtonPage(page_));
    }

    // A click on one of the page's push buttons; posted, since it opens a modal dialog.
    HWND Click(int id) const {
        HWND button = GetDlgItem(page_, id);
        PostMessageW(page_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
        return WaitForMessageBox(customizer_->Id(), sheet_.Window());
    }

    static bool Gone(HWND dialog) {
        return WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
    }

    // The items of the program box whose text is exactly `text`.
    int ItemsNamed(const std::wstring& text) const {
        HWND box = GetDlgItem(page_, IDC_COMBO_PROGRAM);
        int count = 0;
        LRESULT from = -1;
        for (;;) {
            DWORD_PTR found = static_cast<DWORD_PTR>(CB_ERR);
            SendMessageTimeoutW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(from),
                                reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 5000, &found);
            const LRESULT index = static_cast<LRESULT>(found);
            if (index < 0 || index <= from) {
                return count;  // none, or the search came round to the first again
            }
            ++count;
            from = index;
        }
    }

    // Records `keys` in the dialog "キー操作", pressed as a keyboard would (all down, then
    // all up in reverse), and closes it with OK once it shows `shown`.
    void Record(const std::vector<BYTE>& keys, const std::wstring& shown) {
        HWND dialog = Click(IDC_RECORD_KEYS);
        ASSERT_NE(dialog, nullptr) << "no key recorder";
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }));
        for (BYTE key : keys) {
            keybd_event(key, 0, 0, 0);
        }
        for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
            keybd_event(*key, 0, KEYEVENTF_KEYUP, 0);
        }
        EXPECT_TRUE(WaitUntil([&] {
            return TextOf(GetDlgItem(dialog, IDC_KEY_COMBINATION)) == shown;
        })) << Narrow(TextOf(GetDlgItem(dialog, IDC_KEY_COMBINATION)));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(Gone(dialog));
    }

    std::wstring Stored(const wchar_t* keyName, const wchar_t* name) const {
        return testing_support::ReadStringValue(HKEY_CURRENT_USER, ButtonKeyPath(keyName), name);
    }
    DWORD StoredMode(const wchar_t* keyName) const {
        DWORD mode = 0xDEADBEEF;
        testing_support::ReadDwordValue(HKEY_CURRENT_USER, ButtonKeyPath(keyName), L"Mode_0", mode);
        return mode;
    }

    std::vector<std::wstring> madeFolders_;
};

TEST_F(DesktopChoicesTest, AShortcutOfAllUsersIsOfferedOnceBesideTheUsersOwnAndChosen) {
    const std::wstring common =
        MakeFolder(testing_support::CommonStartMenuFolder() + L"\\Programs\\KestrelAllUsers");
    const std::wstring own = MakeFolder(StartMenuFolder() + L"\\Programs\\KestrelAllUsers");
    MakeFile(common + L"\\Shared Tool.lnk");
    MakeFile(own + L"\\Shared Tool.lnk");
    MakeFile(common + L"\\Everyone's Tool.lnk");
    ASSERT_NO_FATAL_FAILURE(Open());

    EXPECT_EQ(ItemsNamed(L"Shared Tool"), 1);
    ASSERT_TRUE(PickProgram(page_, L"Everyone's Tool"));
    CloseWith(*customizer_, sheet_, PSBTN_OK);

    EXPECT_EQ(Stored(kFirstButton, L"Cmd_0"), common + L"\\Everyone's Tool.lnk");
    EXPECT_EQ(StoredMode(kFirstButton), static_cast<DWORD>(kestrel::kActionProgram));
}

TEST_F(DesktopChoicesTest, AFileChosenInTheFileDialogIsStoredWithItsFullPath) {
    const std::wstring file = folder_.Path() + L"\\Quarterly Report.txt";
    MakeFile(file);
    ASSERT_NO_FATAL_FAILURE(Open());

    HWND dialog = Click(IDC_BROWSE);
    ASSERT_NE(dialog, nullptr) << "no file dialog";
    HWND name = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        name = GetDlgItem(dialog, kFileNameBox);
        name = name ? name : GetDlgItem(dialog, kFileNameEdit);
        return name != nullptr;
    }));
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()), SMTO_NORMAL,
                        5000, &ignored);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(Gone(dialog));
    CloseWith(*customizer_, sheet_, PSBTN_OK);

    EXPECT_EQ(Stored(kFirstButton, L"Cmd_0"), file);
    EXPECT_EQ(StoredMode(kFirstButton), static_cast<DWORD>(kestrel::kActionProgram));
}

TEST_F(DesktopChoicesTest, RecordedCombinationsAreTypedByTheRealAgentExactly) {
    for (BYTE key : {VK_LWIN, VK_RWIN, VK_SHIFT, VK_CONTROL}) {
        keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    }
    testing_support::SetDword(HKEY_CURRENT_USER, ButtonKeyPath(kFirstButton),
                              kestrel::kValueEnabled, 1);
    testing_support::SeedSlot(kFirstButton, {0, kestrel::kActionKeySequence, L"#_#"});
    ASSERT_NO_FATAL_FAILURE(StartAgent());

    struct Story {
        std::vector<BYTE> keys;
        const wchar_t* shown;
        const wchar_t* stored;
        std::vector<std::string> typed;
    };
    const Story stories[] = {
        {{VK_CONTROL, VK_SHIFT, 'T'},
         L"［Ctrl+Shift+T］",
         L"+11+10$54",
         {"11", "10", "54", "^54", "^10", "^11"}},
        {{VK_LWIN, 'D'}, L"［Win+D］", L"+5B$44", {"5B", "44", "^44", "^5B"}},
    };
    TypedKeys typed(kestrel::kExtraInfoOwnKey);
    for (const Story& story : stories) {
        SCOPED_TRACE(Narrow(story.shown));
        ASSERT_NO_FATAL_FAILURE(Open());
        ASSERT_NO_FATAL_FAILURE(Record(story.keys, story.shown));
        CloseWith(*customizer_, sheet_, PSBTN_OK);
        EXPECT_EQ(Stored(kFirstButton, L"Cmd_0"), story.stored);
        EXPECT_EQ(StoredMode(kFirstButton), static_cast<DWORD>(kestrel::kActionKeySequence));

        // The agent reloaded during OK's send, so its hot keys are in place: one press.
        typed.Clear();
        keybd_event(VK_LWIN, 0, 0, 0);
        keybd_event(kFirstButtonVk, 0, 0, 0);
        keybd_event(kFirstButtonVk, 0, KEYEVENTF_KEYUP, 0);
        keybd_event(VK_LWIN, 0, KEYEVENTF_KEYUP, 0);
        ASSERT_TRUE(WaitUntil([&] { return TypedKeys::Seen().size() >= story.typed.size(); }))
            << "the agent typed " << TypedKeys::Seen().size() << " keys";
        // Whatever else it would type follows at once: a short look is enough.
        testing_support::Pump(300);
        EXPECT_EQ(TypedKeys::Seen(), story.typed);
    }
}

}  // namespace
}  // namespace e2e
