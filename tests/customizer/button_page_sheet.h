#pragma once
// The Button page inside a real sheet, for the test groups that drive it through its
// controls: a clean start and end, the sheet opened and closed, and what a user's taps and
// picks send. Each group derives its own fixture from it and seeds the buttons it needs.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "customizer/app_assignments.h"
#include "customizer/button_page.h"
#include "customizer/catalogues.h"
#include "support/message_pump.h"
#include "support/recording_os.h"
#include "support/registry.h"

namespace testing_support {

class ButtonPageSheet : public ::testing::Test {
  protected:
    // What every group starts from: the sheet's controls registered, no settings stored,
    // the catalogues empty.
    static void StartClean() {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&controls);
        DeleteKeyTree(HKEY_CURRENT_USER, kestrel::kProductKeyPath);
        ClearCatalogues();
    }
    // The sheet gone with whatever it left in the queue, and nothing left for the next test.
    void CleanUp() {
        if (sheet.m_hWnd) {
            sheet.DestroyWindow();
        }
        DispatchPending();
        DeleteKeyTree(HKEY_CURRENT_USER, kestrel::kProductKeyPath);
        ClearCatalogues();
    }

    void Open() {
        sheet.AddPage(&page);
        ASSERT_TRUE(sheet.Create());
        DispatchPending();
    }
    // The sheet's window goes as OK leaves it: the page writes its settings.
    void Close() {
        sheet.DestroyWindow();
        DispatchPending();
    }

    HWND Item(int id) const { return page.GetDlgItem(id); }
    HWND ProgramBox() const { return Item(IDC_COMBO_PROGRAM); }

    // What a tap does to a row of list `listId`: the list sets the state and tells the page.
    void SetRowState(int listId, int row, UINT state, UINT mask) {
        LVITEMW item = {};
        item.state = state;
        item.stateMask = mask;
        SendDlgItemMessageW(page.m_hWnd, listId, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                            reinterpret_cast<LPARAM>(&item));
        DispatchPending();
    }
    // That row selected and focused, no other.
    void SelectButton(int row) {
        SetRowState(IDC_LIST_BUTTONS, row, LVIS_SELECTED | LVIS_FOCUSED,
                    LVIS_SELECTED | LVIS_FOCUSED);
    }
    void SelectMode(int row) {
        SetRowState(IDC_LIST_MODES, row, LVIS_SELECTED | LVIS_FOCUSED,
                    LVIS_SELECTED | LVIS_FOCUSED);
    }
    void CheckButton(int row, bool on) {
        SetRowState(IDC_LIST_BUTTONS, row, INDEXTOSTATEIMAGEMASK(on ? 2 : 1), LVIS_STATEIMAGEMASK);
    }
    void CheckMode(int row, bool on) {
        SetRowState(IDC_LIST_MODES, row, INDEXTOSTATEIMAGEMASK(on ? 2 : 1), LVIS_STATEIMAGEMASK);
    }

    // The user picks item `index` of drop-down list `id`: the list selects it and tells the
    // page.
    void PickFrom(int id, int index) {
        SendMessageW(Item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(page.m_hWnd, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Item(id)));
        DispatchPending();
    }
    // The user picks the program box's item called exactly `name`.
    void Pick(const wchar_t* name) {
        const LRESULT index = SendMessageW(ProgramBox(), CB_FINDSTRINGEXACT,
                                           static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
        ASSERT_NE(index, CB_ERR);
        PickFrom(IDC_COMBO_PROGRAM, static_cast<int>(index));
    }

    // Column 1 of press-kind row `n`, and of button row `row`.
    std::wstring ModeText(int n) { return page.m_listMode.GetItemText(n, 1).Std(); }
    std::wstring Summary(int row) { return page.m_listButton.GetItemText(row, 1).Std(); }

    RecordingOs os;
    KestrelConfigProp1 page;
    CPropertySheet sheet{L"Kestrel設定"};

  private:
    static void ClearCatalogues() {
        kestrel::buttonCatalogue.clear();
        kestrel::commandCatalogue.clear();
        kestrel::appCatalogue.clear();
    }
};

}  // namespace testing_support
