#include "agent/agent_window.h"

#include <cstdint>

#include "agent/agent_state.h"
#include "agent/button_table.h"
#include "agent/classifier.h"
#include "agent/latches.h"
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

// An add fails while there is no taskbar yet, and also when the icon is still there (a
// taskbar that only redrew sends its message too); the modify tells the two apart, so
// the retry timer never runs on for an icon that is shown.
void AddTrayIcon(HWND window) {
    if (platform::Os().Shell_NotifyIconW(NIM_ADD, &trayIconData) ||
        platform::Os().Shell_NotifyIconW(NIM_MODIFY, &trayIconData)) {
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

// A customizer started at a lower integrity level than the agent may still reach it with
// these, and with nothing else.
void AllowCustomizerMessages(HWND window) {
    for (UINT message : {MSG_RELOAD, MSG_RELEASE_TEMP, MSG_RESTORE_TEMP}) {
        platform::Os().ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
    }
}

void OnCreate(HWND window) {
    AllowCustomizerMessages(window);
    WatchSessionChanges(window);
    trayIconData = {};
    // The desktop's record is larger than the handheld's; every field set is the same.
    trayIconData.cbSize = sizeof(trayIconData);
    trayIconData.hWnd = window;
    trayIconData.uID = kTrayIconId;
    trayIconData.uFlags = NIF_MESSAGE | NIF_ICON;
    trayIconData.uCallbackMessage = MSG_TRAY;
    trayIconData.hIcon = static_cast<HICON>(
        LoadImageW(agentInstance, MAKEINTRESOURCEW(IDI_AGENT), IMAGE_ICON, 16, 16, 0));
    trayRetryPending = false;
    AddTrayIcon(window);
}

// Latches first, so Shift and Ctrl are released while the hot keys still hold the
// buttons; then the keys go back to the system and the icon leaves the tray.
void OnDestroy(HWND window) {
    ReleaseEverythingHeld();
    StopWatchingSessionChanges(window);
    ResetLatches();
    UnregisterAllHotKeys(window);
    if (trayRetryPending) {
        platform::Os().KillTimer(window, TIMER_TRAY_RETRY);
        trayRetryPending = false;
    }
    platform::Os().Shell_NotifyIconW(NIM_DELETE, &trayIconData);
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

// The icon is added without a version, so the mouse message itself comes in lParam.
void OnTray(HWND window, WPARAM iconId, LPARAM mouseMessage) {
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
void OnHotKey(WPARAM id, LPARAM lParam) {
    NoteButtonReport(lParam);
    HandleHotKey(static_cast<int32_t>(id), lParam);
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
        case WM_WTSSESSION_CHANGE:
            HandleSessionChange(wParam);
            return 0;
        case MSG_TRAY:
            OnTray(window, wParam, lParam);
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
