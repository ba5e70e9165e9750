#include "customizer/single_instance.h"

#include "customizer/config_app.h"

namespace kestrel {

CustomizerInstance::CustomizerInstance() {
    mutex_ = CreateMutexW(nullptr, FALSE, kCustomizerMutexName);
    const DWORD error = GetLastError();
    // An elevated customizer's mutex cannot be opened from an ordinary one; it is there
    // all the same. Any other failure leaves nothing to go by, and showing the sheet is
    // better than showing nothing.
    onlyOne_ = mutex_ ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED;
}

CustomizerInstance::~CustomizerInstance() {
    if (mutex_) {
        CloseHandle(mutex_);
    }
}

namespace {

HWND FindSheet() {
    // The sheet is a dialog window; its class keeps a window of another kind with the
    // same title out.
    return FindWindowW(L"#32770", kSheetCaption);
}

}  // namespace

bool BringRunningCustomizerToFront(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    HWND sheet = FindSheet();
    while (!sheet && GetTickCount64() < end) {
        Sleep(50);
        sheet = FindSheet();
    }
    if (!sheet) {
        return false;
    }
    if (IsIconic(sheet)) {
        ShowWindowAsync(sheet, SW_RESTORE);
    }
    // The add-key dialog or a message box over the sheet is what the user must answer.
    HWND popup = GetLastActivePopup(sheet);
    SetForegroundWindow(popup && IsWindowVisible(popup) ? popup : sheet);
    return true;
}

}  // namespace kestrel
