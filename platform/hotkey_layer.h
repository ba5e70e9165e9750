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
constexpr UINT kMsgMouseHook = WM_APP + 8;  // wParam 1: a mouse button is about to come
constexpr UINT kMsgMouseSettled = WM_APP + 9;
constexpr UINT kMsgEndCheck = WM_APP + 10;
constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT_PTR kMouseRetryTimer = 2;
constexpr UINT_PTR kEndTimer = 3;
extern HANDLE hookThreadAnswered;
// Starts the hook thread, or keeps the one that was about to end.
bool StartHookThread();
// Ends it now, hooks first.
void StopHookThread();
// What the answer to kMsgMouseHook was: whether the mouse hook is in place as needed.
extern bool mouseHookReady;

// The end of the hook thread (hotkey_thread_end.cpp). The thread outlives the last
// registration while a swallowed mouse button is still held (for a while) and while it
// retries a mouse hook for a window that wants to hear about it. The flags are guarded
// by dataLock; the thread ends itself and the registering thread collects it.
extern bool endWhenSettled;
extern bool endingProgram;
extern bool threadEnded;
extern bool mouseRetrying;
constexpr DWORD kOwedReleaseWaitMs = 5000;
// Registering thread, once no registration is left.
void LetHookThreadEnd();
// The program ends: waits, within the bound, for a held button's release.
void EndHookThreadAtExit();
// Hook thread.
void StartEndWait();
void CheckEnd();
void OnEndTimer();
// Has the hook thread carry out `message` and waits for it.
void AskHookThread(UINT message, WPARAM wParam = 0);

// What the registering thread asks the hook thread to reserve or release, one at a time.
struct Request {
    int reservation;
    UINT modifiers;
    UINT vk;
    BOOL result;
    DWORD error;  // why the system refused, where it did
};
extern Request request;

// The hooks (hotkey_keyboard_hook.cpp, hotkey_mouse_hook.cpp), installed and watched by the
// hook thread only.
extern HHOOK keyboardHook;
extern HHOOK mouseHook;
LRESULT CALLBACK KeyboardHook(int code, WPARAM message, LPARAM lParam);
LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM lParam);
// The mouse hook is in place exactly while a mouse button needs it (hook thread). Whether
// it is, or is not needed; `forNewButton` counts one about to be registered.
bool UpdateMouseHook(bool forNewButton);
// A held modifier button wants the mouse hook too: a click or wheel turn decides its hold.
bool HeldButtonsSet();
bool InstallMouseHook();
// It could not be installed or put back: tell the notice window once, retry on a timer.
void MouseHookMissing();
void OnMouseRetryTimer();
// The notice window reads a fresh outage as news again (hook thread).
extern bool mouseMissingNoticed;
// Where notices go (dataLock).
extern HWND noticeWindow;
extern UINT noticeMessage;
// The matcher's decision on one event, with the system's state it needs; `pointer` is where
// a mouse button's event happened, none for a key.
KeyDecision Decide(const KeyEvent& event, const POINT* pointer = nullptr);
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
// Registering thread: which modifiers the system's hot key is asked for.
UINT ReservedModifiers(UINT modifiers, UINT vk);

// Which program a press belongs to (press_program.cpp): the foreground window's for a key,
// the one's under `pointer` for a mouse button. Hook thread, and the foreground events'
// hook installed and removed there with the input hooks.
std::wstring PressProgram(const POINT* pointer);
void WatchForeground();
void StopWatchingForeground();

// Injection and the Start-menu mask (hotkey_injection.cpp).
void InjectMask();
// The mask key down and up with `extraInfo`, ready for SendInput.
void MaskKeyTap(ULONG_PTR extraInfo, INPUT (&tap)[2]);
// One keyboard event of the layer's own, ready for SendInput.
INPUT KeyInput(BYTE vk, WORD scan, DWORD flags, ULONG_PTR extraInfo);

// Buttons that are modifiers while held (hotkey_held.cpp), hook thread only unless said.
constexpr UINT kMsgHeld = WM_APP + 20;
constexpr UINT_PTR kHeldTimerId = 4;
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
