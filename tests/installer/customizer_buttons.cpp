// Prints the rows of the button list of the running customizer, one name a line (UTF-8),
// as a user sees them on its "ボタン" page. Exit code 0 when the list was read, 2 when no
// customizer with a button list is open.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

constexpr wchar_t kSheetTitle[] = L"Kestrel設定";

HWND FindButtonList(HWND sheet) {
    HWND found = nullptr;
    EnumChildWindows(
        sheet,
        [](HWND child, LPARAM result) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(child, name, 32);
            if (wcscmp(name, WC_LISTVIEWW) != 0) {
                return TRUE;
            }
            *reinterpret_cast<HWND*>(result) = child;
            return FALSE;  // the page's first list is its button list
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The item's text, read through a buffer in the customizer's own memory.
std::wstring ItemText(HANDLE process, HWND list, int item) {
    constexpr int kChars = 256;
    struct Remote {
        LVITEMW request;
        wchar_t text[kChars];
    };
    auto* remote = static_cast<Remote*>(
        VirtualAllocEx(process, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE));
    if (!remote) {
        return std::wstring();
    }
    LVITEMW request = {};
    request.iSubItem = 0;
    request.pszText = remote->text;
    request.cchTextMax = kChars;
    WriteProcessMemory(process, &remote->request, &request, sizeof(request), nullptr);
    SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&remote->request));
    wchar_t text[kChars] = {};
    ReadProcessMemory(process, remote->text, text, sizeof(text) - sizeof(wchar_t), nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return text;
}

}  // namespace

int wmain() {
    HWND sheet = FindWindowW(nullptr, kSheetTitle);
    HWND list = sheet ? FindButtonList(sheet) : nullptr;
    if (!list) {
        return 2;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process) {
        return 2;
    }
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        const std::wstring text = ItemText(process, list, item);
        char line[1024] = {};
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, line, sizeof(line) - 1, nullptr, nullptr);
        printf("%s\n", line);
    }
    CloseHandle(process);
    return 0;
}
