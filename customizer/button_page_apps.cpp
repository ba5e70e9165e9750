// The Button page's program selector and what a program's view changes on the page: whose
// slots the rows show, what their check boxes and summaries mean, and the rule of a
// button in the program.
#include <cwchar>
#include <string>
#include <vector>

#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "customizer/add_app_dialog.h"
#include "customizer/app_assignments.h"
#include "customizer/app_selector.h"
#include "customizer/button_page.h"
#include "customizer/button_page_parts.h"
#include "platform/os_calls.h"

using kestrel::AppButton;
using kestrel::appCatalogue;
using kestrel::AppEntry;
using kestrel::buttonCatalogue;
using kestrel::ButtonInfo;
using kestrel::ButtonRule;
using namespace kestrel::button_page_parts;

namespace {

// The rule box's items, in the order of ButtonRule.
const wchar_t* const kRuleNames[] = {L"すべてのアプリと同じ", L"このアプリ専用の割り当て",
                                     L"このアプリではオフ"};
constexpr int kRuleCount = 3;
// Short: the narrow list shows the rule box's full names for the selected row.
constexpr wchar_t kFollowingText[] = L"（共通）";
constexpr wchar_t kSwitchedOffText[] = L"（オフ）";
// Put before the slots of a button with assignments of its own, so they show at a glance.
constexpr wchar_t kOwnMark[] = L"★";
constexpr wchar_t kRemoveAppFormat[] = L"「%ls」のアプリごとの設定を削除しますか？";
constexpr int kMessageChars = 400;

const int kSlotControls[] = {IDC_LIST_MODES, IDC_COMBO_PROGRAM, IDC_BROWSE, IDC_RECORD_KEYS};

bool IsApp(int app) {
    return app >= 0 && app < static_cast<int>(appCatalogue.size());
}

AppButton* FindAppButton(int app, int button) {
    if (!IsApp(app) || !IsButton(button)) {
        return nullptr;
    }
    const AppButton* found = appCatalogue[static_cast<size_t>(app)].FindButton(
        buttonCatalogue[static_cast<size_t>(button)].keyName);
    return const_cast<AppButton*>(found);
}

ButtonRule RuleOf(int app, int button) {
    const AppButton* entry = FindAppButton(app, button);
    return entry ? entry->rule : ButtonRule::kFollowAll;
}

}  // namespace

kestrel::SlotAssignment* KestrelConfigProp1::ShownSlots(int button) {
    AppButton* entry = FindAppButton(m_app, button);
    if (entry && entry->rule != ButtonRule::kFollowAll && entry->hasSlots) {
        return entry->slots;
    }
    return buttonCatalogue[static_cast<size_t>(button)].slots;
}

bool KestrelConfigProp1::SlotsEditable(int button) const {
    return !IsApp(m_app) || RuleOf(m_app, button) == ButtonRule::kOwn;
}

void KestrelConfigProp1::SlotsChanged(int button) {
    if (AppButton* entry = FindAppButton(m_app, button)) {
        entry->changed = true;
    }
}

std::wstring KestrelConfigProp1::RuleText(int button, std::wstring& mark) const {
    if (!IsApp(m_app)) {
        return std::wstring();
    }
    switch (RuleOf(m_app, button)) {
        case ButtonRule::kOwn:
            mark = kOwnMark;
            return std::wstring();
        case ButtonRule::kOff:
            return kSwitchedOffText;
        default:
            return kFollowingText;
    }
}

std::vector<std::wstring> KestrelConfigProp1::GloballyOn() const {
    std::vector<std::wstring> names;
    for (size_t i = 0; i < buttonCatalogue.size(); ++i) {
        const bool on = IsApp(m_app) ? buttonCatalogue[i].enabled
                                     : m_listButton.GetCheck(static_cast<int>(i)) != FALSE;
        if (on) {
            names.push_back(buttonCatalogue[i].keyName);
        }
    }
    return names;
}

bool KestrelConfigProp1::MaySwitchOn(int button) const {
    if (!IsButton(button)) {
        return true;
    }
    return kestrel::SwitchedOnButtons(GloballyOn(),
                                      buttonCatalogue[static_cast<size_t>(button)].keyName) <=
           static_cast<size_t>(kestrel::kMaxHotKeyButtons);
}

// The check box of a program's row says whether the button is on there: ticked, the
// button gets assignments of its own; cleared, it is switched off in the program.
bool KestrelConfigProp1::TakeAppCheck(int row, bool ticked) {
    if (!IsApp(m_app) || !IsButton(row)) {
        return false;
    }
    ApplyRule(row, ticked ? ButtonRule::kOwn : ButtonRule::kOff);
    return true;
}

bool KestrelConfigProp1::SetRule(int button, int rule) {
    if (!IsApp(m_app) || !IsButton(button) || rule < 0 || rule >= kRuleCount) {
        return false;
    }
    const auto wanted = static_cast<ButtonRule>(rule);
    if (wanted == ButtonRule::kOwn && RuleOf(m_app, button) != ButtonRule::kOwn &&
        !MaySwitchOn(button)) {
        RefuseForLimit();
        return false;
    }
    ApplyRule(button, wanted);
    m_settingChecks = true;
    m_listButton.SetCheck(button,
                          kestrel::SwitchedOnIn(appCatalogue[static_cast<size_t>(m_app)],
                                                buttonCatalogue[static_cast<size_t>(button)])
                              ? TRUE
                              : FALSE);
    m_settingChecks = false;
    return true;
}

void KestrelConfigProp1::ApplyRule(int button, ButtonRule rule) {
    const bool shown = button == SelectedButton();
    // Changes the user made to the shown slots belong to the rule they were made under.
    if (shown) {
        StoreSlotChecks(button);
    }
    kestrel::SetButtonRule(appCatalogue[static_cast<size_t>(m_app)],
                           buttonCatalogue[static_cast<size_t>(button)], rule);
    RefreshSummary(button);
    if (shown) {
        ShowSlots(button);
        const int mode = SelectedMode();
        if (mode != -1) {
            SelectProgram(button, mode);
        }
        ShowRule();
    }
}

void KestrelConfigProp1::InitAppControls() {
    kestrel::LoadAppCatalogue();
    kestrel::FillAppSelector(GetDlgItem(IDC_COMBO_APP), m_appImages, -1);
    for (const wchar_t* name : kRuleNames) {
        SendDlgItemMessageW(m_hWnd, IDC_COMBO_RULE, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(name));
    }
    ShowRule();
}

void KestrelConfigProp1::ShowRule() {
    const int button = SelectedButton();
    const bool app = IsApp(m_app);
    EnableWindow(GetDlgItem(IDC_COMBO_RULE), app && IsButton(button));
    const int rule = app && IsButton(button) ? static_cast<int>(RuleOf(m_app, button)) : -1;
    SendDlgItemMessageW(m_hWnd, IDC_COMBO_RULE, CB_SETCURSEL, static_cast<WPARAM>(rule), 0);
    EnableWindow(GetDlgItem(IDC_REMOVE_APP), app);
    EnableWindow(GetDlgItem(IDC_APP_OFF), app);
    CheckDlgButton(
        m_hWnd, IDC_APP_OFF,
        app && appCatalogue[static_cast<size_t>(m_app)].off ? BST_CHECKED : BST_UNCHECKED);
    const bool editable = !IsButton(button) || SlotsEditable(button);
    for (int id : kSlotControls) {
        EnableWindow(GetDlgItem(id), editable);
    }
}

void KestrelConfigProp1::SaveEnabledChecks() {
    if (IsApp(m_app)) {
        return;
    }
    for (size_t i = 0; i < buttonCatalogue.size(); ++i) {
        buttonCatalogue[i].enabled = m_listButton.GetCheck(static_cast<int>(i)) != FALSE;
    }
}

void KestrelConfigProp1::ShowApp(int app) {
    const int button = SelectedButton();
    if (button != -1) {
        StoreSlotChecks(button);
    }
    SaveEnabledChecks();
    m_app = IsApp(app) ? app : -1;
    m_settingChecks = true;
    for (size_t i = 0; i < buttonCatalogue.size(); ++i) {
        const bool on = IsApp(m_app)
                            ? kestrel::SwitchedOnIn(appCatalogue[static_cast<size_t>(m_app)],
                                                    buttonCatalogue[i])
                            : buttonCatalogue[i].enabled;
        m_listButton.SetCheck(static_cast<int>(i), on ? TRUE : FALSE);
        RefreshSummary(static_cast<int>(i));
    }
    m_settingChecks = false;
    m_lastStoredButton = -1;
    if (IsButton(button)) {
        ShowSlots(button);
        const int mode = SelectedMode();
        if (mode != -1) {
            SelectProgram(button, mode);
        }
    }
    SendDlgItemMessageW(m_hWnd, IDC_COMBO_APP, CB_SETCURSEL, static_cast<WPARAM>(m_app + 1), 0);
    ShowRule();
}

void KestrelConfigProp1::AddApp(const platform::OpenProgram& program) {
    const int app = kestrel::AddAppEntry(program.fileName, program.name, program.path);
    if (app < 0) {
        return;
    }
    kestrel::FillAppSelector(GetDlgItem(IDC_COMBO_APP), m_appImages, m_app);
    ShowApp(app);
}

void KestrelConfigProp1::OnAppChanged() {
    ShowApp(kestrel::SelectedApp(GetDlgItem(IDC_COMBO_APP)));
}

void KestrelConfigProp1::OnAddApp() {
    platform::OpenProgram chosen;
    if (kestrel::AskForApp(::GetParent(m_hWnd), chosen)) {
        AddApp(chosen);
    }
}

void KestrelConfigProp1::OnRemoveApp() {
    if (!IsApp(m_app)) {
        return;
    }
    const int app = m_app;
    wchar_t text[kMessageChars] = {};
    swprintf(text, kMessageChars, kRemoveAppFormat,
             appCatalogue[static_cast<size_t>(app)].Label().c_str());
    if (platform::Os().MessageBoxW(m_hWnd, text, kMessageCaption, MB_YESNO | MB_ICONQUESTION) !=
        IDYES) {
        return;
    }
    ShowApp(-1);
    kestrel::RemoveAppEntry(app);
    kestrel::FillAppSelector(GetDlgItem(IDC_COMBO_APP), m_appImages, -1);
}

void KestrelConfigProp1::OnAppOff() {
    if (!IsApp(m_app)) {
        return;
    }
    AppEntry& app = appCatalogue[static_cast<size_t>(m_app)];
    app.off = IsDlgButtonChecked(m_hWnd, IDC_APP_OFF) == BST_CHECKED;
    app.offChanged = true;
}

void KestrelConfigProp1::OnRuleChanged() {
    const auto rule =
        static_cast<int>(SendDlgItemMessageW(m_hWnd, IDC_COMBO_RULE, CB_GETCURSEL, 0, 0));
    if (!SetRule(SelectedButton(), rule)) {
        ShowRule();
    }
}
