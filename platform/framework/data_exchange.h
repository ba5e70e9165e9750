#pragma once
// Dialog data exchange: one DoDataExchange per window class moves data both ways between
// its controls and its members. When a validation refuses the data, the exchange is marked
// failed, the offending control gets the focus and the remaining exchanges are skipped.
#include <windows.h>

#include "platform/framework/cstring.h"

class CWnd;

class CDataExchange {
  public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate);

    BOOL m_bSaveAndValidate;  // TRUE: controls to members, with validation
    CWnd* m_pDlgWnd;

    // The control `id` of the dialog, remembered as the one a failed validation refers to.
    HWND PrepareCtrl(int id);
    // Refuses the data: focuses the control prepared last and skips further exchanges.
    void Fail();
    bool Failed() const { return m_failed; }

  private:
    HWND m_lastControl = nullptr;
    bool m_failed = false;
};

// Binds `control` to the dialog's control `id` (once; later exchanges keep the binding).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// The control's window text and `value`.
void DDX_Text(CDataExchange* dx, int id, CString& value);
// A combo box's text and `value`. Reading a drop-down list gives the selected item's
// text, empty when nothing is selected; writing selects the first item beginning with
// `value` (no selection for an empty value).
void DDX_CBString(CDataExchange* dx, int id, CString& value);
// Refuses `value` when it is longer than `maxChars`, with the framework's message.
void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars);

namespace framework {
// The text of the too-many-characters message for `maxChars`.
CString MaxCharsMessage(int maxChars);
}  // namespace framework
