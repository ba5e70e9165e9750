#pragma once
// Carries out one assignment of the current button: a program, a device command, a key
// sequence, the button's own function, or a Shift/Ctrl latch toggle.

namespace kestrel {

// Runs slot `pressKind` (0 single, 1 double, 2 hold) of the binding that holds
// `currentId`. Nothing happens when no binding holds it.
void ExecuteAction(int pressKind);

}  // namespace kestrel
