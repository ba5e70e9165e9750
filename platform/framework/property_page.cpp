#include "platform/framework/property_page.h"

#include "platform/framework/property_sheet.h"
#include "platform/framework/win_app.h"

namespace {

// Messages whose answer a dialog procedure returns itself instead of through
// DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return true;
        default:
            return false;
    }
}

CPropertyPage* PageOf(HWND window) {
    CWnd* bound = CWnd::FromHandlePermanent(window);
    if (!bound || !bound->IsKindOf(RUNTIME_CLASS(CPropertyPage))) {
        return nullptr;
    }
    return static_cast<CPropertyPage*>(bound);
}

CPropertySheet* SheetOf(HWND page) {
    CWnd* bound = CWnd::FromHandlePermanent(::GetParent(page));
    if (!bound || !bound->IsKindOf(RUNTIME_CLASS(CPropertySheet))) {
        return nullptr;
    }
    return static_cast<CPropertySheet*>(bound);
}

}  // namespace

IMPLEMENT_DYNAMIC(CPropertyPage, CWnd)

BEGIN_MESSAGE_MAP(CPropertyPage, CWnd)
END_MESSAGE_MAP()

CPropertyPage::CPropertyPage(UINT templateId, UINT captionId) : m_psp(), m_templateId(templateId) {
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_DEFAULT;
    m_psp.pszTemplate = MAKEINTRESOURCEW(templateId);
    if (captionId != 0) {
        m_psp.dwFlags |= PSP_USETITLE;
        m_psp.pszTitle = MAKEINTRESOURCEW(captionId);
    }
    m_psp.pfnDlgProc = &CPropertyPage::DialogProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
}

CPropertyPage::~CPropertyPage() = default;

BOOL CPropertyPage::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnSetActive() {
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() {
    return UpdateData(TRUE);
}

BOOL CPropertyPage::OnApply() {
    return UpdateData(TRUE);
}

void CPropertyPage::OnReset() {}

BOOL CPropertyPage::OnQueryCancel() {
    return TRUE;
}

bool CPropertyPage::OnSheetNotify(NMHDR* header, LRESULT* result) {
    switch (header->code) {
        case PSN_SETACTIVE:
            *result = OnSetActive() ? 0 : -1;
            return true;
        case PSN_KILLACTIVE:
            *result = OnKillActive() ? FALSE : TRUE;
            return true;
        case PSN_APPLY: {
            // A refusing page is brought to the front so the user sees what to correct.
            const bool accepted = OnApply() != FALSE;
            *result = accepted ? PSNRET_NOERROR : PSNRET_INVALID;
            if (CPropertySheet* sheet = SheetOf(m_hWnd)) {
                sheet->NoteApply(reinterpret_cast<PSHNOTIFY*>(header)->lParam != FALSE, accepted);
            }
            return true;
        }
        case PSN_RESET:
            OnReset();
            *result = 0;
            return true;
        case PSN_QUERYCANCEL:
            *result = OnQueryCancel() ? FALSE : TRUE;
            return true;
        default:
            return false;
    }
}

INT_PTR CALLBACK CPropertyPage::DialogProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* description = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        auto* page = description ? reinterpret_cast<CPropertyPage*>(description->lParam) : nullptr;
        if (!page) {
            return FALSE;
        }
        if (page->m_hWnd && page->m_hWnd != window) {
            page->Detach();  // the window of an earlier showing
        }
        page->Attach(window);
        return page->OnInitDialog();
    }

    CPropertyPage* page = PageOf(window);
    if (!page) {
        return FALSE;
    }

    LRESULT result = 0;
    bool handled = page->OnWndMsg(message, wParam, lParam, &result);
    if (!handled && message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header && header->hwndFrom == ::GetParent(window)) {
            handled = page->OnSheetNotify(header, &result);
        }
    }
    if (message == WM_NCDESTROY) {
        page->Detach();
        CWnd::ForgetDestroyedWindows();
        return FALSE;
    }
    if (!handled) {
        return FALSE;
    }
    if (AnswersDirectly(message)) {
        return static_cast<INT_PTR>(result);
    }
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}
