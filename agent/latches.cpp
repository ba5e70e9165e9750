#include "agent/latches.h"

#include <windows.h>

#include "common/settings_schema.h"
#include "platform/os_calls.h"

namespace kestrel {

bool shiftLatch = false;
bool ctrlLatch = false;

namespace {

// A set latch only presses its key, so it stays down; a clear one presses and releases
// it, so it ends up released whatever state it was in.
void ApplyLatch(bool latched, BYTE key) {
    platform::Os().keybd_event(key, 0, 0, kExtraInfoOwnKey);
    if (!latched) {
        platform::Os().keybd_event(key, 0, KEYEVENTF_KEYUP, kExtraInfoOwnKey);
    }
}

}  // namespace

void ApplyLatches() {
    ApplyLatch(shiftLatch, VK_SHIFT);
    ApplyLatch(ctrlLatch, VK_CONTROL);
}

void ResetLatches() {
    shiftLatch = false;
    ctrlLatch = false;
    ApplyLatches();
}

}  // namespace kestrel
