// The keyboard hook procedure's own time, inside the process and without the system's
// round trip to it: the procedure is called directly with the events the system would
// hand it (a key that is no button, a button's key-down under Win, which taps the Start
// menu's mask before it returns, and its key-up). Beside it, in the same rounds, the one
// call every hook must make, passing the event on (CallNextHookEx), alone: under Wine a
// round trip to the wineserver, the floor of any hook's cost.
#include <string>
#include <vector>

#include "bench/hook_call.h"
#include "platform/hotkeys.h"

namespace {

using bench::ReportHookTime;
using bench::TimedHookCall;

constexpr int kRounds = 2000;
constexpr UINT kButton = 0xC1;

double PassOn() {
    KBDLLHOOKSTRUCT event = {'A', 0, 0, GetTickCount(), 0};
    const double start = bench::NowMicroseconds();
    CallNextHookEx(nullptr, HC_ACTION, WM_KEYDOWN, reinterpret_cast<LPARAM>(&event));
    return bench::NowMicroseconds() - start;
}

void Drain() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

}  // namespace

int main() {
    HWND window =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const UINT plain = MOD_WIN | MOD_KEYUP;
    for (int id = 0; id < 16; ++id) {
        platform::RegisterKeyUpHotKey(window, id, plain, kButton + id);
        platform::RegisterKeyUpHotKey(window, id + 16, plain | MOD_SHIFT, kButton + id);
        platform::RegisterKeyUpHotKey(window, id + 32, plain | MOD_CONTROL, kButton + id);
    }
    keybd_event(VK_LWIN, 0, 0, 0);  // held, as the button's press comes with it
    Sleep(200);

    std::vector<double> other, down, up, passOn;
    for (int i = 0; i < kRounds; ++i) {
        other.push_back(TimedHookCall('A', false));
        other.push_back(TimedHookCall('A', true));
        down.push_back(TimedHookCall(kButton, false));
        up.push_back(TimedHookCall(kButton, true));
        passOn.push_back(PassOn());
        if (i % 50 == 0) {
            Drain();
            Sleep(1);
        }
    }
    keybd_event(VK_LWIN, 0, KEYEVENTF_KEYUP, 0);
    for (int id = 0; id < 48; ++id) {
        platform::UnregisterKeyUpHotKey(window, id);
    }
    DestroyWindow(window);

    ReportHookTime("Hook procedure, a key that is no button: median and p99", other);
    ReportHookTime("Hook procedure, a button's key-down under Win: median and p99", down);
    ReportHookTime("Hook procedure, a button's key-up: median and p99", up);
    ReportHookTime("CallNextHookEx alone, what any hook pays for a key: median and p99", passOn);
    return 0;
}
