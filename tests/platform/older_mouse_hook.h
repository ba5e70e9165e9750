#pragma once
// What the platform tests of the mouse buttons share: a mouse hook older than the layer's,
// standing for every program behind it, and clicks as a mouse makes them.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "support/hook_thread.h"
#include "support/message_pump.h"  // NowMs

namespace hotkey_test {

inline constexpr double kMousePatienceMs = 10000;
inline constexpr ULONG_PTR kMarker = 0x4D4B5253;  // the observer's own left click

// A mouse hook older than the layer's, standing for every program behind it: it writes down
// the button events that come through, and keeps its own marker clicks from the desktop.
class OlderMouseHook {
  public:
    // The hook must find its instance from its first call on.
    OlderMouseHook() {
        instance = this;
        hook_ = std::make_unique<testing_support::HookThread>(WH_MOUSE_LL, &OlderMouseHook::Hook);
    }
    ~OlderMouseHook() {
        hook_.reset();
        instance = nullptr;
    }

    // Returns, after every click sent before it has come through, what came through.
    std::vector<std::string> Seen() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            markerSeen_ = false;
        }
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, kMarker);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, kMarker);
        const double deadline = testing_support::NowMs() + kMousePatienceMs;
        while (testing_support::NowMs() < deadline) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (markerSeen_) {
                std::vector<std::string> seen;
                seen.swap(seen_);
                return seen;
            }
            Sleep(5);
        }
        ADD_FAILURE() << "the marker click never came through";
        return {};
    }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM message, LPARAM lParam) {
        const auto& event = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        if (code == HC_ACTION && event.dwExtraInfo == kMarker) {
            std::lock_guard<std::mutex> lock(instance->mutex_);
            instance->markerSeen_ = message == WM_LBUTTONUP;
            return 1;
        }
        if (code == HC_ACTION && message != WM_MOUSEMOVE) {
            const char* names[] = {"middle", "back", "forward"};
            const char* name = message == WM_MBUTTONDOWN || message == WM_MBUTTONUP ? names[0]
                               : HIWORD(event.mouseData) == XBUTTON1                ? names[1]
                                                                                    : names[2];
            const bool up = message == WM_MBUTTONUP || message == WM_XBUTTONUP;
            std::lock_guard<std::mutex> lock(instance->mutex_);
            instance->seen_.push_back(std::string(name) + (up ? " up" : " down"));
        }
        return CallNextHookEx(nullptr, code, message, lParam);
    }

    static inline OlderMouseHook* instance = nullptr;
    std::unique_ptr<testing_support::HookThread> hook_;
    std::mutex mutex_;
    bool markerSeen_ = false;
    std::vector<std::string> seen_;
};

inline void Click(UINT vk) {
    if (vk == VK_MBUTTON) {
        mouse_event(MOUSEEVENTF_MIDDLEDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_MIDDLEUP, 0, 0, 0, 0);
    } else {
        const DWORD button = vk == VK_XBUTTON1 ? XBUTTON1 : XBUTTON2;
        mouse_event(MOUSEEVENTF_XDOWN, 0, 0, button, 0);
        mouse_event(MOUSEEVENTF_XUP, 0, 0, button, 0);
    }
}

}  // namespace hotkey_test
