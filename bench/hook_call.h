#pragma once
// The keyboard hook procedure called directly, as the system would call it, for the
// benchmarks of its own time inside the process.
#include <windows.h>

#include <vector>

#include "bench/bench_common.h"
#include "platform/hotkeys.h"

namespace bench {

// The procedure's time for a key event of `vk`, in microseconds.
inline double TimedHookCall(DWORD vk, bool up) {
    KBDLLHOOKSTRUCT event = {vk, 0, up ? static_cast<DWORD>(LLKHF_UP) : 0u, GetTickCount(), 0};
    const double start = NowMicroseconds();
    platform::test_access::CallKeyboardHook(&event);
    return NowMicroseconds() - start;
}

// A figure of the procedure's time in microseconds: median and p99, against its aim.
inline void ReportHookTime(const char* figure, const std::vector<double>& samples) {
    Report(figure, MedianAndP99(samples), "us", "p99 < 100 us");
}

}  // namespace bench
