// The Button page's slot editor: the press-kind list and its check boxes, the program box,
// and the two push buttons beside it for what the box cannot offer. Every way the user
// gives a slot an assignment (an item picked, a file browsed, keys recorded) passes the
// same checks, so they stand together: a button and a press kind chosen, and slots that
// are the user's to change in the view shown.
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "common/key_sequence.h"
#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "customizer/button_page.h"
#include "customizer/button_page_parts.h"
#include "customizer/catalogues.h"
#include "customizer/key_recorder.h"
#include "customizer/while_held_choice.h"
#include "platform/os_calls.h"

using kestrel::CommandEntry;
using namespace kestrel::button_page_parts;

namespace {

bool IsPressKind(int row) {
    return row >= 0 && row < kestrel::kSlotCount;
}

}  // namespace

int KestrelConfigProp1::SelectedMode() const {
    return m_listMode.GetNextItem(-1, LVNI_SELECTED);
}

void KestrelConfigProp1::ShowSlots(int button) {
    if (!IsButton(button)) {
        return;
    }
    const kestrel::SlotAssignment* slots = ShownSlots(button);
    for (int n = 0; n < kestrel::kSlotCount; ++n) {
        m_listMode.SetCheck(n, slots[n].enabled ? TRUE : FALSE);
        m_listMode.SetItemText(n, 1, slots[n].ShownText().c_str());
    }
}

void KestrelConfigProp1::StoreSlotChecks(int button) {
    if (!IsButton(button) || !SlotsEditable(button)) {
        return;
    }
    kestrel::SlotAssignment* slots = ShownSlots(button);
    bool changed = false;
    for (int n = 0; n < kestrel::kSlotCount; ++n) {
        const bool checked = m_listMode.GetCheck(n) != FALSE;
        changed = changed || slots[n].enabled != checked;
        slots[n].enabled = checked;
    }
    if (changed) {
        SlotsChanged(button);
    }
}

void KestrelConfigProp1::SelectProgram(int button, int pressKind) {
    if (!IsButton(button) || !IsPressKind(pressKind)) {
        return;
    }
    const kestrel::SlotAssignment& slot = ShownSlots(button)[pressKind];
    // No item stands for a kept or chosen pair: the box shows none, and any item the user
    // then picks, the empty one included, is a change.
    if (slot.keepsStored || slot.writesPair) {
        SendDlgItemMessageW(m_hWnd, IDC_COMBO_PROGRAM, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        return;
    }
    const std::wstring& assignment = slot.assignment;
    if (assignment.empty()) {
        SendDlgItemMessageW(m_hWnd, IDC_COMBO_PROGRAM, CB_SETCURSEL, 0, 0);
        return;
    }
    LRESULT found =
        SendDlgItemMessageW(m_hWnd, IDC_COMBO_PROGRAM, CB_FINDSTRING, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(assignment.c_str()));
    if (found != CB_ERR) {
        SendDlgItemMessageW(m_hWnd, IDC_COMBO_PROGRAM, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
    }
}

void KestrelConfigProp1::OnModeChanged(NMHDR* header, LRESULT* result) {
    *result = 0;
    // A press-kind check box changed: the button last stored no longer holds what the
    // boxes show, so the next change of the button list must store it again, or the
    // change would be lost when another button is shown.
    if (ChangesCheckBox(header)) {
        m_lastStoredButton = -1;
    }
    const int button = SelectedButton();
    const int mode = SelectedMode();
    if (mode == -1 || mode == m_lastShownMode) {
        return;
    }
    m_lastShownMode = mode;
    if (button != -1) {
        SelectProgram(button, mode);
    }
}

// Picking an item assigns it; whether the slot is switched on stays with its check box.
void KestrelConfigProp1::OnProgramChanged() {
    UpdateData(TRUE);
    const int button = SelectedButton();
    const int mode = SelectedMode();
    if (!IsButton(button) || !IsPressKind(mode) || !SlotsEditable(button)) {
        return;
    }
    if (kestrel::IsWhileHeldItem(m_strProgram.Std()) &&
        !kestrel::WhileHeldFits(mode, m_listMode.GetCheck(kestrel::kPressDouble) != FALSE,
                                m_listMode.GetCheck(kestrel::kPressHold) != FALSE)) {
        SelectProgram(button, mode);
        platform::Os().MessageBoxW(m_hWnd, kestrel::kWhileHeldMisplacedText, kMessageCaption,
                                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    kestrel::SlotAssignment& slot = ShownSlots(button)[mode];
    SlotsChanged(button);
    slot.assignment = m_strProgram.Std();
    slot.keepsStored = false;
    slot.writesPair = false;
    slot.keptText.clear();
    m_listMode.SetItemText(mode, 1, m_strProgram);
    RefreshSummary(button);
}

void KestrelConfigProp1::AssignPair(int button, int pressKind, int32_t type,
                                    const std::wstring& command) {
    if (!IsButton(button) || !IsPressKind(pressKind) || !SlotsEditable(button)) {
        return;
    }
    kestrel::SlotAssignment& slot = ShownSlots(button)[pressKind];
    SlotsChanged(button);
    slot.keepsStored = false;
    const CommandEntry* entry = kestrel::EntryWritingPair(type, command);
    slot.writesPair = entry == nullptr;
    slot.assignment = entry ? entry->displayName : std::wstring();
    slot.pairType = type;
    slot.pairCommand = command;
    slot.keptText =
        entry ? std::wstring() : kestrel::KeptPairText(static_cast<uint32_t>(type), command);
    m_listMode.SetItemText(pressKind, 1, slot.ShownText().c_str());
    RefreshSummary(button);
    SelectProgram(button, pressKind);
}

// Any program, shortcut or document, by its full path. A shortcut stays a shortcut rather
// than becoming the file it points to, as the Start menu's do; a path longer than a
// stored string holds is refused by the dialog itself.
void KestrelConfigProp1::OnBrowse() {
    const int button = SelectedButton();
    const int mode = SelectedMode();
    if (!IsButton(button) || !IsPressKind(mode) || !SlotsEditable(button)) {
        return;
    }
    wchar_t path[kestrel::kStringChars] = {};
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = ::GetParent(m_hWnd);
    dialog.lpstrFilter =
        L"すべてのファイル (*.*)\0*.*\0プログラムとショートカット (*.exe;*.lnk)\0*.exe;*.lnk\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = kestrel::kStringChars;
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                   OFN_NODEREFERENCELINKS | OFN_DONTADDTORECENT | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog) || path[0] == L'\0') {
        return;
    }
    AssignPair(button, mode, kestrel::kActionProgram, path);
}

void KestrelConfigProp1::OnRecordKeys() {
    const int button = SelectedButton();
    const int mode = SelectedMode();
    if (!IsButton(button) || !IsPressKind(mode) || !SlotsEditable(button)) {
        return;
    }
    kestrel::KeyCombination combination;
    if (kestrel::RecordKeyCombination(::GetParent(m_hWnd), combination)) {
        AssignPair(button, mode, kestrel::kActionKeySequence,
                   kestrel::CombinationCommand(combination));
    }
}
