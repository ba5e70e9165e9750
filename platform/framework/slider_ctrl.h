#pragma once
// The trackbar control, with the operations our pages use.
#include <windows.h>
#include <commctrl.h>

#include "platform/framework/wnd.h"

class CSliderCtrl : public CWnd {
    DECLARE_DYNAMIC(CSliderCtrl)

  public:
    void SetTicFreq(int frequency);
    void SetRange(int minimum, int maximum, BOOL redraw = FALSE);
    void GetRange(int& minimum, int& maximum) const;
    int GetRangeMin() const;
    int GetRangeMax() const;
    void SetPos(int position);  // redraws; the control clamps to its range
    int GetPos() const;
};
