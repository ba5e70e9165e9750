#pragma once
// A low-level hook older than the one under test, standing for every program behind it: on
// a thread of its own, it writes down the events that come through. Whatever the newer hook
// swallowed never reaches it. The events reach it after the call that injected them has
// returned, so what it saw is read after a marker of its own, injected last, has come
// through: the system hands the hooks one event at a time, in order.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "support/hook_thread.h"
#include "support/message_pump.h"  // NowMs

namespace testing_support {

// What an older hook makes of one event.
enum class Sighting {
    kIgnored,
    kWritten,     // written down as described
    kMarkerPart,  // the marker, more of it to come
    kMarkerEnd,   // the marker's last event
};

// `Watch` says what is watched (OlderKeyHook and OlderMouseHook show it):
//   kHookType, Event        the hook's kind and what it is handed;
//   kKeepsMarker            whether the marker goes no further than this hook;
//   SendMarker()            injects the marker;
//   Read(message, event, description) what the event is, with its description if written.
template <typename Watch>
class OlderHook {
  public:
    // The hook must find its instance from its first call on.
    OlderHook() {
        instance = this;
        hook_ = std::make_unique<HookThread>(Watch::kHookType, &OlderHook::Hook);
    }
    ~OlderHook() {
        hook_.reset();
        instance = nullptr;
    }
    OlderHook(const OlderHook&) = delete;
    OlderHook& operator=(const OlderHook&) = delete;

    // Returns, after every event sent before it has come through, what came through since
    // the last call. Safe from any thread: this one's messages are not handled.
    std::vector<std::string> Seen() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            markerSeen_ = false;
        }
        Watch::SendMarker();
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
        ADD_FAILURE() << "the marker never came through";
        return {"the marker never came through"};
    }

  private:
    static constexpr double kPatienceMs = 10000;

    static LRESULT CALLBACK Hook(int code, WPARAM message, LPARAM lParam) {
        if (code == HC_ACTION) {
            const auto& event = *reinterpret_cast<const typename Watch::Event*>(lParam);
            std::string description;
            const Sighting sighting = Watch::Read(message, event, &description);
            std::lock_guard<std::mutex> lock(instance->mutex_);
            if (sighting == Sighting::kWritten) {
                instance->seen_.push_back(std::move(description));
            } else if (sighting == Sighting::kMarkerEnd) {
                instance->markerSeen_ = true;
            }
            const bool marker =
                sighting == Sighting::kMarkerPart || sighting == Sighting::kMarkerEnd;
            if (marker && Watch::kKeepsMarker) {
                return 1;
            }
        }
        return CallNextHookEx(nullptr, code, message, lParam);
    }

    static inline OlderHook* instance = nullptr;
    std::unique_ptr<HookThread> hook_;
    std::mutex mutex_;
    bool markerSeen_ = false;
    std::vector<std::string> seen_;
};

}  // namespace testing_support
