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

// Throws away every message waiting in this thread's queue: what a test's windows left
// behind must not reach the next test.
inline void DiscardPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
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

// Handles messages until `done` holds or `ms` have passed; whether it held. `done` is looked
// at after every batch of messages and at least every `stepMs`, so that a test answers the
// moment what it waits for has come.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms, DWORD stepMs = 10) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!done()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) {
            return false;
        }
        DispatchPending();
        if (done()) {
            break;
        }
        const ULONGLONG left = end - now;
        MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                  static_cast<DWORD>(left < stepMs ? left : stepMs), QS_ALLINPUT);
    }
    return true;
}

}  // namespace testing_support
