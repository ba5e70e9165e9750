#pragma once
// A button's settings written as the customizer writes them, for tests that seed the
// registry before the agent or the customizer reads it.
#include <windows.h>

#include <cstdio>
#include <initializer_list>
#include <string>

#include "common/settings_schema.h"
#include "support/registry.h"

namespace testing_support {

// The settings key of the button whose key name is `keyName` ("40C1").
inline std::wstring ButtonKeyPath(const std::wstring& keyName) {
    return std::wstring(kestrel::kProductKeyPath) + L"\\" + keyName;
}

// A slot's value name: "Mode_2" from kValueSlotModeFormat and 2.
inline std::wstring SlotValueName(const wchar_t* format, int slot) {
    wchar_t name[32];
    swprintf(name, 32, format, slot);
    return name;
}

// One slot (0 single, 1 double, 2 hold): its assignment and whether it is enabled.
struct SlotSetting {
    int n;
    DWORD mode;
    std::wstring command;
    DWORD enabled = 1;
};

// A program's own settings of the button `keyName`.
inline std::wstring AppButtonKeyPath(const std::wstring& program, const std::wstring& keyName) {
    return std::wstring(kestrel::kAppsKeyPath) + L"\\" + program + L"\\" + keyName;
}

inline void SeedSlotAt(const std::wstring& path, const SlotSetting& slot) {
    SetDword(HKEY_CURRENT_USER, path,
             SlotValueName(kestrel::kValueSlotEnabledFormat, slot.n).c_str(), slot.enabled);
    SetDword(HKEY_CURRENT_USER, path, SlotValueName(kestrel::kValueSlotModeFormat, slot.n).c_str(),
             slot.mode);
    SetString(HKEY_CURRENT_USER, path, SlotValueName(kestrel::kValueSlotCmdFormat, slot.n).c_str(),
              slot.command);
}

inline void SeedSlot(const std::wstring& keyName, const SlotSetting& slot) {
    SeedSlotAt(ButtonKeyPath(keyName), slot);
}

// An enabled button with `slots`; its other slots are left as they are.
inline void SeedButton(const std::wstring& keyName, std::initializer_list<SlotSetting> slots) {
    SetDword(HKEY_CURRENT_USER, ButtonKeyPath(keyName), kestrel::kValueEnabled, 1);
    for (const SlotSetting& slot : slots) {
        SeedSlot(keyName, slot);
    }
}

// The button's own settings in `program`, switched as `enabled` says, with `slots`.
inline void SeedAppButton(const std::wstring& program, const std::wstring& keyName, DWORD enabled,
                          std::initializer_list<SlotSetting> slots = {}) {
    const std::wstring path = AppButtonKeyPath(program, keyName);
    SetDword(HKEY_CURRENT_USER, path, kestrel::kValueEnabled, enabled);
    for (const SlotSetting& slot : slots) {
        SeedSlotAt(path, slot);
    }
}

inline void SeedTimes(DWORD doubleTime, DWORD holdTime) {
    SetDword(HKEY_CURRENT_USER, kestrel::kProductKeyPath, kestrel::kValueDoubleTime, doubleTime);
    SetDword(HKEY_CURRENT_USER, kestrel::kProductKeyPath, kestrel::kValueHoldTime, holdTime);
}

// No product settings at all, as on a first start.
inline void ClearSettings() {
    DeleteKeyTree(HKEY_CURRENT_USER, kestrel::kProductKeyPath);
}

}  // namespace testing_support
