#pragma once
// The combo-box control, with the operations our pages use.
#include <windows.h>

#include "platform/framework/wnd.h"

class CComboBox : public CWnd {
    DECLARE_DYNAMIC(CComboBox)

  public:
    int AddString(const wchar_t* text);  // index of the new item, or CB_ERR
    int GetCount() const;
    int GetCurSel() const;  // CB_ERR when nothing is selected
    int SetCurSel(int index);
    // First item from after `start` (-1: from the top) whose text begins with `text`,
    // without regard to case; CB_ERR when none.
    int FindString(int start, const wchar_t* text) const;
    int FindStringExact(int start, const wchar_t* text) const;
    int SelectString(int start, const wchar_t* text);
    void GetLBText(int index, CString& text) const;  // empty for an index out of range
    int GetLBTextLen(int index) const;
    void ResetContent();
};
