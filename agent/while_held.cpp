#include "agent/while_held.h"

#include <wtsapi32.h>

#include <algorithm>
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

bool SlotsHoldWhileHeld(const ActionSlot* slots) {
    return std::any_of(slots, slots + kSlotCount, HoldsWhileHeld);
}

// Only buttons that have hot keys: the layer decides for the keys it reports. A program's
// own slots decide its presses, so each program whose hold holds modifiers is named too.
std::vector<platform::HeldButton> HeldButtonsOf(const ButtonBinding& binding) {
    std::vector<platform::HeldButton> held;
    if (binding.hotKeyId == kNoHotKeyId) {
        return held;
    }
    if (binding.enabled == 1 && HoldsWhileHeld(binding.slots[kPressHold])) {
        held.push_back({binding.vk, 0, WhileHeldModifiers(binding.slots[kPressHold].command)});
    }
    for (const ProgramBinding& own : binding.appButtons) {
        if (own.enabled == 1 && HoldsWhileHeld(own.slots[kPressHold])) {
            held.push_back(
                {binding.vk, own.program, WhileHeldModifiers(own.slots[kPressHold].command)});
        }
    }
    return held;
}

bool UsesWhileHeld(const ButtonBinding& binding) {
    if (binding.hotKeyId == kNoHotKeyId) {
        return false;
    }
    if (binding.enabled == 1 && SlotsHoldWhileHeld(binding.slots)) {
        return true;
    }
    return std::any_of(binding.appButtons.begin(), binding.appButtons.end(),
                       [](const ProgramBinding& own) {
                           return own.enabled == 1 && SlotsHoldWhileHeld(own.slots);
                       });
}

}  // namespace

// Paused, the slots that wait for the resume hold nothing either: the buttons the layer
// still takes (those that resume) are ordinary presses until then.
void ApplyWhileHeldButtons() {
    std::vector<platform::HeldButton> buttons;
    whileHeldInUse = false;
    for (const ButtonBinding& binding : buttonTable) {
        whileHeldInUse = whileHeldInUse || UsesWhileHeld(binding);
        const std::vector<platform::HeldButton> held = HeldButtonsOf(binding);
        if (!paused) {
            buttons.insert(buttons.end(), held.begin(), held.end());
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
