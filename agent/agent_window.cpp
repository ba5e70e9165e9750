#include "agent/agent_window.h"

#include <cstdint>

#include "agent/agent_state.h"
#include "agent/button_table.h"
#include "agent/classifier.h"
#include "agent/latches.h"
#include "agent/start_customizer.h"
#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "platform/os_calls.h"
#include "platform/shell_dialog.h"

namespace kestrel {

NOTIFYICONDATAW trayIconData = {};

namespace {

void OnCreate(HWND window) {
    trayIconData = {};
    // The desktop's record is larger than the handheld's; every field set is the same.
    trayIconData.cbSize = sizeof(trayIconData);
    trayIconData.hWnd = window;
    trayIconData.uID = kTrayIconId;
    trayIconData.uFlags = NIF_MESSAGE | NIF_ICON;
    trayIconData.uCallbackMessage = MSG_TRAY;
    trayIconData.hIcon = static_cast<HICON>(
        LoadImageW(agentInstance, MAKEINTRESOURCEW(IDI_AGENT), IMAGE_ICON, 16, 16, 0));
    platform::Os().Shell_NotifyIconW(NIM_ADD, &trayIconData);
}

// Latches first, so Shift and Ctrl are released while the hot keys still hold the
// buttons; then the keys go back to the system and the icon leaves the tray.
void OnDestroy(HWND window) {
    ResetLatches();
    UnregisterAllHotKeys(window);
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

void ShowTrayMenu(HWND window) {
    HMENU menu = LoadMenuW(agentInstance, MAKEINTRESOURCEW(IDR_TRAY_MENU));
    if (!menu) {
        return;
    }
    HMENU popup = GetSubMenu(menu, 0);
    // A popup of a window in the background would not close when the user taps elsewhere.
    platform::Os().SetForegroundWindow(window);
    if (popup) {
        const POINT corner = TrayMenuCorner(window);
        platform::Os().TrackPopupMenuEx(popup, TPM_RIGHTALIGN | TPM_BOTTOMALIGN, corner.x, corner.y,
                                        window, nullptr);
        // A desktop shell switches away from the menu's window only after it has seen a
        // message; without one, the next tray click would not close a menu left open.
        platform::Os().PostMessageW(window, WM_NULL, 0, 0);
    }
    DestroyMenu(menu);
}

void OnTray(HWND window, WPARAM iconId, LPARAM mouseMessage) {
    if (iconId == kTrayIconId && mouseMessage == WM_LBUTTONDOWN) {
        ShowTrayMenu(window);
    }
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
            HandlePressTimer();
            return 0;
        case WM_HOTKEY:
            HandleHotKey(static_cast<int32_t>(wParam), lParam);
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
