// A key held back while a held button's choice is open: how long after the choice it is
// delivered, seen by another program's hook older than the layer's. The hook procedure is
// called directly with the physical events the system would hand it; what the layer then
// injects takes the system's own way to the other hook. Two choices: a key pressed and
// released inside the button's press (a hold at once: Ctrl, then the key), and a key typed
// across a tap (delivered once the tap's action is done).
#include <atomic>
#include <vector>

#include "bench/bench_common.h"
#include "platform/hotkey_held.h"
#include "platform/hotkeys.h"
#include "support/hook_thread.h"

namespace {

constexpr int kRounds = 200;
constexpr UINT kButton = VK_PAUSE;
constexpr DWORD kKey = 'A';

std::atomic<double> deliveredAt{-1};

LRESULT CALLBACK Observe(int code, WPARAM message, LPARAM lParam) {
    const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (code == HC_ACTION && event.vkCode == kKey && !(event.flags & LLKHF_UP)) {
        deliveredAt = bench::NowMicroseconds();
        return 1;  // no program needs to type it
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

void Physical(DWORD vk, bool up) {
    KBDLLHOOKSTRUCT event = {vk, 0, up ? static_cast<DWORD>(LLKHF_UP) : 0u, GetTickCount(), 0};
    platform::test_access::CallKeyboardHook(&event);
}

// The delay from `choiceAt` to the key's delivery; negative when it never came.
double Delivery(double choiceAt) {
    const double deadline = choiceAt + 2e6;
    while (deliveredAt < 0 && bench::NowMicroseconds() < deadline) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
        Sleep(0);
    }
    return deliveredAt < 0 ? -1 : deliveredAt - choiceAt;
}

void Report(const char* figure, const std::vector<double>& samples) {
    if (!samples.empty()) {
        const bench::Summary us = bench::MedianAndP99(samples);
        bench::Report(figure, {us.median / 1000, us.worst / 1000}, "ms", "median < 5 ms");
    }
}

}  // namespace

int main() {
    testing_support::HookThread observer(WH_KEYBOARD_LL, Observe);  // older than the layer's
    HWND window =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    platform::RegisterKeyUpHotKey(window, 1, MOD_WIN | MOD_KEYUP, kButton);
    platform::ConfigureHeldModifiers(60000, 1);
    platform::SetHeldModifierButtons({{kButton, 0, MOD_CONTROL}});

    std::vector<double> hold, tap;
    for (int i = 0; i < kRounds; ++i) {
        deliveredAt = -1;
        Physical(kButton, false);
        Physical(kKey, false);
        const double choice = bench::NowMicroseconds();
        Physical(kKey, true);
        const double held = Delivery(choice);
        Physical(kButton, true);
        if (held >= 0) {
            hold.push_back(held);
        }

        deliveredAt = -1;
        Physical(kButton, false);
        Physical(kKey, false);
        Physical(kButton, true);
        const double done = bench::NowMicroseconds();
        platform::TapActionDone();
        const double typed = Delivery(done);
        Physical(kKey, true);
        if (typed >= 0) {
            tap.push_back(typed);
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    platform::ReleaseEverythingHeld();
    platform::UnregisterKeyUpHotKey(window, 1);
    DestroyWindow(window);
    if (hold.size() < kRounds || tap.size() < kRounds) {
        std::fprintf(stderr, "keys never delivered: %zu, %zu of %d\n", kRounds - hold.size(),
                     kRounds - tap.size(), kRounds);
    }
    Report("Held-back key, hold at once: the choice to its delivery, median and p99", hold);
    Report("Held-back key typed across a tap: the action done to its delivery, median and p99",
           tap);
    return 0;
}
