#pragma once
// What the rooms of the hot-key layer share among themselves, and nothing outside the layer
// uses. Each room owns its own data; what another room must reach is named here.
//
// The layer's data lives on the heap and is never destroyed: at exit a hook thread that
// takes longer to end than the wait for it must never meet freed data.
#include <windows.h>

#include <atomic>
#include <mutex>

#include "platform/held_modifier.h"
#include "platform/hotkey_matcher.h"
#include "platform/hotkeys.h"

namespace platform {
namespace layer {

// The lock guards the matcher only. No system call is made while it is held, so neither
// side can ever wait for the other through it.
extern std::mutex& dataLock;
extern HotKeyMatcher& matcher;

// The hook thread (hotkey_thread.cpp). The handles are written only by the registering
// thread; threadWindow is the hook thread's own view of hookWindow.
extern HANDLE hookThread;
extern HWND hookWindow;
extern HWND threadWindow;
constexpr UINT kMsgCheckHook = WM_APP + 1;
constexpr UINT kMsgDropHook = WM_APP + 2;
constexpr UINT kMsgReserve = WM_APP + 3;
constexpr UINT kMsgRelease = WM_APP + 4;
constexpr UINT kMsgBack = WM_APP + 6;
constexpr UINT kMsgNothing = WM_APP + 7;
extern HANDLE hookThreadAnswered;
bool StartHookThread();
void StopHookThread();
// Has the hook thread carry out `message` and waits for it.
void AskHookThread(UINT message, WPARAM wParam = 0);

// What the registering thread asks the hook thread to reserve or release, one at a time.
struct Request {
    int reservation;
    UINT modifiers;
    UINT vk;
    BOOL result;
};
extern Request request;

// The hooks (hotkey_keyboard_hook.cpp, hotkey_mouse_hook.cpp), installed and watched by the
// hook thread only.
extern HHOOK keyboardHook;
extern HHOOK mouseHook;
LRESULT CALLBACK KeyboardHook(int code, WPARAM message, LPARAM lParam);
LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM lParam);
// The matcher's decision on one event, with the system's state it needs.
KeyDecision Decide(const KeyEvent& event);
// Does what a decision asks of the hook thread and says whether the event is swallowed.
bool Carry(const KeyDecision& decision);
void PostReports(const KeyDecision& decision);

// The watch that puts hooks back (hotkey_watch.cpp). A hook's probe came through; the
// watch waits for one at a time. Written by the hooks, read by the watch on the same
// thread; lastSeenAt is atomic for the tests' reads.
extern bool keyProbeSeen;
extern bool mouseProbeSeen;
extern std::atomic<DWORD> lastSeenAt;
constexpr UINT kWatchPeriodMs = 500;
bool Install(HHOOK* hook, int type, HOOKPROC procedure);
void WatchHook();
void OnWatchTimer();

// The system's own hot keys (hotkey_reservations.cpp), hook thread only unless said.
void SetReservationsAside(UINT vk);
void TakeReservationsBack(UINT vk);
void OnSystemHotKey(int reservation);
void Reserve(Request* asked);
void Release(int reservation);
void ReleaseAllReservations(HWND window);
// Registering thread: which modifiers the system's hot key is asked for, and whether a
// refusal of it stands.
UINT ReservedModifiers(UINT modifiers, UINT vk);
bool TakenAlone(UINT modifiers, UINT vk);

// Injection and the Start-menu mask (hotkey_injection.cpp).
void InjectMask();
// The mask key down and up with `extraInfo`, ready for SendInput.
void MaskKeyTap(ULONG_PTR extraInfo, INPUT (&tap)[2]);

// Buttons that are modifiers while held (hotkey_held.cpp), hook thread only unless said.
constexpr UINT kMsgHeld = WM_APP + 20;
constexpr UINT_PTR kHeldTimerId = 2;
// The decider's word on an event the matcher has decided; it may take the decision's reports.
HeldOutcome DecideHeldKey(const KBDLLHOOKSTRUCT& event, KeyDecision* decision);
HeldOutcome DecideHeldMouse(WPARAM message, const MSLLHOOKSTRUCT& event, DWORD vk, bool up,
                            KeyDecision* decision);
void CarryHeld(const HeldOutcome& outcome);
void OnHeldTimer();
void OnHeldRequest(WPARAM asked);
// Nothing of ours stays down: a hook put back may have missed a release.
void ReleaseHeld();
// Any thread.
void SetHeldRepeatWindow(DWORD ms);

}  // namespace layer
}  // namespace platform
