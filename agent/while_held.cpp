#include "agent/while_held.h"

#include <wtsapi32.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "agent/agent_state.h"
#include "agent/button_table.h"
#include "agent/classifier.h"
#include "agent/pause.h"
#include "common/settings_schema.h"
#include "common/while_held.h"
#include "platform/os_calls.h"

namespace kestrel {

namespace {

// The latest report was a key-down: the current button is down.
bool buttonDown = false;
bool holdingForButton = false;
// Settings without a while-held assignment never hold anything: the layer is left alone.
bool whileHeldInUse = false;
bool layerHasButtons = false;

bool HoldsWhileHeld(const ActionSlot& slot) {
    return slot.enabled == 1 && slot.type == kActionWhileHeld &&
           WhileHeldModifiers(slot.command) != 0;
}

// The button's assignment sets that are switched on: the global ones (program 0) and each
// program's own, which decides that program's presses.
std::vector<std::pair<int, const ActionSlot*>> SwitchedOnSlots(const ButtonBinding& binding) {
    std::vector<std::pair<int, const ActionSlot*>> sets;
    if (binding.enabled == 1) {
        sets.emplace_back(0, binding.slots);
    }
    for (const ProgramBinding& own : binding.appButtons) {
        if (own.enabled == 1) {
            sets.emplace_back(own.program, own.slots);
        }
    }
    return sets;
}

}  // namespace

// Only buttons that have hot keys: the layer decides for the keys it reports. Paused, the
// slots that wait for the resume hold nothing either: the buttons the layer still takes
// (those that resume) are ordinary presses until then.
void ApplyWhileHeldButtons() {
    std::vector<platform::HeldButton> buttons;
    whileHeldInUse = false;
    for (const ButtonBinding& binding : buttonTable) {
        if (binding.hotKeyId == kNoHotKeyId) {
            continue;
        }
        for (const auto& [program, slots] : SwitchedOnSlots(binding)) {
            whileHeldInUse =
                whileHeldInUse || std::any_of(slots, slots + kSlotCount, HoldsWhileHeld);
            const ActionSlot& hold = slots[kPressHold];
            if (!paused && HoldsWhileHeld(hold)) {
                buttons.push_back({binding.vk, program, WhileHeldModifiers(hold.command)});
            }
        }
    }
    if (!buttons.empty() || layerHasButtons) {
        platform::Os().SetHeldModifierButtons(buttons, holdTime, kExtraInfoOwnKey);
    }
    layerHasButtons = !buttons.empty();
}

void NoteButtonReport(LPARAM lParam) {
    buttonDown = (lParam & kModKeyUp) == 0;
    if (!buttonDown && holdingForButton) {
        holdingForButton = false;
        platform::Os().LetGoOfModifiers();
    }
}

void SettlePress() {
    if (layerHasButtons && !pressActive) {
        platform::Os().TapActionDone();
    }
}

// Run after the release (the single slot of a button that times its presses) there is no
// press left to hold for: nothing happens, as for an empty command.
void HoldWhileButtonDown(const std::wstring& command) {
    const UINT modifiers = WhileHeldModifiers(command);
    if (!buttonDown || modifiers == 0) {
        return;
    }
    holdingForButton = true;
    platform::Os().HoldModifiers(modifiers);
}

void ReleaseEverythingHeld() {
    if (whileHeldInUse || holdingForButton) {
        platform::Os().ReleaseEverythingHeld();
    }
    holdingForButton = false;
}

}  // namespace kestrel
