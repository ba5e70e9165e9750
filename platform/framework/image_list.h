#pragma once
// An image list of the common controls, owned by the object: destroyed with it unless
// detached first.
#include <windows.h>
#include <commctrl.h>

#include "platform/framework/runtime_class.h"

class CImageList : public CObject {
  public:
    CImageList() = default;
    ~CImageList() override;

    HIMAGELIST m_hImageList = nullptr;
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }  // NOLINT

    // A new list of `cx` x `cy` images with room for `initial` and growth `grow`; a list
    // the object held before is destroyed first.
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    // Index of the new image, -1 on failure. The icon is copied; the caller keeps it.
    int Add(HICON icon);
    int GetImageCount() const;
    BOOL SetImageCount(UINT count);
    BOOL DeleteImageList();
    HIMAGELIST Detach();
};
