#pragma once
// Stands in for the agent: a window of this thread that notes every MSG_RELOAD the
// customizer sends, with what the settings held at that moment. By default it has the
// agent's own class and title, so that the customizer finds it as it finds the agent.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/settings_schema.h"
#include "support/button_settings.h"
#include "support/registry.h"

namespace testing_support {

class StandInAgent {
  public:
    struct Reload {
        bool doubleTimeStored = false;
        DWORD doubleTime = 0;
        bool holdTimeStored = false;
        DWORD holdTime = 0;
        std::wstring firstButtonName;  // "Name" of the first button's settings key
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };

    explicit StandInAgent(const wchar_t* firstButtonKey,
                          const wchar_t* className = kestrel::kAgentClassName,
                          const wchar_t* title = kestrel::kAgentWindowTitle)
        : firstButtonKey_(firstButtonKey), className_(className) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &StandInAgent::Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className;
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, className, title, 0, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), this);
    }
    ~StandInAgent() {
        DestroyWindow(window_);
        UnregisterClassW(className_.c_str(), GetModuleHandleW(nullptr));
    }
    StandInAgent(const StandInAgent&) = delete;
    StandInAgent& operator=(const StandInAgent&) = delete;

    HWND Window() const { return window_; }
    const std::vector<Reload>& Reloads() const { return reloads_; }
    // Whether the customizer was still running when the first reload arrived.
    bool customizerAliveAtReload = false;
    std::function<bool()> customizerAlive;

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<StandInAgent*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == kestrel::MSG_RELOAD) {
            self->NoteReload(wParam, lParam);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    void NoteReload(WPARAM wParam, LPARAM lParam) {
        Reload reload;
        reload.doubleTimeStored = ReadDwordValue(HKEY_CURRENT_USER, kestrel::kProductKeyPath,
                                                 kestrel::kValueDoubleTime, reload.doubleTime);
        reload.holdTimeStored = ReadDwordValue(HKEY_CURRENT_USER, kestrel::kProductKeyPath,
                                               kestrel::kValueHoldTime, reload.holdTime);
        reload.firstButtonName =
            ReadStringValue(HKEY_CURRENT_USER, ButtonKeyPath(firstButtonKey_), kestrel::kValueName);
        reload.wParam = wParam;
        reload.lParam = lParam;
        if (reloads_.empty() && customizerAlive) {
            customizerAliveAtReload = customizerAlive();
        }
        reloads_.push_back(reload);
    }

    std::wstring firstButtonKey_;
    std::wstring className_;
    HWND window_ = nullptr;
    std::vector<Reload> reloads_;
};

}  // namespace testing_support
