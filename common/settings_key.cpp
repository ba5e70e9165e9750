#include "common/settings_key.h"

#include <cstring>

#include "platform/os_calls.h"

namespace kestrel::SettingsKey {

namespace {
HKEY keyHandle = nullptr;
bool keyOpen = false;
}  // namespace

bool OpenKeyUnder(HKEY root, const wchar_t* path) {
    // Only the newest key is tracked, so an older one would otherwise leak.
    CloseKey();
    wchar_t emptyClass[] = L"";
    HKEY opened = nullptr;
    DWORD disposition = 0;
    const LONG result = RegCreateKeyExW(root, path, 0, emptyClass, 0, KEY_ALL_ACCESS, nullptr,
                                        &opened, &disposition);
    if (result != ERROR_SUCCESS) {
        return false;
    }
    keyHandle = opened;
    keyOpen = true;
    return true;
}

bool OpenKey(const wchar_t* path) {
    return OpenKeyUnder(HKEY_CURRENT_USER, path);
}

bool OpenKeyToRead(HKEY root, const wchar_t* path) {
    CloseKey();
    HKEY opened = nullptr;
    if (platform::Os().RegOpenKeyExW(root, path, 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return false;
    }
    keyHandle = opened;
    keyOpen = true;
    return true;
}

void CloseKey() {
    if (keyOpen) {
        RegCloseKey(keyHandle);
        keyHandle = nullptr;
        keyOpen = false;
    }
}

bool IsOpen() {
    return keyOpen;
}

bool WriteString(const wchar_t* name, const wchar_t* text) {
    if (!keyOpen) {
        return false;
    }
    // A longer text keeps its first 259 characters: the block must end in a terminator.
    wchar_t block[kStringChars] = {};
    if (text) {
        wcsncpy(block, text, kStringChars - 1);
    }
    RegSetValueExW(keyHandle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(block), kStringBytes);
    return true;
}

bool WriteDword(const wchar_t* name, DWORD value) {
    if (!keyOpen) {
        return false;
    }
    RegSetValueExW(keyHandle, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof(value));
    return true;
}

bool WriteBool(const wchar_t* name, bool flag) {
    return WriteDword(name, flag ? 1 : 0);
}

namespace {

// A command may name %VARIABLES% when stored as REG_EXPAND_SZ; its expansion must fit the
// block as the stored text must.
bool ExpandInPlace(wchar_t (&text)[kStringChars]) {
    wchar_t expanded[kStringChars] = {};
    const DWORD needed = ExpandEnvironmentStringsW(text, expanded, kStringChars);
    if (needed == 0 || needed > static_cast<DWORD>(kStringChars)) {
        return false;
    }
    std::memcpy(text, expanded, sizeof(expanded));
    return true;
}

}  // namespace

bool ReadString(const wchar_t* name, wchar_t (&buffer)[kStringChars]) {
    if (!keyOpen) {
        return false;
    }
    wchar_t local[kStringChars + 1] = {};
    DWORD type = REG_NONE;
    DWORD size = kStringBytes;
    if (RegQueryValueExW(keyHandle, name, nullptr, &type, reinterpret_cast<BYTE*>(local), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    // Other programs may store text without a terminator or of odd length; the caller
    // always gets a terminated string, cut at the last whole character.
    const DWORD chars = size / sizeof(wchar_t);
    wchar_t text[kStringChars] = {};
    std::memcpy(text, local, chars * sizeof(wchar_t));
    text[chars < kStringChars ? chars : kStringChars - 1] = L'\0';
    if (type == REG_EXPAND_SZ && !ExpandInPlace(text)) {
        return false;
    }
    std::memcpy(buffer, text, sizeof(text));
    return true;
}

// Only a REG_DWORD of 4 bytes is a number; text such as "0" or other bytes would be read
// as some other number, so they count as missing.
bool ReadDword(const wchar_t* name, DWORD& result) {
    if (!keyOpen) {
        return false;
    }
    DWORD value = 0;
    DWORD type = REG_NONE;
    DWORD size = sizeof(value);
    if (RegQueryValueExW(keyHandle, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value)) {
        return false;
    }
    result = value;
    return true;
}

bool ReadBool(const wchar_t* name, bool& flag) {
    DWORD value = 0;
    if (!ReadDword(name, value)) {
        return false;
    }
    flag = value != 0;
    return true;
}

}  // namespace kestrel::SettingsKey
