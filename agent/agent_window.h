#pragma once
// The agent's frame: its hidden window, whose class and title tell other programs that
// the agent runs, the tray icon with its menu, and the about box.
#include <windows.h>
#include <shellapi.h>

namespace kestrel {

// The tray icon as added when the window was created; removed again with it.
extern NOTIFYICONDATAW trayIconData;

// Start-up up to the message loop. False when another agent runs (the customizer has
// then been started) or the window cannot be made.
bool InitInstance(HINSTANCE instance);

LRESULT CALLBACK AgentWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace kestrel
