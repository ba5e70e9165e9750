#pragma once
// The "詳細" page: the double-press interval and the hold time, each on a slider with its
// number beside it. The sliders hold the values while the page is open; the page reads
// the settings when its window is first shown and writes the slider positions when its
// window goes, unless the sheet was cancelled; a page the user never opened leaves the
// stored times alone.
#include "platform/framework/framework.h"

namespace kestrel {

// What the sliders offer. The defaults are those of the settings contract.
inline constexpr int kDoubleTimeMin = 100;
inline constexpr int kDoubleTimeMax = 500;
inline constexpr int kHoldTimeMin = 300;
inline constexpr int kHoldTimeMax = 1000;
inline constexpr int kTimeTickFrequency = 100;
// Longest text of the double-press label that leaving the page accepts.
inline constexpr int kDoubleLabelMaxChars = 3;

}  // namespace kestrel

class KestrelConfigProp2 : public CPropertyPage {
    DECLARE_DYNCREATE(KestrelConfigProp2)

  public:
    KestrelConfigProp2();
    ~KestrelConfigProp2() override;

    CSliderCtrl m_sliderHold;
    CSliderCtrl m_sliderDouble;
    CString m_strDouble;

    // Show `value` as the number beside the double-press or the hold slider.
    void SetDoubleLabel(int value);
    void SetHoldLabel(int value);

    // Cancel, the close box or Esc closed the sheet: nothing is written.
    bool m_cancelled = false;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnReset() override;

    void OnHScroll(UINT code, UINT position, CWnd* control);
    void OnRestoreDefaults();
    void OnDestroy();

    DECLARE_MESSAGE_MAP()
};
