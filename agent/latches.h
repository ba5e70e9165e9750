#pragma once
// The Shift and Ctrl latches: while set, the agent holds that modifier down.

namespace kestrel {

extern bool shiftLatch;
extern bool ctrlLatch;

// Puts Shift, then Ctrl, into the state of its latch.
void ApplyLatches();
// Clears both latches and leaves Shift and Ctrl released.
void ResetLatches();

}  // namespace kestrel
