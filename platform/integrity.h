#pragma once
// Integrity levels, which decide whose input and messages the system lets through: a
// program may not inject keys into, nor send most messages to, one above its own level.
#include <windows.h>

namespace platform {

// This process's level (SECURITY_MANDATORY_*_RID); medium when the system cannot say.
DWORD CurrentIntegrityLevel();

// Whether the window in front belongs to a process above `level`. A process the system
// will not even let us look at counts as above: our events would not reach it either.
bool ForegroundAboveLevel(DWORD level);

}  // namespace platform
