#include "platform/shell_dialog.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/recording_os.h"

namespace {

constexpr DWORD kAboutBoxFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;
static_assert(kAboutBoxFlags == 13, "the about box passes 13");

// A dialog template in memory: a captioned popup with one text, optionally an OK button.
class Template {
  public:
    explicit Template(bool withOkButton) {
        Align();
        const DWORD style = WS_POPUP | WS_CAPTION | DS_SETFONT;
        Put32(style);
        Put32(0);
        Put16(withOkButton ? 2 : 1);
        Put16(10), Put16(10), Put16(140), Put16(57);
        Put16(0), Put16(0);
        PutText(L"Box");
        Put16(9);
        PutText(L"MS UI Gothic");
        Item(WS_CHILD | WS_VISIBLE | SS_LEFT, 40, 18, 70, 8, 0xFFFF, 0x0082, L"Text");
        if (withOkButton) {
            Item(WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 40, 30, 12, IDOK, 0x0080, L"OK");
        }
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words.data()); }

  private:
    void Put16(WORD w) { words.push_back(w); }
    void Put32(DWORD d) { Put16(LOWORD(d)), Put16(HIWORD(d)); }
    void PutText(const wchar_t* text) {
        for (; *text; ++text) {
            Put16(*text);
        }
        Put16(0);
    }
    void Align() {
        if (words.size() % 2) {
            Put16(0);
        }
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom,
              const wchar_t* text) {
        Align();
        Put32(style);
        Put32(0);
        Put16(x), Put16(y), Put16(cx), Put16(cy), Put16(id);
        Put16(0xFFFF), Put16(classAtom);
        PutText(text);
        Put16(0);
    }
    std::vector<WORD> words;
};

std::vector<WORD> commands;

INT_PTR CALLBACK RecordingDlgProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND) {
        commands.push_back(LOWORD(wParam));
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

class ShellDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { commands.clear(); }
    void TearDown() override {
        if (dialog) {
            DestroyWindow(dialog);
        }
    }
    void Open(bool withOkButton = false) {
        Template dialogTemplate(withOkButton);
        dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialogTemplate.Get(),
                                            nullptr, RecordingDlgProc, 0);
        ASSERT_TRUE(dialog);
        GetWindowRect(dialog, &before);
    }
    BOOL Init(DWORD mask, DWORD flags) {
        SHINITDLGINFO info = {mask, dialog, flags};
        return SHInitDialog(&info);
    }
    int OkButtons() const {
        int count = 0;
        for (HWND child = GetWindow(dialog, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            count += GetDlgCtrlID(child) == IDOK ? 1 : 0;
        }
        return count;
    }
    // The screen that the seam reports for the dialog.
    void OnScreen(const RECT& screen, const RECT& work) {
        os.screen = screen;
        os.workArea = work;
    }

    testing_support::RecordingOs os;
    HWND dialog = nullptr;
    RECT before = {};
};

TEST_F(ShellDialogTest, OnAHandheldScreenAboutBoxFlagsFillItAddADoneButtonAndPutThePanelDown) {
    OnScreen({0, 0, 240, 320}, {0, 26, 240, 320});  // the navigation bar takes the top
    Open();
    ASSERT_TRUE(Init(SHIDIM_FLAGS, kAboutBoxFlags));

    RECT now;
    GetWindowRect(dialog, &now);
    const RECT work = {0, 26, 240, 320};
    EXPECT_TRUE(EqualRect(&now, &work));

    HWND done = GetDlgItem(dialog, IDOK);
    ASSERT_TRUE(done);
    EXPECT_TRUE(GetWindowLongW(done, GWL_STYLE) & WS_VISIBLE);
    RECT button, client;
    GetWindowRect(done, &button);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&button), 2);
    GetClientRect(dialog, &client);
    EXPECT_GT(button.right - button.left, 10);
    EXPECT_LE(button.right, client.right);
    EXPECT_GT(button.left, client.right / 2) << "at the right edge";
    EXPECT_LT(button.bottom, client.bottom / 2) << "at the top";
    EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), IDOK);

    EXPECT_EQ(os.CallsStartingWith("SipShowIM"), (std::vector<std::string>{"SipShowIM(0)"}));
}

TEST_F(ShellDialogTest, OnALargerScreenTheBoxKeepsItsSizeCentredOnTheWorkAreaWithItsDoneButton) {
    const RECT screens[][2] = {{{0, 0, 1024, 768}, {0, 0, 1024, 728}},
                               {{1920, 0, 3840, 1080}, {1920, 0, 3840, 1040}},
                               {{0, 0, 480, 800}, {0, 0, 480, 800}}};  // taller than VGA
    for (const auto& [screen, work] : screens) {
        OnScreen(screen, work);
        Open();
        ASSERT_TRUE(Init(SHIDIM_FLAGS, kAboutBoxFlags));

        RECT now;
        GetWindowRect(dialog, &now);
        EXPECT_EQ(now.right - now.left, before.right - before.left);
        EXPECT_EQ(now.bottom - now.top, before.bottom - before.top);
        EXPECT_NEAR((now.left + now.right) / 2, (work.left + work.right) / 2, 1);
        EXPECT_NEAR((now.top + now.bottom) / 2, (work.top + work.bottom) / 2, 1);
        EXPECT_EQ(OkButtons(), 1);
        DestroyWindow(dialog);
        dialog = nullptr;
    }
    // Landscape VGA is a handheld screen too.
    OnScreen({0, 0, 640, 480}, {0, 0, 640, 480});
    Open();
    ASSERT_TRUE(Init(SHIDIM_FLAGS, kAboutBoxFlags));
    RECT now;
    GetWindowRect(dialog, &now);
    const RECT vga = {0, 0, 640, 480};
    EXPECT_TRUE(EqualRect(&now, &vga));
}

TEST_F(ShellDialogTest, TheDoneButtonSendsOkToTheDialog) {
    Open();
    ASSERT_TRUE(Init(SHIDIM_FLAGS, kAboutBoxFlags));

    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);

    EXPECT_EQ(commands, (std::vector<WORD>{IDOK}));
}

TEST_F(ShellDialogTest, AnOkButtonOfTheDialogIsNotDoubled) {
    Open(true);
    ASSERT_TRUE(Init(SHIDIM_FLAGS, SHIDIF_DONEBUTTON));
    EXPECT_EQ(OkButtons(), 1);
}

TEST_F(ShellDialogTest, EachFlagDoesOnlyItsOwnPart) {
    Open();
    ASSERT_TRUE(Init(SHIDIM_FLAGS, SHIDIF_SIPDOWN));
    RECT now;
    GetWindowRect(dialog, &now);
    EXPECT_TRUE(EqualRect(&now, &before));
    EXPECT_EQ(OkButtons(), 0);
    EXPECT_EQ(os.CallsStartingWith("SipShowIM").size(), 1u);

    ASSERT_TRUE(Init(SHIDIM_FLAGS, SHIDIF_DONEBUTTON));
    EXPECT_EQ(OkButtons(), 1);
    EXPECT_EQ(os.CallsStartingWith("SipShowIM").size(), 1u);
}

TEST_F(ShellDialogTest, WithoutTheFlagsMaskNothingChanges) {
    Open();
    EXPECT_TRUE(Init(0, kAboutBoxFlags));
    RECT now;
    GetWindowRect(dialog, &now);
    EXPECT_TRUE(EqualRect(&now, &before));
    EXPECT_EQ(OkButtons(), 0);
    EXPECT_TRUE(os.calls.empty());
}

TEST_F(ShellDialogTest, NoRecordOrNoWindowIsRefused) {
    EXPECT_FALSE(SHInitDialog(nullptr));
    SHINITDLGINFO noWindow = {SHIDIM_FLAGS, nullptr, kAboutBoxFlags};
    EXPECT_FALSE(SHInitDialog(&noWindow));
    Open();
    DestroyWindow(dialog);
    SHINITDLGINFO destroyed = {SHIDIM_FLAGS, dialog, kAboutBoxFlags};
    dialog = nullptr;
    EXPECT_FALSE(SHInitDialog(&destroyed));
    EXPECT_TRUE(os.calls.empty());
}

}  // namespace
