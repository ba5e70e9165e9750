#include "agent/agent_window.h"

#include <cstdint>

#include "agent/agent_state.h"
#include "agent/button_table.h"
#include "agent/classifier.h"
#include "agent/hook_notice.h"
#include "agent/latches.h"
#include "agent/session_watch.h"
#include "agent/pause.h"
#include "agent/start_customizer.h"
#include "agent/while_held.h"
#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "platform/os_calls.h"
#include "platform/shell_dialog.h"

namespace kestrel {

NOTIFYICONDATAW trayIconData = {};

namespace {

// The taskbar broadcasts this when it starts, after a logon or when Explorer comes back.
UINT taskbarCreatedMessage = 0;
bool trayRetryPending = false;
// The taskbar took version 4 for the icon, and reports its mouse events in that form.
bool trayVersion4 = false;

// Each icon the taskbar adds starts at version 0 and is asked for version 4 again.
bool AddTrayIconOnce() {
    if (!platform::Os().Shell_NotifyIconW(NIM_ADD, &trayIconData)) {
        return false;
    }
    trayIconData.uVersion = NOTIFYICON_VERSION_4;
    trayVersion4 = platform::Os().Shell_NotifyIconW(NIM_SETVERSION, &trayIconData) != FALSE;
    return true;
}

// An add fails while there is no taskbar yet, and also when the icon is still there (a
// taskbar that only redrew sends its message too); the modify tells the two apart, so
// the retry timer never runs on for an icon that is shown.
void AddTrayIcon(HWND window) {
    if (AddTrayIconOnce() || platform::Os().Shell_NotifyIconW(NIM_MODIFY, &trayIconData)) {
        if (trayRetryPending) {
            platform::Os().KillTimer(window, TIMER_TRAY_RETRY);
            trayRetryPending = false;
        }
        return;
    }
    if (!trayRetryPending) {
        trayRetryPending = platform::Os().SetTimer(window, TIMER_TRAY_RETRY, kTrayRetryMs) != 0;
    }
}

// A program below the agent's integrity level may send it only what the taskbar sends
// when it comes back. Run as administrator, the agent must take no orders from programs
// with normal rights: any of them can write a command under the user's settings, and a
// reload or a restored button would have the agent run it as administrator. At the
// normal level the customizer reaches the agent as before, also from below.
void FilterMessages(HWND window) {
    platform::Os().ChangeWindowMessageFilterEx(window, taskbarCreatedMessage, MSGFLT_ALLOW,
                                               nullptr);
    if (platform::Os().OwnIntegrityLevel() > SECURITY_MANDATORY_MEDIUM_RID) {
        return;
    }
    for (UINT message : {MSG_RELOAD, MSG_RELEASE_TEMP, MSG_RESTORE_TEMP}) {
        platform::Os().ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
    }
}

void OnCreate(HWND window) {
    FilterMessages(window);
    trayIconData = {};
    // The desktop's record is larger than the handheld's; every field set is the same.
    trayIconData.cbSize = sizeof(trayIconData);
    trayIconData.hWnd = window;
    trayIconData.uID = kTrayIconId;
    trayIconData.uFlags = NIF_MESSAGE | NIF_ICON;
    trayIconData.uCallbackMessage = MSG_TRAY;
    // The taskbar shows small icons at the screen's resolution: the image of that size, or
    // the one nearest it scaled.
    trayIconData.hIcon = static_cast<HICON>(LoadImageW(agentInstance, MAKEINTRESOURCEW(IDI_AGENT),
                                                       IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                       GetSystemMetrics(SM_CYSMICON), 0));
    trayRetryPending = false;
    trayVersion4 = false;
    AddTrayIcon(window);
    WatchSession(window);
}

constexpr wchar_t kLatchesKeptAtExit[] =
    L"管理者として実行中のウィンドウが前面にあるため、ShiftとCtrlを戻せませんでした。\n"
    L"OKを押すと、もう一度戻してから終了します。";

// Latches first, so Shift and Ctrl are released while the hot keys still hold the
// buttons; then the keys go back to the system and the icon leaves the tray. A release
// the system refused would leave Shift or Ctrl down in every program after the agent is
// gone: the box takes the front from the window that refused it, and then it is tried again.
void OnDestroy(HWND window) {
    ReleaseEverythingHeld();
    StopWatchingSession(window);
    const bool released = ResetLatches();
    UnregisterAllHotKeys(window);
    if (!released) {
        platform::Os().MessageBoxW(nullptr, kLatchesKeptAtExit, kAgentWindowTitle,
                                   MB_OK | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST);
        ResetLatches();
    }
    if (trayRetryPending) {
        platform::Os().KillTimer(window, TIMER_TRAY_RETRY);
        trayRetryPending = false;
    }
    platform::Os().Shell_NotifyIconW(NIM_DELETE, &trayIconData);
    if (trayIconData.hIcon) {
        DestroyIcon(trayIconData.hIcon);
        trayIconData.hIcon = nullptr;
    }
    PostQuitMessage(0);
}

// The menu's lower right corner goes to the lower right corner of the work area of the
// agent's screen, whatever the position of the tap: on the handheld that is (240, 320).
POINT TrayMenuCorner(HWND window) {
    MONITORINFO screen = {};
    screen.cbSize = sizeof(screen);
    HMONITOR monitor = platform::Os().MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
    if (!monitor || !platform::Os().GetMonitorInfoW(monitor, &screen)) {
        return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return {screen.rcWork.right, screen.rcWork.bottom};
}

// A tap opens the menu at the corner; a desktop's right-click opens it where the pointer is,
// as every tray icon's does.
void ShowTrayMenu(HWND window, bool atPointer) {
    HMENU menu = LoadMenuW(agentInstance, MAKEINTRESOURCEW(IDR_TRAY_MENU));
    if (!menu) {
        return;
    }
    HMENU popup = GetSubMenu(menu, 0);
    // A popup of a window in the background would not close when the user taps elsewhere.
    platform::Os().SetForegroundWindow(window);
    if (popup) {
        CheckMenuItem(popup, IDM_PAUSE, MF_BYCOMMAND | (paused ? MF_CHECKED : MF_UNCHECKED));
        UINT flags = TPM_RIGHTALIGN | TPM_BOTTOMALIGN;
        POINT at = {};
        if (!atPointer || !GetCursorPos(&at)) {
            at = TrayMenuCorner(window);
        } else {
            flags |= TPM_RIGHTBUTTON;
        }
        platform::Os().TrackPopupMenuEx(popup, flags, at.x, at.y, window, nullptr);
        // A desktop shell switches away from the menu's window only after it has seen a
        // message; without one, the next tray click would not close a menu left open.
        platform::Os().PostMessageW(window, WM_NULL, 0, 0);
    }
    DestroyMenu(menu);
}

// At version 4 lParam holds the event and the icon's id, and wParam where it happened;
// at version 0 (a taskbar that refused version 4) wParam is the id and lParam the event.
void OnTray(HWND window, WPARAM wParam, LPARAM lParam) {
    const UINT_PTR iconId = trayVersion4 ? HIWORD(lParam) : wParam;
    const LPARAM mouseMessage = trayVersion4 ? LOWORD(lParam) : lParam;
    if (iconId != kTrayIconId) {
        return;
    }
    if (mouseMessage == WM_LBUTTONDOWN) {
        ShowTrayMenu(window, false);
    } else if (mouseMessage == WM_RBUTTONUP) {
        ShowTrayMenu(window, true);
    }
}

// The retry has a timer of its own; every other id stays the classifier's.
void OnTimer(HWND window, WPARAM timerId) {
    if (timerId == TIMER_TRAY_RETRY) {
        if (trayRetryPending) {
            AddTrayIcon(window);
        }
        return;
    }
    HandlePressTimer();
    SettlePress();
}

// The layer's held modifiers hear of every report before the classifier acts on it.
void OnHotKey(WPARAM wParam, LPARAM lParam) {
    NoteButtonReport(lParam);
    HandleHotKey(HotKeyIdOf(wParam), lParam, HotKeyProgramOf(wParam));
    SettlePress();
}

void ShowAboutBox(HWND window) {
    HRSRC found = FindResourceW(agentInstance, MAKEINTRESOURCEW(IDD_ABOUT), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(agentInstance, found) : nullptr;
    const auto* dialogTemplate =
        loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
    if (!dialogTemplate) {
        return;
    }
    DialogBoxIndirectParamW(agentInstance, dialogTemplate, window, AboutDlgProc, 0);
}

LRESULT OnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
        case IDM_SETTINGS:
            StartCustomizer();
            return 0;
        case IDM_EXIT:
            SendMessageW(window, WM_CLOSE, 0, 0);
            return 0;
        case IDM_ABOUT:
            ShowAboutBox(window);
            return 0;
        case IDM_PAUSE:
            TogglePause();
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool RegisterAgentClass(HINSTANCE instance) {
    WNDCLASSW agentClass = {};
    agentClass.style = CS_HREDRAW | CS_VREDRAW;
    agentClass.lpfnWndProc = AgentWndProc;
    agentClass.hInstance = instance;
    agentClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_AGENT));
    agentClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    agentClass.lpszClassName = kAgentClassName;
    return RegisterClassW(&agentClass) != 0;
}

}  // namespace

bool InitInstance(HINSTANCE instance) {
    agentInstance = instance;
    if (platform::Os().FindWindowW(kAgentClassName, kAgentWindowTitle)) {
        StartCustomizer();
        return false;
    }
    RegisterAgentClass(instance);
    taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
    HWND window = CreateWindowExW(0, kAgentClassName, kAgentWindowTitle, 0, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, nullptr);
    if (!window) {
        return false;
    }
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    agentWindow = window;
    LoadButtons(agentWindow);
    ResetLatches();
    return true;
}

LRESULT CALLBACK AgentWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate(window);
            return 0;
        case WM_DESTROY:
            OnDestroy(window);
            return 0;
        case WM_KEYDOWN:
            return 0;
        case WM_COMMAND:
            return OnCommand(window, message, wParam, lParam);
        case WM_TIMER:
            OnTimer(window, wParam);
            return 0;
        case WM_HOTKEY:
            OnHotKey(wParam, lParam);
            return 0;
        case MSG_TRAY:
            OnTray(window, wParam, lParam);
            return 0;
        case WM_WTSSESSION_CHANGE:
            HandleSessionChange(wParam);
            return 0;
        case MSG_RELOAD:
            HandleReload();
            return 0;
        case MSG_RELEASE_TEMP:
            HandleReleaseTemp(wParam);
            return 0;
        case MSG_RESTORE_TEMP:
            HandleRestoreTemp(wParam);
            return 0;
        case MSG_HOOK_NOTICE:
            HandleHookNotice(wParam);
            return 0;
        default:
            if (message == taskbarCreatedMessage && message != 0) {
                AddTrayIcon(window);
                return 0;
            }
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            SHINITDLGINFO info = {};
            info.dwMask = SHIDIM_FLAGS;
            info.hDlg = dialog;
            info.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;
            SHInitDialog(&info);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace kestrel
