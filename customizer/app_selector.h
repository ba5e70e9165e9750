#pragma once
// The program selector above the button list: "すべてのアプリ" first, then every program
// with settings by its name and file name, each with its icon.
#include <windows.h>
#include <commctrl.h>

namespace kestrel {

inline constexpr wchar_t kAllAppsText[] = L"すべてのアプリ";

// Fills the selector (a ComboBoxEx) from appCatalogue and selects program `app` (-1: all
// programs). The icons go into a new image list that replaces `images`.
void FillAppSelector(HWND selector, HIMAGELIST& images, int app);

// The program the selector shows: -1 for all programs.
int SelectedApp(HWND selector);

}  // namespace kestrel
