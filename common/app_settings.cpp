#include "common/app_settings.h"

#include <cwchar>
#include <unordered_set>

#include "common/settings_key.h"
#include "platform/os_calls.h"

namespace kestrel::AppSettings {

namespace {

// A registry key name has at most 255 characters; one more for the terminator.
constexpr DWORD kEnumNameChars = kMaxAppNameChars + 1;
constexpr int kValueNameChars = 32;

std::wstring SlotValueName(const wchar_t* format, int n) {
    wchar_t name[kValueNameChars] = {};
    swprintf(name, kValueNameChars, format, n);
    return name;
}

// The direct subkey names of `path`, in the registry's order, at most `limit`, each one
// `accept` lets through. Empty when the key cannot be opened; nothing is created.
template <typename Accept>
std::vector<std::wstring> SubkeyNames(const std::wstring& path, int limit, Accept accept) {
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (platform::Os().RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return names;
    }
    wchar_t name[kEnumNameChars];
    for (DWORD index = 0; static_cast<int>(names.size()) < limit; ++index) {
        DWORD length = kEnumNameChars;
        const LONG result =
            RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) {
            continue;  // a name no program or button can have
        }
        if (result != ERROR_SUCCESS) {
            break;
        }
        std::wstring found(name, length);
        if (accept(found)) {
            names.push_back(std::move(found));
        }
    }
    RegCloseKey(key);
    return names;
}

bool IsButtonKeyName(const std::wstring& name) {
    return !name.empty() && name.size() <= kMaxButtonKeyNameChars;
}

void ReadSlot(SlotValues& slot, int n) {
    SettingsKey::ReadTypedDword(SlotValueName(kValueSlotEnabledFormat, n).c_str(), slot.enabled);
    wchar_t command[kStringChars] = {};
    const bool haveMode =
        SettingsKey::ReadTypedDword(SlotValueName(kValueSlotModeFormat, n).c_str(), slot.mode);
    const bool haveCommand =
        SettingsKey::ReadTypedString(SlotValueName(kValueSlotCmdFormat, n).c_str(), command);
    slot.hasPair = haveMode && haveCommand;
    slot.command = slot.hasPair ? command : L"";
    if (!slot.hasPair) {
        slot.mode = 0;
    }
}

bool ReadButton(const std::wstring& fileName, ButtonValues& button) {
    if (!SettingsKey::OpenKeyToRead(HKEY_CURRENT_USER,
                                    AppButtonKeyPath(fileName, button.keyName).c_str())) {
        return false;
    }
    button.hasEnabled = SettingsKey::ReadTypedDword(kValueEnabled, button.enabled);
    for (int n = 0; n < kSlotCount; ++n) {
        ReadSlot(button.slots[n], n);
    }
    SettingsKey::CloseKey();
    return true;
}

std::wstring UpperCase(const std::wstring& text) {
    std::wstring upper = text;
    if (!upper.empty()) {
        CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    }
    return upper;
}

bool OpenForWriting(const std::wstring& path) {
    return SettingsKey::OpenKey(path.c_str());
}

}  // namespace

bool SameName(const std::wstring& first, const std::wstring& second) {
    return CompareStringOrdinal(first.c_str(), static_cast<int>(first.size()), second.c_str(),
                                static_cast<int>(second.size()), TRUE) == CSTR_EQUAL;
}

bool IsUsableAppName(const std::wstring& fileName) {
    return !fileName.empty() && fileName.size() <= static_cast<size_t>(kMaxAppNameChars) &&
           fileName.find(L'\\') == std::wstring::npos &&
           fileName.find(L'\0') == std::wstring::npos && fileName != L"." && fileName != L"..";
}

std::wstring AppKeyPath(const std::wstring& fileName) {
    return std::wstring(kAppsKeyPath) + L"\\" + fileName;
}

std::wstring AppButtonKeyPath(const std::wstring& fileName, const std::wstring& keyName) {
    return AppKeyPath(fileName) + L"\\" + keyName;
}

std::vector<std::wstring> ListApps() {
    return SubkeyNames(kAppsKeyPath, kMaxApps, IsUsableAppName);
}

bool ReadApp(const std::wstring& fileName, AppValues& app) {
    if (!IsUsableAppName(fileName)) {
        return false;
    }
    const std::wstring path = AppKeyPath(fileName);
    if (!SettingsKey::OpenKeyToRead(HKEY_CURRENT_USER, path.c_str())) {
        return false;
    }
    app = AppValues();
    app.fileName = fileName;
    DWORD off = 0;
    app.off = SettingsKey::ReadTypedDword(kValueOff, off) && off == 1;
    wchar_t name[kStringChars] = {};
    if (SettingsKey::ReadTypedString(kValueName, name)) {
        app.name = name;
    }
    SettingsKey::CloseKey();
    for (const std::wstring& keyName : SubkeyNames(path, kMaxAppButtons, IsButtonKeyName)) {
        ButtonValues button;
        button.keyName = keyName;
        if (ReadButton(fileName, button)) {
            app.buttons.push_back(std::move(button));
        }
    }
    return true;
}

std::vector<AppValues> ReadAllApps() {
    std::vector<AppValues> apps;
    for (const std::wstring& fileName : ListApps()) {
        AppValues app;
        if (ReadApp(fileName, app)) {
            apps.push_back(std::move(app));
        }
    }
    return apps;
}

const AppValues* FindApp(const std::vector<AppValues>& apps, const std::wstring& fileName) {
    for (const AppValues& app : apps) {
        if (SameName(app.fileName, fileName)) {
            return &app;
        }
    }
    return nullptr;
}

const ButtonValues* FindAppButton(const AppValues& app, const std::wstring& keyName) {
    for (const ButtonValues& button : app.buttons) {
        if (SameName(button.keyName, keyName)) {
            return &button;
        }
    }
    return nullptr;
}

size_t CountSwitchedOnButtons(const std::vector<std::wstring>& globallyOn,
                              const std::vector<AppValues>& apps) {
    // Upper-cased names in a hash set: a flooded subtree has tens of thousands of button
    // subkeys, too many to compare pairwise.
    std::unordered_set<std::wstring> switchedOn;
    for (const std::wstring& keyName : globallyOn) {
        switchedOn.insert(UpperCase(keyName));
    }
    for (const AppValues& app : apps) {
        for (const ButtonValues& button : app.buttons) {
            if (button.SwitchedOn()) {
                switchedOn.insert(UpperCase(button.keyName));
            }
        }
    }
    return switchedOn.size();
}

bool WriteAppName(const std::wstring& fileName, const std::wstring& name) {
    if (!IsUsableAppName(fileName) || !OpenForWriting(AppKeyPath(fileName))) {
        return false;
    }
    const bool written = SettingsKey::WriteString(kValueName, name.c_str());
    SettingsKey::CloseKey();
    return written;
}

bool WriteAppOff(const std::wstring& fileName, bool off) {
    if (!IsUsableAppName(fileName) || !OpenForWriting(AppKeyPath(fileName))) {
        return false;
    }
    const bool written = SettingsKey::WriteDword(kValueOff, off ? 1 : 0);
    SettingsKey::CloseKey();
    return written;
}

bool WriteAppButton(const std::wstring& fileName, const ButtonValues& button) {
    if (!IsUsableAppName(fileName) || !IsButtonKeyName(button.keyName) ||
        button.keyName.find(L'\\') != std::wstring::npos ||
        !OpenForWriting(AppButtonKeyPath(fileName, button.keyName))) {
        return false;
    }
    for (int n = 0; n < kSlotCount; ++n) {
        const SlotValues& slot = button.slots[n];
        if (slot.hasPair) {
            SettingsKey::WriteDword(SlotValueName(kValueSlotModeFormat, n).c_str(), slot.mode);
            SettingsKey::WriteString(SlotValueName(kValueSlotCmdFormat, n).c_str(),
                                     slot.command.c_str());
        }
        SettingsKey::WriteDword(SlotValueName(kValueSlotEnabledFormat, n).c_str(), slot.enabled);
    }
    const bool written = SettingsKey::WriteDword(kValueEnabled, button.enabled);
    SettingsKey::CloseKey();
    return written;
}

bool DeleteAppButton(const std::wstring& fileName, const std::wstring& keyName) {
    if (!IsUsableAppName(fileName) || !IsButtonKeyName(keyName) ||
        keyName.find(L'\\') != std::wstring::npos) {
        return false;
    }
    return RegDeleteTreeW(HKEY_CURRENT_USER, AppButtonKeyPath(fileName, keyName).c_str()) ==
           ERROR_SUCCESS;
}

bool DeleteApp(const std::wstring& fileName) {
    if (!IsUsableAppName(fileName)) {
        return false;
    }
    return RegDeleteTreeW(HKEY_CURRENT_USER, AppKeyPath(fileName).c_str()) == ERROR_SUCCESS;
}

}  // namespace kestrel::AppSettings
