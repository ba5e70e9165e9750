#include "platform/framework/wnd.h"

#include <unordered_map>

#include "platform/framework/data_exchange.h"

namespace {

// Windows bound to objects of ours. One user-interface thread, so no lock.
std::unordered_map<HWND, CWnd*>& BoundWindows() {
    static std::unordered_map<HWND, CWnd*> bound;
    return bound;
}

}  // namespace

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::~CWnd() {
    Detach();
}

bool CWnd::Attach(HWND window) {
    if (!window || !::IsWindow(window)) {
        return false;
    }
    if (m_hWnd == window) {
        return true;
    }
    if (m_hWnd) {
        return false;
    }
    auto& bound = BoundWindows();
    auto found = bound.find(window);
    if (found != bound.end() && found->second != this) {
        // The window belongs to another object; a window answers to one object only.
        return false;
    }
    m_hWnd = window;
    bound[window] = this;
    return true;
}

HWND CWnd::Detach() {
    HWND window = m_hWnd;
    if (window) {
        auto& bound = BoundWindows();
        auto found = bound.find(window);
        if (found != bound.end() && found->second == this) {
            bound.erase(found);
        }
    }
    m_hWnd = nullptr;
    return window;
}

CWnd* CWnd::FromHandlePermanent(HWND window) {
    if (!window) {
        return nullptr;
    }
    auto& bound = BoundWindows();
    auto found = bound.find(window);
    return found == bound.end() ? nullptr : found->second;
}

int CWnd::GetDlgCtrlID() const {
    return m_hWnd ? ::GetDlgCtrlID(m_hWnd) : 0;
}

HWND CWnd::GetDlgItem(int id) const {
    return m_hWnd ? ::GetDlgItem(m_hWnd, id) : nullptr;
}

HWND CWnd::GetParent() const {
    return m_hWnd ? ::GetParent(m_hWnd) : nullptr;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return m_hWnd ? ::SendMessageW(m_hWnd, message, wParam, lParam) : 0;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return m_hWnd ? ::PostMessageW(m_hWnd, message, wParam, lParam) : FALSE;
}

void CWnd::SetWindowText(const wchar_t* text) {
    if (m_hWnd) {
        ::SetWindowTextW(m_hWnd, text ? text : L"");
    }
}

int CWnd::GetWindowTextLength() const {
    return m_hWnd ? ::GetWindowTextLengthW(m_hWnd) : 0;
}

void CWnd::GetWindowText(CString& text) const {
    text.Empty();
    if (!m_hWnd) {
        return;
    }
    int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0) {
        return;
    }
    wchar_t* buffer = text.GetBuffer(length + 1);
    ::GetWindowTextW(m_hWnd, buffer, length + 1);
    text.ReleaseBuffer();
}

void CWnd::SetDlgItemText(int id, const wchar_t* text) {
    if (m_hWnd) {
        ::SetDlgItemTextW(m_hWnd, id, text ? text : L"");
    }
}

void CWnd::GetDlgItemText(int id, CString& text) const {
    CWnd item;
    item.m_hWnd = GetDlgItem(id);  // not bound: only read through
    item.GetWindowText(text);
    item.m_hWnd = nullptr;
}

void CWnd::GetClientRect(RECT* rect) const {
    if (!rect) {
        return;
    }
    if (!m_hWnd || !::GetClientRect(m_hWnd, rect)) {
        SetRectEmpty(rect);
    }
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) {
        return FALSE;
    }
    // WM_NCDESTROY unbinds the objects of windows that run through our procedures.
    HWND window = m_hWnd;
    BOOL destroyed = ::DestroyWindow(window);
    if (destroyed && m_hWnd == window) {
        Detach();
    }
    return destroyed;
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return exchange.Failed() ? FALSE : TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

void CWnd::OnDestroy() {
    Default();
}

void CWnd::OnHScroll(UINT, UINT, CWnd*) {
    Default();
}

void CWnd::ForgetDestroyedWindows() {
    auto& bound = BoundWindows();
    for (auto it = bound.begin(); it != bound.end();) {
        if (!::IsWindow(it->first)) {
            it->second->m_hWnd = nullptr;
            it = bound.erase(it);
        } else {
            ++it;
        }
    }
}
