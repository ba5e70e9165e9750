#pragma once
// What the hot-key layer's tests press and read: a handheld button's code, the modifiers the
// agent registers it with, key events and clicks injected as a keyboard and a mouse send
// them, and a report put as the window receives it.
#include <windows.h>

#include <string>

#include "platform/hotkeys.h"

namespace hotkey_test {

constexpr UINT kButton = 0xC1;
constexpr UINT kPlain = MOD_WIN | MOD_KEYUP;
constexpr UINT kShift = MOD_WIN | MOD_SHIFT | MOD_KEYUP;
constexpr UINT kControl = MOD_WIN | MOD_CONTROL | MOD_KEYUP;

inline void Down(BYTE vk, DWORD flags = 0) {
    keybd_event(vk, 0, flags, 0);
}
inline void Up(BYTE vk, DWORD flags = 0) {
    keybd_event(vk, 0, flags | KEYEVENTF_KEYUP, 0);
}

// A whole press of `vk` with the Windows key `win` held around it.
inline void PressWithWin(BYTE vk = kButton, BYTE win = VK_LWIN) {
    Down(win);
    Down(vk);
    Up(vk);
    Up(win);
}

// A click of the middle button or of a side button (VK_XBUTTON1, VK_XBUTTON2).
inline void Click(UINT vk) {
    if (vk == VK_MBUTTON) {
        mouse_event(MOUSEEVENTF_MIDDLEDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_MIDDLEUP, 0, 0, 0, 0);
    } else {
        const DWORD button = vk == VK_XBUTTON1 ? XBUTTON1 : XBUTTON2;
        mouse_event(MOUSEEVENTF_XDOWN, 0, 0, button, 0);
        mouse_event(MOUSEEVENTF_XUP, 0, 0, button, 0);
    }
}

// A report of hot key `id` as "id down" or "id up".
inline std::string ReportText(WPARAM id, LPARAM lParam) {
    const bool up = (LOWORD(lParam) & MOD_KEYUP) != 0;
    return std::to_string(id) + (up ? " up" : " down");
}

}  // namespace hotkey_test
