#include "customizer/add_app_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <climits>
#include <vector>

#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "platform/os_calls.h"

namespace kestrel {

namespace {

constexpr int kIconSize = 16;

struct Request {
    std::vector<platform::OpenProgram> programs;
    platform::OpenProgram* chosen;
    HIMAGELIST images = nullptr;
};

HWND List(HWND dialog) {
    return GetDlgItem(dialog, IDC_LIST_OPEN_APPS);
}

void AddColumn(HWND list, int index, const wchar_t* title, int width) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(title);
    column.cx = width;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&column));
}

void FillList(HWND dialog, Request& request) {
    const HWND list = List(dialog);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT client = {};
    GetClientRect(list, &client);
    const int width = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
    AddColumn(list, 0, L"名前", width / 2);
    AddColumn(list, 1, L"ファイル名", width - width / 2);
    request.images = ImageList_Create(kIconSize, kIconSize, ILC_COLOR32 | ILC_MASK,
                                      static_cast<int>(request.programs.size()) + 1, 0);
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(request.images));
    for (size_t i = 0; i < request.programs.size(); ++i) {
        const platform::OpenProgram& program = request.programs[i];
        HICON icon = SmallProgramIcon(program.path);
        const int image = ImageList_AddIcon(request.images, icon);
        if (icon) {
            DestroyIcon(icon);
        }
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(program.name.c_str());
        item.iImage = image;
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        item.mask = LVIF_TEXT;
        item.iSubItem = 1;
        item.pszText = const_cast<wchar_t*>(program.fileName.c_str());
        SendMessageW(list, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
    }
}

int SelectedRow(HWND dialog) {
    return static_cast<int>(
        SendMessageW(List(dialog), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

bool TakeSelected(HWND dialog, Request& request) {
    const int row = SelectedRow(dialog);
    if (row < 0 || row >= static_cast<int>(request.programs.size())) {
        return false;
    }
    *request.chosen = request.programs[static_cast<size_t>(row)];
    return true;
}

// Any program file; a path longer than a stored string holds is refused by the dialog.
bool BrowseForProgram(HWND dialog, Request& request) {
    wchar_t path[kStringChars] = {};
    OPENFILENAMEW open = {};
    open.lStructSize = sizeof(open);
    open.hwndOwner = dialog;
    open.lpstrFilter = L"プログラム (*.exe)\0*.exe\0";
    open.nFilterIndex = 1;
    open.lpstrFile = path;
    open.nMaxFile = kStringChars;
    open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                 OFN_DONTADDTORECENT | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&open) || path[0] == L'\0') {
        return false;
    }
    *request.chosen = ProgramFromFile(path);
    return true;
}

INT_PTR OnCommand(HWND dialog, Request& request, WORD id) {
    if (id == IDOK && TakeSelected(dialog, request)) {
        EndDialog(dialog, IDOK);
    } else if (id == IDC_BROWSE_APP && BrowseForProgram(dialog, request)) {
        EndDialog(dialog, IDOK);
    } else if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
    }
    return TRUE;
}

INT_PTR OnNotify(HWND dialog, Request& request, const NMHDR* header) {
    if (header->idFrom != IDC_LIST_OPEN_APPS) {
        return FALSE;
    }
    if (header->code == LVN_ITEMCHANGED) {
        EnableWindow(GetDlgItem(dialog, IDOK), SelectedRow(dialog) >= 0);
    } else if (header->code == NM_DBLCLK && TakeSelected(dialog, request)) {
        EndDialog(dialog, IDOK);
    }
    return TRUE;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<Request*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            FillList(dialog, *reinterpret_cast<Request*>(lParam));
            return TRUE;
        case WM_COMMAND:
            return request ? OnCommand(dialog, *request, LOWORD(wParam)) : FALSE;
        case WM_NOTIFY:
            return request ? OnNotify(dialog, *request, reinterpret_cast<const NMHDR*>(lParam))
                           : FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

bool AskForApp(HWND owner, platform::OpenProgram& chosen) {
    Request request;
    request.programs = platform::Os().ListOpenPrograms();
    request.chosen = &chosen;
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ADD_APP),
                                           owner, DialogProc, reinterpret_cast<LPARAM>(&request));
    if (request.images) {
        ImageList_Destroy(request.images);
    }
    return result == IDOK;
}

platform::OpenProgram ProgramFromFile(const std::wstring& path) {
    platform::OpenProgram program;
    program.path = path;
    program.fileName = platform::FileNameOf(path);
    program.name = platform::ProgramDescription(path);
    if (program.name.empty()) {
        program.name = program.fileName;
    }
    return program;
}

HICON SmallProgramIcon(const std::wstring& path) {
    HICON small = nullptr;
    // A bare file name is not looked for anywhere: it gets the icon of its kind.
    if (path.find_first_of(L"\\/") != std::wstring::npos) {
        const UINT extracted = ExtractIconExW(path.c_str(), 0, nullptr, &small, 1);
        // The count alone is not trusted: an error answers UINT_MAX with no icon.
        if (extracted >= 1 && extracted != UINT_MAX && small) {
            return small;
        }
    }
    // The shell's icon for any program file, found by the extension alone.
    SHFILEINFOW info = {};
    const std::wstring name = path.empty() ? L"program.exe" : path;
    if (SHGetFileInfoW(name.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                       SHGFI_USEFILEATTRIBUTES | SHGFI_ICON | SHGFI_SMALLICON)) {
        return info.hIcon;
    }
    return nullptr;
}

}  // namespace kestrel
