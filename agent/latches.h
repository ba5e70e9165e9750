#pragma once
// The Shift and Ctrl latches: while set, the agent holds that modifier down.
#include <vector>

#include "platform/hotkeys.h"

namespace kestrel {

extern bool shiftLatch;
extern bool ctrlLatch;

// Sets the latches to `shift` and `ctrl` and puts Shift, then Ctrl, into their state,
// sending `before` first in the same group. Where the system would refuse the events (a
// window above the agent's integrity level is in front) or takes fewer than all, the
// latches stay as they were, the user is told, and the answer is false.
// Quiet is for a refusal that is expected and dealt with otherwise.
enum class LatchNotice { Tell, Quiet };
bool SetLatches(bool shift, bool ctrl, const std::vector<platform::KeyStroke>& before = {},
                LatchNotice notice = LatchNotice::Tell);
// Puts Shift, then Ctrl, into the state of its latch.
bool ApplyLatches();
// Clears both latches and leaves Shift and Ctrl released.
bool ResetLatches(LatchNotice notice = LatchNotice::Tell);

}  // namespace kestrel
