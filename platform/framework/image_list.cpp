#include "platform/framework/image_list.h"

CImageList::~CImageList() {
    DeleteImageList();
}

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
    DeleteImageList();
    m_hImageList = ImageList_Create(cx, cy, flags, initial, grow);
    return m_hImageList ? TRUE : FALSE;
}

int CImageList::Add(HICON icon) {
    if (!m_hImageList || !icon) {
        return -1;
    }
    return ImageList_AddIcon(m_hImageList, icon);
}

int CImageList::GetImageCount() const {
    return m_hImageList ? ImageList_GetImageCount(m_hImageList) : 0;
}

BOOL CImageList::SetImageCount(UINT count) {
    return m_hImageList ? ImageList_SetImageCount(m_hImageList, count) : FALSE;
}

BOOL CImageList::DeleteImageList() {
    if (!m_hImageList) {
        return FALSE;
    }
    BOOL destroyed = ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
    return destroyed;
}

HIMAGELIST CImageList::Detach() {
    HIMAGELIST list = m_hImageList;
    m_hImageList = nullptr;
    return list;
}
