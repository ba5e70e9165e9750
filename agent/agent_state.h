#pragma once
// Agent-wide values set by the shell and read by the other agent modules.
#include <windows.h>

namespace kestrel {

// The program's instance, stored first thing at start-up.
extern HINSTANCE agentInstance;
// The hidden agent window; null until it exists.
extern HWND agentWindow;

// The classifier's two times in milliseconds, overwritten by every settings load that
// finds them: the double-press interval and the hold time.
extern DWORD doubleTime;
extern DWORD holdTime;

}  // namespace kestrel
