#include "agent/button_table.h"

#include <cwchar>

#include "agent/agent_state.h"
#include "agent/hook_notice.h"
#include "agent/app_assignments.h"
#include "agent/latches.h"
#include "agent/start_customizer.h"
#include "common/app_settings.h"
#include "agent/while_held.h"
#include "common/hex_digit.h"
#include "common/settings_key.h"
#include "platform/hotkeys.h"
#include "platform/os_calls.h"

namespace kestrel {

ButtonTable buttonTable;

namespace {

constexpr int kEnumNameChars = 256;
// The button's key code stands in characters 3 and 4 of its subkey name (40C1 gives 0xC1).
constexpr size_t kKeyDigitsStart = 2;
constexpr size_t kKeyDigitsEnd = 4;

// Subkey names come from the registry enumeration; a name that does not fit the
// binding's field is skipped, because a cut name would make the open create a stray key.
bool FitsKeyName(const wchar_t* name) {
    return wcslen(name) < kKeyNameChars;
}

// The per-program settings share the product key with the buttons but are none.
bool IsButtonSubkey(const wchar_t* name) {
    return FitsKeyName(name) && !AppSettings::SameName(name, kAppsKeyName);
}

void ClearSlots(ButtonBinding& binding) {
    for (int n = 0; n < kSlotCount; ++n) {
        binding.slots[n].enabled = 0;
        SetSlot(binding, n, kActionProgram, std::wstring());
    }
}

// Appends a binding per subkey of the product key; false when the key cannot be opened.
bool EnumerateButtonSubkeys() {
    HKEY baseKey = nullptr;
    // The handheld ignores the access mask; the desktop needs read rights to enumerate.
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kProductKeyPath, 0, KEY_READ, &baseKey) != ERROR_SUCCESS) {
        return false;
    }
    wchar_t name[kEnumNameChars];
    for (DWORD index = 0;; ++index) {
        DWORD size = kEnumNameChars;
        if (RegEnumKeyExW(baseKey, index, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        if (IsButtonSubkey(name)) {
            buttonTable.push_back(MakeBinding(name));
        }
    }
    RegCloseKey(baseKey);
    return true;
}

void ReadSlot(ButtonBinding& binding, int n) {
    wchar_t valueName[32];
    DWORD slotEnabled = 0;
    wsprintfW(valueName, kValueSlotEnabledFormat, n);
    if (!SettingsKey::ReadDword(valueName, slotEnabled)) {
        return;
    }
    binding.slots[n].enabled = slotEnabled != 0 ? 1 : 0;
    if (slotEnabled != 1) {
        return;
    }
    DWORD mode = 0;
    wsprintfW(valueName, kValueSlotModeFormat, n);
    if (!SettingsKey::ReadDword(valueName, mode)) {
        return;
    }
    wchar_t command[kStringChars] = {};
    wsprintfW(valueName, kValueSlotCmdFormat, n);
    if (!SettingsKey::ReadString(valueName, command)) {
        return;
    }
    SetSlot(binding, n, static_cast<int32_t>(mode), command);
}

void ReadBinding(ButtonBinding& binding) {
    wchar_t path[256];
    wsprintfW(path, kButtonKeyFormat, kProductKeyPath, binding.keyName);
    if (!SettingsKey::OpenKeyToRead(HKEY_CURRENT_USER, path)) {
        return;
    }
    DWORD enabled = 0;
    SettingsKey::ReadDword(kValueEnabled, enabled);
    binding.enabled = enabled != 0 ? 1 : 0;
    ClearSlots(binding);
    for (int n = 0; n < kSlotCount; ++n) {
        ReadSlot(binding, n);
    }
    SettingsKey::CloseKey();
}

// A missing value keeps the time in force.
void ReadPressTimes() {
    if (!SettingsKey::OpenKeyToRead(HKEY_CURRENT_USER, kProductKeyPath)) {
        return;
    }
    SettingsKey::ReadDword(kValueDoubleTime, doubleTime);
    SettingsKey::ReadDword(kValueHoldTime, holdTime);
    SettingsKey::CloseKey();
}

// wParam is wider than a key code; a value that does not fit names no button.
const ButtonBinding* FindBindingForMessage(WPARAM vk) {
    return vk <= 0xFFFFFFFFu ? FindBindingByKey(static_cast<UINT>(vk)) : nullptr;
}

// A button off globally may still be on in a program, and holds its hot keys then too.
bool HasHotKeys(const ButtonBinding& binding) {
    return binding.hotKeyId != kNoHotKeyId;
}

}  // namespace

ButtonBinding MakeBinding(const wchar_t* subkeyName) {
    ButtonBinding binding;
    wcsncpy(binding.keyName, subkeyName, kKeyNameChars - 1);
    binding.keyName[kKeyNameChars - 1] = L'\0';

    // Characters 3 and 4 as hexadecimal digits, the first non-digit ending the number.
    // A library scanner would also take a blank, a sign or another script's digit there,
    // so that a name like 40-1 would give the key 0xFFFFFFFF; plain digits give at most 0xFF.
    const size_t length = wcslen(subkeyName);
    uint32_t vk = 0;
    for (size_t i = kKeyDigitsStart; i < kKeyDigitsEnd && i < length; ++i) {
        const int digit = HexDigitValue(subkeyName[i]);
        if (digit < 0) {
            break;
        }
        vk = vk * 16 + static_cast<uint32_t>(digit);
    }
    binding.vk = vk;
    return binding;
}

void SetSlot(ButtonBinding& binding, int pressKind, int32_t type, std::wstring command) {
    binding.slots[pressKind].type = type;
    binding.slots[pressKind].command = std::move(command);
}

bool LoadButtons(HWND window) {
    if (!buttonTable.empty()) {
        UnregisterAllHotKeys(window);
        buttonTable.clear();
    }
    if (!EnumerateButtonSubkeys() || buttonTable.empty()) {
        StartCustomizer();
        return false;
    }
    for (ButtonBinding& binding : buttonTable) {
        ReadBinding(binding);
    }
    LoadAppAssignments();
    RegisterAllHotKeys(window);
    ReadPressTimes();
    HandPressRules();
    ApplyWhileHeldButtons();
    return true;
}

void RegisterButtonHotKeys(HWND window, int baseId, UINT vk) {
    platform::Os().RegisterHotKey(window, baseId, kHotKeyModsPlain, vk);
    platform::Os().RegisterHotKey(window, baseId + kShiftIdOffset, kHotKeyModsShift, vk);
    platform::Os().RegisterHotKey(window, baseId + kControlIdOffset, kHotKeyModsControl, vk);
}

void UnregisterButtonHotKeys(HWND window, int baseId) {
    platform::Os().UnregisterHotKey(window, baseId);
    platform::Os().UnregisterHotKey(window, baseId + kShiftIdOffset);
    platform::Os().UnregisterHotKey(window, baseId + kControlIdOffset);
}

// The id scheme has room for 16 buttons, counting those switched on in a program only;
// further buttons stay without hot keys rather than take ids that fold onto another
// button's. The window that holds the hot keys hears when the mouse buttons cannot be
// taken.
void RegisterAllHotKeys(HWND window) {
    platform::SetHookNotice(window, MSG_HOOK_NOTICE);
    int nextId = 0;
    for (ButtonBinding& binding : buttonTable) {
        if (!SwitchedOnAnywhere(binding)) {
            binding.hotKeyId = kNoHotKeyId;
            continue;
        }
        if (nextId >= kMaxHotKeyButtons) {
            binding.hotKeyId = kNoHotKeyId;
            continue;
        }
        binding.hotKeyId = nextId;
        RegisterButtonHotKeys(window, nextId, binding.vk);
        ++nextId;
    }
}

void UnregisterAllHotKeys(HWND window) {
    for (const ButtonBinding& binding : buttonTable) {
        if (HasHotKeys(binding)) {
            UnregisterButtonHotKeys(window, binding.hotKeyId);
        }
    }
}

// A binding that registration did not number carries kNoHotKeyId; a hot-key message with
// that id (the system's own hot keys have negative ids) must not find it, or a disabled
// button would run its actions.
ButtonBinding* FindBindingById(int id) {
    if (id < 0) {
        return nullptr;
    }
    for (ButtonBinding& binding : buttonTable) {
        if (binding.hotKeyId == id) {
            return &binding;
        }
    }
    return nullptr;
}

ButtonBinding* FindBindingByKey(UINT vk) {
    for (ButtonBinding& binding : buttonTable) {
        if (binding.vk == vk) {
            return &binding;
        }
    }
    return nullptr;
}

// A reload can be sent in while start-up still waits in the tray call, before the window
// is stored: hot keys registered then would belong to no window and could never be freed,
// and the start-up load follows anyway.
void HandleReload() {
    if (!agentWindow) {
        return;
    }
    ReleaseEverythingHeld();
    LoadButtons(agentWindow);
    ResetLatches();
}

// A key that no binding has, or a binding without an id, has no hot keys to touch.
void HandleReleaseTemp(WPARAM vk) {
    const ButtonBinding* binding = FindBindingForMessage(vk);
    if (binding && binding->hotKeyId != kNoHotKeyId) {
        UnregisterButtonHotKeys(agentWindow, binding->hotKeyId);
    }
}

void HandleRestoreTemp(WPARAM vk) {
    const ButtonBinding* binding = FindBindingForMessage(vk);
    if (binding && binding->hotKeyId != kNoHotKeyId) {
        RegisterButtonHotKeys(agentWindow, binding->hotKeyId, binding->vk);
    }
}

}  // namespace kestrel
