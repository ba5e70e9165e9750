#pragma once
// A hidden window that hands hot-key and timer messages to the classifier as the agent's
// window does.
#include <windows.h>

#include "agent/classifier.h"
#include "support/message_pump.h"
#include "support/test_window.h"

namespace agent_wine {

using testing_support::NowMs;
using testing_support::Pump;
using testing_support::PumpUntil;

// When the last hot-key message reached the classifier.
inline double lastHotKeyAt = 0;

inline LRESULT CALLBACK PressWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_HOTKEY:
            lastHotKeyAt = NowMs();
            kestrel::HandleHotKey(static_cast<int32_t>(wParam), lParam);
            return 0;
        case WM_TIMER:
            kestrel::HandlePressTimer();
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

inline HWND CreatePressWindow() {
    return testing_support::MakeTestWindow(L"KestrelPressTestWindow", PressWndProc, WS_OVERLAPPED,
                                           10, 10);
}

}  // namespace agent_wine
