#pragma once
// The "ボタン" page: the button list (icon, name, a summary of the three assignments and
// the button's on/off check box), the press-kind list (single, double, hold, each with a
// check box and its assignment), the program box, and two push buttons for what the box
// cannot offer: "参照…" (any file) and "キー操作…" (any key combination); above the button
// list, two more add and remove the user's own keys. While the page is open the user's
// choices live in the controls and in the button catalogue's slots; the page writes every
// button's settings, and deletes the keys the user removed, when its window goes, unless
// the sheet was cancelled.
#include <string>
#include <vector>

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
    // Subkey names of the user's keys removed while the page is open.
    std::vector<std::wstring> m_removedKeys;
    // The page has shown its settings: from now on a check box changes at the user's hand.
    bool m_ready = false;

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
    void OnAddKey();
    void OnRemoveKey();
    LRESULT OnButtonLimitReached(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

  private:
    int SelectedButton() const;
    int SelectedMode() const;
    void AddButtonImages();
    void AddButtonImage(size_t button);
    int CheckedButtons() const;
    void SelectButton(int row);
    void EnableRemoveKey();
    void DeleteRemovedKeys();
    void SizeColumns(CListCtrl& list);
};
