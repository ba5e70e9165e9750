#pragma once
// A low-level hook on a thread of its own that does nothing but answer it, as another
// program's hook would: the stand-in for the programs whose hooks are older or newer than
// the layer's. In place when the constructor returns, removed by the destructor.
#include <windows.h>

namespace testing_support {

class HookThread {
  public:
    HookThread(int type, HOOKPROC procedure) : type_(type), procedure_(procedure) {
        ready_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, &HookThread::Run, this, 0, &threadId_);
        WaitForSingleObject(ready_, 5000);
    }
    ~HookThread() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
        CloseHandle(ready_);
    }
    HookThread(const HookThread&) = delete;
    HookThread& operator=(const HookThread&) = delete;

    // Puts the hook at the head of the chain again, ahead of one installed since.
    void Reinstall() {
        PostThreadMessageW(threadId_, kMsgReinstall, 0, 0);
        WaitForSingleObject(ready_, 5000);
    }

  private:
    static constexpr UINT kMsgReinstall = WM_APP + 7;

    HHOOK Install() const {
        return SetWindowsHookExW(type_, procedure_, GetModuleHandleW(nullptr), 0);
    }
    static DWORD WINAPI Run(LPVOID context) {
        auto* self = static_cast<HookThread*>(context);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the queue WM_QUIT will come to
        HHOOK hook = self->Install();
        SetEvent(self->ready_);
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.message == kMsgReinstall) {
                HHOOK fresh = self->Install();
                UnhookWindowsHookEx(hook);
                hook = fresh;
                SetEvent(self->ready_);
            }
        }
        UnhookWindowsHookEx(hook);
        return 0;
    }

    const int type_;
    const HOOKPROC procedure_;
    HANDLE ready_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
};

}  // namespace testing_support
