#include "customizer/add_key_dialog.h"

#include <ime.h>
#include <windowsx.h>

#include <cwchar>

#include "common/resource_ids.h"
#include "customizer/agents_own_events.h"

namespace kestrel {

namespace {

// What the hooks tell the dialog: a key or mouse button pressed (wParam the code, lParam
// the scan code in the low word and the extended flag in the high word), and a left or
// right click (lParam the point on the screen).
constexpr UINT kMsgKeyPressed = WM_APP + 1;
constexpr UINT kMsgPointerPressed = WM_APP + 2;

constexpr wchar_t kModifierText[] = L"Windows キー、Shift、Ctrl、Alt は追加できません。";
constexpr wchar_t kMouseButtonText[] = L"マウスの左右のボタンは追加できません。";
constexpr wchar_t kUnusableText[] = L"このキーは追加できません。";
constexpr wchar_t kReservedText[] = L"F12 は Windows が予約しているため追加できません。";
constexpr wchar_t kListedFormat[] = L"「%ls」はすでに一覧にあります。";
constexpr wchar_t kConfirmFormat[] =
    L"「%ls」は割り当てている間、文字の入力に使えなくなります。よければ［追加］を押してください。";
constexpr wchar_t kConfirmInputMethodFormat[] =
    L"「%"
    L"ls」は割り当てている間、日本語入力の切り替えに使えなくなります。よければ［追加］を押してくだ"
    L"さい。";
constexpr wchar_t kNoHookText[] = L"キーを読み取れません。［キャンセル］で閉じてください。";

// The scan code of the Pause key; Num Lock shares it with the extended flag.
constexpr UINT kPauseScanCode = 0x45;

struct Request {
    const std::function<bool(uint32_t)>* listed;
    PressedKey* result;
    PressedKey candidate;
    bool haveCandidate = false;
    bool ended = false;
};

// One dialog at a time: the hooks have no other way to find it.
HWND openDialog = nullptr;
HHOOK keyboardHook = nullptr;
HHOOK mouseHook = nullptr;
// The middle and side buttons (from VK_MBUTTON on) whose presses the dialog took: their
// releases are its too, and no other release is.
bool buttonTaken[3] = {};

// The keys and clicks are the dialog's only while the user looks at it: with another
// program in front they are that program's. A window the dialog owns counts as the dialog.
bool DialogInFront() {
    for (HWND window = GetForegroundWindow(); window; window = GetWindow(window, GW_OWNER)) {
        if (window == openDialog) {
            return true;
        }
    }
    return false;
}

// Every key but the ones refused as modifiers is the dialog's alone while it is in front,
// so it neither types nor reaches a shortcut; the modifiers pass so that the system's idea
// of what is held down stays right.
LRESULT CALLBACK KeyboardHook(int code, WPARAM message, LPARAM data) {
    const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
    if (code == HC_ACTION && openDialog && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) &&
        !IsAgentsOwnKeyEvent(*event) && DialogInFront()) {
        const bool extended = (event->flags & LLKHF_EXTENDED) != 0;
        PostMessageW(openDialog, kMsgKeyPressed, event->vkCode,
                     MAKELPARAM(event->scanCode & 0xFFFF, extended ? 1 : 0));
        if (JudgeKey(event->vkCode) != KeyVerdict::kRefusedModifier) {
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, message, data);
}

// The middle or side button a mouse event presses or releases; 0 for any other event.
UINT SpareButtonOf(WPARAM message, const MSLLHOOKSTRUCT& event) {
    switch (message) {
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            return VK_MBUTTON;
        case WM_XBUTTONDOWN:
        case WM_XBUTTONUP:
            return HIWORD(event.mouseData) == XBUTTON1   ? VK_XBUTTON1
                   : HIWORD(event.mouseData) == XBUTTON2 ? VK_XBUTTON2
                                                         : 0;
        default:
            return 0;
    }
}

// Whether the dialog takes this press or release of a spare button.
bool TakeSpareButton(UINT vk, bool up) {
    bool& taken = buttonTaken[vk - VK_MBUTTON];
    if (up) {
        const bool wasTaken = taken;
        taken = false;
        return wasTaken;
    }
    taken = DialogInFront();
    return taken;
}

// The middle and side buttons are taken with their releases; the left and right buttons
// always pass, or the user could not even press "キャンセル".
LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM data) {
    if (code != HC_ACTION || !openDialog) {
        return CallNextHookEx(nullptr, code, message, data);
    }
    const auto* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(data);
    if (const UINT button = SpareButtonOf(message, *event)) {
        const bool up = message == WM_MBUTTONUP || message == WM_XBUTTONUP;
        if (TakeSpareButton(button, up)) {
            if (!up) {
                PostMessageW(openDialog, kMsgKeyPressed, button, 0);
            }
            return 1;
        }
    } else if ((message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) && DialogInFront()) {
        PostMessageW(openDialog, kMsgPointerPressed, 0, MAKELPARAM(event->pt.x, event->pt.y));
    }
    return CallNextHookEx(nullptr, code, message, data);
}

void Unhook() {
    if (keyboardHook) {
        UnhookWindowsHookEx(keyboardHook);
        keyboardHook = nullptr;
    }
    if (mouseHook) {
        UnhookWindowsHookEx(mouseHook);
        mouseHook = nullptr;
    }
    openDialog = nullptr;
}

void Say(HWND dialog, const wchar_t* text) {
    SetDlgItemTextW(dialog, IDC_ADD_KEY_STATUS, text);
}

void SayAbout(HWND dialog, const wchar_t* format, const std::wstring& name) {
    wchar_t text[256] = {};
    swprintf(text, 256, format, name.c_str());
    Say(dialog, text);
}

void End(HWND dialog, Request& request, INT_PTR result) {
    request.ended = true;
    EndDialog(dialog, result);
}

void OnKeyPressed(HWND dialog, Request& request, const PressedKey& pressed) {
    if (pressed.vk == VK_ESCAPE) {
        End(dialog, request, IDCANCEL);
        return;
    }
    const KeyVerdict verdict = JudgeKey(pressed.vk);
    const wchar_t* refusal = verdict == KeyVerdict::kRefusedModifier      ? kModifierText
                             : verdict == KeyVerdict::kRefusedMouseButton ? kMouseButtonText
                             : verdict == KeyVerdict::kRefusedReserved    ? kReservedText
                             : verdict == KeyVerdict::kRefusedUnusable    ? kUnusableText
                                                                          : nullptr;
    request.haveCandidate = false;
    EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
    if (refusal) {
        Say(dialog, refusal);
        return;
    }
    const std::wstring name = PressedKeyName(pressed);
    if ((*request.listed)(pressed.vk)) {
        SayAbout(dialog, kListedFormat, name);
        return;
    }
    if (verdict == KeyVerdict::kNeedsConfirmation ||
        verdict == KeyVerdict::kNeedsInputMethodConfirmation) {
        request.candidate = pressed;
        request.haveCandidate = true;
        EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
        SayAbout(
            dialog,
            verdict == KeyVerdict::kNeedsConfirmation ? kConfirmFormat : kConfirmInputMethodFormat,
            name);
        return;
    }
    *request.result = pressed;
    End(dialog, request, IDOK);
}

// A left or right click anywhere but on the dialog's own push buttons is a try to add it.
void OnPointerPressed(HWND dialog, POINT at) {
    HWND under = WindowFromPoint(at);
    if (under && GetParent(under) == dialog &&
        (GetDlgCtrlID(under) == IDOK || GetDlgCtrlID(under) == IDCANCEL)) {
        return;
    }
    Say(dialog, kMouseButtonText);
}

INT_PTR CALLBACK AddKeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<Request*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            openDialog = dialog;
            for (bool& taken : buttonTaken) {
                taken = false;
            }
            HINSTANCE instance = GetModuleHandleW(nullptr);
            keyboardHook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHook, instance, 0);
            mouseHook = SetWindowsHookExW(WH_MOUSE_LL, MouseHook, instance, 0);
            if (!keyboardHook || !mouseHook) {
                Unhook();
                Say(dialog, kNoHookText);
            }
            return TRUE;
        }
        case kMsgKeyPressed:
            if (request && !request->ended) {
                OnKeyPressed(dialog, *request,
                             {static_cast<uint32_t>(wParam), LOWORD(lParam), HIWORD(lParam) != 0});
            }
            return TRUE;
        case kMsgPointerPressed:
            if (request && !request->ended) {
                OnPointerPressed(dialog, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            }
            return TRUE;
        case WM_COMMAND:
            if (!request) {
                return FALSE;
            }
            if (LOWORD(wParam) == IDOK && request->haveCandidate) {
                *request->result = request->candidate;
                End(dialog, *request, IDOK);
            } else if (LOWORD(wParam) == IDCANCEL) {
                End(dialog, *request, IDCANCEL);
            }
            return TRUE;
        case WM_DESTROY:
            // Left hooked, a closed dialog would go on swallowing every key of the desktop.
            Unhook();
            return FALSE;
        default:
            return FALSE;
    }
}

bool IsOneOf(uint32_t vk, std::initializer_list<uint32_t> keys) {
    for (uint32_t key : keys) {
        if (vk == key) {
            return true;
        }
    }
    return false;
}

}  // namespace

KeyVerdict JudgeKey(uint32_t vk) {
    if (IsOneOf(vk, {VK_LWIN, VK_RWIN, VK_SHIFT, VK_LSHIFT, VK_RSHIFT, VK_CONTROL, VK_LCONTROL,
                     VK_RCONTROL, VK_MENU, VK_LMENU, VK_RMENU})) {
        return KeyVerdict::kRefusedModifier;
    }
    if (vk == VK_LBUTTON || vk == VK_RBUTTON) {
        return KeyVerdict::kRefusedMouseButton;
    }
    // VK_PACKET carries a typed character, not a key.
    if (vk == 0 || vk >= 0xFF || vk == VK_PACKET) {
        return KeyVerdict::kRefusedUnusable;
    }
    if (vk == VK_F12) {
        return KeyVerdict::kRefusedReserved;
    }
    const bool letterOrDigit = (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9');
    const bool punctuation = (vk >= VK_OEM_1 && vk <= VK_OEM_3) ||
                             (vk >= VK_OEM_4 && vk <= VK_OEM_8) || vk == VK_OEM_102;
    // The keypad's digits, operators and decimal sign, from VK_NUMPAD0 to VK_DIVIDE.
    const bool keypad = vk >= VK_NUMPAD0 && vk <= VK_DIVIDE;
    if (letterOrDigit || punctuation || keypad ||
        IsOneOf(vk, {VK_SPACE, VK_RETURN, VK_TAB, VK_BACK})) {
        return KeyVerdict::kNeedsConfirmation;
    }
    // From VK_KANA to VK_MODECHANGE but for Esc, VK_PROCESSKEY, and the Japanese keyboard's
    // 英数, カタカナ, ひらがな, 半角/全角 and ローマ字 keys.
    const bool inputMethod = (vk >= VK_KANA && vk <= VK_MODECHANGE && vk != VK_ESCAPE) ||
                             vk == VK_PROCESSKEY ||
                             (vk >= VK_DBE_ALPHANUMERIC && vk <= VK_DBE_NOROMAN);
    if (inputMethod) {
        return KeyVerdict::kNeedsInputMethodConfirmation;
    }
    return KeyVerdict::kAccepted;
}

std::wstring PressedKeyName(const PressedKey& key) {
    switch (key.vk) {
        case VK_MBUTTON:
            return L"マウス 中ボタン";
        case VK_XBUTTON1:
            return L"マウス 戻るボタン";
        case VK_XBUTTON2:
            return L"マウス 進むボタン";
        default:
            break;
    }
    UINT scanCode = key.scanCode & 0xFF;
    bool extended = key.extended;
    // A program that injects a key often gives no scan code: take the key's usual place.
    // Pause is the one key the table gives a two-part code for.
    if (scanCode == 0) {
        const UINT mapped = MapVirtualKeyW(key.vk, MAPVK_VK_TO_VSC_EX);
        scanCode = key.vk == VK_PAUSE ? kPauseScanCode : (mapped & 0xFF);
        extended = key.vk != VK_PAUSE && ((mapped >> 8) == 0xE0 || key.vk == VK_NUMLOCK);
    }
    wchar_t name[64] = {};
    const LONG where = static_cast<LONG>((scanCode << 16) | (extended ? 1u << 24 : 0u));
    if (scanCode != 0 && GetKeyNameTextW(where, name, 64) > 0) {
        return name;
    }
    swprintf(name, 64, L"キー %02X", key.vk);
    return name;
}

bool AskForKey(HWND owner, const std::function<bool(uint32_t vk)>& listed, PressedKey& key) {
    // The hooks find the dialog by one module variable.
    if (openDialog) {
        return false;
    }
    Request request{&listed, &key, {}, false, false};
    const INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ADD_KEY), owner,
                        AddKeyDialogProc, reinterpret_cast<LPARAM>(&request));
    Unhook();
    return result == IDOK;
}

}  // namespace kestrel
