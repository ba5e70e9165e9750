#pragma once
// The hardware-button list of a typical handheld, as profiles/device-buttons.reg holds it,
// for tests that want the platform's list in place without starting reg.exe. The
// customizer tests check that this table and the .reg file say the same.
#include <windows.h>

#include <string>

#include "common/settings_schema.h"
#include "support/registry.h"

namespace testing_support {

struct DeviceButton {
    const wchar_t* keyName;
    const wchar_t* name;
    const wchar_t* icon;
};

// In the platform's enumeration order (name order).
inline constexpr DeviceButton kDeviceButtons[] = {
    {L"40C1", L"\u30DC\u30BF\u30F3 1", L"C:\\windows\\system32\\shell32.dll,3"},
    {L"40C2", L"\u30DC\u30BF\u30F3 2", L"C:\\windows\\system32\\shell32.dll,4"},
    {L"40C3", L"\u30DC\u30BF\u30F3 3", L"C:\\windows\\system32\\shell32.dll,15"},
    {L"40C4", L"\u30DC\u30BF\u30F3 4", L"C:\\windows\\system32\\shell32.dll,16"},
    {L"40C5", L"\u30DC\u30BF\u30F3 5", L"C:\\windows\\system32\\shell32.dll,22"},
    {L"40C6", L"\u9332\u97F3\u30DC\u30BF\u30F3", L"C:\\windows\\system32\\shell32.dll,40"},
};

inline std::wstring DeviceButtonPath(const wchar_t* keyName) {
    return std::wstring(kestrel::kPlatformButtonsPath) + L"\\" + keyName;
}

// Replaces whatever list the prefix has with the typical one.
inline void SeedDeviceProfile() {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kestrel::kPlatformButtonsPath);
    CreateKey(HKEY_LOCAL_MACHINE, kestrel::kPlatformButtonsPath);
    for (const DeviceButton& button : kDeviceButtons) {
        const std::wstring path = DeviceButtonPath(button.keyName);
        SetString(HKEY_LOCAL_MACHINE, path, kestrel::kValueName, button.name);
        SetString(HKEY_LOCAL_MACHINE, path, kestrel::kValueIcon, button.icon);
    }
}

}  // namespace testing_support
