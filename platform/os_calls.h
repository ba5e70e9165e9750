#pragma once
// The narrow seam between Kestrel and the operating system. Every call whose effect a
// test wants to see (timers, hot keys, keystrokes, program starts, the input panel,
// message boxes) goes through Os(). The default object makes the real call; a test
// installs an object of its own with SetOs() and records what would have happened.
#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/hotkey_held.h"
#include "platform/hotkeys.h"
#include "platform/open_programs.h"
#include "platform/press_rules.h"
#include "platform/sip.h"

namespace platform {

// One item of the shell's applications folder (the Start menu's list of all apps): its
// name as the shell shows it and its parsing name within that folder, which is the app's
// user model id for an app of a package.
struct ShellApp {
    std::wstring name;
    std::wstring parsingName;
};

class OsCalls {
  public:
    virtual ~OsCalls() = default;

    virtual BOOL RegisterHotKey(HWND window, int id, UINT modifiers, UINT vk);
    virtual BOOL UnregisterHotKey(HWND window, int id);
    // Which of `window`'s presses the hot keys take, by program and pause.
    virtual void SetPressRules(HWND window, const PressRules& rules);
    virtual UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse);
    virtual BOOL KillTimer(HWND window, UINT_PTR id);
    virtual void keybd_event(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo);
    // A click of the middle, back or forward mouse button (`vk`), down or up.
    virtual void SendMouseButton(UINT vk, bool up, ULONG_PTR extraInfo);
    virtual BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info);
    virtual BOOL SipGetInfo(SIPINFO* info);
    virtual BOOL SipShowIM(DWORD flags);
    virtual HWND FindWindowW(LPCWSTR className, LPCWSTR title);
    virtual BOOL SetForegroundWindow(HWND window);
    virtual int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
    virtual DWORD GetModuleFileNameW(HMODULE module, LPWSTR path, DWORD size);
    virtual void OutputDebugStringW(LPCWSTR text);
    virtual BOOL Shell_NotifyIconW(DWORD message, NOTIFYICONDATAW* data);
    virtual LONG RegOpenKeyExW(HKEY root, LPCWSTR path, DWORD options, REGSAM access, HKEY* key);
    virtual INT_PTR PropertySheetW(PROPSHEETHEADERW* header);

    // The screen a window is on, which places the tray menu and the about box.
    virtual HMONITOR MonitorFromWindow(HWND window, DWORD flags);
    virtual BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info);
    virtual BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND window,
                                  TPMPARAMS* params);
    virtual BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // What a desktop has in place of the handheld's input panel and Today screen: the
    // system's on-screen keyboard, found as a program file, and the shell's own way of
    // showing the desktop (what Win+D does).
    virtual UINT GetSystemDirectoryW(LPWSTR path, UINT size);
    virtual DWORD GetFileAttributesW(LPCWSTR path);
    virtual HRESULT ToggleDesktop();

    // Every item of the shell's applications folder; none where the shell has no such
    // folder.
    virtual std::vector<ShellApp> ListShellApps();
    // The programs with a window open now (platform/open_programs.h).
    virtual std::vector<OpenProgram> ListOpenPrograms();
    // Lets one message reach a window from programs at a lower integrity level.
    virtual BOOL ChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action,
                                             PCHANGEFILTERSTRUCT status);

    // A group of the process's own key events, sent in one go through the hot-key layer;
    // how many went in.
    virtual UINT SendKeyEvents(const std::vector<KeyStroke>& strokes);
    // The system's state of a key at this moment.
    virtual SHORT GetAsyncKeyState(int vk);
    // Whether the window in front belongs to a program above this one's integrity level:
    // the system keeps this program's injected events from it.
    virtual bool ForegroundIsElevated();
    // This program's integrity level (SECURITY_MANDATORY_*_RID).
    virtual DWORD OwnIntegrityLevel();
    // Notifications of this session's lock and switches (WM_WTSSESSION_CHANGE).
    virtual BOOL WTSRegisterSessionNotification(HWND window, DWORD flags);
    virtual BOOL WTSUnRegisterSessionNotification(HWND window);
    // Buttons that are modifiers while held (platform/hotkey_held.h): the whole set at once.
    virtual void SetHeldModifierButtons(const std::vector<HeldButton>& buttons, DWORD holdTimeMs,
                                        ULONG_PTR ownExtraInfo);
    virtual void HoldModifiers(UINT modifiers);
    virtual void LetGoOfModifiers();
    virtual void TapActionDone();
    virtual void ReleaseEverythingHeld();
};

// The object that receives the calls now.
OsCalls& Os();

// Installs `calls` as the receiver; nullptr puts the real calls back.
void SetOs(OsCalls* calls);

}  // namespace platform
