// "アプリを追加" as a user meets it: the programs with a window open now, one row each with
// name and file name, and the row picked is what the dialog answers. A timer of this
// thread plays the user inside the dialog's own message loop.
#include "customizer/add_app_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/resource_ids.h"
#include "support/recording_os.h"

using kestrel::AskForApp;
using platform::OpenProgram;

namespace {

constexpr UINT kUserStepMs = 20;

// What the user does once the dialog is up; the timer keeps trying until it is.
std::function<void(HWND)> userPlays;
bool played = false;

void CALLBACK PlayUser(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND dialog = FindWindowW(L"#32770", L"アプリを追加");
    if (!dialog || played) {
        return;
    }
    played = true;
    KillTimer(nullptr, timer);
    userPlays(dialog);
}

std::wstring RowText(HWND list, int row, int column) {
    wchar_t text[300] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 300;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

class AddAppDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        played = false;
        os.openPrograms = {{L"C:\\windows\\notepad.exe", L"notepad.exe", L"メモ帳"},
                           {L"C:\\Program Files\\Paint\\paint.exe", L"paint.exe", L"ペイント"}};
    }
    bool Ask(std::function<void(HWND)> user, OpenProgram& chosen) {
        userPlays = std::move(user);
        SetTimer(nullptr, 0, kUserStepMs, PlayUser);
        return AskForApp(nullptr, chosen);
    }

    testing_support::RecordingOs os;
};

TEST_F(AddAppDialogTest, ListsTheOpenProgramsAndAnswersTheOnePicked) {
    int rows = -1;
    std::wstring names[2][2];
    bool okBeforePick = true;
    OpenProgram chosen;
    const bool added = Ask(
        [&](HWND dialog) {
            const HWND list = GetDlgItem(dialog, IDC_LIST_OPEN_APPS);
            rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
            for (int row = 0; row < 2; ++row) {
                names[row][0] = RowText(list, row, 0);
                names[row][1] = RowText(list, row, 1);
            }
            okBeforePick = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
            LVITEMW item = {};
            item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        },
        chosen);

    ASSERT_TRUE(played);
    EXPECT_TRUE(added);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(names[0][0], L"メモ帳");
    EXPECT_EQ(names[0][1], L"notepad.exe");
    EXPECT_EQ(names[1][0], L"ペイント");
    EXPECT_EQ(names[1][1], L"paint.exe");
    EXPECT_FALSE(okBeforePick);
    EXPECT_EQ(chosen.fileName, L"paint.exe");
    EXPECT_EQ(chosen.path, L"C:\\Program Files\\Paint\\paint.exe");
    EXPECT_EQ(chosen.name, L"ペイント");
}

TEST_F(AddAppDialogTest, CancelAndOkWithoutARowAnswerNothing) {
    OpenProgram chosen;
    const bool added = Ask(
        [](HWND dialog) {
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);  // no row
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        },
        chosen);
    ASSERT_TRUE(played);
    EXPECT_FALSE(added);
    EXPECT_TRUE(chosen.fileName.empty());
}

// A file picked through "参照…" stands for its program: the file name is what settings
// are named after, and the version resource's description names it (Wine's own programs
// carry one).
TEST(ProgramFromFileTest, TakesTheFileNameAndTheDescription) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const platform::OpenProgram program =
        kestrel::ProgramFromFile(std::wstring(system) + L"\\notepad.exe");
    EXPECT_EQ(program.fileName, L"notepad.exe");
    EXPECT_FALSE(program.name.empty());
    const platform::OpenProgram missing = kestrel::ProgramFromFile(L"C:\\nowhere\\tool.exe");
    EXPECT_EQ(missing.fileName, L"tool.exe");
    EXPECT_EQ(missing.name, L"tool.exe");
}

}  // namespace
