#include "framework/test_pages.h"

namespace framework_test {

std::vector<std::string>& Events() {
    static std::vector<std::string> events;
    return events;
}

BEGIN_MESSAGE_MAP(TestPage, CPropertyPage)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_TEST_LIST, &TestPage::OnListChanged)
ON_NOTIFY(LVN_ITEMCHANGING, IDC_TEST_LIST, &TestPage::OnListChanging)
ON_CBN_SELCHANGE(IDC_TEST_COMBO, &TestPage::OnComboChanged)
ON_WM_HSCROLL()
ON_WM_DESTROY()
END_MESSAGE_MAP()

void TestPage::Record(const std::string& what) {
    Events().push_back(m_name + "." + what);
}

BOOL TestPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    Record("OnInitDialog");
    if (onInit) {
        onInit(*this);
    }
    return TRUE;
}

void TestPage::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_TEST_LIST, m_list);
    DDX_Control(dx, IDC_TEST_COMBO, m_combo);
    DDX_Control(dx, IDC_TEST_SLIDER, m_slider);
    DDX_CBString(dx, IDC_TEST_COMBO, m_comboText);
    DDX_CBString(dx, IDC_TEST_EDIT_COMBO, m_editComboText);
    DDX_Text(dx, IDC_TEST_LABEL, m_label);
    DDV_MaxChars(dx, m_label, 3);
}

void TestPage::OnListChanged(NMHDR* header, LRESULT* result) {
    auto* change = reinterpret_cast<NMLISTVIEW*>(header);
    Record("ListChanged:" + std::to_string(change->iItem));
    *result = 0;
}

void TestPage::OnListChanging(NMHDR*, LRESULT* result) {
    *result = refuseChanging ? TRUE : 0;
}

void TestPage::OnComboChanged() {
    Record("ComboChanged");
}

void TestPage::OnHScroll(UINT code, UINT position, CWnd* control) {
    lastScrollControl = control;
    lastScrollControlId = control ? control->GetDlgCtrlID() : 0;
    Record("HScroll:" + std::to_string(code) + ":" + std::to_string(position));
    CPropertyPage::OnHScroll(code, position, control);
}

void TestPage::OnDestroy() {
    CPropertyPage::OnDestroy();
    Record("OnDestroy");
}

IMPLEMENT_DYNCREATE(CreatablePage, CPropertyPage)

}  // namespace framework_test
