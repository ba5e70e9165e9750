#pragma once
// The "ボタン" page: the button list (icon, name, a summary of the three assignments and
// the button's on/off check box), the press-kind list (single, double, hold, each with a
// check box and its assignment), the program box, and two push buttons for what the box
// cannot offer: "参照…" (any file) and "キー操作…" (any key combination). While the page is
// open the user's choices live in the controls and in the button catalogue's slots; the
// page writes every button's settings when its window goes, unless the sheet was
// cancelled.
#include <string>

#include "platform/framework/framework.h"

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

    // Cancel, the close box or Esc closed the sheet: nothing is written.
    bool m_cancelled = false;

    // Assigns the pair (`type`, `command`) to slot `pressKind` of button `button`: the
    // catalogue entry that stands for it, or else the pair itself.
    void AssignPair(int button, int pressKind, int32_t type, const std::wstring& command);

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

    DECLARE_MESSAGE_MAP()

  private:
    int SelectedButton() const;
    int SelectedMode() const;
    void AddButtonImages();
    void SizeColumns(CListCtrl& list);
};
