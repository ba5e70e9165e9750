#include "agent/app_assignments.h"

#include <cwchar>
#include <cstdlib>

#include "agent/agent_state.h"
#include "agent/pause.h"
#include "common/app_settings.h"
#include "platform/os_calls.h"

namespace kestrel {

std::vector<LoadedApp> loadedApps;

namespace {

// The same reading as a global slot's: any value but 0 switches the slot on, and only 1
// brings its assignment.
ActionSlot SlotFromValues(const AppSettings::SlotValues& values) {
    ActionSlot slot;
    slot.enabled = values.enabled != 0 ? 1 : 0;
    if (values.enabled == 1 && values.hasPair) {
        slot.type = static_cast<int32_t>(values.mode);
        slot.command = values.command;
    }
    return slot;
}

ProgramBinding ProgramBindingFromValues(int program, const AppSettings::ButtonValues& values) {
    ProgramBinding button;
    button.program = program;
    button.enabled = values.SwitchedOn() ? 1 : 0;
    for (int n = 0; n < kSlotCount; ++n) {
        button.slots[n] = SlotFromValues(values.slots[n]);
    }
    return button;
}

// The single press runs its slot whatever that slot's switch says; double and hold only
// when theirs is on.
bool SlotsCarryPause(const ActionSlot* slots) {
    for (int n = 0; n < kSlotCount; ++n) {
        if (CarriesPause(slots[n]) && (n == kPressSingle || slots[n].enabled)) {
            return true;
        }
    }
    return false;
}

// A press whose double slot is on waits for a second one; the layer keeps that second
// press with the first one's program, whatever is in front by then.
platform::ButtonRule RuleFor(UINT vk, uint8_t enabled, const ActionSlot* slots) {
    const bool on = enabled == 1;
    return {vk, on, on && SlotsCarryPause(slots), on && slots[kPressDouble].enabled != 0};
}

}  // namespace

void LoadAppAssignments() {
    const std::vector<AppSettings::AppValues> apps = AppSettings::ReadAllApps();
    loadedApps.clear();
    for (ButtonBinding& binding : buttonTable) {
        binding.appButtons.clear();
    }
    for (const AppSettings::AppValues& app : apps) {
        loadedApps.push_back({platform::ProgramKey(app.fileName), app.off});
        const int program = static_cast<int>(loadedApps.size());
        for (ButtonBinding& binding : buttonTable) {
            const AppSettings::ButtonValues* own = AppSettings::FindAppButton(app, binding.keyName);
            if (own) {
                binding.appButtons.push_back(ProgramBindingFromValues(program, *own));
            }
        }
    }
}

bool SwitchedOnAnywhere(const ButtonBinding& binding) {
    if (binding.enabled == 1) {
        return true;
    }
    for (const ProgramBinding& own : binding.appButtons) {
        if (own.enabled == 1) {
            return true;
        }
    }
    return false;
}

// A program's subkey that switches the button off lets its presses pass in the layer, so
// none is reported with that program; the global slots answer one that is anyway.
const ActionSlot* SlotsFor(const ButtonBinding& binding, int program) {
    if (program > 0) {
        for (const ProgramBinding& own : binding.appButtons) {
            if (own.program == program && own.enabled == 1) {
                return own.slots;
            }
        }
    }
    return binding.slots;
}

bool CarriesPause(const ActionSlot& slot) {
    return slot.type == kActionDeviceCommand && _wtol(slot.command.c_str()) == kDeviceCommandPause;
}

platform::PressRules MakePressRules(bool paused) {
    platform::PressRules rules;
    rules.paused = paused;
    rules.doubleTimeMs = doubleTime;
    for (const ButtonBinding& binding : buttonTable) {
        // Only a registered button can be pressed; the layer lets every other key pass.
        if (binding.hotKeyId != kNoHotKeyId) {
            rules.global.push_back(RuleFor(binding.vk, binding.enabled, binding.slots));
        }
    }
    for (size_t i = 0; i < loadedApps.size(); ++i) {
        platform::ProgramRule program;
        program.fileName = loadedApps[i].fileName;
        program.off = loadedApps[i].off;
        const int number = static_cast<int>(i) + 1;
        for (const ButtonBinding& binding : buttonTable) {
            for (const ProgramBinding& own : binding.appButtons) {
                if (own.program == number && binding.hotKeyId != kNoHotKeyId) {
                    program.buttons.push_back(RuleFor(binding.vk, own.enabled, own.slots));
                }
            }
        }
        rules.programs.push_back(std::move(program));
    }
    return rules;
}

void HandPressRules() {
    if (agentWindow) {
        platform::Os().SetPressRules(agentWindow, MakePressRules(paused));
    }
}

}  // namespace kestrel
