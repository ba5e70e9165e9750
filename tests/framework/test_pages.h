#pragma once
// Pages for the framework's tests: they write down what happens to them, one line each,
// in the order it happens, and let a test act from inside OnInitDialog.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/test_dialogs.h"
#include "platform/framework/framework.h"
#include "support/message_pump.h"

namespace framework_test {

using testing_support::DispatchPending;

// Everything the test pages did, in order, such as "First.OnInitDialog".
std::vector<std::string>& Events();

class TestPage : public CPropertyPage {
  public:
    TestPage(const char* name, UINT templateId) : CPropertyPage(templateId), m_name(name) {}

    std::function<void(TestPage&)> onInit;
    bool refuseChanging = false;
    CWnd* lastScrollControl = nullptr;
    int lastScrollControlId = 0;

    CListCtrl m_list;
    CWnd m_combo;  // the customizer speaks to its combo box in messages
    CSliderCtrl m_slider;
    CString m_label;
    CString m_comboText;
    CString m_editComboText;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;

  protected:
    void OnListChanged(NMHDR* header, LRESULT* result);
    void OnListChanging(NMHDR* header, LRESULT* result);
    void OnComboChanged();
    void OnHScroll(UINT code, UINT position, CWnd* control);
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

  private:
    void Record(const std::string& what);
    std::string m_name;
};

// A page the framework can create from its runtime class record alone.
class CreatablePage : public CPropertyPage {
    DECLARE_DYNCREATE(CreatablePage)

  public:
    CreatablePage() : CPropertyPage(IDD_TEST_SECOND) {}
};

}  // namespace framework_test
