#include "agent/executor.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "agent/agent_state.h"
#include "agent/button_table.h"
#include "agent/classifier.h"
#include "agent/latches.h"
#include "agent/launch_path.h"
#include "agent/while_held.h"
#include "common/key_sequence.h"
#include "common/settings_schema.h"
#include "common/system_commands.h"
#include "common/trace.h"
#include "platform/hotkeys.h"
#include "platform/os_calls.h"

namespace kestrel {

namespace {

// The key-up that opens every key sequence names this fixed code, not the button's.
constexpr BYTE kSequenceReleaseKey = 2;

void SendKey(BYTE vk, DWORD flags, ULONG_PTR extraInfo) {
    platform::Os().keybd_event(vk, 0, flags, extraInfo);
}

BYTE LowByte(uint32_t vk) {
    return static_cast<BYTE>(vk & 0xFF);
}

void RunDeviceCommand(const std::wstring& command) {
    switch (_wtol(command.c_str())) {
        case kDeviceCommandToday:
            ShowTodayScreen();
            break;
        case kDeviceCommandStartKey:
            PressStartKey();
            break;
        case kDeviceCommandInputPanel:
            ToggleInputPanel();
            break;
        default:
            break;
    }
}

struct SteppedAside {
    int32_t id;
    uint32_t vk;
};

// A sequence may type the key of one of the agent's own buttons (F13 recorded for F13):
// it would come back as a press of that button and type itself again without end. Such
// buttons step aside while the sequence is typed, as the standard button's replay does.
std::vector<SteppedAside> StepAsideFor(const std::vector<KeyEvent>& events) {
    std::vector<SteppedAside> aside;
    for (const ButtonBinding& binding : buttonTable) {
        if (binding.enabled != 1 || binding.hotKeyId == kNoHotKeyId) {
            continue;
        }
        for (const KeyEvent& event : events) {
            if (event.vk == LowByte(binding.vk)) {
                aside.push_back({binding.hotKeyId, binding.vk});
                UnregisterButtonHotKeys(agentWindow, binding.hotKeyId);
                break;
            }
        }
    }
    return aside;
}

// After a reload in between, an id may name another button or none, whose hot keys the
// new table holds already.
void StepBack(const std::vector<SteppedAside>& aside) {
    for (const SteppedAside& button : aside) {
        const ButtonBinding* binding = FindBindingById(button.id);
        if (binding && binding->vk == button.vk) {
            RegisterButtonHotKeys(agentWindow, button.id, button.vk);
        }
    }
}

// The button's hot key arrived as Win plus the button, so both are released before the
// sequence is typed; what the command types is the settings contract's to say.
void TypeKeySequence(const std::wstring& command) {
    const std::vector<KeyEvent> events = KeySequenceEvents(command);
    const std::vector<SteppedAside> aside = StepAsideFor(events);
    SendKey(kSequenceReleaseKey, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
    SendKey(VK_LWIN, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
    for (const KeyEvent& event : events) {
        const DWORD flags =
            (event.up ? KEYEVENTF_KEYUP : 0) | (event.extended ? KEYEVENTF_EXTENDEDKEY : 0);
        SendKey(event.vk, flags, kExtraInfoOwnKey);
    }
    StepBack(aside);
}

// Replays the button as the platform reports it (Win plus the button's code, or a desktop
// key alone), so the system function of the button runs. The hot-key layer lets the
// agent's own keystrokes pass once, whatever Shift or Ctrl the user or a latch holds, so
// the button's hot keys stay as they are and the replay never comes back as a new press.
void ReplayStandardButton(uint32_t vk) {
    const BYTE v = LowByte(vk);
    if (platform::IsMouseButton(vk)) {
        platform::Os().SendMouseButton(vk, false, kExtraInfoPassThrough);
        platform::Os().SendMouseButton(vk, true, kExtraInfoPassThrough);
    } else if (platform::IsDesktopKey(vk)) {
        // A desktop keyboard sends such a key on its own: it is passed on alone, and a Win
        // the user may still hold is left as it is.
        SendKey(v, 0, kExtraInfoPassThrough);
        SendKey(v, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
    } else {
        SendKey(v, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
        SendKey(VK_LWIN, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
        SendKey(VK_LWIN, 0, kExtraInfoPassThrough);
        SendKey(v, 0, kExtraInfoPassThrough);
        SendKey(v, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
        SendKey(VK_LWIN, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
    }
    Trace(L"ID %x : tyoe %x", currentId, vk);
}

// Only a capital "S" or "C" toggles a latch; anything else just re-applies them.
void ToggleLatch(uint32_t vk, const std::wstring& command) {
    // A mouse button has no key to let go of; a key-up of its code would be a keystroke.
    if (!platform::IsMouseButton(vk)) {
        SendKey(LowByte(vk), KEYEVENTF_KEYUP, kExtraInfoPassThrough);
    }
    SendKey(VK_LWIN, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
    SendKey(VK_SHIFT, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
    SendKey(VK_CONTROL, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
    const wchar_t first = command.empty() ? L'\0' : command[0];
    if (first == L'S') {
        shiftLatch = !shiftLatch;
    }
    if (first == L'C') {
        ctrlLatch = !ctrlLatch;
    }
    ApplyLatches();
}

}  // namespace

void ExecuteAction(int pressKind) {
    if (pressKind < 0 || pressKind >= kSlotCount) {
        return;
    }
    // A reload may have removed the button since its press began.
    const ButtonBinding* binding = IsButtonId(currentId) ? FindBindingById(currentId) : nullptr;
    if (!binding) {
        return;
    }
    // Copies, because the shell and the keystroke calls may let a sent reload in, which
    // would free the table's binding while it is still in use.
    const ActionSlot slot = binding->slots[pressKind];
    const uint32_t vk = binding->vk;
    switch (slot.type) {
        case kActionProgram:
            LaunchPath(slot.command.c_str());
            break;
        case kActionDeviceCommand:
            RunDeviceCommand(slot.command);
            break;
        case kActionKeySequence:
            TypeKeySequence(slot.command);
            break;
        case kActionStandardButton:
            ReplayStandardButton(vk);
            break;
        case kActionLatch:
            ToggleLatch(vk, slot.command);
            break;
        case kActionWhileHeld:
            HoldWhileButtonDown(slot.command);
            break;
        default:
            break;
    }
}

}  // namespace kestrel
