#include "customizer/timing_page.h"

#include <cwchar>

#include "common/resource_ids.h"
#include "common/settings_key.h"
#include "common/settings_schema.h"

namespace {

constexpr int kLabelChars = 256;

void SetLabel(CWnd& page, int labelId, int value) {
    wchar_t text[kLabelChars];
    swprintf(text, kLabelChars, L"%d", value);
    page.SetDlgItemText(labelId, text);
}

}  // namespace

IMPLEMENT_DYNCREATE(KestrelConfigProp2, CPropertyPage)

BEGIN_MESSAGE_MAP(KestrelConfigProp2, CPropertyPage)
ON_WM_HSCROLL()
ON_BN_CLICKED(IDC_RESTORE_DEFAULTS, &KestrelConfigProp2::OnRestoreDefaults)
ON_WM_DESTROY()
END_MESSAGE_MAP()

KestrelConfigProp2::KestrelConfigProp2() : CPropertyPage(IDD_PAGE_TIMING) {
    m_strDouble = L"";
}

KestrelConfigProp2::~KestrelConfigProp2() = default;

void KestrelConfigProp2::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_SLIDER_HOLD, m_sliderHold);
    DDX_Control(dx, IDC_SLIDER_DOUBLE, m_sliderDouble);
    DDX_Text(dx, IDC_LABEL_DOUBLE, m_strDouble);
    DDV_MaxChars(dx, m_strDouble, kestrel::kDoubleLabelMaxChars);
}

BOOL KestrelConfigProp2::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    m_cancelled = false;

    // Taken as stored, without a range check: the sliders clamp their thumbs, while the
    // labels show what the settings really hold until a thumb moves.
    DWORD doubleTime = kestrel::kDefaultDoubleTime;
    DWORD holdTime = kestrel::kDefaultHoldTime;
    // Read only, so that a cancelled sheet leaves no key behind.
    if (kestrel::SettingsKey::OpenKeyToRead(HKEY_CURRENT_USER, kestrel::kProductKeyPath)) {
        kestrel::SettingsKey::ReadDword(kestrel::kValueDoubleTime, doubleTime);
        kestrel::SettingsKey::ReadDword(kestrel::kValueHoldTime, holdTime);
        kestrel::SettingsKey::CloseKey();
    }

    m_sliderDouble.SetTicFreq(kestrel::kTimeTickFrequency);
    m_sliderDouble.SetRange(kestrel::kDoubleTimeMin, kestrel::kDoubleTimeMax, TRUE);
    m_sliderDouble.SetPos(static_cast<int>(doubleTime));
    SetDoubleLabel(static_cast<int>(doubleTime));

    m_sliderHold.SetTicFreq(kestrel::kTimeTickFrequency);
    m_sliderHold.SetRange(kestrel::kHoldTimeMin, kestrel::kHoldTimeMax, TRUE);
    m_sliderHold.SetPos(static_cast<int>(holdTime));
    SetHoldLabel(static_cast<int>(holdTime));
    return TRUE;
}

void KestrelConfigProp2::SetDoubleLabel(int value) {
    SetLabel(*this, IDC_LABEL_DOUBLE, value);
}

void KestrelConfigProp2::SetHoldLabel(int value) {
    SetLabel(*this, IDC_LABEL_HOLD, value);
}

// Every notification, thumb tracking included, so the number follows the thumb while it
// is dragged and not only when it is let go.
void KestrelConfigProp2::OnHScroll(UINT code, UINT position, CWnd* control) {
    // A scroll message without a sending control has no slider to read.
    if (control && control->GetSafeHwnd()) {
        const int id = control->GetDlgCtrlID();
        if (id == m_sliderDouble.GetDlgCtrlID()) {
            SetDoubleLabel(m_sliderDouble.GetPos());
        } else if (id == m_sliderHold.GetDlgCtrlID()) {
            SetHoldLabel(m_sliderHold.GetPos());
        }
    }
    CPropertyPage::OnHScroll(code, position, control);
}

// Only the sliders change; the settings are written with everything else when the page
// goes.
void KestrelConfigProp2::OnRestoreDefaults() {
    m_sliderDouble.SetPos(static_cast<int>(kestrel::kDefaultDoubleTime));
    SetDoubleLabel(static_cast<int>(kestrel::kDefaultDoubleTime));
    m_sliderHold.SetPos(static_cast<int>(kestrel::kDefaultHoldTime));
    SetHoldLabel(static_cast<int>(kestrel::kDefaultHoldTime));
}

// Cancel reaches every page whose window exists, before the windows go.
void KestrelConfigProp2::OnReset() {
    m_cancelled = true;
}

// What is written are slider positions, so the stored times always lie within the
// sliders' ranges.
void KestrelConfigProp2::OnDestroy() {
    CPropertyPage::OnDestroy();
    if (m_cancelled || !kestrel::SettingsKey::OpenKey(kestrel::kProductKeyPath)) {
        return;
    }
    // A slider that never got its control has no position: its time stays as stored
    // rather than becoming 0.
    if (m_sliderDouble.GetSafeHwnd()) {
        kestrel::SettingsKey::WriteDword(kestrel::kValueDoubleTime,
                                         static_cast<DWORD>(m_sliderDouble.GetPos()));
    }
    if (m_sliderHold.GetSafeHwnd()) {
        kestrel::SettingsKey::WriteDword(kestrel::kValueHoldTime,
                                         static_cast<DWORD>(m_sliderHold.GetPos()));
    }
    kestrel::SettingsKey::CloseKey();
}
