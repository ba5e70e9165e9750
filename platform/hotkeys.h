#pragma once
// System hot keys that also report their release. The handheld's RegisterHotKey accepts
// MOD_KEYUP and then posts WM_HOTKEY for the key-down and, with MOD_KEYUP set in lParam,
// for the key-up; desktop Win32 knows no such flag. This layer stands in for it.
//
// The system's own RegisterHotKey still reserves each combination, so another program is
// refused a taken one and gets it once it is freed. The reservation belongs to the hook
// thread's window: where the hook does not see a key (an elevated window has the focus, or
// the hook is gone for a moment) the system reports it there, key-downs only and repeated
// while held, and the layer makes the first of them one whole short press. A desktop key
// is reserved as it is taken, alone: where another program holds that, the registration
// fails; where the system refuses it for another reason, the key still works.
// The reports come from a low-level
// keyboard hook that lives on a thread of its own, which does nothing but answer the hook
// and keep its watch (below). Windows waits for such a hook at every keystroke of every
// program and drops a hook that keeps it waiting too long; a registering thread that is
// busy starting a program therefore never holds up typing nor loses the hook. The hook
// posts WM_HOTKEY to the registering window for a registered key whose modifiers match,
// and swallows that key's down and up events; every other event passes untouched.
//
// Nothing the hook remembers can go stale. The modifiers are read from the system's own
// key state at each key-down that could match, so a release that happened where the hook
// could not see it (the secure desktop) does no harm. A button whose release was missed is
// recognised by the time of its next key-down (hotkey_matcher.cpp); its release is
// reported first, then the new press. The hook thread also notices a hook that the system
// removed, by input that the hooks never saw and a probe key of its own that goes missing,
// and installs it again. Key events injected from a lower integrity level are no presses.
//
// Desktop keys (every key outside a handheld's codes 0xC1-0xDA) arrive without Win: a
// registration with MOD_WIN accepts them with Win held or not, Shift and Ctrl still choose
// the id, and the report carries the modifiers as registered. Every other key needs its
// modifiers exactly. A button swallowed while Win is held would leave Windows a lone Win
// tap, which opens the Start menu; the hook that swallows the button's key-down therefore
// taps kMaskKey before it returns, so the tap is in ahead of Win's release.
//
// The mouse's middle, back and forward buttons (VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2) are
// registered as keys are, and reported and swallowed alike by a low-level mouse hook on the
// same thread; the system's hot keys know no mouse buttons, so nothing is reserved for them.
// The left and right buttons always pass and cannot be registered. The mouse hook is in
// place only while a mouse button is registered (the system waits for it at every move of
// the mouse), and a mouse button's registration fails when it cannot be installed. The
// watch looks after it as after the keyboard's, with a probe of its own (a move by nothing).
//
// A registering window may hand the layer rules (platform/press_rules.h): then a press is
// taken or passes by the program it belongs to and by the pause. A key belongs to the
// program of the foreground window at its key-down, a mouse button to the program of the
// top-level window under the pointer at its button-down, and the choice holds for the whole
// press: its repeats, its release, and a second press that follows within the double-press
// time. The program is looked up only at a button's down, and only when the window is
// another than last time; the foreground window's is kept up to date by the system's
// foreground events on the hook thread.
//
// Register and unregister from one thread at a time (the agent has one).
#include <windows.h>

#include "platform/hotkey_matcher.h"
#include "platform/press_rules.h"

namespace platform {

// The tap that hides a swallowed button from Win: a virtual key that no keyboard layout
// assigns and no button uses (0xE8 is unassigned, unlike 0xFF which some keyboards send
// for keys without a code), with an extra-information value of its own so that nothing
// takes it for the user's key.
constexpr BYTE kMaskKey = 0xE8;
constexpr ULONG_PTR kMaskExtraInfo = 0x4D41534B;
// The same key with another mark asks whether the hook is still called; the hook takes it.
constexpr ULONG_PTR kProbeExtraInfo = 0x50524F42;

// Registers `vk` with `modifiers` (MOD_WIN, MOD_SHIFT, MOD_CONTROL, MOD_ALT, MOD_KEYUP)
// as hot key `id` of `window`. Fails when another registration holds the combination.
// WM_HOTKEY carries the id in wParam and MAKELPARAM(modifiers, vk) in lParam; the
// release of a MOD_KEYUP registration carries MOD_KEYUP in the modifiers as well.
BOOL RegisterKeyUpHotKey(HWND window, int id, UINT modifiers, UINT vk);

// Releases hot key `id` of `window` at once: a release of its key that comes afterwards
// passes through, except a mouse button's whose press the layer took (a program would take
// a lone release of the back button for a step back). Fails when no such registration
// exists.
BOOL UnregisterKeyUpHotKey(HWND window, int id);

// Number of registrations this process holds. The hooks and their thread go with the last
// one, unless a mouse button whose press was swallowed is still held: then they stay until
// its release (at most a few seconds), and a program that ends meanwhile waits for it too.
// They also stay while the mouse hook is retried for the notice window (below).
int KeyUpHotKeyCount();

// Puts the mouse hook in place or takes it away after the held modifier buttons changed.
void RefreshMouseHook();

// What the layer posts to the notice window as wParam: the mouse hook could not be
// installed, or was lost and could not be put back, so the mouse buttons reach programs and
// registering one fails; and, once after that, it works again, so mouse buttons can be
// registered again (those refused meanwhile are not taken by themselves; those registered
// before the loss are). The layer tries again every second while there is a notice window
// or a mouse button still registered.
constexpr WPARAM kMouseHookMissing = 0;
constexpr WPARAM kMouseHookWorks = 1;
// Sets the window that is told, and the message; nullptr tells no one.
void SetHookNotice(HWND window, UINT message);

// keybd_event for the process's own keystrokes: the event passes the layer's hook once,
// untouched, and the system's own hot keys step aside for it, whatever it matches, when it
// arrives within a few hundred milliseconds. So a button's replayed press reaches the
// system and never comes back as a new one, and the caller never waits for it. No other
// program's event passes in its place (MarkOwnEvent).
void SendKeyEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo);

// The ticket behind SendKeyEvent, for a caller that sends several events in one SendInput:
// makes `input` (a key event, or a click as SendMouseButtonEvent makes one) one of the
// process's own by the time stamp it gives it; call it for each event just before
// SendInput, and ForgetOwnEvent for each one that did not go in.
void MarkOwnEvent(INPUT* input);
void ForgetOwnEvent(INPUT input);

// The same for a click of a mouse button that can be a button (`vk` as above), at the
// cursor where it is: it passes the layer's mouse hook once.
void SendMouseButtonEvent(UINT vk, bool up, ULONG_PTR extraInfo);

// One key event of a group that SendKeyEvents sends; scan code 0.
struct KeyStroke {
    BYTE vk;
    DWORD flags;  // KEYEVENTF_KEYUP, KEYEVENTF_EXTENDEDKEY
    ULONG_PTR extraInfo;
};

// SendKeyEvent for a group of events, sent with one SendInput so that nothing the user
// types falls between them. Returns how many went in; the system refuses events (and may
// still answer as if it took them) while a window of a higher integrity level is in front.
UINT SendKeyEvents(const KeyStroke* strokes, UINT count);

// Hands the layer the rules for `window`'s presses; rules that are not Active() take them
// back. A press under way keeps the choice made at its first down.
void SetPressRules(HWND window, const PressRules& rules);

// A report of a press that the rules gave to a program carries the program's number (1 for
// the rules' first program) in bits 16 to 31 of WM_HOTKEY's wParam, above an id of 0 to
// 0xFFFF. A press with the global assignments, and every press without rules, is reported
// with the id alone, as it always was.
constexpr int kReportProgramShift = 16;
WPARAM ReportWParam(const HotKeyReport& report);
inline int ReportedProgram(WPARAM wParam) {
    return static_cast<int>((wParam >> kReportProgramShift) & 0xFFFF);
}
inline int ReportedId(WPARAM wParam) {
    return static_cast<int>(wParam & 0xFFFF);
}

// For tests only.
namespace test_access {
// The system removes a hook (WH_KEYBOARD_LL or WH_MOUSE_LL) without a word, as Windows
// does with a hook that timed out.
void DropHookSilently(int hookType = WH_KEYBOARD_LL);
// How SendKeyEvent injects its event and how many went in (SendInput unless replaced;
// nullptr restores it).
using Injector = UINT (*)(const INPUT& input);
void SetInjector(Injector injector);
// Returns once the hook thread has done what the hook left it (a reservation to take
// back), answering this thread's own hooks meanwhile.
void WaitForHookThread();
// Calls the keyboard hook's procedure as the system would, to time its own work.
LRESULT CallKeyboardHook(KBDLLHOOKSTRUCT* event);
// The system refuses the mouse hook, as when installing it fails, until told otherwise.
void RefuseMouseHook(bool refuse);
// Whether the layer's mouse hook is in place now.
bool MouseHookInstalled();
// The hook thread's priority; THREAD_PRIORITY_ERROR_RETURN without a thread.
int HookThreadPriority();
// Ends the layer as the end of the program does.
void EndAsTheProgramEnds();

// Does what the system's foreground event for `window` makes the layer do.
void CallForegroundEvent(HWND window);
}  // namespace test_access

}  // namespace platform
