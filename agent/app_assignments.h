#pragma once
// The per-program assignments the agent runs: loaded with the buttons, handed to the
// hot-key layer as the rules that decide which presses it takes, and read back when a
// press reports the program whose slots it uses.
#include <string>
#include <vector>

#include "agent/button_table.h"
#include "platform/press_rules.h"

namespace kestrel {

// The programs with settings, numbered from 1 in this order (the layer's reports carry
// the number); their file names lower-case.
struct LoadedApp {
    std::wstring fileName;
    bool off = false;
};
extern std::vector<LoadedApp> loadedApps;

// Reads every program's settings and gives each button of the table its own assignments
// in them. A program's subkey for a button that has no global subkey changes nothing: the
// agent knows a button only by its global subkey.
void LoadAppAssignments();

// Whether the button needs its hot keys: switched on globally or in some program.
bool SwitchedOnAnywhere(const ButtonBinding& binding);

// The three slots a press of `binding` uses in `program` (0 the global ones).
const ActionSlot* SlotsFor(const ButtonBinding& binding, int program);

// Whether a slot runs the pause command, which keeps working while paused.
bool CarriesPause(const ActionSlot& slot);

// The layer's rules for the table as loaded, paused or not.
platform::PressRules MakePressRules(bool paused);
// Hands the rules for the pause in force to the layer.
void HandPressRules();

}  // namespace kestrel
