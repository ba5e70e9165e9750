#include "platform/framework/data_exchange.h"

#include "platform/framework/win_app.h"
#include "platform/framework/wnd.h"
#include "platform/os_calls.h"

CDataExchange::CDataExchange(CWnd* dialog, BOOL saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

HWND CDataExchange::PrepareCtrl(int id) {
    HWND control = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(id) : nullptr;
    m_lastControl = control;
    return control;
}

void CDataExchange::Fail() {
    m_failed = true;
    if (m_lastControl && ::IsWindow(m_lastControl)) {
        ::SetFocus(m_lastControl);
    }
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (!dx || dx->Failed()) {
        return;
    }
    HWND window = dx->PrepareCtrl(id);
    if (!window || control.m_hWnd == window) {
        return;
    }
    // A member still bound to a window of an earlier showing takes the new one.
    if (control.m_hWnd && !::IsWindow(control.m_hWnd)) {
        control.Detach();
    }
    control.Attach(window);
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    if (!dx || dx->Failed()) {
        return;
    }
    CWnd control;
    control.m_hWnd = dx->PrepareCtrl(id);  // read through only, never bound
    if (control.m_hWnd) {
        if (dx->m_bSaveAndValidate) {
            control.GetWindowText(value);
        } else {
            control.SetWindowText(value);
        }
    }
    control.m_hWnd = nullptr;
}

void DDX_CBString(CDataExchange* dx, int id, CString& value) {
    if (!dx || dx->Failed()) {
        return;
    }
    HWND box = dx->PrepareCtrl(id);
    if (!box) {
        return;
    }
    bool dropDownList = (GetWindowLongW(box, GWL_STYLE) & 3) == CBS_DROPDOWNLIST;
    if (dx->m_bSaveAndValidate) {
        value.Empty();
        if (!dropDownList) {
            CWnd control;
            control.m_hWnd = box;
            control.GetWindowText(value);
            control.m_hWnd = nullptr;
            return;
        }
        LRESULT index = SendMessageW(box, CB_GETCURSEL, 0, 0);
        if (index == CB_ERR) {
            return;
        }
        LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length == CB_ERR || length <= 0) {
            return;
        }
        wchar_t* buffer = value.GetBuffer(static_cast<int>(length) + 1);
        SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(buffer));
        value.ReleaseBuffer();
        return;
    }
    if (!dropDownList) {
        SetWindowTextW(box, value);
    } else if (value.IsEmpty()) {
        SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    } else {
        SendMessageW(box, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(value.GetString()));
    }
}

namespace framework {

CString MaxCharsMessage(int maxChars) {
    CString text;
    text.Format(L"%d 文字以内で入力してください。", maxChars);
    return text;
}

}  // namespace framework

void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars) {
    if (!dx || dx->Failed() || !dx->m_bSaveAndValidate) {
        return;
    }
    if (value.GetLength() <= maxChars) {
        return;
    }
    HWND owner = dx->m_pDlgWnd ? dx->m_pDlgWnd->m_hWnd : nullptr;
    platform::Os().MessageBoxW(owner, framework::MaxCharsMessage(maxChars), AfxGetAppName(),
                               MB_OK | MB_ICONEXCLAMATION);
    dx->Fail();
}
