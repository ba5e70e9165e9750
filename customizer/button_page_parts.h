#pragma once
// What the Button page's files share among themselves, and nothing outside the page uses:
// the page's methods live in several files (the page itself, its slot editor, its user
// keys, its program view), and a check they all make is written once.
#include <windows.h>
#include <commctrl.h>

#include "customizer/catalogues.h"

namespace kestrel::button_page_parts {

// The caption of every message box the page shows.
inline constexpr wchar_t kMessageCaption[] = L"Kestrel設定";

// Whether `row` is a row of the button list (row i is element i of the catalogue).
inline bool IsButton(int row) {
    return row >= 0 && row < static_cast<int>(buttonCatalogue.size());
}

// Whether a list-view change touched a row's check box.
inline bool ChangesCheckBox(const NMHDR* header) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    return change && (change->uChanged & LVIF_STATE) &&
           ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK);
}

}  // namespace kestrel::button_page_parts
