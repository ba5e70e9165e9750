#pragma once
// Direct access to the Wine prefix's real registry, for setting up and checking what the
// programs read and write. Every test run has its own prefix.
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

inline void DeleteKeyTree(HKEY root, const wchar_t* path) {
    RegDeleteTreeW(root, path);
}

inline void SetValue(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type,
                     const void* data, DWORD size) {
    HKEY key = nullptr;
    RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

inline void SetDword(HKEY root, const std::wstring& path, const wchar_t* name, DWORD value) {
    SetValue(root, path, name, REG_DWORD, &value, sizeof(value));
}

inline void SetString(HKEY root, const std::wstring& path, const wchar_t* name,
                      const std::wstring& text) {
    SetValue(root, path, name, REG_SZ, text.c_str(),
             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

inline void CreateKey(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegCloseKey(key);
}

inline bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// The raw value as stored: type and bytes. `found` is false when it is missing.
struct RawValue {
    bool found = false;
    DWORD type = 0;
    std::vector<BYTE> bytes;
};

inline RawValue ReadRaw(HKEY root, const std::wstring& path, const wchar_t* name) {
    RawValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return value;
    }
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size);
        value.found = RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(),
                                       &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return value;
}

inline bool ReadDwordValue(HKEY root, const std::wstring& path, const wchar_t* name,
                           DWORD& result) {
    RawValue raw = ReadRaw(root, path, name);
    if (!raw.found || raw.type != REG_DWORD || raw.bytes.size() != sizeof(DWORD)) {
        return false;
    }
    memcpy(&result, raw.bytes.data(), sizeof(DWORD));
    return true;
}

inline std::wstring ReadStringValue(HKEY root, const std::wstring& path, const wchar_t* name) {
    RawValue raw = ReadRaw(root, path, name);
    std::wstring text(reinterpret_cast<const wchar_t*>(raw.bytes.data()),
                      raw.bytes.size() / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

}  // namespace testing_support
