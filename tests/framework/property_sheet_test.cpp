// Pages inside real sheets of the common controls: when their windows come and go, and
// how leaving a page and closing the sheet validate (or do not validate) their data.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "framework/test_pages.h"
#include "support/recording_os.h"
#include "support/windows_sheet_result.h"

namespace framework_test {
namespace {

int CountOf(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

class SheetFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&controls);
        Events().clear();
        sheet.AddPage(&first);
        sheet.AddPage(&second);
    }
    void TearDown() override {
        if (sheet.m_hWnd) {
            sheet.DestroyWindow();
        }
        DispatchPending();
    }

    HWND CurrentPage() const {
        return reinterpret_cast<HWND>(sheet.SendMessage(PSM_GETCURRENTPAGEHWND));
    }
    void Press(int button) {
        sheet.SendMessage(PSM_PRESSBUTTON, static_cast<WPARAM>(button));
        DispatchPending();
    }
    int MessageBoxes() const {
        return static_cast<int>(os.CallsStartingWith("MessageBox(").size());
    }

    testing_support::RecordingOs os;
    TestPage first{"First", IDD_TEST_FIRST};
    TestPage second{"Second", IDD_TEST_SECOND};
    CPropertySheet sheet{L"Sheet caption"};
};

using PageLifecycleTest = SheetFixture;

TEST_F(PageLifecycleTest, OnlyTheFirstPageIsCreatedWhenTheSheetOpens) {
    ASSERT_TRUE(sheet.Create());
    DispatchPending();

    EXPECT_EQ(Events(), std::vector<std::string>({"First.OnInitDialog"}));
    EXPECT_NE(first.m_hWnd, nullptr);
    EXPECT_EQ(second.m_hWnd, nullptr);
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    CString caption;
    sheet.GetWindowText(caption);
    EXPECT_STREQ(caption, L"Sheet caption");
}

TEST_F(PageLifecycleTest, OnInitDialogRunsOnceHoweverOftenThePageIsShown) {
    ASSERT_TRUE(sheet.Create());
    ASSERT_TRUE(sheet.SetActivePage(1));
    ASSERT_TRUE(sheet.SetActivePage(0));
    ASSERT_TRUE(sheet.SetActivePage(1));
    DispatchPending();

    EXPECT_EQ(CountOf(Events(), "First.OnInitDialog"), 1);
    EXPECT_EQ(CountOf(Events(), "Second.OnInitDialog"), 1);
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    EXPECT_EQ(sheet.GetActivePage(), &second);
}

TEST_F(PageLifecycleTest, ClosingDestroysOpenedPagesOnlyAndUnbindsTheirControls) {
    ASSERT_TRUE(sheet.Create());
    HWND list = first.m_list.m_hWnd;
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(list), &first.m_list);

    sheet.DestroyWindow();
    DispatchPending();

    EXPECT_EQ(Events(), std::vector<std::string>({"First.OnInitDialog", "First.OnDestroy"}));
    EXPECT_EQ(first.m_hWnd, nullptr);
    EXPECT_EQ(first.m_list.m_hWnd, nullptr);
    EXPECT_EQ(sheet.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(list), nullptr);
}

TEST_F(PageLifecycleTest, BothPagesAreDestroyedWhenBothWereOpened) {
    ASSERT_TRUE(sheet.Create());
    sheet.SetActivePage(1);
    sheet.DestroyWindow();
    DispatchPending();

    EXPECT_EQ(CountOf(Events(), "First.OnDestroy"), 1);
    EXPECT_EQ(CountOf(Events(), "Second.OnDestroy"), 1);
}

TEST_F(PageLifecycleTest, TheSameSheetCanBeShownAgainAfterClosing) {
    ASSERT_TRUE(sheet.Create());
    sheet.DestroyWindow();
    ASSERT_TRUE(sheet.Create());
    DispatchPending();

    EXPECT_EQ(CountOf(Events(), "First.OnInitDialog"), 2);
    EXPECT_NE(first.m_list.m_hWnd, nullptr);
    EXPECT_EQ(first.m_list.m_hWnd, first.GetDlgItem(IDC_TEST_LIST));
}

TEST_F(PageLifecycleTest, DestroyingAnOpenSheetObjectClosesItsWindowWhilePagesStillExist) {
    {
        TestPage page{"Local", IDD_TEST_SECOND};
        CPropertySheet local(L"Local sheet");
        local.AddPage(&page);
        ASSERT_TRUE(local.Create());
    }
    EXPECT_EQ(Events(), std::vector<std::string>({"Local.OnInitDialog", "Local.OnDestroy"}));
}

TEST_F(PageLifecycleTest, AStartPageBeyondThePagesOpensTheFirstPage) {
    CPropertySheet wide(L"Wide", nullptr, 7);
    TestPage only{"Only", IDD_TEST_SECOND};
    wide.AddPage(&only);

    ASSERT_TRUE(wide.Create());
    EXPECT_EQ(CountOf(Events(), "Only.OnInitDialog"), 1);
    wide.DestroyWindow();
}

TEST_F(PageLifecycleTest, ASheetWithoutPagesIsNotShown) {
    CPropertySheet empty(L"Empty");
    EXPECT_EQ(empty.DoModal(), -1);
    EXPECT_FALSE(empty.Create());
}

TEST_F(PageLifecycleTest, ModalOkReturnsIdokAfterThePagesWereDestroyed) {
    first.onInit = [](TestPage& page) {
        ::PostMessageW(page.GetParent(), PSM_PRESSBUTTON, PSBTN_OK, 0);
    };

    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(Events(), std::vector<std::string>({"First.OnInitDialog", "First.OnDestroy"}));
    EXPECT_EQ(sheet.m_hWnd, nullptr);
}

TEST_F(PageLifecycleTest, ModalCancelReturnsIdcancelAndStillDestroysThePages) {
    first.onInit = [](TestPage& page) {
        ::PostMessageW(page.GetParent(), PSM_SETCURSEL, 1, 0);
        ::PostMessageW(page.GetParent(), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    };

    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(CountOf(Events(), "First.OnDestroy"), 1);
    EXPECT_EQ(CountOf(Events(), "Second.OnDestroy"), 1);
}

// The user's steps inside a modal sheet's loop, one per tick of a thread timer.
std::vector<std::function<void()>>* modalSteps = nullptr;
size_t nextModalStep = 0;

void CALLBACK PlayModalStep(HWND, UINT, UINT_PTR, DWORD) {
    if (modalSteps && nextModalStep < modalSteps->size()) {
        (*modalSteps)[nextModalStep++]();
    }
}

// PropertySheet answers as on desktop Windows: 0 after OK as after Cancel.
class ModalResultTest : public SheetFixture {
  protected:
    INT_PTR RunModal(std::vector<std::function<void()>> steps) {
        modalSteps = &steps;
        nextModalStep = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, PlayModalStep);
        const INT_PTR result = sheet.DoModal();
        KillTimer(nullptr, timer);
        modalSteps = nullptr;
        EXPECT_EQ(nextModalStep, steps.size()) << "the sheet closed before the user was done";
        return result;
    }
    std::function<void()> Press(int button) {
        return [this, button] { sheet.PostMessage(PSM_PRESSBUTTON, static_cast<WPARAM>(button)); };
    }

    testing_support::WindowsSheetResultOs windows;
};

TEST_F(ModalResultTest, OkAndCancelAreToldApartByThePagesNotByWhatPropertySheetAnswers) {
    EXPECT_EQ(RunModal({[this] { sheet.SetActivePage(1); }, Press(PSBTN_OK)}), IDOK);
    EXPECT_EQ(RunModal({Press(PSBTN_CANCEL)}), IDCANCEL);
    EXPECT_EQ(windows.modalSheets, 2);
}

TEST_F(ModalResultTest, AnOkThatAPageRefusedFollowedByCancelIsACancel) {
    const INT_PTR result = RunModal({
        [this] { sheet.SetActivePage(1); },
        [this] { sheet.SetActivePage(0); },
        // The second page turns bad behind the user's back: OK reaches the first page,
        // which accepts, then the second, which refuses and keeps the sheet open.
        [this] { second.SetDlgItemText(IDC_TEST_LABEL, L"12345"); },
        Press(PSBTN_OK),
        [this] { EXPECT_EQ(sheet.GetActiveIndex(), 1) << "the sheet did not stay open"; },
        Press(PSBTN_CANCEL),
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(windows.CallsStartingWith("MessageBox(").size(), 1u);
}

using ValidationTest = SheetFixture;

TEST_F(ValidationTest, LeavingAPageWithTooLongATextIsRefusedWithTheMessage) {
    first.onInit = [](TestPage& page) { page.SetDlgItemText(IDC_TEST_LABEL, L"1000"); };
    ASSERT_TRUE(sheet.Create());

    sheet.SetActivePage(1);
    DispatchPending();

    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    EXPECT_EQ(second.m_hWnd, nullptr);
    ASSERT_EQ(MessageBoxes(), 1);
    EXPECT_EQ(os.calls.back().substr(os.calls.back().size() - 7), ", 0x30)");
}

TEST_F(ValidationTest, AShortEnoughTextLetsThePageGoAndReachesTheMember) {
    first.onInit = [](TestPage& page) { page.SetDlgItemText(IDC_TEST_LABEL, L"150"); };
    ASSERT_TRUE(sheet.Create());

    sheet.SetActivePage(1);
    DispatchPending();

    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    EXPECT_EQ(MessageBoxes(), 0);
    EXPECT_STREQ(first.m_label, L"150");
}

TEST_F(ValidationTest, OkWithTooLongATextKeepsTheSheetOpenUntilCorrected) {
    first.onInit = [](TestPage& page) { page.SetDlgItemText(IDC_TEST_LABEL, L"1000"); };
    ASSERT_TRUE(sheet.Create());

    Press(PSBTN_OK);
    EXPECT_NE(CurrentPage(), nullptr);
    EXPECT_EQ(MessageBoxes(), 1);
    EXPECT_EQ(CountOf(Events(), "First.OnDestroy"), 0);

    first.SetDlgItemText(IDC_TEST_LABEL, L"500");
    Press(PSBTN_OK);
    EXPECT_EQ(CurrentPage(), nullptr);  // a modeless sheet answers no page once it is done
    EXPECT_EQ(MessageBoxes(), 1);
}

TEST_F(ValidationTest, OkRefusedByAnInactivePageBringsThatPageBack) {
    ASSERT_TRUE(sheet.Create());
    sheet.SetActivePage(1);
    sheet.SetActivePage(0);
    // The value turns bad behind the user's back, after the page was left.
    second.SetDlgItemText(IDC_TEST_LABEL, L"12345");

    Press(PSBTN_OK);

    EXPECT_NE(CurrentPage(), nullptr);
    EXPECT_EQ(MessageBoxes(), 1);
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
}

TEST_F(ValidationTest, CancelDoesNotValidate) {
    first.onInit = [](TestPage& page) { page.SetDlgItemText(IDC_TEST_LABEL, L"1000"); };
    ASSERT_TRUE(sheet.Create());

    Press(PSBTN_CANCEL);

    EXPECT_EQ(CurrentPage(), nullptr);
    EXPECT_EQ(MessageBoxes(), 0);
    EXPECT_STREQ(first.m_label, L"");  // never read back
}

// The user reads the message, corrects the value and presses OK again.
class CorrectingOs : public testing_support::RecordingOs {
  public:
    TestPage* page = nullptr;
    int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) override {
        texts.emplace_back(text ? text : L"");
        int answer = RecordingOs::MessageBoxW(owner, text, caption, type);
        page->SetDlgItemText(IDC_TEST_LABEL, L"300");
        ::PostMessageW(page->GetParent(), PSM_PRESSBUTTON, PSBTN_OK, 0);
        return answer;
    }
    std::vector<std::wstring> texts;
};

TEST(ModalValidationTest, ModalOkIsRefusedUntilTheUserCorrectsTheValue) {
    Events().clear();
    CorrectingOs correcting;
    TestPage page{"Modal", IDD_TEST_SECOND};
    correcting.page = &page;
    page.onInit = [](TestPage& self) {
        self.SetDlgItemText(IDC_TEST_LABEL, L"1000");
        ::PostMessageW(self.GetParent(), PSM_PRESSBUTTON, PSBTN_OK, 0);
    };
    CPropertySheet modal(L"Modal");
    modal.AddPage(&page);

    EXPECT_EQ(modal.DoModal(), IDOK);

    ASSERT_EQ(correcting.texts.size(), 1u);
    EXPECT_EQ(correcting.texts[0], framework::MaxCharsMessage(3).Std());
    EXPECT_NE(correcting.texts[0].find(L'3'), std::wstring::npos);
    EXPECT_STREQ(page.m_label, L"300");
    EXPECT_EQ(Events(), std::vector<std::string>({"Modal.OnInitDialog", "Modal.OnDestroy"}));
}

}  // namespace
}  // namespace framework_test
