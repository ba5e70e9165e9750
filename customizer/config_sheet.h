#pragma once
// The customizer's whole user interface: a property sheet with the Button page as tab 0
// and the Timing page as tab 1. The pages are members, so they live exactly as long as
// the sheet.
#include "customizer/button_page.h"
#include "customizer/timing_page.h"
#include "platform/framework/framework.h"

class KestrelConfigPropSheet : public CPropertySheet {
    DECLARE_DYNAMIC(KestrelConfigPropSheet)

  public:
    KestrelConfigPropSheet(const wchar_t* caption, CWnd* parent = nullptr, UINT selectPage = 0);
    ~KestrelConfigPropSheet() override;

    KestrelConfigProp1 m_buttonPage;
    KestrelConfigProp2 m_timingPage;

    DECLARE_MESSAGE_MAP()
};
