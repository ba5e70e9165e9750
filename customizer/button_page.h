#pragma once
// The "ボタン" page: the button list (icon, name, a summary of the three assignments and
// the button's on/off check box), the press-kind list (single, double, hold, each with a
// check box and its assignment), the program box, and two push buttons for what the box
// cannot offer: "参照…" (any file) and "キー操作…" (any key combination); above the button
// list, two more add and remove the user's own keys. While the page is open the user's
// choices live in the controls and in the button catalogue's slots; the page writes every
// button's settings, and deletes the keys the user removed, when its window goes, unless
// the sheet was cancelled.
//
// Above the button list a selector chooses whose assignments the page shows: all
// programs' (the default) or one program's. With a program chosen, each row follows all
// programs, has its own assignments there (edited with the same controls) or is switched
// off there; its check box shows whether the button is on in that program.
//
// The page's methods live in a file for each concern: button_page.cpp (the page and its
// button list), button_page_slots.cpp (the slot editor), button_page_keys.cpp (the user's
// own keys) and button_page_apps.cpp (the program selector and a program's view).
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "customizer/app_assignments.h"
#include "customizer/catalogues.h"
#include "platform/framework/framework.h"
#include "platform/open_programs.h"

class KestrelConfigProp1 : public CPropertyPage {
    DECLARE_DYNCREATE(KestrelConfigProp1)

  public:
    KestrelConfigProp1();
    ~KestrelConfigProp1() override;

    CImageList m_imageList;
    CListCtrl m_listMode;
    CListCtrl m_listButton;
    CString m_strProgram;

    // Press-kind rows show button `button`'s slots: check boxes and assignments.
    void ShowSlots(int button);
    // The press-kind check boxes become button `button`'s switched-on flags.
    void StoreSlotChecks(int button);
    // Column 1 of button row `button`: its three assignments, "_" for none, joined by "/".
    void RefreshSummary(int button);
    // Selects slot `pressKind` of button `button` in the program box.
    void SelectProgram(int button, int pressKind);
    // Read and write every button's settings.
    void LoadAssignments();
    void SaveAssignments();

    // The rows the change handlers handled last (-1: none), so none redoes its work.
    int m_lastStoredButton = -1;
    int m_lastShownButton = -1;
    int m_lastShownMode = -1;
    // Subkey names of the user's keys removed while the page is open.
    std::vector<std::wstring> m_removedKeys;
    // The page has shown its settings: from now on a check box changes at the user's hand.
    bool m_ready = false;

    // Cancel, the close box or Esc closed the sheet: nothing is written.
    bool m_cancelled = false;

    // Assigns the pair (`type`, `command`) to slot `pressKind` of button `button`: the
    // catalogue entry that stands for it, or else the pair itself.
    void AssignPair(int button, int pressKind, int32_t type, const std::wstring& command);

    // The program whose assignments the page shows (a position in appCatalogue), -1 for
    // all programs.
    int m_app = -1;
    // Shows program `app`'s assignments (-1: all programs').
    void ShowApp(int app);
    // Adds `program` to the selector (or finds it there) and shows it.
    void AddApp(const platform::OpenProgram& program);
    // Sets the rule of button `button` in the program shown; false when it was refused
    // (no program shown, or one button too many would be switched on).
    bool SetRule(int button, int rule);

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnReset() override;

    void OnButtonChanged(NMHDR* header, LRESULT* result);
    void OnButtonChanging(NMHDR* header, LRESULT* result);
    void OnProgramChanged();
    void OnModeChanged(NMHDR* header, LRESULT* result);
    void OnBrowse();
    void OnRecordKeys();
    void OnDestroy();
    void OnAddKey();
    void OnRemoveKey();
    LRESULT OnButtonLimitReached(WPARAM, LPARAM);
    void OnAppChanged();
    void OnAddApp();
    void OnRemoveApp();
    void OnAppOff();
    void OnRuleChanged();

    DECLARE_MESSAGE_MAP()

  private:
    int SelectedButton() const;
    int SelectedMode() const;
    void AddButtonImages();
    void AddButtonImage(size_t button);
    // The slots row `button` shows: the global ones, or the program's own.
    kestrel::SlotAssignment* ShownSlots(int button);
    // Whether the shown slots are the user's to change: always for all programs, for a
    // program only where the button has its own assignments.
    bool SlotsEditable(int button) const;
    // Notes that the user changed the shown slots of `button`.
    void SlotsChanged(int button);
    // What column 1 shows in place of the slots for a button that has none of its own in
    // the program shown; empty when it shows its slots, with `mark` put before them.
    std::wstring RuleText(int button, std::wstring& mark) const;
    // Names of the buttons switched on for all programs.
    std::vector<std::wstring> GloballyOn() const;
    // Whether switching `button` on (globally or in the program shown) stays within the
    // limit of switched-on buttons.
    bool MaySwitchOn(int button) const;
    // Takes a check box the user changed in a program's view as the button's rule there.
    bool TakeAppCheck(int row, bool ticked);
    void ApplyRule(int button, kestrel::ButtonRule rule);
    // Tells the user, once the list has finished its notification, why a button stays off.
    void RefuseForLimit();
    void InitAppControls();
    void ShowRule();
    void SaveEnabledChecks();
    void SelectButton(int row);
    void EnableRemoveKey();
    void DeleteRemovedKeys();
    void SizeColumns(CListCtrl& list);

    HIMAGELIST m_appImages = nullptr;
    // The page sets the check boxes itself: no change is the user's.
    bool m_settingChecks = false;
};
