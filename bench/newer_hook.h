#pragma once
// Another program's low-level keyboard hook, installed after the agent's and so called
// before it: it takes the keys its rule names and notes every key it sees. It lives on a
// thread of its own that does nothing but answer the hook.
#include <windows.h>

#include <atomic>
#include <memory>

#include "support/hook_thread.h"

namespace bench {

class NewerHook {
  public:
    using Takes = bool (*)(const KBDLLHOOKSTRUCT& event);

    // The rule is in place before the hook is.
    explicit NewerHook(Takes takes) {
        takes_ = takes;
        hook_ = std::make_unique<testing_support::HookThread>(WH_KEYBOARD_LL, &Hook);
    }

    // Puts the hook at the head of the chain again, ahead of one installed since.
    void Reinstall() { hook_->Reinstall(); }

    // Key-downs of `vk` seen so far.
    static int DownsOf(DWORD vk) { return vk == watched_ ? downs_.load() : 0; }
    static void Watch(DWORD vk) {
        watched_ = vk;
        downs_ = 0;
    }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM message, LPARAM lParam) {
        if (code == HC_ACTION) {
            const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
            if (event.vkCode == watched_ && !(event.flags & LLKHF_UP)) {
                ++downs_;
            }
            if (takes_(event)) {
                return 1;
            }
        }
        return CallNextHookEx(nullptr, code, message, lParam);
    }

    static inline Takes takes_ = nullptr;
    static inline std::atomic<DWORD> watched_{0};
    static inline std::atomic<int> downs_{0};
    std::unique_ptr<testing_support::HookThread> hook_;
};

}  // namespace bench
