#pragma once
// The programs with settings of their own while the customizer runs: each program's name,
// whether Kestrel stays out of it, and per button whether it follows all programs, has
// assignments of its own or is switched off there. Loaded when the Button page opens and
// written when it closes with OK; only what the user changed is written, so whatever the
// page cannot show stays as stored.
#include <string>
#include <vector>

#include "common/app_settings.h"
#include "customizer/catalogues.h"

namespace kestrel {

enum class ButtonRule {
    kFollowAll,  // no subkey: the global assignments hold in the program
    kOwn,        // a subkey with "Enabled" 1 and its own slots
    kOff,        // a subkey with "Enabled" 0: the key or click passes to the program
};

struct AppButton {
    std::wstring keyName;
    ButtonRule rule = ButtonRule::kFollowAll;
    // The slots are the program's own: stored for it, or copied from the global ones once.
    bool hasSlots = false;
    bool changed = false;  // written when the page closes with OK
    SlotAssignment slots[kSlotCount];
};

struct AppEntry {
    std::wstring fileName;
    std::wstring name;
    std::wstring path;  // the program file, when the user picked it in this sitting
    bool off = false;
    bool offChanged = false;
    bool added = false;  // added in this sitting: its subkey is created at OK
    std::vector<AppButton> buttons;

    // The button's entry; one that follows all programs when the program has none.
    AppButton& Button(const std::wstring& keyName);
    const AppButton* FindButton(const std::wstring& keyName) const;
    // What the selector shows: "name (file name)", or the file name alone.
    std::wstring Label() const;
};

// The programs in the registry's order, then those added in this sitting.
extern std::vector<AppEntry> appCatalogue;
// File names of programs removed in this sitting: their subtrees go at OK.
extern std::vector<std::wstring> removedApps;

// Reads every program with settings (the command catalogue must be loaded, to name the
// stored pairs).
void LoadAppCatalogue();
// Deletes the removed programs, then writes what changed; buttons no longer in the
// button catalogue are left alone.
void SaveAppCatalogue();

// Position of the program with this file name, letter case aside; -1 when none.
int FindAppEntry(const std::wstring& fileName);
// Adds a program (or finds it again when it is listed); returns its position.
int AddAppEntry(const std::wstring& fileName, const std::wstring& name, const std::wstring& path);
// Removes the program at `index` from the list; its settings go at OK.
void RemoveAppEntry(int index);

// Sets the rule of `button` in `app`. Own assignments start from the program's stored
// ones when it has them, else from a copy of the button's global ones.
void SetButtonRule(AppEntry& app, const ButtonInfo& button, ButtonRule rule);

// Whether `button` is switched on in the program: its own rule, else the global check.
bool SwitchedOnIn(const AppEntry& app, const ButtonInfo& button);

// How many distinct buttons would be switched on, counting `globallyOn` and every
// program's own switched-on buttons, when `extraKeyName` (if not empty) is switched on too.
size_t SwitchedOnButtons(const std::vector<std::wstring>& globallyOn,
                         const std::wstring& extraKeyName);

}  // namespace kestrel
