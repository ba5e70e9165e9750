#pragma once
// Per-program settings under Software\VelmoraLab\Kestrel\Apps, read and written the same
// way by both programs.
//
// The agent reads every program at a reload (ReadAllApps), finds the one in front by its
// file name (FindApp, letter case aside) and, for a button, the program's own subkey
// (FindAppButton): none means the global assignments hold; `enabled` 0 lets the key pass
// untouched in that program; 1 uses the subkey's three slots. `off` makes the program
// leave every key and mouse button alone. The limit of switched-on buttons counts every
// button switched on globally or in any program (CountSwitchedOnButtons).
//
// The customizer reads the same, shows what it knows and writes back only what the user
// changed, so values it cannot show stay as they are.
//
// Reading never creates a key. Values are taken only in their stored kind: a number only
// as REG_DWORD of exactly 4 bytes, a command or name only as REG_SZ or REG_EXPAND_SZ; a
// value of any other kind counts as missing. A flooded subtree is read up to kMaxApps
// programs and kMaxAppButtons button subkeys per program; names that cannot be a program
// or a button are skipped. None of this touches the global assignments.
#include <windows.h>

#include <string>
#include <vector>

#include "common/settings_schema.h"

namespace kestrel::AppSettings {

// A button subkey name longer than this names no button (the agent's names are "40C1"-like).
inline constexpr size_t kMaxButtonKeyNameChars = 7;

// One slot as stored. `enabled` is the raw "Enabled_%d" (0 when missing or of the wrong
// kind): the agent switches the slot on for any value but 0 and takes its pair only for 1,
// as for the global buttons. `hasPair` says that both "Mode_%d" and "Cmd_%d" were read.
struct SlotValues {
    DWORD enabled = 0;
    bool hasPair = false;
    DWORD mode = 0;
    std::wstring command;
};

// One button subkey of a program.
struct ButtonValues {
    std::wstring keyName;  // as stored, e.g. "407C"
    bool hasEnabled = false;
    DWORD enabled = 0;  // raw "Enabled"; switched on when not 0
    SlotValues slots[kSlotCount];

    bool SwitchedOn() const { return hasEnabled && enabled != 0; }
};

// One program's subkey.
struct AppValues {
    std::wstring fileName;  // the subkey name as stored
    std::wstring name;      // "Name", empty when missing
    bool off = false;       // "Off" is 1
    std::vector<ButtonValues> buttons;
};

// Whether two program file names (or two button names) are the same, letter case aside,
// as the registry compares key names.
bool SameName(const std::wstring& first, const std::wstring& second);

// Whether `fileName` can be a program's subkey: 1 to kMaxAppNameChars characters, no
// backslash, not "." or "..".
bool IsUsableAppName(const std::wstring& fileName);

// The subkey path of a program, and of one of its buttons, under HKEY_CURRENT_USER.
std::wstring AppKeyPath(const std::wstring& fileName);
std::wstring AppButtonKeyPath(const std::wstring& fileName, const std::wstring& keyName);

// The file names of the programs with settings, in the registry's order, at most kMaxApps.
// Empty when there is no Apps key.
std::vector<std::wstring> ListApps();

// Reads one program's subkey. False when it does not exist (nothing created).
bool ReadApp(const std::wstring& fileName, AppValues& app);

// Every program with settings, at most kMaxApps.
std::vector<AppValues> ReadAllApps();

// The program with this file name, letter case aside; nullptr when none.
const AppValues* FindApp(const std::vector<AppValues>& apps, const std::wstring& fileName);
// The program's own subkey for this button, letter case aside; nullptr when the button
// follows the global assignments there.
const ButtonValues* FindAppButton(const AppValues& app, const std::wstring& keyName);

// How many distinct buttons are switched on globally (`globallyOn`, their subkey names)
// or in any program, each button counted once, letter case aside.
size_t CountSwitchedOnButtons(const std::vector<std::wstring>& globallyOn,
                              const std::vector<AppValues>& apps);

// Writing, for the customizer. Each creates the keys it needs and returns false when the
// key cannot be opened or `fileName` is not usable.
bool WriteAppName(const std::wstring& fileName, const std::wstring& name);
bool WriteAppOff(const std::wstring& fileName, bool off);
// Writes "Enabled" and each slot's "Enabled_%d"; "Mode_%d" and "Cmd_%d" only for slots that
// have a pair, so a pair left out stays as stored.
bool WriteAppButton(const std::wstring& fileName, const ButtonValues& button);
// Removes a program's button subkey (the button follows the global assignments again), or
// the program's whole subtree.
bool DeleteAppButton(const std::wstring& fileName, const std::wstring& keyName);
bool DeleteApp(const std::wstring& fileName);

}  // namespace kestrel::AppSettings
