#include "agent/classifier.h"

#include "agent/agent_state.h"
#include "agent/app_assignments.h"
#include "agent/button_table.h"
#include "agent/executor.h"
#include "common/settings_schema.h"
#include "common/trace.h"
#include "platform/hotkeys.h"
#include "platform/os_calls.h"

namespace kestrel {

int32_t currentId = 0;
int currentProgram = 0;
bool pressActive = false;
bool doublePending = false;

namespace {

// Whether the button takes part in double-press and hold detection at all, in the
// program whose slots the press uses.
bool TimesPresses(const ButtonBinding& binding, int program) {
    const ActionSlot* slots = SlotsFor(binding, program);
    return slots[kPressDouble].enabled || slots[kPressHold].enabled;
}

void StartPressTimer(DWORD elapse) {
    platform::Os().SetTimer(agentWindow, TIMER_PRESS, elapse);
}

void StopPressTimer() {
    platform::Os().KillTimer(agentWindow, TIMER_PRESS);
}

void ClearPress() {
    pressActive = false;
    doublePending = false;
}

// A button without double and hold slots needs no timing: its press is single at once.
// A timer still running from an earlier press is left alone.
void RunImmediately() {
    ClearPress();
    ExecuteAction(kPressSingle);
}

void CompleteDoublePress() {
    ClearPress();
    Trace(L"PROC4");
    StopPressTimer();
    ExecuteAction(kPressDouble);
}

// Starting the timer while it runs replaces it, so a repeated key-down times from now.
void StartPress() {
    pressActive = true;
    Trace(L"PROC3");
    StartPressTimer(holdTime);
}

// The binding the press of `baseId` concerns, if any.
const ButtonBinding* PressedBinding(int32_t baseId) {
    return IsButtonId(baseId) ? FindBindingById(baseId) : nullptr;
}

void HandleKeyDown(int32_t id, int program) {
    const int32_t baseId = FoldHotKeyId(id);
    const ButtonBinding* binding = PressedBinding(baseId);
    // A message queued before a reload may name a button that is gone, and a foreign
    // hot key may carry any id. Neither has slots to read, so the message is dropped
    // without disturbing a press in progress.
    if (!binding) {
        return;
    }
    currentId = baseId;
    currentProgram = program;
    if (!TimesPresses(*binding, program)) {
        RunImmediately();
    } else if (doublePending) {
        CompleteDoublePress();
    } else {
        StartPress();
    }
}

// The key-up carries no button of its own: it always ends the press of currentId.
void HandleKeyUp() {
    if (!pressActive) {
        return;
    }
    const ButtonBinding* binding = PressedBinding(currentId);
    // The current button left the table in a reload: end its press, run nothing.
    if (!binding) {
        StopPressTimer();
        ClearPress();
        return;
    }
    if (!SlotsFor(*binding, currentProgram)[kPressDouble].enabled) {
        Trace(L"PROC1");
        StopPressTimer();
        ClearPress();
        ExecuteAction(kPressSingle);
        return;
    }
    Trace(L"PROC2");
    StopPressTimer();
    doublePending = true;
    StartPressTimer(doubleTime);
}

}  // namespace

bool IsButtonId(int32_t baseId) {
    return baseId >= 0 && baseId < kMaxHotKeyButtons;
}

int32_t FoldHotKeyId(int32_t id) {
    if (id >= kControlIdOffset) {
        return id - kControlIdOffset;
    }
    if (id >= kShiftIdOffset) {
        return id - kShiftIdOffset;
    }
    return id;
}

void HandleHotKey(int32_t id, LPARAM lParam, int program) {
    if (lParam & kModKeyUp) {
        HandleKeyUp();
    } else {
        HandleKeyDown(id, program);
    }
}

int HotKeyProgramOf(WPARAM wParam) {
    const int program = platform::ReportedProgram(wParam);
    const bool known = wParam <= 0xFFFFFFFFu && program <= static_cast<int>(loadedApps.size());
    return known ? program : 0;
}

int32_t HotKeyIdOf(WPARAM wParam) {
    if (HotKeyProgramOf(wParam) > 0) {
        return platform::ReportedId(wParam);
    }
    return static_cast<int32_t>(wParam);
}

// Also reached in Idle, when a timer left running by an immediate press fires: that
// runs the hold slot of the current button.
void HandlePressTimer() {
    const bool wasAwaitingSecond = doublePending;
    ClearPress();
    if (wasAwaitingSecond) {
        Trace(L"PROC5");
        StopPressTimer();
        ExecuteAction(kPressSingle);
    } else {
        Trace(L"PROC6");
        StopPressTimer();
        ExecuteAction(kPressHold);
    }
}

}  // namespace kestrel
