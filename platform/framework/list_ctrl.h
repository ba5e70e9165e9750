#pragma once
// The list-view control, with the operations our pages use.
#include <windows.h>
#include <commctrl.h>

#include "platform/framework/image_list.h"
#include "platform/framework/wnd.h"

class CListCtrl : public CWnd {
    DECLARE_DYNAMIC(CListCtrl)

  public:
    // Extended list-view styles (LVM_SETEXTENDEDLISTVIEWSTYLE with mask 0).
    DWORD SetExtendedStyle(DWORD styles);
    DWORD GetExtendedStyle() const;
    // Sets the list's image list of `kind` (LVSIL_SMALL, ...); nullptr removes it.
    HIMAGELIST SetImageList(CImageList* images, int kind);
    BOOL SetTextColor(COLORREF color);
    COLORREF GetTextColor() const;

    int InsertColumn(int column, const wchar_t* heading, int format = LVCFMT_LEFT, int width = -1,
                     int subItem = -1);
    BOOL SetColumnWidth(int column, int width);  // width may be LVSCW_AUTOSIZE
    int GetColumnWidth(int column) const;
    int GetColumnCount() const;

    int InsertItem(int item, const wchar_t* text);
    int InsertItem(int item, const wchar_t* text, int image);
    BOOL DeleteAllItems();
    int GetItemCount() const;
    BOOL SetItemText(int item, int subItem, const wchar_t* text);
    CString GetItemText(int item, int subItem) const;
    int GetItemImage(int item) const;  // -1 when the row has none or does not exist

    // Next row after `start` (-1: from the top) with the LVNI_ flags, or -1.
    int GetNextItem(int start, int flags) const;
    BOOL SetItemState(int item, UINT state, UINT mask);
    UINT GetItemState(int item, UINT mask) const;
    // The row's check box (LVS_EX_CHECKBOXES).
    BOOL SetCheck(int item, BOOL checked = TRUE);
    BOOL GetCheck(int item) const;
};
