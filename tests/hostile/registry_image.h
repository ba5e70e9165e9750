#pragma once
// Registry values exactly as stored (type and bytes), whole subtrees of them, and the two
// ways the settings module makes sense of a value: as a number (a REG_DWORD of 4 bytes) and
// as a string (REG_SZ or REG_EXPAND_SZ, expanded, of at most 520 bytes, up to the first
// terminator, at most 259 characters). Written apart from the module, to check it.
#include <windows.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/settings_schema.h"

namespace hostile {

inline std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) {
        narrow += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    return narrow;
}

struct Raw {
    DWORD type = 0;
    std::vector<BYTE> bytes;
    bool operator==(const Raw& other) const { return type == other.type && bytes == other.bytes; }
    bool operator!=(const Raw& other) const { return !(*this == other); }
};

// Larger than any value a case writes, so one trip to the registry reads any of them.
inline constexpr DWORD kLargestValue = 4096;

inline std::optional<Raw> ReadRaw(HKEY key, const wchar_t* name) {
    Raw raw;
    raw.bytes.resize(kLargestValue);
    DWORD size = kLargestValue;
    if (RegQueryValueExW(key, name, nullptr, &raw.type, raw.bytes.data(), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    raw.bytes.resize(size);
    return raw;
}

inline std::optional<DWORD> AsNumber(const std::optional<Raw>& raw) {
    if (!raw || raw->type != REG_DWORD || raw->bytes.size() != sizeof(DWORD)) {
        return std::nullopt;
    }
    DWORD value = 0;
    for (size_t i = 0; i < raw->bytes.size(); ++i) {
        value |= static_cast<DWORD>(raw->bytes[i]) << (8 * i);
    }
    return value;
}

inline std::optional<std::wstring> AsString(const std::optional<Raw>& raw) {
    if (!raw || (raw->type != REG_SZ && raw->type != REG_EXPAND_SZ) ||
        raw->bytes.size() > kestrel::kStringBytes) {
        return std::nullopt;
    }
    std::wstring text(raw->bytes.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) {
        std::memcpy(&text[0], raw->bytes.data(), text.size() * sizeof(wchar_t));
    }
    text = text.substr(0, text.find(L'\0'));
    if (text.size() >= static_cast<size_t>(kestrel::kStringChars)) {
        text.resize(kestrel::kStringChars - 1);
    }
    if (raw->type == REG_EXPAND_SZ) {
        wchar_t expanded[kestrel::kStringChars];
        const DWORD needed =
            ExpandEnvironmentStringsW(text.c_str(), expanded, kestrel::kStringChars);
        if (needed == 0 || needed > static_cast<DWORD>(kestrel::kStringChars)) {
            return std::nullopt;
        }
        text = expanded;
    }
    return text;
}

// Key paths and value names compare without regard to case, as the registry names them.
inline std::wstring Folded(std::wstring text) {
    if (!text.empty()) {
        CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    }
    return text;
}

// Every value of a key and of all keys below it, by folded path ("" for the key itself,
// "\name" for a subkey) and folded value name.
using KeyImage = std::map<std::wstring, std::map<std::wstring, Raw>>;

inline void TakeImage(HKEY key, const std::wstring& path, KeyImage& image) {
    std::map<std::wstring, Raw>& values = image[Folded(path)];
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameChars = 16384;
        Raw raw;
        raw.bytes.resize(kLargestValue);
        DWORD size = kLargestValue;
        if (RegEnumValueW(key, index, name, &nameChars, nullptr, &raw.type, raw.bytes.data(),
                          &size) != ERROR_SUCCESS) {
            break;
        }
        raw.bytes.resize(size);
        values[Folded(name)] = raw;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameChars = 256;
        if (RegEnumKeyExW(key, index, name, &nameChars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        HKEY child = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &child) == ERROR_SUCCESS) {
            TakeImage(child, path + L"\\" + name, image);
            RegCloseKey(child);
        }
    }
}

// Empty when the key does not exist.
inline KeyImage ImageOf(HKEY root, const wchar_t* path) {
    KeyImage image;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        TakeImage(key, L"", image);
        RegCloseKey(key);
    }
    return image;
}

inline std::optional<Raw> Find(const KeyImage& image, const std::wstring& path,
                               const std::wstring& name) {
    const auto key = image.find(Folded(path));
    if (key == image.end()) {
        return std::nullopt;
    }
    const auto value = key->second.find(Folded(name));
    if (value == key->second.end()) {
        return std::nullopt;
    }
    return value->second;
}

}  // namespace hostile
