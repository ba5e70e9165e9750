#pragma once
// This thread's message loop for tests that run real windows, real timers or real
// programs: a clock to time them by, and pumping for a while or until something holds.
#include <windows.h>

#include <functional>

namespace testing_support {

// Milliseconds on the performance counter: finer than the tick count, for timing presses.
inline double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

// Handles every message waiting in this thread's queue, and returns.
inline void DispatchPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Handles whatever is sent or posted to this thread's windows for `ms` milliseconds.
inline void Pump(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        DispatchPending();
        const ULONGLONG now = GetTickCount64();
        if (now >= end) {
            return;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

// Pumps in steps of `stepMs` until `done` holds or `ms` have passed; whether it held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms, DWORD stepMs) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!done()) {
        if (GetTickCount64() >= end) {
            return false;
        }
        Pump(stepMs);
    }
    return true;
}

}  // namespace testing_support
