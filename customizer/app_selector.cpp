#include "customizer/app_selector.h"

#include <string>
#include <vector>

#include "common/app_settings.h"
#include "common/resource_ids.h"
#include "customizer/add_app_dialog.h"
#include "customizer/app_assignments.h"
#include "platform/os_calls.h"

namespace kestrel {

namespace {

constexpr int kIconSize = 16;

// A program added in this sitting knows its file; one read from the settings is looked
// for among the programs open now; else it gets the icon of program files.
std::wstring IconSource(const AppEntry& app, const std::vector<platform::OpenProgram>& open) {
    if (!app.path.empty()) {
        return app.path;
    }
    for (const platform::OpenProgram& program : open) {
        if (AppSettings::SameName(program.fileName, app.fileName)) {
            return program.path;
        }
    }
    return app.fileName;
}

int AddIcon(HIMAGELIST images, HICON icon) {
    const int image = ImageList_AddIcon(images, icon);
    if (icon) {
        DestroyIcon(icon);
    }
    return image;
}

void InsertItem(HWND selector, int index, const std::wstring& text, int image) {
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.iImage = image;
    item.iSelectedImage = image;
    SendMessageW(selector, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void FillAppSelector(HWND selector, HIMAGELIST& images, int app) {
    SendMessageW(selector, CB_RESETCONTENT, 0, 0);
    HIMAGELIST fresh = ImageList_Create(kIconSize, kIconSize, ILC_COLOR32 | ILC_MASK,
                                        static_cast<int>(appCatalogue.size()) + 1, 0);
    SendMessageW(selector, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(fresh));
    if (images) {
        ImageList_Destroy(images);
    }
    images = fresh;

    HICON own =
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_CUSTOMIZER),
                                      IMAGE_ICON, kIconSize, kIconSize, 0));
    InsertItem(selector, 0, kAllAppsText, AddIcon(images, own));
    const std::vector<platform::OpenProgram> open = appCatalogue.empty()
                                                        ? std::vector<platform::OpenProgram>()
                                                        : platform::Os().ListOpenPrograms();
    for (size_t i = 0; i < appCatalogue.size(); ++i) {
        const AppEntry& entry = appCatalogue[i];
        InsertItem(selector, static_cast<int>(i) + 1, entry.Label(),
                   AddIcon(images, SmallProgramIcon(IconSource(entry, open))));
    }
    SendMessageW(selector, CB_SETCURSEL, static_cast<WPARAM>(app + 1), 0);
}

int SelectedApp(HWND selector) {
    const LRESULT item = SendMessageW(selector, CB_GETCURSEL, 0, 0);
    if (item == CB_ERR || item <= 0 || item > static_cast<LRESULT>(appCatalogue.size())) {
        return -1;
    }
    return static_cast<int>(item) - 1;
}

}  // namespace kestrel
