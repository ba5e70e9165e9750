#pragma once
// Runs the real programs, KestrelConfig.exe and Kestrel.exe, copied side by side into a
// folder of their own, and watches them from outside: windows found by title, the sheet
// driven by the messages a user's taps would cause, the registry read directly.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "support/button_settings.h"
#include "support/message_pump.h"
#include "support/registry.h"
#include "support/stand_in_agent.h"
#include "support/start_menu.h"
#include "support/wine_programs.h"

namespace e2e {

inline constexpr wchar_t kSheetTitle[] = L"Kestrel設定";
inline constexpr DWORD kPatience = 15000;  // a Wine process start can take seconds

using testing_support::ButtonKeyPath;
using testing_support::ClassOf;
using testing_support::FileExists;
using testing_support::HostPath;
using testing_support::ProcessOf;
using testing_support::Pump;
using testing_support::StandInAgent;
using testing_support::StartMenuFolder;
using testing_support::StartsRecorded;
using testing_support::TextOf;
using testing_support::TopLevelWindowsOf;

// Pumps this thread's messages until `done` holds or `ms` have passed.
inline bool WaitUntil(const std::function<bool()>& done, DWORD ms = kPatience) {
    return testing_support::PumpUntil(done, ms, 20);
}

// A folder of its own under the temporary folder, removed with everything in it.
class ScratchFolder : public testing_support::ScratchFolder {
  public:
    ScratchFolder() : testing_support::ScratchFolder(L"kestrel-e2e") {}
};

// A program this test started; ended by force if it is still running at the end.
class Program : public testing_support::Program {
  public:
    using testing_support::Program::Program;

    // Waits for the program to end, handling this thread's messages meanwhile (a program
    // may be sending to one of our windows). False when it is still running.
    bool WaitForExit(DWORD ms = kPatience) const {
        return WaitUntil([this] { return !IsRunning(); }, ms);
    }
};

// The customizer's property sheet, as its user sees it.
class Sheet {
  public:
    // Waits for the sheet of process `processId` to appear.
    static Sheet Find(DWORD processId, DWORD ms = kPatience) {
        HWND found = nullptr;
        WaitUntil(
            [&] {
                for (HWND window : TopLevelWindowsOf(processId)) {
                    if (TextOf(window) == kSheetTitle) {
                        found = window;
                        return true;
                    }
                }
                return false;
            },
            ms);
        return Sheet(found);
    }

    explicit Sheet(HWND window) : window_(window) {}
    HWND Window() const { return window_; }
    bool Exists() const { return window_ && IsWindow(window_); }

    HWND CurrentPage() const {
        DWORD_PTR page = 0;
        SendMessageTimeoutW(window_, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_NORMAL, 5000, &page);
        return reinterpret_cast<HWND>(page);
    }

    // The pages tell themselves apart by their controls: only the Timing page has the
    // hold label, only the Button page has the button list.
    static bool IsTimingPage(HWND page) { return page && GetDlgItem(page, IDC_LABEL_HOLD); }
    static bool IsButtonPage(HWND page) {
        return page && GetDlgItem(page, IDC_LIST_BUTTONS) && !GetDlgItem(page, IDC_LABEL_HOLD);
    }

    // The Timing page's window, if it was ever created.
    HWND TimingPageWindow() const {
        HWND child = nullptr;
        while ((child = FindWindowExW(window_, child, nullptr, nullptr)) != nullptr) {
            if (IsTimingPage(child)) {
                return child;
            }
        }
        return nullptr;
    }

    // Chooses tab `index`, as a tap on it would.
    void Select(int index) const { PostMessageW(window_, PSM_SETCURSEL, index, 0); }
    // Presses a button of the sheet: PSBTN_OK, PSBTN_CANCEL.
    void Press(int button) const { PostMessageW(window_, PSM_PRESSBUTTON, button, 0); }

    // Chooses the Timing page and waits until it is the current page.
    HWND OpenTimingPage() const {
        Select(1);
        HWND page = nullptr;
        WaitUntil([&] {
            page = CurrentPage();
            return IsTimingPage(page);
        });
        return IsTimingPage(page) ? page : nullptr;
    }

  private:
    HWND window_;
};

// A dialog of process `processId` other than the sheet: a message box the program shows.
inline HWND WaitForMessageBox(DWORD processId, HWND sheet, DWORD ms = kPatience) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindowsOf(processId)) {
                if (window != sheet && ClassOf(window) == L"#32770") {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        ms);
    return found;
}

// Answers a message box with its default button and waits for it to go.
inline bool Dismiss(HWND box) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
}

inline bool ReadProductDword(const wchar_t* name, DWORD& value) {
    return testing_support::ReadDwordValue(HKEY_CURRENT_USER, kestrel::kProductKeyPath, name,
                                           value);
}

}  // namespace e2e
