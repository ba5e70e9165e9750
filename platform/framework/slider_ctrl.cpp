#include "platform/framework/slider_ctrl.h"

IMPLEMENT_DYNAMIC(CSliderCtrl, CWnd)

void CSliderCtrl::SetTicFreq(int frequency) {
    SendMessage(TBM_SETTICFREQ, static_cast<WPARAM>(frequency), 0);
}

void CSliderCtrl::SetRange(int minimum, int maximum, BOOL redraw) {
    SendMessage(TBM_SETRANGEMIN, FALSE, minimum);
    SendMessage(TBM_SETRANGEMAX, static_cast<WPARAM>(redraw), maximum);
}

void CSliderCtrl::GetRange(int& minimum, int& maximum) const {
    minimum = GetRangeMin();
    maximum = GetRangeMax();
}

int CSliderCtrl::GetRangeMin() const {
    return static_cast<int>(SendMessage(TBM_GETRANGEMIN));
}

int CSliderCtrl::GetRangeMax() const {
    return static_cast<int>(SendMessage(TBM_GETRANGEMAX));
}

void CSliderCtrl::SetPos(int position) {
    SendMessage(TBM_SETPOS, TRUE, position);
}

int CSliderCtrl::GetPos() const {
    return static_cast<int>(SendMessage(TBM_GETPOS));
}
