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
// and the platform refuses every write through the held key. For every read: the
// platform's own lists, which a standard user may read but not change, and the settings,
// which reading must never create.
bool OpenKeyToRead(HKEY root, const wchar_t* path);
// Releases the held key, if any.
void CloseKey();
// Whether a key is held now.
bool IsOpen();

bool WriteString(const wchar_t* name, const wchar_t* text);
bool WriteDword(const wchar_t* name, DWORD value);
bool WriteBool(const wchar_t* name, bool flag);

// Leaves a terminated string of at most 259 characters in `buffer` on success and
// leaves `buffer` alone on failure. Only REG_SZ and REG_EXPAND_SZ are strings; the
// latter is expanded, and an expansion that does not fit counts as missing.
bool ReadString(const wchar_t* name, wchar_t (&buffer)[kStringChars]);
// Leaves `result` alone on failure. Only a REG_DWORD of 4 bytes is a number.
bool ReadDword(const wchar_t* name, DWORD& result);
bool ReadBool(const wchar_t* name, bool& flag);

}  // namespace kestrel::SettingsKey
