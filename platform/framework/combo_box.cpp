#include "platform/framework/combo_box.h"

IMPLEMENT_DYNAMIC(CComboBox, CWnd)

int CComboBox::AddString(const wchar_t* text) {
    if (!m_hWnd) {
        return CB_ERR;
    }
    return static_cast<int>(
        SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text ? text : L"")));
}

int CComboBox::GetCount() const {
    return m_hWnd ? static_cast<int>(SendMessage(CB_GETCOUNT)) : 0;
}

int CComboBox::GetCurSel() const {
    return m_hWnd ? static_cast<int>(SendMessage(CB_GETCURSEL)) : CB_ERR;
}

int CComboBox::SetCurSel(int index) {
    return m_hWnd ? static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index)))
                  : CB_ERR;
}

int CComboBox::FindString(int start, const wchar_t* text) const {
    if (!m_hWnd) {
        return CB_ERR;
    }
    return static_cast<int>(SendMessage(CB_FINDSTRING, static_cast<WPARAM>(start),
                                        reinterpret_cast<LPARAM>(text ? text : L"")));
}

int CComboBox::FindStringExact(int start, const wchar_t* text) const {
    if (!m_hWnd) {
        return CB_ERR;
    }
    return static_cast<int>(SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(start),
                                        reinterpret_cast<LPARAM>(text ? text : L"")));
}

int CComboBox::SelectString(int start, const wchar_t* text) {
    if (!m_hWnd) {
        return CB_ERR;
    }
    return static_cast<int>(SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(start),
                                        reinterpret_cast<LPARAM>(text ? text : L"")));
}

int CComboBox::GetLBTextLen(int index) const {
    return m_hWnd ? static_cast<int>(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)))
                  : CB_ERR;
}

void CComboBox::GetLBText(int index, CString& text) const {
    text.Empty();
    int length = GetLBTextLen(index);
    if (length == CB_ERR || length <= 0) {
        return;
    }
    wchar_t* buffer = text.GetBuffer(length + 1);
    SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    text.ReleaseBuffer();
}

void CComboBox::ResetContent() {
    SendMessage(CB_RESETCONTENT);
}
