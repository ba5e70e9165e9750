#pragma once
// A property sheet of the common controls holding our pages, shown modally (DoModal) or
// modelessly (Create). Closing it destroys the page windows before DoModal returns.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <vector>

#include "platform/framework/property_page.h"

class CPropertySheet : public CWnd {
    DECLARE_DYNAMIC(CPropertySheet)

  public:
    CPropertySheet(const wchar_t* caption, CWnd* parent = nullptr, UINT selectPage = 0);
    // A modeless sheet still open is destroyed here, so its pages save while they exist.
    ~CPropertySheet() override;

    // Pages are shown as tabs in the order added; the sheet does not own them.
    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    int GetActiveIndex() const;
    CPropertyPage* GetActivePage() const;
    BOOL SetActivePage(int index);

    // IDOK when closed with OK, IDCANCEL otherwise, -1 when the sheet could not be shown.
    // Told from the pages' notifications, not from what the common controls return.
    virtual INT_PTR DoModal();
    // A modeless sheet; its window is m_hWnd until DestroyWindow.
    BOOL Create(CWnd* parent = nullptr);

    // The header handed to the common controls; DoModal and Create fill the page fields.
    PROPSHEETHEADERW m_psh;

    DECLARE_MESSAGE_MAP()

  private:
    friend class CPropertyPage;
    // A page answered the apply notification; `closing` is its lParam, set when OK sent it.
    void NoteApply(bool closing, bool accepted);

    void PrepareHeader(bool modeless);
    static int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam);
    static LRESULT CALLBACK SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    CString m_caption;
    CWnd* m_parent;
    std::vector<CPropertyPage*> m_pages;
    std::vector<PROPSHEETPAGEW> m_pageHeaders;
    WNDPROC m_originalProc = nullptr;
    // OK reached every opened page and none refused it, so the sheet is closing with OK.
    bool m_closingWithOk = false;
};
