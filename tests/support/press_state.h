#pragma once
// The agent's button table and press state as a fresh start finds them, for tests that
// drive the classifier in-process.
#include <windows.h>

#include "agent/agent_state.h"
#include "agent/app_assignments.h"
#include "agent/button_table.h"
#include "agent/classifier.h"
#include "agent/pause.h"
#include "common/settings_schema.h"

namespace testing_support {

// No buttons, no programs, no press under way, not paused, the default times, and `window`
// as the agent's window.
inline void ResetPressState(HWND window) {
    kestrel::buttonTable.clear();
    kestrel::loadedApps.clear();
    kestrel::paused = false;
    kestrel::currentId = 0;
    kestrel::currentProgram = 0;
    kestrel::pressActive = false;
    kestrel::doublePending = false;
    kestrel::doubleTime = kestrel::kDefaultDoubleTime;
    kestrel::holdTime = kestrel::kDefaultHoldTime;
    kestrel::agentWindow = window;
}

// One enabled button on hot-key id 0 with nothing assigned yet, and it is the current one.
inline void UseOneEnabledButton() {
    kestrel::buttonTable.clear();
    kestrel::ButtonBinding binding = kestrel::MakeBinding(L"40C1");
    binding.enabled = 1;
    binding.hotKeyId = 0;
    kestrel::buttonTable.push_back(binding);
    kestrel::currentId = 0;
}

}  // namespace testing_support
