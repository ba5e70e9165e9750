// What the choice of a press's program costs the keyboard hook, inside the process: the
// procedure called directly, as the system would, with a button's key-down (and its
// key-up, untimed) and a key that is no button, once with no program configured and once
// with 50, none of them the program in front so that the whole list is searched. With 50,
// a button's key-down right after another window took the front pays the lookup of that
// window's program; the foreground event itself pays the same lookup, once per change.
#include <string>
#include <vector>

#include "bench/hook_call.h"
#include "platform/hotkeys.h"
#include "platform/press_rules.h"

namespace {

using bench::ReportHookTime;
using bench::TimedHookCall;

// Blocks with and without programs take turns, so that both see the same machine.
constexpr int kBlocks = 40;
constexpr int kBlockRounds = 50;
constexpr UINT kButton = VK_F13;
constexpr int kPrograms = 50;

// Dispatched, so that the window's painting is done and does not come back.
void Drain() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
}

platform::PressRules Rules(int programs) {
    platform::PressRules rules;
    rules.doubleTimeMs = 150;
    rules.global = {{kButton, true, false, false}};
    for (int i = 0; i < programs; ++i) {
        rules.programs.push_back(
            {L"program" + std::to_wstring(i) + L".exe", false, {{kButton, true, false, false}}});
    }
    return rules;
}

struct Samples {
    std::vector<double> buttonDown;
    std::vector<double> otherKey;
    std::vector<double> downAfterChange;
    std::vector<double> foregroundChange;
};

// One block of rounds under `rules`. `other` is a window of another program (the desktop's),
// whose foreground event makes the next key-down find a window it does not know.
void MeasureBlock(HWND window, HWND other, const platform::PressRules& rules, Samples* samples) {
    platform::SetPressRules(window, rules);
    for (int i = 0; i < kBlockRounds; ++i) {
        samples->otherKey.push_back(TimedHookCall('A', false));
        TimedHookCall('A', true);
        samples->buttonDown.push_back(TimedHookCall(kButton, false));
        TimedHookCall(kButton, true);
        if (rules.DependOnProgram()) {
            const double start = bench::NowMicroseconds();
            platform::test_access::CallForegroundEvent(other);
            samples->foregroundChange.push_back(bench::NowMicroseconds() - start);
            samples->downAfterChange.push_back(TimedHookCall(kButton, false));
            TimedHookCall(kButton, true);
        }
    }
    Drain();
    Sleep(1);
}

}  // namespace

int main() {
    HWND window = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                  nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(window);
    const UINT plain = MOD_WIN | MOD_KEYUP;
    platform::RegisterKeyUpHotKey(window, 0, plain, kButton);
    platform::RegisterKeyUpHotKey(window, 16, plain | MOD_SHIFT, kButton);
    platform::RegisterKeyUpHotKey(window, 32, plain | MOD_CONTROL, kButton);
    Sleep(200);

    const platform::PressRules noPrograms = Rules(0);
    const platform::PressRules fiftyPrograms = Rules(kPrograms);
    Samples none, fifty, warmUp;
    MeasureBlock(window, GetDesktopWindow(), fiftyPrograms, &warmUp);
    for (int block = 0; block < kBlocks; ++block) {
        MeasureBlock(window, GetDesktopWindow(), noPrograms, &none);
        MeasureBlock(window, GetDesktopWindow(), fiftyPrograms, &fifty);
    }
    platform::SetPressRules(window, platform::PressRules());
    for (int id : {0, 16, 32}) {
        platform::UnregisterKeyUpHotKey(window, id);
    }
    DestroyWindow(window);

    ReportHookTime("Hook procedure, no program configured, a button's key-down: median and p99",
                   none.buttonDown);
    ReportHookTime("Hook procedure, 50 programs configured, a button's key-down: median and p99",
                   fifty.buttonDown);
    ReportHookTime("Hook procedure, no program configured, a key that is no button", none.otherKey);
    ReportHookTime("Hook procedure, 50 programs configured, a key that is no button",
                   fifty.otherKey);
    ReportHookTime("Hook procedure, 50 programs, a button's key-down after a foreground change",
                   fifty.downAfterChange);
    ReportHookTime("Foreground event: the new window's program looked up", fifty.foregroundChange);
    return 0;
}
