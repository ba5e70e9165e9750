#pragma once
// A window object: a handle attached to an object of ours, so that the window's messages
// reach the object's message map. Destroying the object detaches it; destroying the
// window detaches it too, so neither outlives the other unnoticed.
#include <windows.h>

#include "platform/framework/cstring.h"
#include "platform/framework/message_map.h"

class CDataExchange;

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)

  public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }  // NOLINT

    // Binds the object to an existing window (false when the handle is not a window or the
    // object is bound already to another one); Detach unbinds it and returns the handle.
    bool Attach(HWND window);
    HWND Detach();
    // The object bound to `window`, or nullptr.
    static CWnd* FromHandlePermanent(HWND window);
    // Unbinds every object whose window no longer exists (controls bound by data exchange
    // die with their dialog without telling us).
    static void ForgetDestroyedWindows();

    int GetDlgCtrlID() const;
    HWND GetDlgItem(int id) const;
    HWND GetParent() const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void SetWindowText(const wchar_t* text);
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const;
    void SetDlgItemText(int id, const wchar_t* text);
    void GetDlgItemText(int id, CString& text) const;
    void GetClientRect(RECT* rect) const;
    BOOL DestroyWindow();

    // Moves data between the controls and the members: TRUE reads and validates, FALSE
    // fills the controls. FALSE is returned when validation refused the data.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* dx);

    // Handlers the message maps reach; the defaults pass the message on.
    void OnDestroy();
    void OnHScroll(UINT code, UINT position, CWnd* control);

    DECLARE_MESSAGE_MAP()
};

namespace framework {

template <class T, auto Handler>
void ScrollThunk(CCmdTarget* target, MessageArgs& args) {
    HWND control = reinterpret_cast<HWND>(args.lParam);
    CWnd* bound = CWnd::FromHandlePermanent(control);
    CWnd temporary;
    if (!bound && control) {
        temporary.m_hWnd = control;  // lives for the call only, never bound
        bound = &temporary;
    }
    (static_cast<T*>(target)->*Handler)(LOWORD(args.wParam), HIWORD(args.wParam), bound);
    temporary.m_hWnd = nullptr;
}

}  // namespace framework
