#include "customizer/config_sheet.h"

IMPLEMENT_DYNAMIC(KestrelConfigPropSheet, CPropertySheet)

BEGIN_MESSAGE_MAP(KestrelConfigPropSheet, CPropertySheet)
END_MESSAGE_MAP()

KestrelConfigPropSheet::KestrelConfigPropSheet(const wchar_t* caption, CWnd* parent,
                                               UINT selectPage)
    : CPropertySheet(caption, parent, selectPage) {
    AddPage(&m_buttonPage);
    AddPage(&m_timingPage);
}

KestrelConfigPropSheet::~KestrelConfigPropSheet() = default;
