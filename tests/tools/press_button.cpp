// Presses a hardware button for real, as the device reports it (the Windows key held with
// the button's key; a desktop key alone, as a keyboard sends it), and tells what the
// running agent did about it: the keys it typed, the windows that appeared, the input
// panel, the button's own function passed on.
//
//   press_button.exe <vk in hex> single|double|hold    one press, then a line of what happened
//   press_button.exe --wait-agent                      until the agent waits for input
//   press_button.exe --close-agent                     asks the agent to end, as its menu does
//
// The times come from the settings the agent reads, so a double press falls inside
// "DoubleTime" and a hold outlasts "HoldTime".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "common/settings_schema.h"
#include "platform/hotkey_matcher.h"
#include "platform/sip.h"

using platform::IsDesktopKey;

namespace {

// Our own injected events carry this, so they are told apart from the agent's.
constexpr ULONG_PTR kOurMark = 0x4B50;
// How long a press may take to show any outcome (a program start under Wine takes
// seconds), and how long after the first one the rest of it may take.
constexpr ULONGLONG kOutcomePatienceMs = 20000;
constexpr DWORD kSettleMs = 1500;

struct KeyEvent {
    DWORD vk;
    bool up;
    ULONG_PTR extra;
};

std::mutex eventsLock;
std::vector<KeyEvent> events;

LRESULT CALLBACK RecordKey(int code, WPARAM message, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto& e = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        std::lock_guard<std::mutex> lock(eventsLock);
        events.push_back({e.vkCode, (e.flags & LLKHF_UP) != 0, e.dwExtraInfo});
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

DWORD WINAPI WatchKeys(LPVOID ready) {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, RecordKey, GetModuleHandleW(nullptr), 0);
    SetEvent(static_cast<HANDLE>(ready));
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    }
    UnhookWindowsHookEx(hook);
    return 0;
}

DWORD ReadTime(const wchar_t* name, DWORD fallback) {
    DWORD value = fallback;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kestrel::kProductKeyPath, name, RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS) {
        return fallback;
    }
    return value;
}

void Key(BYTE vk, bool up) {
    keybd_event(vk, 0, up ? KEYEVENTF_KEYUP : 0, kOurMark);
}
// A desktop keyboard sends its spare keys alone; the handheld reports its buttons with the
// Windows key held.
void ButtonDown(BYTE vk) {
    if (!IsDesktopKey(vk)) {
        Key(VK_LWIN, false);
    }
    Key(vk, false);
}
void ButtonUp(BYTE vk) {
    Key(vk, true);
    if (!IsDesktopKey(vk)) {
        Key(VK_LWIN, true);
    }
}

std::set<HWND> VisibleWindows() {
    std::set<HWND> found;
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            if (IsWindowVisible(window)) {
                reinterpret_cast<std::set<HWND>*>(context)->insert(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

bool PanelShown() {
    HWND panel = FindWindowW(KESTREL_SIP_CLASS, nullptr);
    return panel && IsWindowVisible(panel);
}

std::string Narrow(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) {
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow.data(), size, nullptr, nullptr);
    }
    return narrow;
}

std::string KeyName(DWORD vk) {
    if (vk >= VK_F13 && vk <= VK_F24) {
        return "F" + std::to_string(vk - VK_F1 + 1);
    }
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
        return std::string(1, static_cast<char>(vk));
    }
    if (vk >= 'a' && vk <= 'z') {
        return std::string("key ") + static_cast<char>(vk);
    }
    switch (vk) {
        case VK_RETURN:
            return "Enter";
        case VK_ESCAPE:
            return "Esc";
        case VK_SPACE:
            return "Space";
        case VK_LEFT:
            return "Left";
        case VK_RIGHT:
            return "Right";
        case VK_LWIN:
            return "Win";
        default: {
            char text[16];
            snprintf(text, sizeof(text), "key 0x%02lX", vk);
            return text;
        }
    }
}

const char* ModifierName(DWORD vk) {
    switch (vk) {
        case VK_SHIFT:
        case VK_LSHIFT:
        case VK_RSHIFT:
            return "Shift";
        case VK_CONTROL:
        case VK_LCONTROL:
        case VK_RCONTROL:
            return "Ctrl";
        case VK_MENU:
        case VK_LMENU:
        case VK_RMENU:
            return "Alt";
        default:
            return nullptr;
    }
}

// What the agent's own keystrokes (extra information 1) spell, and the modifiers it left
// held down (a latch).
std::vector<std::string> TypedKeys(const std::vector<KeyEvent>& seen) {
    std::vector<std::string> typed;
    std::vector<std::string> held;
    for (const KeyEvent& e : seen) {
        if (e.extra != kestrel::kExtraInfoOwnKey) {
            continue;
        }
        if (const char* modifier = ModifierName(e.vk)) {
            for (auto it = held.begin(); it != held.end(); ++it) {
                if (*it == modifier) {
                    held.erase(it);
                    break;
                }
            }
            if (!e.up) {
                held.push_back(modifier);
            }
            continue;
        }
        if (!e.up) {
            std::string combination;
            for (const std::string& modifier : held) {
                combination += modifier + "+";
            }
            typed.push_back("typed " + combination + KeyName(e.vk));
        }
    }
    for (const std::string& modifier : held) {
        typed.push_back(modifier + " held down (latch)");
    }
    return typed;
}

// What the press has brought about so far: the agent's keystrokes, the button's own
// function passed on, windows that were not there before, the input panel's change.
std::vector<std::string> Outcome(BYTE vk, const std::set<HWND>& before, bool panelBefore) {
    std::vector<KeyEvent> seen;
    {
        std::lock_guard<std::mutex> lock(eventsLock);
        seen = events;
    }
    std::vector<std::string> happened = TypedKeys(seen);
    int passedOn = 0;
    for (const KeyEvent& e : seen) {
        passedOn += e.vk == vk && !e.up && e.extra == 0;
    }
    if (passedOn > 0) {
        happened.push_back("passed the button's own function on (" +
                           std::string(IsDesktopKey(static_cast<BYTE>(vk)) ? "" : "Win+") +
                           KeyName(vk) + ")");
    }
    for (HWND window : VisibleWindows()) {
        wchar_t title[256] = {};
        GetWindowTextW(window, title, 256);
        wchar_t className[64] = {};
        GetClassNameW(window, className, 64);
        if (!before.count(window) && title[0] && wcscmp(className, KESTREL_SIP_CLASS) != 0) {
            happened.push_back("opened a window \"" + Narrow(title) + "\"");
        }
    }
    if (PanelShown() != panelBefore) {
        happened.push_back(PanelShown() ? "showed the input panel" : "hid the input panel");
    }

    return happened;
}

int Press(BYTE vk, const std::string& kind) {
    const DWORD doubleTime = ReadTime(kestrel::kValueDoubleTime, kestrel::kDefaultDoubleTime);
    const DWORD holdTime = ReadTime(kestrel::kValueHoldTime, kestrel::kDefaultHoldTime);
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD watcherId = 0;
    HANDLE watcher = CreateThread(nullptr, 0, WatchKeys, ready, 0, &watcherId);
    WaitForSingleObject(ready, 5000);

    const std::set<HWND> before = VisibleWindows();
    const bool panelBefore = PanelShown();
    if (kind == "single") {
        ButtonDown(vk);
        Sleep(40);
        ButtonUp(vk);
    } else if (kind == "double") {
        ButtonDown(vk);
        Sleep(40);
        ButtonUp(vk);
        Sleep(doubleTime / 3);
        ButtonDown(vk);
        Sleep(40);
        ButtonUp(vk);
    } else if (kind == "hold") {
        ButtonDown(vk);
        Sleep(holdTime + 200);
        ButtonUp(vk);
    } else {
        fprintf(stderr, "unknown press: %s\n", kind.c_str());
        return 2;
    }
    // The outcome takes its time on a loaded machine: wait until something has happened,
    // then as long again as a press may take to be decided, for whatever follows it.
    const ULONGLONG deadline = GetTickCount64() + kOutcomePatienceMs;
    while (Outcome(vk, before, panelBefore).empty() && GetTickCount64() < deadline) {
        Sleep(100);
    }
    Sleep(doubleTime + kSettleMs);
    std::vector<std::string> happened = Outcome(vk, before, panelBefore);
    PostThreadMessageW(watcherId, WM_QUIT, 0, 0);
    WaitForSingleObject(watcher, 5000);

    std::string line;
    for (const std::string& what : happened) {
        line += (line.empty() ? "" : ", ") + what;
    }
    char button[32];
    snprintf(button, sizeof(button), "button %02X", vk);
    printf("%s press of %s: %s\n", kind.c_str(), IsDesktopKey(vk) ? KeyName(vk).c_str() : button,
           line.empty() ? "nothing happened" : line.c_str());
    fflush(stdout);
    return 0;
}

HWND FindAgent() {
    return FindWindowW(kestrel::kAgentClassName, kestrel::kAgentWindowTitle);
}

int WaitForAgent() {
    for (int i = 0; i < 300; ++i) {
        if (HWND agent = FindAgent()) {
            DWORD processId = 0;
            GetWindowThreadProcessId(agent, &processId);
            HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId);
            if (process) {
                WaitForInputIdle(process, 20000);
                CloseHandle(process);
            }
            return 0;
        }
        Sleep(100);
    }
    fprintf(stderr, "the agent did not start\n");
    return 1;
}

int CloseAgent() {
    HWND agent = FindAgent();
    if (!agent) {
        return 0;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(agent, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId);
    PostMessageW(agent, WM_CLOSE, 0, 0);
    DWORD code = 1;
    if (process) {
        WaitForSingleObject(process, 10000);
        GetExitCodeProcess(process, &code);
        CloseHandle(process);
    }
    return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--wait-agent") {
        return WaitForAgent();
    }
    if (argc == 2 && std::string(argv[1]) == "--close-agent") {
        return CloseAgent();
    }
    if (argc == 3) {
        const unsigned long vk = strtoul(argv[1], nullptr, 16);
        if (vk > 0 && vk < 0xFF) {
            return Press(static_cast<BYTE>(vk), argv[2]);
        }
    }
    fprintf(stderr,
            "usage: press_button <vk in hex> single|double|hold\n"
            "       press_button --wait-agent | --close-agent\n");
    return 2;
}
