#include "customizer/key_recorder.h"

#include "common/resource_ids.h"
#include "customizer/agents_own_events.h"
#include "platform/framework/win_app.h"
#include "platform/hotkeys.h"

namespace kestrel {

namespace {

constexpr UINT kMsgShowCombination = WM_APP + 1;

struct Session {
    HWND dialog = nullptr;
    HHOOK hook = nullptr;
    KeyRecording recording;
};

// The one dialog open now; a low-level hook carries no pointer of its own.
Session* session = nullptr;

// Downs only while the dialog is in front: with another window in front the keys are that
// window's. Each up goes where its down went.
LRESULT CALLBACK RecorderHook(int code, WPARAM message, LPARAM lParam) {
    const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (code == HC_ACTION && session && session->dialog && !IsAgentsOwnKeyEvent(*event)) {
        const bool up = (event->flags & LLKHF_UP) != 0;
        const bool inFront = GetForegroundWindow() == session->dialog;
        const bool take = session->recording.Take(event->vkCode, up, inFront);
        // A modifier let go elsewhere is no longer held here either.
        if ((take || up) && session->recording.Note(event->vkCode, up)) {
            PostMessageW(session->dialog, kMsgShowCombination, 0, 0);
        }
        if (take) {
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

void StopHook() {
    if (session && session->hook) {
        UnhookWindowsHookEx(session->hook);
        session->hook = nullptr;
    }
}

INT_PTR CALLBACK RecorderProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            session->dialog = dialog;
            session->hook =
                SetWindowsHookExW(WH_KEYBOARD_LL, RecorderHook, GetModuleHandleW(nullptr), 0);
            EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
            return TRUE;
        case kMsgShowCombination:
            SetDlgItemTextW(dialog, IDC_KEY_COMBINATION,
                            CombinationText(session->recording.combination).c_str());
            EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        case WM_DESTROY:
            StopHook();
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

bool KeyRecording::Take(DWORD vk, bool up, bool inFront) {
    if (vk >= taken.size()) {
        return false;
    }
    if (up) {
        const bool downTaken = taken[vk];
        taken[vk] = false;
        return downTaken;
    }
    taken[vk] = inFront;
    return inFront;
}

bool KeyRecording::Note(DWORD vk, bool up) {
    if (const unsigned modifier = ModifierOfKey(vk)) {
        held = up ? held & ~modifier : held | modifier;
        return false;
    }
    // No key has code 0 or FF; a character typed by a program, and the tap the hot-key
    // layer sends to keep the Start menu shut, are none the user pressed.
    if (up || vk == 0 || vk >= 0xFF || vk == VK_PACKET || vk == platform::kMaskKey) {
        return false;
    }
    combination = {static_cast<BYTE>(vk), held};
    recorded = true;
    return true;
}

bool RecordKeyCombination(HWND owner, KeyCombination& combination) {
    if (session) {
        return false;
    }
    Session current;
    session = &current;
    const INT_PTR result = DialogBoxParamW(
        AfxGetResourceHandle(), MAKEINTRESOURCEW(IDD_KEY_RECORDER), owner, RecorderProc, 0);
    StopHook();
    session = nullptr;
    if (result != IDOK || !current.recording.recorded) {
        return false;
    }
    combination = current.recording.combination;
    return true;
}

}  // namespace kestrel
