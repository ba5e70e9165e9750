// Posts or sends one window message to the customizer's sheet, its current page, the
// agent's window or the top-level window of a title, so that scripts can drive the running
// programs (turn a page, press a page's button, open the tray menu, show the about box)
// without a mouse.
//   window_message.exe sheet|page|agent|TITLE post|send MESSAGE WPARAM LPARAM
// Numbers are decimal or 0x-prefixed hexadecimal. Exit code 0 when the message reached
// the window, 2 when no such window exists, 1 on a malformed command line.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cwchar>

#include "common/settings_schema.h"

namespace {

constexpr wchar_t kSheetTitle[] = L"Kestrel設定";

bool ParseNumber(const wchar_t* text, unsigned long long& value) {
    wchar_t* end = nullptr;
    value = wcstoull(text, &end, 0);
    return end != text && *end == L'\0';
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    unsigned long long message = 0;
    unsigned long long wParam = 0;
    unsigned long long lParam = 0;
    if (argc != 6 || !ParseNumber(argv[3], message) || !ParseNumber(argv[4], wParam) ||
        !ParseNumber(argv[5], lParam)) {
        fwprintf(stderr,
                 L"usage: window_message sheet|page|agent|TITLE post|send MESSAGE WPARAM LPARAM\n");
        return 1;
    }
    HWND window = nullptr;
    if (wcscmp(argv[1], L"sheet") == 0) {
        window = FindWindowW(nullptr, kSheetTitle);
    } else if (wcscmp(argv[1], L"page") == 0) {
        HWND sheet = FindWindowW(nullptr, kSheetTitle);
        DWORD_PTR page = 0;
        if (sheet && SendMessageTimeoutW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_ABORTIFHUNG,
                                         5000, &page)) {
            window = reinterpret_cast<HWND>(page);
        }
    } else if (wcscmp(argv[1], L"agent") == 0) {
        window = FindWindowW(kestrel::kAgentClassName, kestrel::kAgentWindowTitle);
    } else {
        window = FindWindowW(nullptr, argv[1]);
    }
    if (!window) {
        return 2;
    }
    const auto msg = static_cast<UINT>(message);
    const auto wp = static_cast<WPARAM>(wParam);
    const auto lp = static_cast<LPARAM>(lParam);
    if (wcscmp(argv[2], L"post") == 0) {
        return PostMessageW(window, msg, wp, lp) ? 0 : 2;
    }
    if (wcscmp(argv[2], L"send") == 0) {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(window, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result) ? 0 : 2;
    }
    return 1;
}
