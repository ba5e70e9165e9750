// Data exchange between a page's controls and its members, both ways.
#include <gtest/gtest.h>

#include "framework/test_pages.h"
#include "support/recording_os.h"

namespace framework_test {
namespace {

class DataExchangeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&controls);
        sheet.AddPage(&page);
        ASSERT_TRUE(sheet.Create());
        for (const wchar_t* item : {L"Notes", L"Calendar", L"［Enter］"}) {
            page.m_combo.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        }
    }
    void TearDown() override { sheet.DestroyWindow(); }

    testing_support::RecordingOs os;
    TestPage page{"Page", IDD_TEST_FIRST};
    CPropertySheet sheet{L"Exchange"};
};

TEST_F(DataExchangeTest, ControlsAreBoundToTheirMembersOnce) {
    EXPECT_EQ(page.m_list.m_hWnd, page.GetDlgItem(IDC_TEST_LIST));
    EXPECT_EQ(page.m_combo.m_hWnd, page.GetDlgItem(IDC_TEST_COMBO));
    EXPECT_EQ(page.m_slider.m_hWnd, page.GetDlgItem(IDC_TEST_SLIDER));
    HWND list = page.m_list.m_hWnd;

    EXPECT_TRUE(page.UpdateData(TRUE));
    EXPECT_EQ(page.m_list.m_hWnd, list);
    EXPECT_EQ(CWnd::FromHandlePermanent(list), &page.m_list);
}

TEST_F(DataExchangeTest, AControlMissingFromTheTemplateLeavesItsMemberUnbound) {
    TestPage small{"Small", IDD_TEST_SECOND};
    CPropertySheet other(L"Small");
    other.AddPage(&small);
    ASSERT_TRUE(other.Create());

    EXPECT_EQ(small.m_list.m_hWnd, nullptr);
    EXPECT_EQ(small.m_list.GetItemCount(), 0);  // talking to nothing is harmless
    EXPECT_EQ(small.m_combo.m_hWnd, nullptr);
    other.DestroyWindow();
}

TEST_F(DataExchangeTest, ReadingADropDownListGivesTheSelectedItemOrNothing) {
    page.UpdateData(TRUE);
    EXPECT_STREQ(page.m_comboText, L"");

    const LRESULT notes = page.m_combo.SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                   reinterpret_cast<LPARAM>(L"Notes"));
    page.m_combo.SendMessage(CB_SETCURSEL, static_cast<WPARAM>(notes));
    page.UpdateData(TRUE);
    EXPECT_STREQ(page.m_comboText, L"Notes");
}

TEST_F(DataExchangeTest, WritingADropDownListSelectsTheFirstItemBeginningWithTheText) {
    page.m_comboText = L"cal";
    page.UpdateData(FALSE);
    wchar_t selected[64] = {};
    page.m_combo.SendMessage(CB_GETLBTEXT, page.m_combo.SendMessage(CB_GETCURSEL),
                             reinterpret_cast<LPARAM>(selected));
    EXPECT_STREQ(selected, L"Calendar");

    page.m_comboText = L"";
    page.UpdateData(FALSE);
    EXPECT_EQ(page.m_combo.SendMessage(CB_GETCURSEL), CB_ERR);
}

TEST_F(DataExchangeTest, AComboBoxWithAnEditFieldExchangesItsTypedText) {
    page.m_editComboText = L"typed";
    page.UpdateData(FALSE);
    page.m_editComboText = L"";
    page.UpdateData(TRUE);
    EXPECT_STREQ(page.m_editComboText, L"typed");
}

TEST_F(DataExchangeTest, ALongTextIsReadWhole) {
    std::wstring text(300, L'9');
    page.SetDlgItemText(IDC_TEST_LABEL, text.c_str());
    CString read;
    page.GetDlgItemText(IDC_TEST_LABEL, read);
    EXPECT_EQ(read.Std(), text);
}

TEST_F(DataExchangeTest, AFailedValidationAnswersFalseAfterOneMessage) {
    page.SetDlgItemText(IDC_TEST_LABEL, L"1234");
    EXPECT_FALSE(page.UpdateData(TRUE));
    EXPECT_STREQ(page.m_label, L"1234");
    EXPECT_EQ(os.CallsStartingWith("MessageBox(").size(), 1u);
}

TEST_F(DataExchangeTest, ListRowsKeepTheirTextsImagesAndCheckBoxes) {
    page.m_list.SetExtendedStyle(LVS_EX_CHECKBOXES);
    page.m_list.InsertColumn(0, L"a", LVCFMT_LEFT, 40);
    page.m_list.InsertColumn(1, L"b", LVCFMT_LEFT, 40);
    std::wstring longText(200, L'z');
    EXPECT_EQ(page.m_list.InsertItem(0, L"row", 3), 0);
    page.m_list.SetItemText(0, 1, longText.c_str());
    page.m_list.SetCheck(0, TRUE);

    EXPECT_EQ(page.m_list.GetColumnCount(), 2);
    EXPECT_STREQ(page.m_list.GetItemText(0, 0), L"row");
    EXPECT_EQ(page.m_list.GetItemText(0, 1).Std(), longText);
    EXPECT_EQ(page.m_list.GetItemImage(0), 3);
    EXPECT_EQ(page.m_list.GetItemImage(5), -1);
    EXPECT_TRUE(page.m_list.GetCheck(0));
    page.m_list.SetCheck(0, FALSE);
    EXPECT_FALSE(page.m_list.GetCheck(0));
}

}  // namespace
}  // namespace framework_test
