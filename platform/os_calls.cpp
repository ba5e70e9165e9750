#include "platform/os_calls.h"

#include <shldisp.h>
#include <shobjidl.h>
#include <wtsapi32.h>

#include "platform/hotkey_held.h"
#include "platform/hotkeys.h"
#include "platform/integrity.h"

namespace platform {

void OsCalls::SetPressRules(HWND window, const PressRules& rules) {
    platform::SetPressRules(window, rules);
}

BOOL OsCalls::RegisterHotKey(HWND window, int id, UINT modifiers, UINT vk) {
    return RegisterKeyUpHotKey(window, id, modifiers, vk);
}

BOOL OsCalls::UnregisterHotKey(HWND window, int id) {
    return UnregisterKeyUpHotKey(window, id);
}

UINT_PTR OsCalls::SetTimer(HWND window, UINT_PTR id, UINT elapse) {
    return ::SetTimer(window, id, elapse, nullptr);
}

BOOL OsCalls::KillTimer(HWND window, UINT_PTR id) {
    return ::KillTimer(window, id);
}

// Through the hot-key layer, so the process's own events pass its hooks once, untouched.
void OsCalls::keybd_event(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo) {
    SendKeyEvent(vk, scan, flags, extraInfo);
}

void OsCalls::SendMouseButton(UINT vk, bool up, ULONG_PTR extraInfo) {
    SendMouseButtonEvent(vk, up, extraInfo);
}

BOOL OsCalls::ShellExecuteExW(SHELLEXECUTEINFOW* info) {
    return ::ShellExecuteExW(info);
}

BOOL OsCalls::SipGetInfo(SIPINFO* info) {
    return ::SipGetInfo(info);
}

BOOL OsCalls::SipShowIM(DWORD flags) {
    return ::SipShowIM(flags);
}

HWND OsCalls::FindWindowW(LPCWSTR className, LPCWSTR title) {
    return ::FindWindowW(className, title);
}

BOOL OsCalls::SetForegroundWindow(HWND window) {
    return ::SetForegroundWindow(window);
}

int OsCalls::MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    return ::MessageBoxW(owner, text, caption, type);
}

DWORD OsCalls::GetModuleFileNameW(HMODULE module, LPWSTR path, DWORD size) {
    return ::GetModuleFileNameW(module, path, size);
}

void OsCalls::OutputDebugStringW(LPCWSTR text) {
    ::OutputDebugStringW(text);
}

BOOL OsCalls::Shell_NotifyIconW(DWORD message, NOTIFYICONDATAW* data) {
    return ::Shell_NotifyIconW(message, data);
}

LONG OsCalls::RegOpenKeyExW(HKEY root, LPCWSTR path, DWORD options, REGSAM access, HKEY* key) {
    return ::RegOpenKeyExW(root, path, options, access, key);
}

INT_PTR OsCalls::PropertySheetW(PROPSHEETHEADERW* header) {
    return ::PropertySheetW(header);
}

HMONITOR OsCalls::MonitorFromWindow(HWND window, DWORD flags) {
    return ::MonitorFromWindow(window, flags);
}

BOOL OsCalls::GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info) {
    return ::GetMonitorInfoW(monitor, info);
}

BOOL OsCalls::TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND window,
                               TPMPARAMS* params) {
    return ::TrackPopupMenuEx(menu, flags, x, y, window, params);
}

BOOL OsCalls::PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(window, message, wParam, lParam);
}

UINT OsCalls::GetSystemDirectoryW(LPWSTR path, UINT size) {
    return ::GetSystemDirectoryW(path, size);
}

DWORD OsCalls::GetFileAttributesW(LPCWSTR path) {
    return ::GetFileAttributesW(path);
}

// The shell's scripting object is the documented way to do what Win+D does. The calling
// thread may already have COM in another mode; then it is used as it is.
HRESULT OsCalls::ToggleDesktop() {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellDispatch4* shell = nullptr;
    HRESULT result = CoCreateInstance(CLSID_Shell, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellDispatch4, reinterpret_cast<void**>(&shell));
    if (SUCCEEDED(result)) {
        result = shell->ToggleDesktop();
        shell->Release();
    }
    if (SUCCEEDED(init)) {
        CoUninitialize();
    }
    return result;
}

BOOL OsCalls::ChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action,
                                          PCHANGEFILTERSTRUCT status) {
    return ::ChangeWindowMessageFilterEx(window, message, action, status);
}

UINT OsCalls::SendKeyEvents(const std::vector<KeyStroke>& strokes) {
    return platform::SendKeyEvents(strokes.data(), static_cast<UINT>(strokes.size()));
}

SHORT OsCalls::GetAsyncKeyState(int vk) {
    return ::GetAsyncKeyState(vk);
}

bool OsCalls::ForegroundIsElevated() {
    return ForegroundAboveLevel(CurrentIntegrityLevel());
}

DWORD OsCalls::OwnIntegrityLevel() {
    return CurrentIntegrityLevel();
}

BOOL OsCalls::WTSRegisterSessionNotification(HWND window, DWORD flags) {
    return ::WTSRegisterSessionNotification(window, flags);
}

BOOL OsCalls::WTSUnRegisterSessionNotification(HWND window) {
    return ::WTSUnRegisterSessionNotification(window);
}

void OsCalls::SetHeldModifierButtons(const std::vector<HeldButton>& buttons, DWORD holdTimeMs,
                                     ULONG_PTR ownExtraInfo) {
    ConfigureHeldModifiers(holdTimeMs, ownExtraInfo);
    platform::SetHeldModifierButtons(buttons);
    RefreshMouseHook();
}

void OsCalls::HoldModifiers(UINT modifiers) {
    platform::HoldModifiers(modifiers);
}

void OsCalls::LetGoOfModifiers() {
    platform::LetGoOfModifiers();
}

void OsCalls::TapActionDone() {
    platform::TapActionDone();
}

void OsCalls::ReleaseEverythingHeld() {
    platform::ReleaseEverythingHeld();
}

namespace {

// BHID_EnumItems: the handler that lists a shell folder's items.
constexpr GUID kEnumItemsHandler = {
    0x94f60519, 0x2850, 0x4924, {0xaa, 0x5a, 0xd1, 0x5e, 0x84, 0x86, 0x80, 0x39}};

}  // namespace

std::vector<OpenProgram> OsCalls::ListOpenPrograms() {
    return ListOpenProgramsNow();
}

std::vector<ShellApp> OsCalls::ListShellApps() {
    std::vector<ShellApp> apps;
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellItem* folder = nullptr;
    if (SUCCEEDED(SHCreateItemFromParsingName(L"shell:AppsFolder", nullptr, IID_IShellItem,
                                              reinterpret_cast<void**>(&folder)))) {
        IEnumShellItems* items = nullptr;
        if (SUCCEEDED(folder->BindToHandler(nullptr, kEnumItemsHandler, IID_IEnumShellItems,
                                            reinterpret_cast<void**>(&items)))) {
            IShellItem* item = nullptr;
            while (items->Next(1, &item, nullptr) == S_OK) {
                PWSTR name = nullptr;
                PWSTR parsingName = nullptr;
                if (SUCCEEDED(item->GetDisplayName(SIGDN_NORMALDISPLAY, &name)) &&
                    SUCCEEDED(item->GetDisplayName(SIGDN_PARENTRELATIVEPARSING, &parsingName))) {
                    apps.push_back({name, parsingName});
                }
                CoTaskMemFree(name);
                CoTaskMemFree(parsingName);
                item->Release();
            }
            items->Release();
        }
        folder->Release();
    }
    if (SUCCEEDED(init)) {
        CoUninitialize();
    }
    return apps;
}

namespace {
OsCalls realCalls;
OsCalls* currentCalls = &realCalls;
}  // namespace

OsCalls& Os() {
    return *currentCalls;
}

void SetOs(OsCalls* calls) {
    currentCalls = calls ? calls : &realCalls;
}

}  // namespace platform
