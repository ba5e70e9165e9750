#include "platform/framework/property_sheet.h"

#include "platform/framework/win_app.h"
#include "platform/os_calls.h"

namespace {

// The sheet whose window the common controls are creating now; the creation callback
// carries no pointer of ours.
CPropertySheet* sheetBeingCreated = nullptr;

// The sheet window's own procedure, kept with the window so that it can be called even
// after our object let go of it.
constexpr wchar_t kOriginalProcProperty[] = L"KestrelFrameworkSheetProc";

}  // namespace

IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

BEGIN_MESSAGE_MAP(CPropertySheet, CWnd)
END_MESSAGE_MAP()

CPropertySheet::CPropertySheet(const wchar_t* caption, CWnd* parent, UINT selectPage)
    : m_psh(), m_caption(caption), m_parent(parent) {
    m_psh.dwSize = sizeof(m_psh);
    // The handheld's sheets have no Apply button: the pages write when they close.
    m_psh.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USECALLBACK;
    m_psh.nStartPage = selectPage;
}

CPropertySheet::~CPropertySheet() {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        DestroyWindow();
    }
    Detach();
}

void CPropertySheet::AddPage(CPropertyPage* page) {
    if (page) {
        m_pages.push_back(page);
    }
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
    if (index < 0 || index >= GetPageCount()) {
        return nullptr;
    }
    return m_pages[static_cast<size_t>(index)];
}

int CPropertySheet::GetActiveIndex() const {
    if (!m_hWnd) {
        return static_cast<int>(m_psh.nStartPage);
    }
    HWND current = reinterpret_cast<HWND>(SendMessage(PSM_GETCURRENTPAGEHWND));
    for (int i = 0; i < GetPageCount(); ++i) {
        if (current && m_pages[static_cast<size_t>(i)]->m_hWnd == current) {
            return i;
        }
    }
    return -1;
}

CPropertyPage* CPropertySheet::GetActivePage() const {
    return GetPage(GetActiveIndex());
}

BOOL CPropertySheet::SetActivePage(int index) {
    if (index < 0 || index >= GetPageCount()) {
        return FALSE;
    }
    if (!m_hWnd) {
        m_psh.nStartPage = static_cast<UINT>(index);
        return TRUE;
    }
    return SendMessage(PSM_SETCURSEL, static_cast<WPARAM>(index), 0) ? TRUE : FALSE;
}

void CPropertySheet::PrepareHeader(bool modeless) {
    HINSTANCE resources = AfxGetResourceHandle();
    m_pageHeaders.clear();
    for (CPropertyPage* page : m_pages) {
        PROPSHEETPAGEW description = page->m_psp;
        if (!description.hInstance) {
            description.hInstance = resources;
        }
        m_pageHeaders.push_back(description);
    }
    m_psh.hwndParent = m_parent ? m_parent->m_hWnd : nullptr;
    m_psh.hInstance = resources;
    m_psh.pszCaption = m_caption.GetString();
    m_psh.nPages = static_cast<UINT>(m_pageHeaders.size());
    m_psh.ppsp = m_pageHeaders.data();
    if (m_psh.nStartPage >= m_psh.nPages) {
        m_psh.nStartPage = 0;  // a page that does not exist cannot be shown first
    }
    m_psh.dwFlags |= PSH_PROPSHEETPAGE | PSH_USECALLBACK;
    m_psh.pfnCallback = &CPropertySheet::SheetCallback;
    if (modeless) {
        m_psh.dwFlags |= PSH_MODELESS;
    } else {
        m_psh.dwFlags &= ~static_cast<DWORD>(PSH_MODELESS);
    }
}

INT_PTR CPropertySheet::DoModal() {
    if (m_pages.empty() || m_hWnd) {
        return -1;
    }
    PrepareHeader(false);
    m_closingWithOk = false;
    sheetBeingCreated = this;
    INT_PTR shown = platform::Os().PropertySheetW(&m_psh);
    sheetBeingCreated = nullptr;
    Detach();  // the window is gone by now
    if (shown < 0) {
        return -1;
    }
    // Not `shown`: desktop Windows answers 0 after OK unless a page reported a change,
    // which ours never do, while Wine answers IDOK. The pages heard how it closed.
    return m_closingWithOk ? IDOK : IDCANCEL;
}

void CPropertySheet::NoteApply(bool closing, bool accepted) {
    // The Apply button's notification says nothing about closing. OK notifies the opened
    // pages in turn and stops at the first that refuses, keeping the sheet open: the
    // last answer is the one that counts.
    if (closing) {
        m_closingWithOk = accepted;
    }
}

BOOL CPropertySheet::Create(CWnd* parent) {
    if (m_pages.empty() || m_hWnd) {
        return FALSE;
    }
    if (parent) {
        m_parent = parent;
    }
    PrepareHeader(true);
    sheetBeingCreated = this;
    INT_PTR window = platform::Os().PropertySheetW(&m_psh);
    sheetBeingCreated = nullptr;
    if (window <= 0) {
        return FALSE;
    }
    if (!m_hWnd) {
        Attach(reinterpret_cast<HWND>(window));
    }
    return TRUE;
}

int CALLBACK CPropertySheet::SheetCallback(HWND window, UINT message, LPARAM) {
    if (message != PSCB_INITIALIZED || !sheetBeingCreated || !window) {
        return 0;
    }
    CPropertySheet* sheet = sheetBeingCreated;
    if (!sheet->Attach(window)) {
        return 0;
    }
    auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    SetPropW(window, kOriginalProcProperty, reinterpret_cast<HANDLE>(original));
    sheet->m_originalProc = original;
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CPropertySheet::SheetProc));
    return 0;
}

LRESULT CALLBACK CPropertySheet::SheetProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    auto original = reinterpret_cast<WNDPROC>(GetPropW(window, kOriginalProcProperty));
    CWnd* bound = CWnd::FromHandlePermanent(window);
    if (bound && message != WM_NCDESTROY) {
        LRESULT result = 0;
        if (bound->OnWndMsg(message, wParam, lParam, &result)) {
            return result;
        }
    }
    if (message == WM_NCDESTROY) {
        RemovePropW(window, kOriginalProcProperty);
        if (original) {
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        }
        if (bound) {
            bound->Detach();
        }
        LRESULT result = original ? CallWindowProcW(original, window, message, wParam, lParam)
                                  : DefWindowProcW(window, message, wParam, lParam);
        CWnd::ForgetDestroyedWindows();
        return result;
    }
    return original ? CallWindowProcW(original, window, message, wParam, lParam)
                    : DefWindowProcW(window, message, wParam, lParam);
}
