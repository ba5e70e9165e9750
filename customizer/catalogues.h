#pragma once
// The customizer's two lists: the device's hardware buttons and every assignable command.
// Both are built once while the Button page initialises and live for the whole process.
#include <cstdint>
#include <string>
#include <vector>

#include "common/settings_schema.h"

namespace kestrel {

// One assignable command.
struct CommandEntry {
    // Type 0: `first` is a folder and `second` a file name; every other type: `first` is
    // the command string and `second` the display name.
    CommandEntry(int32_t type, const std::wstring& first, const std::wstring& second);

    int32_t type;
    std::wstring command;
    std::wstring displayName;
};

// One slot of a button while the customizer runs: switched on, and the display name of
// the assigned command (empty when unassigned).
//
// A stored pair that no catalogue entry matched (a program outside the Start menu, a
// latch, a command of a later version) is kept as stored until the user assigns the slot.
// A pair the user chose outside the catalogue (a file from the file dialog, a recorded key
// combination) is written as `pairType` and `pairCommand`. For either the page shows
// `keptText` and never looks that text up in the catalogue.
struct SlotAssignment {
    bool enabled = false;
    std::wstring assignment;
    bool keepsStored = false;
    bool writesPair = false;
    int32_t pairType = 0;
    std::wstring pairCommand;
    std::wstring keptText;

    // What the press-kind row and the summary show.
    const std::wstring& ShownText() const {
        return keepsStored || writesPair ? keptText : assignment;
    }
};

// Takes a stored pair into `slot`: the catalogue entry that stands for it, or else kept
// as stored (its pair remembered, so that a copy of the slot can write it elsewhere).
void TakeStoredPair(SlotAssignment& slot, uint32_t type, const std::wstring& command);
// The pair the page writes for `slot`; false when it writes none (a kept pair, which stays
// as stored, or a name no entry has).
bool PairToWrite(const SlotAssignment& slot, int32_t& type, std::wstring& command);
// The slot as a copy for another place in the settings: a kept pair is written there.
SlotAssignment CopiedSlot(const SlotAssignment& slot);

// One hardware button.
struct ButtonInfo {
    ButtonInfo(const std::wstring& keyName, const std::wstring& displayName,
               const std::wstring& iconSpec);

    std::wstring keyName;
    std::wstring displayName;
    std::wstring iconSpec;
    std::wstring iconFile;
    int32_t iconIndex = -1;
    bool hasIcon = false;
    // A key the user added, not one of the platform's list: it may be removed again.
    bool userButton = false;
    // Switched on for all programs, while the list's check boxes show a program's state.
    bool enabled = false;
    SlotAssignment slots[kSlotCount];
};

using ButtonCatalogue = std::vector<ButtonInfo>;
using CommandCatalogue = std::vector<CommandEntry>;

// The process's two catalogues. Position i of buttonCatalogue is row i of the button list.
extern ButtonCatalogue buttonCatalogue;
extern CommandCatalogue commandCatalogue;

// Fills buttonCatalogue from the platform's button list, then appends the keys the user
// added; shows "Error!!" and returns false when the platform's list cannot be opened.
bool LoadButtonCatalogue();
// The settings subkey name of an added key ("40" and two hex digits), empty for a code
// outside 1 to 0xFE.
std::wstring UserButtonKeyName(uint32_t vk);
// The key code a subkey name of that form stands for; 0 for any other name.
uint32_t UserButtonKeyCode(const std::wstring& keyName);
// Position of the button with this subkey name, letter case aside (as the registry
// compares names); -1 when none has it.
int FindButton(const std::wstring& keyName);
// The folder the program walk starts from: the Start menu folder itself. Empty when the
// shell gives no programs folder or the folder is too long to walk.
std::wstring FindProgramFolder();
// The same for the Start menu of all users.
std::wstring FindCommonProgramFolder();
// The folder that holds `programsFolder`: the path cut at its last backslash, or the path
// itself when it has none.
std::wstring StartMenuFolderOf(const std::wstring& programsFolder);
// Appends a type-0 entry per shortcut or program below `folder`, depth first; false when
// `folder` cannot be listed. Hidden entries and paths longer than 255 characters are left out.
bool AddProgramEntries(const std::wstring& folder);
// Every program the Start menu offers: the user's own Start menu, then that of all users
// without the shortcuts the user's has at the same place, then the shell's apps that have
// no shortcut file (those of packages), each as the command "shell:AppsFolder\<app id>".
void AddStartMenuPrograms();
// True when the text after the last "." of `fileName` equals `extension`, ignoring case.
bool HasExtension(const wchar_t* fileName, const wchar_t* extension);
// Appends the no-assignment entry and the seventeen fixed ones.
void AddFixedCommands();

// The entry that stands for the pair (`type`, `command`): the one whose display name,
// when the page saves it, writes exactly that pair. nullptr when none does.
const CommandEntry* EntryWritingPair(int32_t type, const std::wstring& command);

// The text that stands for a stored pair no entry matches: a program's or shortcut's file
// name, a key combination as the fixed entries show theirs, the name of a Shift or Ctrl
// latch, or else the command as stored.
std::wstring KeptPairText(uint32_t type, const std::wstring& command);

}  // namespace kestrel
