#pragma once
// What the hostile tests share: the fixed seeds that make every run the same, and a
// backup of the two subtrees they trample, so that the test programs after them find the
// registry as it was.
#include <windows.h>

#include <cstdint>

#include "common/settings_schema.h"

namespace hostile {

inline constexpr uint32_t kAgentSeedBase = 1000;
inline constexpr uint32_t kCustomizerSeedBase = 500000;

// Copies of the settings subtree and the platform's button list, put back afterwards.
class RegistryBackup {
  public:
    void Save() {
        Copy(HKEY_CURRENT_USER, kestrel::kProductKeyPath, kSettingsCopy, hadSettings_);
        Copy(HKEY_LOCAL_MACHINE, kestrel::kPlatformButtonsPath, kButtonsCopy, hadButtons_);
    }
    void Restore() {
        Put(HKEY_CURRENT_USER, kestrel::kProductKeyPath, kSettingsCopy, hadSettings_);
        Put(HKEY_LOCAL_MACHINE, kestrel::kPlatformButtonsPath, kButtonsCopy, hadButtons_);
    }

  private:
    static constexpr wchar_t kSettingsCopy[] = L"Software\\KestrelHostileBackup\\Settings";
    static constexpr wchar_t kButtonsCopy[] = L"Software\\KestrelHostileBackup\\Buttons";

    static bool Copy(HKEY root, const wchar_t* from, const wchar_t* to, bool& existed) {
        RegDeleteTreeW(HKEY_CURRENT_USER, to);
        HKEY source = nullptr;
        existed = RegOpenKeyExW(root, from, 0, KEY_READ, &source) == ERROR_SUCCESS;
        if (!existed) {
            return false;
        }
        HKEY target = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, to, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                        nullptr);
        const bool copied = RegCopyTreeW(source, nullptr, target) == ERROR_SUCCESS;
        RegCloseKey(target);
        RegCloseKey(source);
        return copied;
    }

    static void Put(HKEY root, const wchar_t* path, const wchar_t* copy, bool existed) {
        RegDeleteTreeW(root, path);
        if (existed) {
            HKEY source = nullptr;
            HKEY target = nullptr;
            if (RegOpenKeyExW(HKEY_CURRENT_USER, copy, 0, KEY_READ, &source) == ERROR_SUCCESS) {
                RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                                nullptr);
                RegCopyTreeW(source, nullptr, target);
                RegCloseKey(target);
                RegCloseKey(source);
            }
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, copy);
    }

    bool hadSettings_ = false;
    bool hadButtons_ = false;
};

}  // namespace hostile
