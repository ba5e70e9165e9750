#pragma once
// A mouse hook older than the one under test, standing for every program behind it: it
// writes down the presses and releases of the middle and side buttons that come through.
// Whatever the newer hook swallowed never reaches it.
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "support/hook_thread.h"
#include "support/message_pump.h"

namespace testing_support {

class OlderMouseHook {
  public:
    // The hook must find its instance from its first call on.
    OlderMouseHook() {
        instance = this;
        hook_ = std::make_unique<HookThread>(WH_MOUSE_LL, &OlderMouseHook::Hook);
    }
    ~OlderMouseHook() {
        hook_.reset();
        instance = nullptr;
    }
    OlderMouseHook(const OlderMouseHook&) = delete;
    OlderMouseHook& operator=(const OlderMouseHook&) = delete;

    // Returns, after every mouse event sent before it has come through, what came through
    // since the last call ("middle down", "back up"...).
    std::vector<std::string> Seen() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            markerSeen_ = false;
        }
        // A move by nothing, which this hook keeps from every window.
        mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, kMarker);
        const double deadline = NowMs() + kPatienceMs;
        while (NowMs() < deadline) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (markerSeen_) {
                    std::vector<std::string> seen;
                    seen.swap(seen_);
                    return seen;
                }
            }
            Sleep(5);
        }
        return {"the marker never came through"};
    }

  private:
    static constexpr double kPatienceMs = 10000;
    static constexpr ULONG_PTR kMarker = 0x4F4C4452;

    static LRESULT CALLBACK Hook(int code, WPARAM message, LPARAM lParam) {
        const auto& event = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        if (code == HC_ACTION && message == WM_MOUSEMOVE && event.dwExtraInfo == kMarker) {
            std::lock_guard<std::mutex> lock(instance->mutex_);
            instance->markerSeen_ = true;
            return 1;
        }
        const bool middle = message == WM_MBUTTONDOWN || message == WM_MBUTTONUP;
        const bool side = message == WM_XBUTTONDOWN || message == WM_XBUTTONUP;
        if (code == HC_ACTION && (middle || side)) {
            const char* name = middle                                ? "middle"
                               : HIWORD(event.mouseData) == XBUTTON1 ? "back"
                                                                     : "forward";
            const bool up = message == WM_MBUTTONUP || message == WM_XBUTTONUP;
            std::lock_guard<std::mutex> lock(instance->mutex_);
            instance->seen_.push_back(std::string(name) + (up ? " up" : " down"));
        }
        return CallNextHookEx(nullptr, code, message, lParam);
    }

    static inline OlderMouseHook* instance = nullptr;
    std::unique_ptr<HookThread> hook_;
    std::mutex mutex_;
    bool markerSeen_ = false;
    std::vector<std::string> seen_;
};

}  // namespace testing_support
