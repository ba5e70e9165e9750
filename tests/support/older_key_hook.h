#pragma once
// A keyboard hook older than the one under test, standing for every program behind it: it
// writes down the key events that come through. Whatever the newer hook swallowed never
// reaches it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "support/key_settle.h"
#include "support/older_hook.h"

namespace testing_support {

struct KeyWatch {
    static constexpr int kHookType = WH_KEYBOARD_LL;
    using Event = KBDLLHOOKSTRUCT;
    // Other hooks that wait for the settle marker see it too.
    static constexpr bool kKeepsMarker = false;

    // How an event is written down: "13 down 0", "E8 up 50524F42" (code, way, extra info).
    static std::string Describe(DWORD vk, bool up, ULONG_PTR extraInfo) {
        char text[48] = {};
        std::snprintf(text, sizeof(text), "%02lX %s %llX", static_cast<unsigned long>(vk),
                      up ? "up" : "down", static_cast<unsigned long long>(extraInfo));
        return text;
    }
    static void SendMarker() {
        keybd_event(kSettleMarkerKey, 0, KEYEVENTF_KEYUP, kSettleMarkerInfo);
    }
    static Sighting Read(WPARAM, const Event& event, std::string* description) {
        if (IsSettleMarker(event)) {
            return Sighting::kMarkerEnd;
        }
        *description = Describe(event.vkCode, (event.flags & LLKHF_UP) != 0, event.dwExtraInfo);
        return Sighting::kWritten;
    }
};

class OlderKeyHook : public OlderHook<KeyWatch> {
  public:
    static std::string Describe(DWORD vk, bool up, ULONG_PTR extraInfo) {
        return KeyWatch::Describe(vk, up, extraInfo);
    }
};

}  // namespace testing_support
