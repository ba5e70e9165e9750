#pragma once
// What the hot-key layer's tests press and read: a handheld button's code, the modifiers the
// agent registers it with, key events injected as a keyboard sends them, and a report put
// as the window receives it.
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

// A report of hot key `id` as "id down" or "id up".
inline std::string ReportText(WPARAM id, LPARAM lParam) {
    const bool up = (LOWORD(lParam) & MOD_KEYUP) != 0;
    return std::to_string(id) + (up ? " up" : " down");
}

}  // namespace hotkey_test
