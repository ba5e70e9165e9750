#pragma once
// A keyboard hook older than the one under test, standing for every program behind it: it
// writes down the key events that come through. Whatever the newer hook swallowed never
// reaches it.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "support/hook_thread.h"
#include "support/key_settle.h"
#include "support/message_pump.h"

namespace testing_support {

class OlderKeyHook {
  public:
    // The hook must find its instance from its first call on.
    OlderKeyHook() {
        instance = this;
        hook_ = std::make_unique<HookThread>(WH_KEYBOARD_LL, &OlderKeyHook::Hook);
    }
    ~OlderKeyHook() {
        hook_.reset();
        instance = nullptr;
    }
    OlderKeyHook(const OlderKeyHook&) = delete;
    OlderKeyHook& operator=(const OlderKeyHook&) = delete;

    // How an event is written down: "13 down 0", "E8 up 50524F42" (code, way, extra info).
    static std::string Describe(DWORD vk, bool up, ULONG_PTR extraInfo) {
        char text[48] = {};
        std::snprintf(text, sizeof(text), "%02lX %s %llX", static_cast<unsigned long>(vk),
                      up ? "up" : "down", static_cast<unsigned long long>(extraInfo));
        return text;
    }

    // Returns, after every key event sent before it has come through, what came through
    // since the last call. Safe from any thread: this one's messages are not handled.
    std::vector<std::string> Seen() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            markerSeen_ = false;
        }
        keybd_event(kSettleMarkerKey, 0, KEYEVENTF_KEYUP, kSettleMarkerInfo);
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

    static LRESULT CALLBACK Hook(int code, WPARAM message, LPARAM lParam) {
        const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (code == HC_ACTION) {
            std::lock_guard<std::mutex> lock(instance->mutex_);
            if (IsSettleMarker(event)) {
                instance->markerSeen_ = true;
            } else {
                instance->seen_.push_back(
                    Describe(event.vkCode, (event.flags & LLKHF_UP) != 0, event.dwExtraInfo));
            }
        }
        return CallNextHookEx(nullptr, code, message, lParam);
    }

    static inline OlderKeyHook* instance = nullptr;
    std::unique_ptr<HookThread> hook_;
    std::mutex mutex_;
    bool markerSeen_ = false;
    std::vector<std::string> seen_;
};

}  // namespace testing_support
