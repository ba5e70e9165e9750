#include "platform/framework/list_ctrl.h"

#include <vector>

IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

DWORD CListCtrl::SetExtendedStyle(DWORD styles) {
    return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, styles));
}

DWORD CListCtrl::GetExtendedStyle() const {
    return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
}

HIMAGELIST CListCtrl::SetImageList(CImageList* images, int kind) {
    HIMAGELIST list = images ? images->GetSafeHandle() : nullptr;
    return reinterpret_cast<HIMAGELIST>(
        SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(list)));
}

BOOL CListCtrl::SetTextColor(COLORREF color) {
    return SendMessage(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(color)) ? TRUE : FALSE;
}

COLORREF CListCtrl::GetTextColor() const {
    return static_cast<COLORREF>(SendMessage(LVM_GETTEXTCOLOR));
}

int CListCtrl::InsertColumn(int column, const wchar_t* heading, int format, int width,
                            int subItem) {
    LVCOLUMNW description = {};
    description.mask = LVCF_FMT | LVCF_TEXT;
    description.fmt = format;
    description.pszText = const_cast<wchar_t*>(heading ? heading : L"");
    if (width >= 0) {
        description.mask |= LVCF_WIDTH;
        description.cx = width;
    }
    if (subItem >= 0) {
        description.mask |= LVCF_SUBITEM;
        description.iSubItem = subItem;
    }
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                                        reinterpret_cast<LPARAM>(&description)));
}

BOOL CListCtrl::SetColumnWidth(int column, int width) {
    return SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0))
               ? TRUE
               : FALSE;
}

int CListCtrl::GetColumnWidth(int column) const {
    return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
}

int CListCtrl::GetColumnCount() const {
    HWND header = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
    return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int CListCtrl::InsertItem(int item, const wchar_t* text) {
    LVITEMW row = {};
    row.mask = LVIF_TEXT;
    row.iItem = item;
    row.pszText = const_cast<wchar_t*>(text ? text : L"");
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
}

int CListCtrl::InsertItem(int item, const wchar_t* text, int image) {
    LVITEMW row = {};
    row.mask = LVIF_TEXT | LVIF_IMAGE;
    row.iItem = item;
    row.pszText = const_cast<wchar_t*>(text ? text : L"");
    row.iImage = image;
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
}

BOOL CListCtrl::DeleteAllItems() {
    return SendMessage(LVM_DELETEALLITEMS) ? TRUE : FALSE;
}

int CListCtrl::GetItemCount() const {
    return static_cast<int>(SendMessage(LVM_GETITEMCOUNT));
}

BOOL CListCtrl::SetItemText(int item, int subItem, const wchar_t* text) {
    LVITEMW row = {};
    row.iSubItem = subItem;
    row.pszText = const_cast<wchar_t*>(text ? text : L"");
    return SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row))
               ? TRUE
               : FALSE;
}

CString CListCtrl::GetItemText(int item, int subItem) const {
    // The control answers the length it copied; a full buffer may mean a longer text.
    std::vector<wchar_t> buffer(64);
    for (;;) {
        LVITEMW row = {};
        row.iSubItem = subItem;
        row.pszText = buffer.data();
        row.cchTextMax = static_cast<int>(buffer.size());
        buffer[0] = L'\0';
        LRESULT copied = SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                                     reinterpret_cast<LPARAM>(&row));
        if (copied < static_cast<LRESULT>(buffer.size()) - 1 || buffer.size() >= 65536) {
            buffer.back() = L'\0';
            return CString(row.pszText ? row.pszText : L"");
        }
        buffer.assign(buffer.size() * 4, L'\0');
    }
}

int CListCtrl::GetItemImage(int item) const {
    LVITEMW row = {};
    row.mask = LVIF_IMAGE;
    row.iItem = item;
    row.iImage = -1;
    if (!SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&row))) {
        return -1;
    }
    return row.iImage;
}

int CListCtrl::GetNextItem(int start, int flags) const {
    return static_cast<int>(
        SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
    LVITEMW row = {};
    row.state = state;
    row.stateMask = mask;
    return SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row))
               ? TRUE
               : FALSE;
}

UINT CListCtrl::GetItemState(int item, UINT mask) const {
    return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(item), mask));
}

BOOL CListCtrl::SetCheck(int item, BOOL checked) {
    return SetItemState(item, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

BOOL CListCtrl::GetCheck(int item) const {
    UINT state = GetItemState(item, LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2 ? TRUE : FALSE;
}
