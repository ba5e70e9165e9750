#pragma once
// A stand-in for the operating system that writes down every call made through the seam,
// one line per call, so that tests can compare what happened with what should have.
#include <windows.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/os_calls.h"

namespace testing_support {

class RecordingOs : public platform::OsCalls {
  public:
    RecordingOs() { platform::SetOs(this); }
    ~RecordingOs() override { platform::SetOs(nullptr); }

    std::vector<std::string> calls;

    // What the next calls answer.
    BOOL hotKeyResult = TRUE;
    bool sipShown = false;
    HWND windowToFind = nullptr;
    int messageBoxAnswer = IDOK;
    std::wstring modulePath = L"C:\\Program Files\\Kestrel\\Kestrel.exe";

    BOOL RegisterHotKey(HWND, int id, UINT modifiers, UINT vk) override {
        Record("RegisterHotKey(%d, 0x%X, 0x%X)", id, modifiers, vk);
        return hotKeyResult;
    }
    // Kept, not written down: most stories are about the calls around it.
    void SetPressRules(HWND, const platform::PressRules& rules) override {
        pressRules = rules;
        ++pressRulesSet;
    }
    platform::PressRules pressRules;
    int pressRulesSet = 0;
    BOOL UnregisterHotKey(HWND, int id) override {
        Record("UnregisterHotKey(%d)", id);
        return hotKeyResult;
    }
    UINT_PTR SetTimer(HWND, UINT_PTR id, UINT elapse) override {
        Record("SetTimer(%u, %u)", static_cast<unsigned>(id), elapse);
        return id;
    }
    BOOL KillTimer(HWND, UINT_PTR id) override {
        Record("KillTimer(%u)", static_cast<unsigned>(id));
        return TRUE;
    }
    void keybd_event(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo) override {
        Record("keybd_event(%u, %u, %lu, %u)", vk, scan, flags, static_cast<unsigned>(extraInfo));
    }
    void SendMouseButton(UINT vk, bool up, ULONG_PTR extraInfo) override {
        Record("SendMouseButton(%u, %s, %u)", vk, up ? "up" : "down",
               static_cast<unsigned>(extraInfo));
    }
    BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) override {
        lastExecute = *info;
        Record("ShellExecuteEx(%s)", Narrow(info->lpFile).c_str());
        return TRUE;
    }
    BOOL SipGetInfo(SIPINFO* info) override {
        Record("SipGetInfo(%lu)", info->cbSize);
        info->fdwFlags = sipShown ? SIPF_ON : 0;
        return TRUE;
    }
    BOOL SipShowIM(DWORD flags) override {
        Record("SipShowIM(%lu)", flags);
        sipShown = (flags & SIPF_ON) != 0;
        return TRUE;
    }
    HWND FindWindowW(LPCWSTR className, LPCWSTR title) override {
        Record("FindWindow(%s, %s)", Narrow(className).c_str(), Narrow(title).c_str());
        return windowToFind;
    }
    BOOL SetForegroundWindow(HWND window) override {
        Record("SetForegroundWindow(%s)", window ? "window" : "null");
        return window != nullptr;
    }
    int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type) override {
        Record("MessageBox(%s, %s, 0x%X)", Narrow(text).c_str(), Narrow(caption).c_str(), type);
        return messageBoxAnswer;
    }
    DWORD GetModuleFileNameW(HMODULE, LPWSTR path, DWORD size) override {
        Record("GetModuleFileName");
        if (modulePath.size() >= size) {
            return 0;
        }
        modulePath.copy(path, modulePath.size());
        path[modulePath.size()] = L'\0';
        return static_cast<DWORD>(modulePath.size());
    }
    void OutputDebugStringW(LPCWSTR text) override {
        debugOutput.emplace_back(text ? text : L"");
        Record("OutputDebugString(%s)", Narrow(text).c_str());
    }

    // Every text passed to the debugger output, exactly as passed.
    std::vector<std::wstring> debugOutput;

    BOOL Shell_NotifyIconW(DWORD message, NOTIFYICONDATAW* data) override {
        lastNotifyIcon = *data;
        Record("Shell_NotifyIcon(%lu, id %u, flags 0x%X, message %u, %s)", message, data->uID,
               data->uFlags, data->uCallbackMessage, data->hIcon ? "icon" : "no icon");
        return notifyIconResult;
    }
    NOTIFYICONDATAW lastNotifyIcon = {};
    BOOL notifyIconResult = TRUE;  // FALSE: the taskbar is not there

    // The screen that the monitor calls report for every window; the real one while empty.
    RECT screen = {};
    RECT workArea = {};
    HMONITOR MonitorFromWindow(HWND window, DWORD flags) override {
        return IsRectEmpty(&screen) ? OsCalls::MonitorFromWindow(window, flags)
                                    : reinterpret_cast<HMONITOR>(0x5C5C);
    }
    BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info) override {
        if (IsRectEmpty(&screen)) {
            return OsCalls::GetMonitorInfoW(monitor, info);
        }
        info->rcMonitor = screen;
        info->rcWork = workArea;
        info->dwFlags = MONITORINFOF_PRIMARY;
        return TRUE;
    }
    BOOL TrackPopupMenuEx(HMENU, UINT flags, int x, int y, HWND, TPMPARAMS*) override {
        Record("TrackPopupMenuEx(0x%X, %d, %d)", flags, x, y);
        return FALSE;
    }
    BOOL PostMessageW(HWND, UINT message, WPARAM wParam, LPARAM lParam) override {
        Record("PostMessage(%u, %llu, %lld)", message, static_cast<unsigned long long>(wParam),
               static_cast<long long>(lParam));
        return TRUE;
    }

    // The system folder and the program files in it that GetFileAttributes finds.
    std::wstring systemDirectory = L"C:\\windows\\system32";
    std::vector<std::wstring> systemFiles;
    UINT GetSystemDirectoryW(LPWSTR path, UINT size) override {
        if (systemDirectory.size() >= size) {
            return static_cast<UINT>(systemDirectory.size() + 1);
        }
        systemDirectory.copy(path, systemDirectory.size());
        path[systemDirectory.size()] = L'\0';
        return static_cast<UINT>(systemDirectory.size());
    }
    DWORD GetFileAttributesW(LPCWSTR path) override {
        for (const std::wstring& file : systemFiles) {
            if (systemDirectory + L"\\" + file == path) {
                return FILE_ATTRIBUTE_NORMAL;
            }
        }
        return INVALID_FILE_ATTRIBUTES;
    }
    HRESULT ToggleDesktop() override {
        Record("ToggleDesktop");
        return S_OK;
    }
    BOOL ChangeWindowMessageFilterEx(HWND, UINT message, DWORD action,
                                     PCHANGEFILTERSTRUCT) override {
        Record("ChangeWindowMessageFilterEx(%u, %lu)", message, action);
        return TRUE;
    }
    // A program's own entry as "key@program:modifiers".
    void SetHeldModifierButtons(const std::vector<platform::HeldButton>& buttons, DWORD holdTimeMs,
                                ULONG_PTR ownExtraInfo) override {
        std::string set;
        for (const platform::HeldButton& button : buttons) {
            char one[48];
            char program[16] = "";
            if (button.program != 0) {
                snprintf(program, sizeof(program), "@%d", button.program);
            }
            snprintf(one, sizeof(one), "%s0x%X%s:0x%X", set.empty() ? "" : " ", button.vk, program,
                     button.modifiers);
            set += one;
        }
        Record("SetHeldModifierButtons(%s, %lu, %u)", set.c_str(), holdTimeMs,
               static_cast<unsigned>(ownExtraInfo));
    }
    void HoldModifiers(UINT modifiers) override { Record("HoldModifiers(0x%X)", modifiers); }
    void LetGoOfModifiers() override { Record("LetGoOfModifiers()"); }
    void TapActionDone() override { Record("TapActionDone()"); }
    void ReleaseEverythingHeld() override { Record("ReleaseEverythingHeld()"); }

    // A group is one line, then one line per event: key(vk, flags, extra information).
    UINT SendKeyEvents(const std::vector<platform::KeyStroke>& strokes) override {
        Record("SendKeyEvents(%u)", static_cast<unsigned>(strokes.size()));
        for (const platform::KeyStroke& stroke : strokes) {
            Record("key(%u, %lu, %u)", stroke.vk, stroke.flags,
                   static_cast<unsigned>(stroke.extraInfo));
        }
        const UINT size = static_cast<UINT>(strokes.size());
        return keysTaken < size ? keysTaken : size;
    }
    UINT keysTaken = UINT_MAX;  // how many events of a group the system takes

    // The keys held down, as the system reports them.
    std::vector<int> keysDown;
    SHORT GetAsyncKeyState(int vk) override {
        for (int down : keysDown) {
            if (down == vk) {
                return static_cast<SHORT>(0x8000);
            }
        }
        return 0;
    }

    bool foregroundElevated = false;
    bool ForegroundIsElevated() override { return foregroundElevated; }
    DWORD integrityLevel = SECURITY_MANDATORY_MEDIUM_RID;
    DWORD OwnIntegrityLevel() override { return integrityLevel; }

    BOOL WTSRegisterSessionNotification(HWND, DWORD flags) override {
        Record("WTSRegisterSessionNotification(%lu)", flags);
        return TRUE;
    }
    BOOL WTSUnRegisterSessionNotification(HWND) override {
        Record("WTSUnRegisterSessionNotification");
        return TRUE;
    }

    SHELLEXECUTEINFOW lastExecute = {};

    // What the shell's applications folder holds.
    std::vector<platform::ShellApp> shellApps;
    std::vector<platform::ShellApp> ListShellApps() override { return shellApps; }
    // The programs that have a window open, as the customizer's program list is to see them.
    std::vector<platform::OpenProgram> openPrograms;
    std::vector<platform::OpenProgram> ListOpenPrograms() override { return openPrograms; }

    // The recorded calls whose text begins with `prefix`.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& call : calls) {
            if (call.rfind(prefix, 0) == 0) {
                found.push_back(call);
            }
        }
        return found;
    }

    static std::string Narrow(LPCWSTR text) {
        if (!text) {
            return "(null)";
        }
        std::string narrow;
        for (; *text; ++text) {
            narrow += *text < 128 ? static_cast<char>(*text) : '?';
        }
        return narrow;
    }

  private:
    template <typename... Args>
    void Record(const char* format, Args... args) {
        char line[512];
        snprintf(line, sizeof(line), format, args...);
        calls.emplace_back(line);
    }
};

}  // namespace testing_support
