#pragma once
// The contract between the agent and the customizer: where the settings live, what the
// values are called, what they default to, and the messages and ids both sides use.
// Declared once here; every other file takes them from this header.
#include <windows.h>

#include "common/resource_ids.h"

namespace kestrel {

// Settings subtree under HKEY_CURRENT_USER; one direct subkey per hardware button.
inline constexpr wchar_t kProductKeyPath[] = L"Software\\VelmoraLab\\Kestrel";
// How the agent addresses a button's subkey: the product path, a backslash, the name.
inline constexpr wchar_t kButtonKeyFormat[] = L"%s\\%s";

// Per-program assignments: a subkey of the product key holding one subkey per program,
// named after the program's file name as the system reports it for the process
// ("notepad.exe"), compared without regard to case. A program's subkey may hold "Off",
// "Name" (what the customizer shows; the agent ignores it) and button subkeys named and
// filled exactly as the global ones. The agent never takes this subkey for a button.
inline constexpr wchar_t kAppsKeyName[] = L"Apps";
inline constexpr wchar_t kAppsKeyPath[] = L"Software\\VelmoraLab\\Kestrel\\Apps";
// DWORD 1: while this program is in front, every key and mouse button passes untouched.
inline constexpr wchar_t kValueOff[] = L"Off";
// The longest name a registry key may have, and so the longest program file name kept.
inline constexpr int kMaxAppNameChars = 255;
// Readers stop after this many programs, and after this many button subkeys of one
// program, so that a flooded subtree costs bounded time and memory.
inline constexpr int kMaxApps = 1000;
inline constexpr int kMaxAppButtons = 64;

// Values of the product key.
inline constexpr wchar_t kValueDoubleTime[] = L"DoubleTime";
inline constexpr wchar_t kValueHoldTime[] = L"HoldTime";
inline constexpr DWORD kDefaultDoubleTime = 150;
inline constexpr DWORD kDefaultHoldTime = 500;

// Values of a button subkey; the slot values carry the press kind in place of %d.
inline constexpr wchar_t kValueName[] = L"Name";
inline constexpr wchar_t kValueEnabled[] = L"Enabled";
inline constexpr wchar_t kValueSlotEnabledFormat[] = L"Enabled_%d";
inline constexpr wchar_t kValueSlotModeFormat[] = L"Mode_%d";
inline constexpr wchar_t kValueSlotCmdFormat[] = L"Cmd_%d";

// Strings always travel as blocks of this many wide characters (520 bytes).
inline constexpr int kStringChars = 260;
inline constexpr DWORD kStringBytes = kStringChars * sizeof(wchar_t);

// The platform's own hardware-button list under HKEY_LOCAL_MACHINE.
inline constexpr wchar_t kPlatformButtonsPath[] = L"SOFTWARE\\Microsoft\\Shell\\Keys";
inline constexpr wchar_t kValueIcon[] = L"Icon";

// A key the user added in the customizer lives beside the platform's buttons as a button
// subkey of its own, named "40" and the key code in two hex digits, holding "Name" and
// "Icon" as the platform's list does and this mark (DWORD 1). The agent takes it as any
// other button; the customizer lists it after the platform's buttons and deletes the
// whole subkey when the user removes the key again.
inline constexpr wchar_t kValueUserButton[] = L"UserButton";
inline constexpr wchar_t kUserButtonKeyFormat[] = L"40%02X";

// Index of an action slot.
enum PressKind : int {
    kPressSingle = 0,
    kPressDouble = 1,
    kPressHold = 2,
};
inline constexpr int kSlotCount = 3;

// Code of an assignment, stored as "Mode_%d".
enum ActionType : int {
    kActionProgram = 0,
    kActionDeviceCommand = 1,
    kActionKeySequence = 2,  // its command's form: common/key_sequence.h
    kActionStandardButton = 3,
    kActionLatch = 4,
    // Holds modifiers down for as long as the button is down. Meant for the hold slot, where
    // a quick tap still runs the single (and double) slot, and for the single slot of a
    // button whose double and hold are off; in the double slot it acts as in the single.
    // Its command names the modifiers with the letters below, in any order; every other
    // character is ignored, and a command without one does nothing.
    kActionWhileHeld = 5,
};
inline constexpr wchar_t kWhileHeldShift = L'S';
inline constexpr wchar_t kWhileHeldControl = L'C';
inline constexpr wchar_t kWhileHeldAlt = L'A';
inline constexpr wchar_t kWhileHeldWin = L'W';

// Command strings of the built-in device commands (type 1).
inline constexpr int kDeviceCommandToday = 0;
inline constexpr int kDeviceCommandStartKey = 1;
inline constexpr int kDeviceCommandInputPanel = 2;
// Pauses the agent or resumes it; the button that carries it keeps working while paused.
inline constexpr int kDeviceCommandPause = 3;
inline constexpr wchar_t kDeviceCommandPauseText[] = L"3";

// The agent window: found by both programs through exactly this class and title.
inline constexpr wchar_t kAgentClassName[] = L"Kestrel";
inline constexpr wchar_t kAgentWindowTitle[] = L"Kestrel";
inline constexpr wchar_t kCustomizerFileName[] = L"KestrelConfig.exe";

// Private messages of the agent window.
inline constexpr UINT MSG_RELOAD = 45000;
inline constexpr UINT MSG_RELEASE_TEMP = 45001;
inline constexpr UINT MSG_RESTORE_TEMP = 45002;
inline constexpr UINT MSG_TRAY = WM_APP + 100;  // 32868
inline constexpr UINT kTrayIconId = 1;

// The classifier's one window timer.
inline constexpr UINT_PTR TIMER_PRESS = 1025;
// The agent shell's timer that adds the tray icon again until the taskbar takes it.
inline constexpr UINT_PTR TIMER_TRAY_RETRY = 1026;
inline constexpr UINT kTrayRetryMs = 2000;

// Hot keys: every enabled button owns a base id and its Shift and Ctrl variants.
inline constexpr UINT kModKeyUp = 0x1000;           // MOD_KEYUP: report the release too
inline constexpr UINT kHotKeyModsPlain = 0x1008;    // MOD_WIN | MOD_KEYUP
inline constexpr UINT kHotKeyModsShift = 0x100C;    // MOD_WIN | MOD_SHIFT | MOD_KEYUP
inline constexpr UINT kHotKeyModsControl = 0x100A;  // MOD_WIN | MOD_CONTROL | MOD_KEYUP
inline constexpr int kShiftIdOffset = 16;
inline constexpr int kControlIdOffset = 32;
inline constexpr int kMaxHotKeyButtons = 16;

// Extra information carried by synthesized key events.
inline constexpr ULONG_PTR kExtraInfoOwnKey = 1;
inline constexpr ULONG_PTR kExtraInfoPassThrough = 0;

}  // namespace kestrel
