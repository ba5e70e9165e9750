// A program whose low-level keyboard hook does nothing but pass every key on: the least any
// hook in another process can cost a typed key, the floor the agent's hook is measured
// against. Like the agent's, the hook lives on a thread of its own that does nothing but
// answer it; it counts what it passes on, so the benchmark can tell that every key of the
// do-nothing rounds went through it. A hidden window puts it in place and removes it on
// command; WM_CLOSE removes it before the program ends, since under Wine a program that ends
// with its hook in place can leave the other programs' hooks deaf.
#include <windows.h>

#include <atomic>
#include <memory>

#include "bench/pass_on_hook.h"
#include "support/hook_thread.h"

namespace {

std::unique_ptr<testing_support::HookThread> passOnHook;
std::atomic<LONG> passedOn{0};

LRESULT CALLBACK PassOn(int code, WPARAM message, LPARAM lParam) {
    if (code == HC_ACTION) {
        ++passedOn;
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

void SetHook(bool inPlace) {
    if (!inPlace) {
        passOnHook.reset();
    } else if (!passOnHook) {
        passedOn = 0;
        passOnHook = std::make_unique<testing_support::HookThread>(WH_KEYBOARD_LL, &PassOn);
    }
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case bench::kMsgPassOnHook:
            SetHook(wParam != 0);
            return 1;
        case bench::kMsgPassedOn:
            return passedOn.load();
        case WM_DESTROY:
            SetHook(false);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = bench::kPassOnHookClass;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, bench::kPassOnHookClass, L"", 0, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, nullptr);
    MSG message;
    while (window && GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}
