#include "agent/executor.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "agent/agent_state.h"
#include "agent/app_assignments.h"
#include "agent/button_table.h"
#include "agent/classifier.h"
#include "agent/latches.h"
#include "agent/launch_path.h"
#include "agent/pause.h"
#include "agent/while_held.h"
#include "common/key_sequence.h"
#include "common/settings_schema.h"
#include "common/system_commands.h"
#include "common/trace.h"
#include "platform/hotkeys.h"
#include "platform/os_calls.h"

namespace kestrel {

namespace {

using Strokes = std::vector<platform::KeyStroke>;

// The key-up that opens a handheld button's key sequence names this fixed code, not the
// button's. On a desktop it is the right mouse button's code and would end a right-drag.
constexpr BYTE kSequenceReleaseKey = 2;

void AddKey(Strokes* strokes, BYTE vk, DWORD flags, ULONG_PTR extraInfo) {
    strokes->push_back({vk, flags, extraInfo});
}

// The one call that sends a group; what went in is not awaited by anyone here.
void SendGroup(const Strokes& strokes) {
    if (!strokes.empty()) {
        platform::Os().SendKeyEvents(strokes);
    }
}

BYTE LowByte(uint32_t vk) {
    return static_cast<BYTE>(vk & 0xFF);
}

bool IsHandheldButton(uint32_t vk) {
    return !platform::IsDesktopKey(vk);
}

// A handheld button arrives with left Win, always. A desktop key or a mouse button comes
// with whatever Win the user holds, on either side, or none: exactly those are let go.
void AddWinReleases(Strokes* strokes, uint32_t vk) {
    if (IsHandheldButton(vk)) {
        AddKey(strokes, VK_LWIN, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
        return;
    }
    for (BYTE win : {VK_LWIN, VK_RWIN}) {
        if (platform::Os().GetAsyncKeyState(win) & 0x8000) {
            AddKey(strokes, win, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
        }
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
        case kDeviceCommandPause:
            TogglePause();
            break;
        default:
            break;
    }
}

// The button's hot key arrived with Win, so Win is released before the sequence is typed;
// what the command types is the settings contract's to say. The hot-key layer lets each
// typed key pass once, so a sequence that types one of the agent's own buttons does not
// press it.
void TypeKeySequence(uint32_t vk, const std::wstring& command) {
    Strokes strokes;
    if (IsHandheldButton(vk)) {
        AddKey(&strokes, kSequenceReleaseKey, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
    }
    AddWinReleases(&strokes, vk);
    for (const KeyEvent& event : KeySequenceEvents(command)) {
        const DWORD flags =
            (event.up ? KEYEVENTF_KEYUP : 0) | (event.extended ? KEYEVENTF_EXTENDEDKEY : 0);
        AddKey(&strokes, event.vk, flags, kExtraInfoOwnKey);
    }
    SendGroup(strokes);
}

// Replays the button as the platform reports it (Win plus the button's code, or a desktop
// key alone), so the system function of the button runs. The hot-key layer lets the
// agent's own keystrokes pass once, whatever Shift or Ctrl the user or a latch holds, so
// the button's hot keys stay as they are and the replay never comes back as a new press.
void ReplayStandardButton(uint32_t vk) {
    const BYTE v = LowByte(vk);
    Strokes strokes;
    if (platform::IsMouseButton(vk)) {
        platform::Os().SendMouseButton(vk, false, kExtraInfoPassThrough);
        platform::Os().SendMouseButton(vk, true, kExtraInfoPassThrough);
    } else if (platform::IsDesktopKey(vk)) {
        // A desktop keyboard sends such a key on its own: it is passed on alone, and a Win
        // the user may still hold is left as it is.
        AddKey(&strokes, v, 0, kExtraInfoPassThrough);
        AddKey(&strokes, v, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
    } else {
        AddKey(&strokes, v, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
        AddKey(&strokes, VK_LWIN, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
        AddKey(&strokes, VK_LWIN, 0, kExtraInfoPassThrough);
        AddKey(&strokes, v, 0, kExtraInfoPassThrough);
        AddKey(&strokes, v, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
        AddKey(&strokes, VK_LWIN, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
    }
    SendGroup(strokes);
    Trace(L"ID %x : tyoe %x", currentId, vk);
}

// Only a capital "S" or "C" toggles a latch; anything else just re-applies them. The
// releases go in the latches' group, so a refused group leaves the latches as they were.
void ToggleLatch(uint32_t vk, const std::wstring& command) {
    Strokes releases;
    // A mouse button has no key to let go of; a key-up of its code would be a keystroke.
    if (!platform::IsMouseButton(vk)) {
        AddKey(&releases, LowByte(vk), KEYEVENTF_KEYUP, kExtraInfoPassThrough);
    }
    AddWinReleases(&releases, vk);
    AddKey(&releases, VK_SHIFT, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
    AddKey(&releases, VK_CONTROL, KEYEVENTF_KEYUP, kExtraInfoPassThrough);
    const wchar_t first = command.empty() ? L'\0' : command[0];
    SetLatches(first == L'S' ? !shiftLatch : shiftLatch, first == L'C' ? !ctrlLatch : ctrlLatch,
               releases);
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
    const ActionSlot slot = SlotsFor(*binding, currentProgram)[pressKind];
    const uint32_t vk = binding->vk;
    // A paused agent's layer still takes the buttons that carry the pause; their other
    // slots wait for the resume with everything else.
    if (paused && !CarriesPause(slot)) {
        return;
    }
    switch (slot.type) {
        case kActionProgram:
            LaunchPath(slot.command.c_str());
            break;
        case kActionDeviceCommand:
            RunDeviceCommand(slot.command);
            break;
        case kActionKeySequence:
            TypeKeySequence(vk, slot.command);
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
