#pragma once
// Another program's low-level keyboard hook, installed after the agent's and so called
// before it: it takes the keys its rule names and notes every key it sees. It lives on a
// thread of its own that does nothing but answer the hook.
#include <windows.h>

#include <atomic>

namespace bench {

class NewerHook {
  public:
    using Takes = bool (*)(const KBDLLHOOKSTRUCT& event);

    explicit NewerHook(Takes takes) {
        takes_ = takes;
        ready_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, &NewerHook::Run, nullptr, 0, &threadId_);
        WaitForSingleObject(ready_, 5000);
    }
    ~NewerHook() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
        CloseHandle(ready_);
    }
    NewerHook(const NewerHook&) = delete;
    NewerHook& operator=(const NewerHook&) = delete;

    // Puts the hook at the head of the chain again, ahead of one installed since.
    void Reinstall() {
        PostThreadMessageW(threadId_, kMsgReinstall, 0, 0);
        WaitForSingleObject(ready_, 5000);
    }

    // Key-downs of `vk` seen so far.
    static int DownsOf(DWORD vk) { return vk == watched_ ? downs_.load() : 0; }
    static void Watch(DWORD vk) {
        watched_ = vk;
        downs_ = 0;
    }

  private:
    static constexpr UINT kMsgReinstall = WM_APP + 7;

    static DWORD WINAPI Run(LPVOID) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // make the queue
        HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, &Hook, GetModuleHandleW(nullptr), 0);
        SetEvent(ready_);
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.message == kMsgReinstall) {
                HHOOK fresh =
                    SetWindowsHookExW(WH_KEYBOARD_LL, &Hook, GetModuleHandleW(nullptr), 0);
                UnhookWindowsHookEx(hook);
                hook = fresh;
                SetEvent(ready_);
            }
        }
        UnhookWindowsHookEx(hook);
        return 0;
    }
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
    static inline HANDLE ready_ = nullptr;
    static inline std::atomic<DWORD> watched_{0};
    static inline std::atomic<int> downs_{0};
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
};

}  // namespace bench
