#pragma once
// Injected key events reach the low-level hooks of other threads after keybd_event has
// returned, later still on a loaded machine. A test that reads what a hook did waits first
// until a marker injected after its keys has come through: the system hands the hooks one
// event at a time, in order, so by then every earlier event has been through all of them.
#include <windows.h>

namespace testing_support {

// A key-up of a code no keyboard layout assigns, with extra information of its own; hooks
// that record what they see leave it out (IsSettleMarker).
constexpr BYTE kSettleMarkerKey = 0x97;
constexpr ULONG_PTR kSettleMarkerInfo = 0x534554;

inline bool IsSettleMarker(const KBDLLHOOKSTRUCT& event) {
    return event.vkCode == kSettleMarkerKey && event.dwExtraInfo == kSettleMarkerInfo;
}

namespace settle_detail {
inline volatile bool markerSeen = false;

inline LRESULT CALLBACK WatchForMarker(int code, WPARAM message, LPARAM lParam) {
    if (code == HC_ACTION && IsSettleMarker(*reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam))) {
        markerSeen = true;
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}
}  // namespace settle_detail

// Returns once every key event injected before the call has passed every hook, or false
// after `patienceMs`. Messages posted meanwhile stay in the queue for the test to read: only
// the hook calls are handled while it waits.
inline bool SettleKeyEvents(DWORD patienceMs = 10000) {
    // Wine skips the hooks of a thread that has not asked for messages for a few seconds,
    // as it would a hung one; a test thread may have slept that long.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    settle_detail::markerSeen = false;
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, settle_detail::WatchForMarker,
                                   GetModuleHandleW(nullptr), 0);
    if (!hook) {
        return false;
    }
    keybd_event(kSettleMarkerKey, 0, KEYEVENTF_KEYUP, kSettleMarkerInfo);
    const ULONGLONG end = GetTickCount64() + patienceMs;
    while (!settle_detail::markerSeen && GetTickCount64() < end) {
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // lets the hook be called
        if (!settle_detail::markerSeen) {
            Sleep(1);
        }
    }
    UnhookWindowsHookEx(hook);
    return settle_detail::markerSeen;
}

}  // namespace testing_support
