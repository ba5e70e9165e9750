#include "agent/executor.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "agent/agent_state.h"
#include "agent/button_table.h"
#include "agent/classifier.h"
#include "agent/latches.h"
#include "agent/launch_path.h"
#include "common/settings_schema.h"
#include "common/system_commands.h"
#include "common/trace.h"
#include "platform/hotkeys.h"
#include "platform/os_calls.h"

namespace kestrel {

namespace {

// The key-up that opens every key sequence names this fixed code, not the button's.
constexpr BYTE kSequenceReleaseKey = 2;
constexpr wchar_t kGroupMark = L'#';
constexpr size_t kGroupChars = 3;
constexpr BYTE kNoKey = 0;

void SendKey(BYTE vk, DWORD flags, ULONG_PTR extraInfo) {
    platform::Os().keybd_event(vk, 0, flags, extraInfo);
}

BYTE LowByte(uint32_t vk) {
    return static_cast<BYTE>(vk & 0xFF);
}

BYTE KeyFor(wchar_t c) {
    if ((c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9')) {
        return static_cast<BYTE>(c);
    }
    switch (c) {
        case L'*':
            return VK_RETURN;
        case L'&':
            return VK_ESCAPE;
        case L'_':
            return VK_SPACE;
        case L'<':
            return VK_LEFT;
        case L'>':
            return VK_RIGHT;
        default:
            return kNoKey;
    }
}

BYTE ModifierFor(wchar_t c) {
    switch (c) {
        case L'A':
        case L'a':
            return VK_MENU;
        case L'C':
        case L'c':
            return VK_CONTROL;
        case L'S':
        case L's':
            return VK_SHIFT;
        default:
            return kNoKey;
    }
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

// One "#", key, modifier group; the modifier is pressed and released even when the key
// character names no key.
void TypeGroup(wchar_t keyChar, wchar_t modifierChar) {
    const BYTE modifier = ModifierFor(modifierChar);
    const BYTE key = KeyFor(keyChar);
    if (modifier != kNoKey) {
        SendKey(modifier, 0, kExtraInfoOwnKey);
    }
    if (key != kNoKey) {
        SendKey(key, 0, kExtraInfoOwnKey);
        SendKey(key, KEYEVENTF_KEYUP, kExtraInfoOwnKey);
    }
    if (modifier != kNoKey) {
        SendKey(modifier, KEYEVENTF_KEYUP, kExtraInfoOwnKey);
    }
}

// The button's hot key arrived as Win plus the button, so both are released before the
// sequence is typed; characters after the last whole group are ignored.
void TypeKeySequence(const std::wstring& command) {
    SendKey(kSequenceReleaseKey, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
    SendKey(VK_LWIN, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
    for (size_t i = 0; i + 2 < command.size(); i += kGroupChars) {
        if (command[i] == kGroupMark) {
            TypeGroup(command[i + 1], command[i + 2]);
        }
    }
}

// Replays the button as the platform reports it (Win plus the button's code, or a desktop
// key alone), so the system function of the button runs. The hot-key layer lets the
// agent's own keystrokes pass once, whatever Shift or Ctrl the user or a latch holds, so
// the button's hot keys stay as they are and the replay never comes back as a new press.
void ReplayStandardButton(uint32_t vk) {
    const BYTE v = LowByte(vk);
    if (platform::IsDesktopKey(vk)) {
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
    SendKey(LowByte(vk), KEYEVENTF_KEYUP, kExtraInfoPassThrough);
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
        default:
            break;
    }
}

}  // namespace kestrel
