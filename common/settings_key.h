#pragma once
// The settings-key module: one held registry key per program, values of fixed sizes
// (strings as 520-byte blocks, numbers as 4 bytes). Both programs reach the settings
// subtree, and the customizer the platform's button list, only through here.
#include <windows.h>

#include "common/settings_schema.h"

namespace kestrel::SettingsKey {

// Opens (creating when missing) `path` under HKEY_CURRENT_USER and holds it.
bool OpenKey(const wchar_t* path);
// The same under another root key.
bool OpenKeyUnder(HKEY root, const wchar_t* path);
// Opens `path` under `root` to read it only, and holds it. A missing key is not created,
// and the platform refuses every write through the held key. For lists of the platform's
// own, which a standard user may read but not change; the product's own subtree keeps
// OpenKey.
bool OpenKeyToRead(HKEY root, const wchar_t* path);
// Releases the held key, if any.
void CloseKey();
// Whether a key is held now.
bool IsOpen();

bool WriteString(const wchar_t* name, const wchar_t* text);
bool WriteDword(const wchar_t* name, DWORD value);
bool WriteBool(const wchar_t* name, bool flag);

// Leaves a terminated string of at most 259 characters in `buffer` on success and
// leaves `buffer` alone on failure.
bool ReadString(const wchar_t* name, wchar_t (&buffer)[kStringChars]);
// Leaves `result` alone on failure.
bool ReadDword(const wchar_t* name, DWORD& result);
bool ReadBool(const wchar_t* name, bool& flag);

// The same reads that also check the stored type: a number counts only as REG_DWORD of
// exactly 4 bytes, a text only as REG_SZ or REG_EXPAND_SZ. For settings written by hand or
// by other programs, where a value of the wrong kind means "not set".
bool ReadTypedString(const wchar_t* name, wchar_t (&buffer)[kStringChars]);
bool ReadTypedDword(const wchar_t* name, DWORD& result);

}  // namespace kestrel::SettingsKey
