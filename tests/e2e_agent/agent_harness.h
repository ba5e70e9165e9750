#pragma once
// Runs the real Kestrel.exe from a folder of its own, next to a proof program copied as
// KestrelConfig.exe, and watches it from outside: its window, the programs it starts, the
// hot keys it holds and the key events that get past it.
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/settings_schema.h"
#include "support/button_settings.h"
#include "support/hook_thread.h"
#include "support/message_pump.h"
#include "support/registry.h"
#include "support/wine_programs.h"

namespace e2e_agent {

inline constexpr DWORD kPatience = 20000;  // a Wine process start can take seconds

using testing_support::ClassOf;
using testing_support::ClearSettings;
using testing_support::HostPath;
using testing_support::NowMs;
using testing_support::ProcessOf;
using testing_support::Pump;
using testing_support::SeedButton;
using testing_support::SeedTimes;
using testing_support::SlotSetting;
using testing_support::StartsRecorded;
using testing_support::TextOf;

inline bool WaitUntil(const std::function<bool()>& done, DWORD ms = kPatience) {
    return testing_support::PumpUntil(done, ms, 10);
}

// Visible top-level windows of class `className` that belong to process `processId`.
inline std::vector<HWND> WindowsOf(DWORD processId, const std::wstring& className) {
    std::vector<HWND> found;
    for (HWND window : testing_support::TopLevelWindowsOf(processId)) {
        if (ClassOf(window) == className) {
            found.push_back(window);
        }
    }
    return found;
}

// Every agent window there is, whoever started it.
inline int AgentWindowCount() {
    int count = 0;
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            if (ClassOf(window) == kestrel::kAgentClassName &&
                TextOf(window) == kestrel::kAgentWindowTitle) {
                ++*reinterpret_cast<int*>(context);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

// Key events as they arrive at a low-level hook of our own, on a thread of its own that
// does nothing but answer the hook. Started before the agent, the hook is older than the
// agent's and sees only what the agent lets through.
class KeyObserver {
  public:
    struct Event {
        DWORD vk;
        bool up;
        ULONG_PTR extra;
        double ms;  // NowMs() when the hook saw it
    };

    KeyObserver() {
        instance = this;
        hook_ = std::make_unique<testing_support::HookThread>(WH_KEYBOARD_LL, &KeyObserver::Hook);
    }
    ~KeyObserver() {
        hook_.reset();
        instance = nullptr;
    }
    KeyObserver(const KeyObserver&) = delete;
    KeyObserver& operator=(const KeyObserver&) = delete;

    std::vector<Event> Events() {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.clear();
    }
    // The first event of key `vk` (down or up as asked) with extra information `extra`.
    bool Find(DWORD vk, bool up, ULONG_PTR extra, Event* found = nullptr) {
        for (const Event& e : Events()) {
            if (e.vk == vk && e.up == up && e.extra == extra) {
                if (found) {
                    *found = e;
                }
                return true;
            }
        }
        return false;
    }
    bool Saw(DWORD vk) {
        for (const Event& e : Events()) {
            if (e.vk == vk) {
                return true;
            }
        }
        return false;
    }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM message, LPARAM lParam) {
        if (code == HC_ACTION && instance) {
            const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
            std::lock_guard<std::mutex> lock(instance->mutex_);
            instance->events_.push_back(
                {event.vkCode, (event.flags & LLKHF_UP) != 0, event.dwExtraInfo, NowMs()});
        }
        return CallNextHookEx(nullptr, code, message, lParam);
    }

    static inline KeyObserver* instance = nullptr;
    std::unique_ptr<testing_support::HookThread> hook_;
    std::mutex mutex_;
    std::vector<Event> events_;
};

// A folder of its own holding Kestrel.exe and the proof program as KestrelConfig.exe;
// starts the agent from there and ends whatever it started.
class AgentFolder {
  public:
    AgentFolder()
        : agentPath_(folder_.Copy(HostPath(KESTREL_AGENT_EXE), L"Kestrel.exe")),
          customizerPath_(folder_.Copy(HostPath(KESTREL_PROOF_EXE), kestrel::kCustomizerFileName)) {
    }
    AgentFolder(const AgentFolder&) = delete;
    AgentFolder& operator=(const AgentFolder&) = delete;

    const std::wstring& Path() const { return folder_.Path(); }
    const std::wstring& CustomizerPath() const { return customizerPath_; }
    int CustomizerStarts() const { return StartsRecorded(customizerPath_); }

    std::wstring Copy(const std::wstring& source, const std::wstring& name) const {
        return folder_.Copy(source, name);
    }
    std::wstring CopyProof(const std::wstring& name) const {
        return Copy(HostPath(KESTREL_PROOF_EXE), name);
    }

    // Starts one more Kestrel.exe; returns its process handle (owned by the folder).
    HANDLE StartAgent() {
        auto agent = std::make_unique<testing_support::Program>(agentPath_, Path().c_str());
        if (!agent->Started()) {
            return nullptr;
        }
        processes_.push_back(std::move(agent));
        return processes_.back()->Handle();
    }

    // Starts one more Kestrel.exe and waits for its window (see WaitForWindow); null when
    // it did not come. `process` receives the process handle, null when none started.
    HWND StartAgentWindow(HANDLE* process) {
        *process = StartAgent();
        return *process ? WaitForWindow(*process) : nullptr;
    }

    // The agent window of `process` once the agent waits in its message loop, so that its
    // settings are loaded and its hot keys registered (null after kPatience).
    static HWND WaitForWindow(HANDLE process) {
        const DWORD id = GetProcessId(process);
        HWND found = nullptr;
        WaitUntil([&] {
            found = FindWindowW(kestrel::kAgentClassName, kestrel::kAgentWindowTitle);
            return (found && ProcessOf(found) == id) ||
                   WaitForSingleObject(process, 0) != WAIT_TIMEOUT;
        });
        if (!found || ProcessOf(found) != id) {
            return nullptr;
        }
        WaitForInputIdle(process, kPatience);
        return found;
    }

    // The exit code once `process` has ended; STILL_ACTIVE if it did not within `ms`.
    static DWORD WaitForExit(HANDLE process, DWORD ms = kPatience) {
        WaitUntil([&] { return WaitForSingleObject(process, 0) != WAIT_TIMEOUT; }, ms);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process, &code);
        return code;
    }

  private:
    // Declared first so that it goes last, once every program started from it has ended.
    testing_support::ScratchFolder folder_{L"kestrel-agent"};
    std::wstring agentPath_;
    std::wstring customizerPath_;
    std::vector<std::unique_ptr<testing_support::Program>> processes_;
};

// Key events as a hardware button makes them, injected for real.
inline void KeyDown(BYTE vk) {
    keybd_event(vk, 0, 0, 0);
}
inline void KeyUp(BYTE vk) {
    keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
}
inline void Tap(BYTE vk) {
    KeyDown(vk);
    KeyUp(vk);
}
// The device reports a hardware button with the Windows key held.
inline void ButtonDown(BYTE vk) {
    KeyDown(VK_LWIN);
    KeyDown(vk);
}
inline void ButtonUp(BYTE vk) {
    KeyUp(vk);
    KeyUp(VK_LWIN);
}

// Leaves every modifier released, whatever a test or an agent left down.
inline void ReleaseModifiers() {
    for (BYTE key : {VK_LWIN, VK_RWIN, VK_SHIFT, VK_LSHIFT, VK_RSHIFT, VK_CONTROL, VK_LCONTROL,
                     VK_RCONTROL, VK_MENU}) {
        KeyUp(key);
    }
}

inline bool KeyIsDown(int vk) {
    return (GetAsyncKeyState(vk) & 0x8000) != 0;
}

// Sends a message to another program's window and waits for it to be handled.
inline LRESULT SendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kPatience, &result);
    return static_cast<LRESULT>(result);
}

// The three combinations an enabled button takes: alone, with Shift, with Ctrl.
inline bool CombinationsFree(UINT vk) {
    bool allFree = true;
    for (UINT modifiers : {MOD_WIN, MOD_WIN | MOD_SHIFT, MOD_WIN | MOD_CONTROL}) {
        if (RegisterHotKey(nullptr, 0x7F00, modifiers, vk)) {
            UnregisterHotKey(nullptr, 0x7F00);
        } else {
            allFree = false;
        }
    }
    return allFree;
}
inline bool CombinationsAllTaken(UINT vk) {
    for (UINT modifiers : {MOD_WIN, MOD_WIN | MOD_SHIFT, MOD_WIN | MOD_CONTROL}) {
        if (RegisterHotKey(nullptr, 0x7F00, modifiers, vk)) {
            UnregisterHotKey(nullptr, 0x7F00);
            return false;
        }
    }
    return true;
}

}  // namespace e2e_agent
