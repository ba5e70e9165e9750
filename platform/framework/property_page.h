#pragma once
// A page of a property sheet, built from a dialog template of the program's resources.
// OnInitDialog runs once, when the sheet first shows the page; a page the user never
// opened has no window, so it gets neither OnInitDialog nor WM_DESTROY. Leaving the page
// (another tab, or OK) validates its data; Cancel does not.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "platform/framework/wnd.h"

class CPropertySheet;

class CPropertyPage : public CWnd {
    DECLARE_DYNAMIC(CPropertyPage)

  public:
    // `captionId` 0: the tab shows the template's title.
    explicit CPropertyPage(UINT templateId, UINT captionId = 0);
    ~CPropertyPage() override;

    UINT GetTemplateId() const { return m_templateId; }

    // First creation of the page's window; the default fills the controls from the
    // members (UpdateData(FALSE)) and asks for the default focus (TRUE).
    virtual BOOL OnInitDialog();
    // The page becomes the current one; FALSE refuses. Default TRUE.
    virtual BOOL OnSetActive();
    // The page is about to be left, or the sheet closed with OK: FALSE keeps the page.
    // Default: UpdateData(TRUE).
    virtual BOOL OnKillActive();
    // OK: FALSE keeps the sheet open on this page. Default: UpdateData(TRUE).
    virtual BOOL OnApply();
    // Cancel: nothing is validated. Default does nothing.
    virtual void OnReset();
    // Cancel asked: FALSE keeps the sheet open. Default TRUE.
    virtual BOOL OnQueryCancel();

    // The description handed to the common controls; filled by the constructor.
    PROPSHEETPAGEW m_psp;

    DECLARE_MESSAGE_MAP()

  private:
    friend class CPropertySheet;
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool OnSheetNotify(NMHDR* header, LRESULT* result);

    UINT m_templateId;
};
