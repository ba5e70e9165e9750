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

// One value's data into `data` (at most `size` bytes); `size` becomes the stored length
// and `type` the stored type.
bool QueryValue(const wchar_t* name, BYTE* data, DWORD& size, DWORD& type) {
    if (!keyOpen) {
        return false;
    }
    return RegQueryValueExW(keyHandle, name, nullptr, &type, data, &size) == ERROR_SUCCESS;
}

bool IsTextType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// Reads a string value and, when `typed`, refuses any type but text.
bool ReadStringAs(const wchar_t* name, wchar_t (&buffer)[kStringChars], bool typed) {
    wchar_t local[kStringChars] = {};
    DWORD type = REG_SZ;
    DWORD size = kStringBytes;
    if (!QueryValue(name, reinterpret_cast<BYTE*>(local), size, type) ||
        (typed && !IsTextType(type))) {
        return false;
    }
    // Other programs may store data without a terminator, of odd length or of another
    // type; the caller always gets a terminated string, cut at the last whole character.
    const DWORD chars = size / sizeof(wchar_t);
    if (chars == 0 || local[0] == L'\0') {
        buffer[0] = L'\0';
        return true;
    }
    std::memcpy(buffer, local, size);
    buffer[chars < kStringChars ? chars : kStringChars - 1] = L'\0';
    return true;
}

// Reads a number and, when `typed`, refuses anything but REG_DWORD of exactly 4 bytes.
bool ReadDwordAs(const wchar_t* name, DWORD& result, bool typed) {
    BYTE bytes[sizeof(DWORD)] = {};
    DWORD type = REG_DWORD;
    DWORD size = sizeof(bytes);
    if (!QueryValue(name, bytes, size, type) ||
        (typed && (type != REG_DWORD || size != sizeof(DWORD)))) {
        return false;
    }
    // Shorter data is zero-extended: bytes past `size` stay 0.
    DWORD value = 0;
    std::memcpy(&value, bytes, size);
    result = value;
    return true;
}

}  // namespace

bool ReadString(const wchar_t* name, wchar_t (&buffer)[kStringChars]) {
    return ReadStringAs(name, buffer, false);
}

bool ReadDword(const wchar_t* name, DWORD& result) {
    return ReadDwordAs(name, result, false);
}

bool ReadTypedString(const wchar_t* name, wchar_t (&buffer)[kStringChars]) {
    return ReadStringAs(name, buffer, true);
}

bool ReadTypedDword(const wchar_t* name, DWORD& result) {
    return ReadDwordAs(name, result, true);
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
