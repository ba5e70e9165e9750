// The Button page itself: its lists and boxes set up, every button's settings read when it
// opens and written when it goes, and the button list's rows, summaries and check boxes.
// The message map is here, whichever file of the page a handler lives in.
#include "customizer/button_page.h"

#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <string>

#include "common/resource_ids.h"
#include "common/settings_key.h"
#include "common/settings_schema.h"
#include "customizer/app_assignments.h"
#include "customizer/button_page_parts.h"
#include "customizer/catalogues.h"
#include "customizer/while_held_choice.h"
#include "platform/hotkey_matcher.h"
#include "platform/os_calls.h"

using kestrel::buttonCatalogue;
using kestrel::ButtonInfo;
using kestrel::commandCatalogue;
using kestrel::CommandEntry;
using namespace kestrel::button_page_parts;
namespace SettingsKey = kestrel::SettingsKey;

namespace {

// Check boxes, whole-row selection and activation with one tap (together 100).
constexpr DWORD kListStyles = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE;
constexpr int kIconSize = 16;
// The handheld's button list holds no more; a longer list makes the image list longer.
constexpr int kImageRoom = 10;
constexpr int kValueNameChars = 32;

// Posted when a check box that would switch on one button too many was refused, so that
// the message is shown once the list has finished its notification.
constexpr UINT kMsgButtonLimitReached = WM_APP + 10;
constexpr wchar_t kButtonLimitText[] =
    L"オンにできるボタンは16個までです。ほかのボタンをオフにしてから、オンにしてください。";

const wchar_t* const kPressKindNames[kestrel::kSlotCount] = {L"ｼﾝｸﾞﾙ", L"ﾀﾞﾌﾞﾙ", L"ﾎｰﾙﾄﾞ"};

// "Mode_%d" and its kin for slot `n`.
std::wstring SlotValueName(const wchar_t* format, int n) {
    wchar_t name[kValueNameChars] = {};
    swprintf(name, kValueNameChars, format, n);
    return name;
}

std::wstring ButtonKeyPath(const ButtonInfo& button) {
    return std::wstring(kestrel::kProductKeyPath) + L"\\" + button.keyName;
}

// Whether the change ticks a row's check box (state image 2 is the ticked box).
bool TicksCheckBox(const NMHDR* header) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    return ChangesCheckBox(header) &&
           (change->uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

// Whether the change moves a row's check box between cleared (state image 1) and ticked
// (2), as the user's tap does; a new row getting its first box is no such change.
bool TogglesCheckBox(const NMHDR* header) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (!ChangesCheckBox(header)) {
        return false;
    }
    const UINT before = (change->uOldState & LVIS_STATEIMAGEMASK) >> 12;
    const UINT after = (change->uNewState & LVIS_STATEIMAGEMASK) >> 12;
    return before >= 1 && before <= 2 && after >= 1 && after <= 2 && before != after;
}

}  // namespace

IMPLEMENT_DYNCREATE(KestrelConfigProp1, CPropertyPage)

BEGIN_MESSAGE_MAP(KestrelConfigProp1, CPropertyPage)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST_BUTTONS, &KestrelConfigProp1::OnButtonChanged)
ON_NOTIFY(LVN_ITEMCHANGING, IDC_LIST_BUTTONS, &KestrelConfigProp1::OnButtonChanging)
ON_CBN_SELCHANGE(IDC_COMBO_PROGRAM, &KestrelConfigProp1::OnProgramChanged)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST_MODES, &KestrelConfigProp1::OnModeChanged)
ON_BN_CLICKED(IDC_BROWSE, &KestrelConfigProp1::OnBrowse)
ON_BN_CLICKED(IDC_RECORD_KEYS, &KestrelConfigProp1::OnRecordKeys)
ON_WM_DESTROY()
ON_BN_CLICKED(IDC_ADD_KEY, &KestrelConfigProp1::OnAddKey)
ON_BN_CLICKED(IDC_REMOVE_KEY, &KestrelConfigProp1::OnRemoveKey)
ON_MESSAGE(kMsgButtonLimitReached, &KestrelConfigProp1::OnButtonLimitReached)
ON_CBN_SELCHANGE(IDC_COMBO_APP, &KestrelConfigProp1::OnAppChanged)
ON_BN_CLICKED(IDC_ADD_APP, &KestrelConfigProp1::OnAddApp)
ON_BN_CLICKED(IDC_REMOVE_APP, &KestrelConfigProp1::OnRemoveApp)
ON_BN_CLICKED(IDC_APP_OFF, &KestrelConfigProp1::OnAppOff)
ON_CBN_SELCHANGE(IDC_COMBO_RULE, &KestrelConfigProp1::OnRuleChanged)
END_MESSAGE_MAP()

KestrelConfigProp1::KestrelConfigProp1() : CPropertyPage(IDD_PAGE_BUTTONS) {
    m_strProgram = L"";
    // The program selector is a control of the extended combo box class, which must be
    // registered before the page's template makes one.
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
}

KestrelConfigProp1::~KestrelConfigProp1() = default;

void KestrelConfigProp1::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_LIST_MODES, m_listMode);
    DDX_Control(dx, IDC_LIST_BUTTONS, m_listButton);
    DDX_CBString(dx, IDC_COMBO_PROGRAM, m_strProgram);
}

BOOL KestrelConfigProp1::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    m_cancelled = false;
    m_listButton.SetExtendedStyle(kListStyles);
    m_listMode.SetExtendedStyle(kListStyles);

    // Row i must be element i: a page shown again in the same run starts from empty lists
    // instead of appending a second copy of every button and command.
    buttonCatalogue.clear();
    commandCatalogue.clear();
    kestrel::appCatalogue.clear();
    kestrel::removedApps.clear();
    m_app = -1;
    if (!kestrel::LoadButtonCatalogue()) {
        return FALSE;  // "Error!!" was shown; the page stays empty and saves nothing
    }

    const int buttons = static_cast<int>(buttonCatalogue.size());
    m_imageList.Create(kIconSize, kIconSize, ILC_MASK, std::max(kImageRoom, buttons), 0);
    m_listButton.SetImageList(&m_imageList, LVSIL_SMALL);
    AddButtonImages();
    m_listButton.SetTextColor(GetSysColor(COLOR_WINDOWTEXT));

    RECT client;
    m_listButton.GetClientRect(&client);
    int width = client.right - client.left;
    m_listButton.InsertColumn(0, L"ﾎﾞﾀﾝ", LVCFMT_LEFT, width / 3);
    m_listButton.InsertColumn(1, L"ｼﾝｸﾞﾙ/ﾀﾞﾌﾞﾙ/ﾎｰﾙﾄﾞ", LVCFMT_LEFT,
                              2 * width / 3 - GetSystemMetrics(SM_CXVSCROLL));
    for (int i = 0; i < buttons; ++i) {
        m_listButton.InsertItem(i, buttonCatalogue[static_cast<size_t>(i)].displayName.c_str(), i);
    }
    SizeColumns(m_listButton);

    m_listMode.GetClientRect(&client);
    width = client.right - client.left;
    m_listMode.InsertColumn(0, L"ﾓｰﾄﾞ", LVCFMT_LEFT, width / 3);
    m_listMode.InsertColumn(1, L"割り当て", LVCFMT_LEFT, 2 * width / 3);
    for (int n = 0; n < kestrel::kSlotCount; ++n) {
        m_listMode.InsertItem(n, kPressKindNames[n]);
    }
    SizeColumns(m_listMode);

    kestrel::AddStartMenuPrograms();
    kestrel::AddFixedCommands();
    kestrel::AddWhileHeldCommands();
    for (const CommandEntry& entry : commandCatalogue) {
        SendDlgItemMessageW(m_hWnd, IDC_COMBO_PROGRAM, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(entry.displayName.c_str()));
    }

    LoadAssignments();
    for (int i = 0; i < buttons; ++i) {
        RefreshSummary(i);
    }
    if (buttons > 0) {
        ShowSlots(0);
        SelectProgram(0, 0);
    }
    m_listButton.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_listMode.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EnableRemoveKey();
    InitAppControls();
    m_ready = true;
    return FALSE;
}

// Image i is always row i's: a button whose icon cannot be had gets icon 131, and should
// even that fail, a blank image keeps the later buttons on their own images.
void KestrelConfigProp1::AddButtonImages() {
    for (size_t i = 0; i < buttonCatalogue.size(); ++i) {
        AddButtonImage(i);
    }
}

// A mouse button the user added shows a mouse; every other button without an icon of its
// own shows icon 131.
void KestrelConfigProp1::AddButtonImage(size_t i) {
    {
        const ButtonInfo& button = buttonCatalogue[i];
        const int expected = static_cast<int>(i);
        const bool mouse = button.userButton &&
                           platform::IsMouseButton(kestrel::UserButtonKeyCode(button.keyName));
        int added = -1;
        if (button.hasIcon) {
            HICON large = nullptr;
            HICON small = nullptr;
            UINT extracted =
                ExtractIconExW(button.iconFile.c_str(), button.iconIndex, &large, &small, 1);
            // The count alone is not trusted: an error answers UINT_MAX with no icon.
            if (extracted >= 1 && extracted != UINT_MAX && (small || large)) {
                added = m_imageList.Add(small ? small : large);
            }
            if (large) {
                DestroyIcon(large);
            }
            if (small) {
                DestroyIcon(small);
            }
        }
        if (added != expected) {
            HICON fallback = static_cast<HICON>(
                LoadImageW(AfxGetResourceHandle(),
                           MAKEINTRESOURCEW(mouse ? IDI_MOUSE_BUTTON : IDI_BUTTON_DEFAULT),
                           IMAGE_ICON, kIconSize, kIconSize, 0));
            if (added < 0) {
                added = m_imageList.Add(fallback);
            }
            if (fallback) {
                DestroyIcon(fallback);
            }
        }
        if (m_imageList.GetImageCount() != expected + 1) {
            m_imageList.SetImageCount(static_cast<UINT>(expected + 1));
        }
    }
}

void KestrelConfigProp1::SizeColumns(CListCtrl& list) {
    list.SetColumnWidth(0, LVSCW_AUTOSIZE);
    RECT client;
    list.GetClientRect(&client);
    list.SetColumnWidth(1, (client.right - client.left) - list.GetColumnWidth(0));
}

int KestrelConfigProp1::SelectedButton() const {
    return m_listButton.GetNextItem(-1, LVNI_SELECTED);
}

void KestrelConfigProp1::RefreshSummary(int button) {
    if (!IsButton(button)) {
        return;
    }
    std::wstring summary;
    const std::wstring ruleText = RuleText(button, summary);
    if (!ruleText.empty()) {
        m_listButton.SetItemText(button, 1, ruleText.c_str());
        return;
    }
    const kestrel::SlotAssignment* slots = ShownSlots(button);
    for (int n = 0; n < kestrel::kSlotCount; ++n) {
        if (n > 0) {
            summary += L"/";
        }
        const std::wstring& shown = slots[n].ShownText();
        summary += shown.empty() ? L"_" : shown;
    }
    m_listButton.SetItemText(button, 1, summary.c_str());
}

void KestrelConfigProp1::LoadAssignments() {
    for (size_t i = 0; i < buttonCatalogue.size(); ++i) {
        ButtonInfo& button = buttonCatalogue[i];
        // Read only: a first run that is cancelled must leave no keys behind, or the agent
        // would take them for settings and no longer open the customizer at its start.
        if (!SettingsKey::OpenKeyToRead(HKEY_CURRENT_USER, ButtonKeyPath(button).c_str())) {
            continue;
        }
        for (int n = 0; n < kestrel::kSlotCount; ++n) {
            wchar_t command[kestrel::kStringChars] = {};
            DWORD mode = 0;
            const bool haveCommand = SettingsKey::ReadString(
                SlotValueName(kestrel::kValueSlotCmdFormat, n).c_str(), command);
            const bool haveMode = SettingsKey::ReadDword(
                SlotValueName(kestrel::kValueSlotModeFormat, n).c_str(), mode);
            if (haveCommand && haveMode) {
                kestrel::TakeStoredPair(button.slots[n], mode, command);
            }
            DWORD enabled = 0;
            SettingsKey::ReadDword(SlotValueName(kestrel::kValueSlotEnabledFormat, n).c_str(),
                                   enabled);
            button.slots[n].enabled = enabled != 0;
        }
        DWORD enabled = 0;
        SettingsKey::ReadDword(kestrel::kValueEnabled, enabled);
        button.enabled = enabled != 0;
        m_listButton.SetCheck(static_cast<int>(i), enabled != 0 ? TRUE : FALSE);
        SettingsKey::CloseKey();
    }
}

void KestrelConfigProp1::SaveAssignments() {
    DeleteRemovedKeys();
    SaveEnabledChecks();
    for (size_t i = 0; i < buttonCatalogue.size(); ++i) {
        const ButtonInfo& button = buttonCatalogue[i];
        // A key that cannot be opened leaves that button's stored values as they are.
        if (!SettingsKey::OpenKey(ButtonKeyPath(button).c_str())) {
            continue;
        }
        SettingsKey::WriteString(kestrel::kValueName, button.displayName.c_str());
        if (button.userButton) {
            SettingsKey::WriteString(kestrel::kValueIcon, button.iconSpec.c_str());
            SettingsKey::WriteDword(kestrel::kValueUserButton, 1);
        }
        for (int n = 0; n < kestrel::kSlotCount; ++n) {
            // A kept pair is not written at all, so it stays byte for byte as stored,
            // whatever size or type another program gave it.
            int32_t type = 0;
            std::wstring command;
            if (kestrel::PairToWrite(button.slots[n], type, command)) {
                SettingsKey::WriteDword(SlotValueName(kestrel::kValueSlotModeFormat, n).c_str(),
                                        static_cast<DWORD>(type));
                SettingsKey::WriteString(SlotValueName(kestrel::kValueSlotCmdFormat, n).c_str(),
                                         command.c_str());
            }
            SettingsKey::WriteDword(SlotValueName(kestrel::kValueSlotEnabledFormat, n).c_str(),
                                    button.slots[n].enabled ? 1 : 0);
        }
        SettingsKey::WriteDword(kestrel::kValueEnabled, button.enabled ? 1 : 0);
        SettingsKey::CloseKey();
    }
    kestrel::SaveAppCatalogue();
}

// Copies the press-kind check boxes into the button being left, before OnButtonChanged
// fills the press-kind list with another button.
void KestrelConfigProp1::OnButtonChanging(NMHDR* header, LRESULT* result) {
    *result = 0;
    if (m_settingChecks) {
        return;
    }
    // The agent has hot-key room for so many switched-on buttons; one more would silently
    // do nothing, so its check box is refused and the user told why.
    const int changedRow = reinterpret_cast<const NMLISTVIEW*>(header)->iItem;
    if (m_ready && TicksCheckBox(header) && !MaySwitchOn(changedRow)) {
        *result = TRUE;
        RefuseForLimit();
        return;
    }
    if (m_ready && m_app >= 0 && TogglesCheckBox(header)) {
        *result = TakeAppCheck(changedRow, TicksCheckBox(header)) ? 0 : TRUE;
        return;
    }
    const int button = SelectedButton();
    if (button == -1 || button == m_lastStoredButton) {
        return;
    }
    // While the selection moves, the list may already report the new row as selected
    // (the old row's focus is taken after the new row's selection is set) although the
    // boxes still show the old button: they are not the new button's to take.
    if (button != m_lastShownButton) {
        return;
    }
    m_lastStoredButton = button;
    StoreSlotChecks(button);
    RefreshSummary(button);
}

void KestrelConfigProp1::OnButtonChanged(NMHDR*, LRESULT* result) {
    *result = 0;
    const int button = SelectedButton();
    if (button == -1) {
        EnableRemoveKey();
    }
    if (button == -1 || button == m_lastShownButton) {
        return;
    }
    m_lastShownButton = button;
    EnableRemoveKey();
    ShowRule();
    const int mode = SelectedMode();
    ShowSlots(button);
    if (mode != -1) {
        SelectProgram(button, mode);
    }
}

// Cancel reaches every page whose window exists, before the windows go.
void KestrelConfigProp1::OnReset() {
    m_cancelled = true;
}

void KestrelConfigProp1::OnDestroy() {
    CPropertyPage::OnDestroy();
    const int button = SelectedButton();
    if (button != -1) {
        StoreSlotChecks(button);
    }
    if (!m_cancelled) {
        SaveAssignments();
    }
    // The button list would destroy the image list with itself, and m_imageList again
    // after it: take it back so that only its owner frees it.
    m_listButton.SetImageList(nullptr, LVSIL_SMALL);
    if (m_appImages) {
        SendDlgItemMessageW(m_hWnd, IDC_COMBO_APP, CBEM_SETIMAGELIST, 0, 0);
        ImageList_Destroy(m_appImages);
        m_appImages = nullptr;
    }
}

void KestrelConfigProp1::RefuseForLimit() {
    PostMessage(kMsgButtonLimitReached);
}

LRESULT KestrelConfigProp1::OnButtonLimitReached(WPARAM, LPARAM) {
    platform::Os().MessageBoxW(m_hWnd, kButtonLimitText, kMessageCaption,
                               MB_OK | MB_ICONINFORMATION);
    return 0;
}
