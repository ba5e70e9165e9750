#pragma once
// A stand-in for the operating system that does nothing at all: no hot key, timer,
// keystroke, program start or message box reaches the real system. Instead of a transcript
// it keeps a small model of what the calls would have left behind (hot keys held, keys
// down, tray icons shown) and notes every call that no sound program would make, so that
// millions of calls cost no memory and a bad one is named with its arguments.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/settings_schema.h"
#include "platform/os_calls.h"

namespace hostile {

class SilentOs : public platform::OsCalls {
  public:
    SilentOs() { platform::SetOs(this); }
    ~SilentOs() override { platform::SetOs(nullptr); }
    SilentOs(const SilentOs&) = delete;
    SilentOs& operator=(const SilentOs&) = delete;

    // Where the only window the calls may name is kept (read at each call); null accepts
    // any window.
    const HWND* window = nullptr;
    // Whether a message box is a fault (the agent shows none) or expected ("Error!!").
    bool messageBoxAllowed = false;
    // Called inside the calls during which a thread takes in messages that other threads
    // send it (Wine's keystroke synthesis waits so for the keyboard hooks, the shell for
    // the program it starts), to let such a message in.
    std::function<void()> whileWaiting;

    // Hot-key id -> virtual key, as registered and not yet released.
    std::map<int, UINT> hotKeys;
    // Keys pressed through keybd_event and not yet released.
    std::set<BYTE> keysDown;
    int trayIcons = 0;
    int programStarts = 0;
    int messageBoxes = 0;
    long long calls = 0;

    // Calls no sound program makes; the first few are kept word for word.
    long long faults = 0;
    std::vector<std::string> faultNotes;

    void ResetModel() {
        hotKeys.clear();
        keysDown.clear();
        trayIcons = 0;
        programStarts = 0;
        messageBoxes = 0;
        calls = 0;
        faults = 0;
        faultNotes.clear();
    }

    std::string FaultSummary() const {
        std::string text = std::to_string(faults) + " bad call(s)";
        for (const std::string& note : faultNotes) {
            text += "\n  " + note;
        }
        return text;
    }

    // Hot keys: ids 0 to 47 only, the modifiers of their band, a key that fits a byte.
    BOOL RegisterHotKey(HWND w, int id, UINT modifiers, UINT vk) override {
        ++calls;
        CheckWindow(w, "RegisterHotKey");
        if (id < 0 || id >= kestrel::kControlIdOffset + kestrel::kMaxHotKeyButtons) {
            Fault("RegisterHotKey id %d out of 0..47", id);
        } else if (modifiers != ModifiersOfId(id)) {
            Fault("RegisterHotKey id %d with modifiers 0x%X", id, modifiers);
        }
        if (vk > 0xFF) {
            Fault("RegisterHotKey id %d with virtual key 0x%X", id, vk);
        }
        hotKeys[id] = vk;
        return TRUE;
    }
    BOOL UnregisterHotKey(HWND w, int id) override {
        ++calls;
        CheckWindow(w, "UnregisterHotKey");
        if (id < 0 || id >= kestrel::kControlIdOffset + kestrel::kMaxHotKeyButtons) {
            Fault("UnregisterHotKey id %d out of 0..47", id);
        }
        hotKeys.erase(id);
        return TRUE;
    }

    UINT_PTR SetTimer(HWND w, UINT_PTR id, UINT) override {
        ++calls;
        CheckWindow(w, "SetTimer");
        if (id != kestrel::TIMER_PRESS) {
            Fault("SetTimer id %llu", static_cast<unsigned long long>(id));
        }
        return id;
    }
    BOOL KillTimer(HWND w, UINT_PTR id) override {
        ++calls;
        CheckWindow(w, "KillTimer");
        if (id != kestrel::TIMER_PRESS) {
            Fault("KillTimer id %llu", static_cast<unsigned long long>(id));
        }
        return TRUE;
    }

    void keybd_event(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo) override {
        ++calls;
        if (scan != 0 || (flags != 0 && flags != KEYEVENTF_KEYUP) || extraInfo > 1) {
            Fault("keybd_event(%u, %u, %lu, %llu)", vk, scan, flags,
                  static_cast<unsigned long long>(extraInfo));
        }
        if (flags & KEYEVENTF_KEYUP) {
            keysDown.erase(vk);
        } else {
            keysDown.insert(vk);
        }
        Wait();
    }

    UINT SendKeyEvents(const std::vector<platform::KeyStroke>& strokes) override {
        ++calls;
        if (strokes.empty()) {
            Fault("SendKeyEvents with no event");
        }
        for (const platform::KeyStroke& stroke : strokes) {
            if ((stroke.flags & ~static_cast<DWORD>(KEYEVENTF_KEYUP | KEYEVENTF_EXTENDEDKEY)) ||
                stroke.extraInfo > 1) {
                Fault("SendKeyEvents with key(%u, %lu, %llu)", stroke.vk, stroke.flags,
                      static_cast<unsigned long long>(stroke.extraInfo));
            }
            if (stroke.flags & KEYEVENTF_KEYUP) {
                keysDown.erase(stroke.vk);
            } else {
                keysDown.insert(stroke.vk);
            }
        }
        Wait();
        return static_cast<UINT>(strokes.size());
    }
    SHORT GetAsyncKeyState(int) override {
        ++calls;
        return 0;
    }
    bool ForegroundIsElevated() override { return false; }
    DWORD OwnIntegrityLevel() override { return SECURITY_MANDATORY_MEDIUM_RID; }
    BOOL WTSRegisterSessionNotification(HWND, DWORD) override { return TRUE; }
    BOOL WTSUnRegisterSessionNotification(HWND) override { return TRUE; }

    // A program path comes from a 260-character block: terminated, 1 to 259 characters.
    BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) override {
        ++calls;
        ++programStarts;
        if (!info || info->cbSize != sizeof(*info)) {
            Fault("ShellExecuteEx without a proper record");
            return TRUE;
        }
        CheckWindow(info->hwnd, "ShellExecuteEx");
        const size_t length = info->lpFile ? wcsnlen(info->lpFile, 4096) : 0;
        if (length == 0 || length >= static_cast<size_t>(kestrel::kStringChars)) {
            Fault("ShellExecuteEx with a path of %zu characters", length);
        }
        if (!info->lpVerb || wcscmp(info->lpVerb, L"open") != 0 || !info->lpParameters ||
            info->lpParameters[0] != L'\0') {
            Fault("ShellExecuteEx with another verb or parameters");
        }
        Wait();
        return TRUE;
    }

    BOOL SipGetInfo(SIPINFO* info) override {
        ++calls;
        if (!info || info->cbSize != sizeof(SIPINFO)) {
            Fault("SipGetInfo without a proper record");
            return FALSE;
        }
        info->fdwFlags = sipShown ? SIPF_ON : 0;
        return TRUE;
    }
    BOOL SipShowIM(DWORD flags) override {
        ++calls;
        if (flags != SIPF_ON && flags != SIPF_OFF) {
            Fault("SipShowIM(%lu)", flags);
        }
        sipShown = flags == SIPF_ON;
        return TRUE;
    }

    HWND FindWindowW(LPCWSTR, LPCWSTR) override {
        ++calls;
        return nullptr;
    }
    BOOL SetForegroundWindow(HWND) override {
        ++calls;
        return TRUE;
    }
    HRESULT ToggleDesktop() override {
        ++calls;
        return S_OK;
    }
    int MessageBoxW(HWND, LPCWSTR text, LPCWSTR, UINT) override {
        ++calls;
        ++messageBoxes;
        if (!messageBoxAllowed || !text || wcscmp(text, L"Error!!") != 0) {
            Fault("MessageBox shown");
        }
        return IDOK;
    }
    DWORD GetModuleFileNameW(HMODULE, LPWSTR path, DWORD size) override {
        ++calls;
        static const wchar_t kPath[] = L"C:\\Program Files\\Kestrel\\Kestrel.exe";
        const DWORD length = static_cast<DWORD>(wcslen(kPath));
        if (!path || size <= length) {
            return 0;
        }
        wmemcpy(path, kPath, length + 1);
        return length;
    }
    void OutputDebugStringW(LPCWSTR text) override {
        ++calls;
        if (!text || wcsnlen(text, 1024) >= 512) {
            Fault("debugger output not terminated within 512 characters");
        }
    }
    BOOL Shell_NotifyIconW(DWORD message, NOTIFYICONDATAW* data) override {
        ++calls;
        if (!data) {
            Fault("Shell_NotifyIcon without a record");
            return TRUE;
        }
        if (message == NIM_ADD) {
            ++trayIcons;
        } else if (message == NIM_DELETE) {
            --trayIcons;
        }
        return TRUE;
    }

    static UINT ModifiersOfId(int id) {
        if (id >= kestrel::kControlIdOffset) {
            return kestrel::kHotKeyModsControl;
        }
        if (id >= kestrel::kShiftIdOffset) {
            return kestrel::kHotKeyModsShift;
        }
        return kestrel::kHotKeyModsPlain;
    }

  private:
    void Wait() {
        if (whileWaiting) {
            whileWaiting();
        }
    }

    void CheckWindow(HWND w, const char* call) {
        if (window && w != *window) {
            Fault("%s on a window that is not the agent's", call);
        }
    }

    template <typename... Args>
    void Fault(const char* format, Args... args) {
        ++faults;
        if (faultNotes.size() < 12) {
            char line[256];
            snprintf(line, sizeof(line), format, args...);
            faultNotes.emplace_back(line);
        }
    }

    bool sipShown = false;
};

}  // namespace hostile
