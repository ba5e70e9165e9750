#include "platform/hotkeys.h"

#include <atomic>
#include <climits>
#include <mutex>
#include <vector>

namespace platform {

namespace {

// Guards the matcher and the awaited event only. No system call is made while it is held,
// so neither side can ever wait for the other through it.
std::mutex dataLock;
HotKeyMatcher matcher;

// What SendKeyEvent waits for: the hook has seen this injected event.
struct AwaitedEvent {
    bool armed;
    BYTE vk;
    bool up;
    ULONG_PTR extraInfo;
};
AwaitedEvent awaited = {};
HANDLE awaitedSeen = CreateEventW(nullptr, FALSE, FALSE, nullptr);
constexpr DWORD kAwaitLimitMs = 500;

test_access::Injector injector = nullptr;

// The hook thread. The handles are written only by the registering thread.
HANDLE hookThread = nullptr;
DWORD hookThreadId = 0;
HWND hookWindow = nullptr;  // message-only window of the hook thread
constexpr wchar_t kHookWindowClass[] = L"KeyUpHotKeyHookThread";
constexpr UINT kMsgCheckHook = WM_APP + 1;
constexpr UINT kMsgDropHook = WM_APP + 2;
HANDLE hookThreadAnswered = CreateEventW(nullptr, FALSE, FALSE, nullptr);

// Hook thread only.
HHOOK keyboardHook = nullptr;
POINT lastCursor = {};
DWORD mouseInputAt = 0;       // the last input time that a moving cursor explains
bool suspectedInput = false;  // input the hook had not seen at the last look
DWORD suspectedInputAt = 0;
constexpr UINT kWatchPeriodMs = 500;
// Input this old that the hook has not seen was not merely on its way to it.
constexpr LONG kInFlightMs = 100;
// Written by the hook, read by the watch on the same thread; atomic for the tests' reads.
std::atomic<DWORD> lastSeenAt{0};

// The keyboard repeats a held key first after its repeat delay; the margin covers an
// event stamped late on a loaded machine. Beyond that a key-down is a new press.
constexpr DWORD kRepeatMarginMs = 250;

DWORD RepeatWindowMs() {
    UINT delay = 1;  // 0 to 3: 250 to 1000 ms
    SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
    return (delay + 1) * 250 + kRepeatMarginMs;
}

void Inject(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo) {
    if (injector) {
        injector(vk, scan, flags, extraInfo);
    } else {
        ::keybd_event(vk, scan, flags, extraInfo);
    }
}

// The system's state of the modifiers; inside the hook it reflects every earlier event.
// Shift, Ctrl and Alt are asked by their generic codes, which stand for either side
// whichever code the event that pressed them named.
UINT HeldModifiers() {
    struct ModifierKey {
        int vk;
        UINT modifier;
    };
    static constexpr ModifierKey kKeys[] = {
        {VK_LWIN, MOD_WIN},        {VK_RWIN, MOD_WIN}, {VK_SHIFT, MOD_SHIFT},
        {VK_CONTROL, MOD_CONTROL}, {VK_MENU, MOD_ALT},
    };
    UINT held = 0;
    for (const ModifierKey& key : kKeys) {
        if (GetAsyncKeyState(key.vk) & 0x8000) {
            held |= key.modifier;
        }
    }
    return held;
}

// keybd_event may name the generic Shift, Ctrl and Alt; the hook sees them by side.
bool SameKey(BYTE sent, DWORD seen) {
    switch (sent) {
        case VK_SHIFT:
            return seen == VK_LSHIFT || seen == VK_RSHIFT || seen == VK_SHIFT;
        case VK_CONTROL:
            return seen == VK_LCONTROL || seen == VK_RCONTROL || seen == VK_CONTROL;
        case VK_MENU:
            return seen == VK_LMENU || seen == VK_RMENU || seen == VK_MENU;
        default:
            return sent == seen;
    }
}

void NoteInjected(const KBDLLHOOKSTRUCT& event) {
    bool seen = false;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        if (awaited.armed && SameKey(awaited.vk, event.vkCode) &&
            awaited.up == ((event.flags & LLKHF_UP) != 0) &&
            awaited.extraInfo == event.dwExtraInfo) {
            awaited.armed = false;
            seen = true;
        }
    }
    if (seen) {
        SetEvent(awaitedSeen);
    }
}

// Two short steps under the lock with the system calls between them: which windows the
// key may concern, then the decision once their life and the modifiers are known.
KeyDecision Decide(const KBDLLHOOKSTRUCT& event) {
    const bool up = (event.flags & LLKHF_UP) != 0;
    std::vector<HWND> windows;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        if (!matcher.Concerns(event.vkCode, &windows)) {
            return KeyDecision();
        }
    }
    std::vector<HWND> gone;
    for (HWND window : windows) {
        if (!IsWindow(window)) {
            gone.push_back(window);
        }
    }
    const UINT held = up ? 0 : HeldModifiers();
    std::lock_guard<std::mutex> lock(dataLock);
    return matcher.Handle({event.vkCode, up, event.time}, held, gone);
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM message, LPARAM lParam) {
    if (code != HC_ACTION) {
        return CallNextHookEx(nullptr, code, message, lParam);
    }
    const KBDLLHOOKSTRUCT& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    lastSeenAt = GetTickCount();
    const bool ours = event.vkCode == kMaskKey && event.dwExtraInfo == kMaskExtraInfo;
    const KeyDecision decision = ours ? KeyDecision() : Decide(event);
    for (int i = 0; i < decision.reportCount; ++i) {
        const HotKeyReport& report = decision.reports[i];
        PostMessageW(report.window, WM_HOTKEY, static_cast<WPARAM>(report.id), report.lParam);
    }
    if (decision.maskWin) {
        // Injected from inside the hook, so it lands before Win's release.
        ::keybd_event(kMaskKey, 0, 0, kMaskExtraInfo);
        ::keybd_event(kMaskKey, 0, KEYEVENTF_KEYUP, kMaskExtraInfo);
    }
    // Last, so a waiting sender resumes only when the reports are out.
    if (event.flags & LLKHF_INJECTED) {
        NoteInjected(event);
    }
    if (decision.swallow) {
        return 1;
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

// The new hook first, then the old one away, so no key slips by between the two. An event
// may meet both for a moment; the second sees it passed and lets it pass again.
bool InstallHook() {
    HHOOK fresh = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHook, GetModuleHandleW(nullptr), 0);
    if (!fresh) {
        return false;
    }
    if (keyboardHook) {
        UnhookWindowsHookEx(keyboardHook);
    }
    keyboardHook = fresh;
    return true;
}

// Windows removes a hook that kept it waiting too long and says nothing. Input then
// arrives that the hook never sees: the system's last-input time moves past the last
// event the hook saw. An event may still be on its way to the hook, so the input must be
// a little old, or still unseen at the next look. Mouse input moves the time too, so input
// while the cursor moved counts as explained; a click without a move costs at worst one
// needless reinstall. A registration looks without the cursor, which can take tens of
// milliseconds to learn: there a mouse event taken for a lost hook costs only a reinstall.
void WatchHook(bool askCursor) {
    LASTINPUTINFO input = {sizeof(input), 0};
    if (!GetLastInputInfo(&input)) {
        return;
    }
    POINT cursor;
    if (askCursor && GetCursorPos(&cursor) &&
        (cursor.x != lastCursor.x || cursor.y != lastCursor.y)) {
        lastCursor = cursor;
        mouseInputAt = input.dwTime;
        suspectedInput = false;
        return;
    }
    const DWORD seen = lastSeenAt;
    if (input.dwTime == mouseInputAt || static_cast<LONG>(input.dwTime - seen) <= 0) {
        suspectedInput = false;
        return;
    }
    const bool old = static_cast<LONG>(GetTickCount() - input.dwTime) >= kInFlightMs;
    const bool stillUnseen = suspectedInput && static_cast<LONG>(suspectedInputAt - seen) > 0;
    if (!old && !stillUnseen) {
        suspectedInput = true;
        suspectedInputAt = input.dwTime;
        return;
    }
    suspectedInput = false;
    if (InstallHook()) {
        lastSeenAt = input.dwTime;
    }
}

LRESULT CALLBACK HookWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            WatchHook(true);
            return 0;
        case kMsgCheckHook:
            WatchHook(false);
            SetEvent(hookThreadAnswered);
            return 0;
        case kMsgDropHook:
            UnhookWindowsHookEx(keyboardHook);  // the handle is kept, as if still in place
            SetEvent(hookThreadAnswered);
            return 0;
        case WM_DESTROY:
            UnhookWindowsHookEx(keyboardHook);
            keyboardHook = nullptr;
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

struct ThreadStart {
    HANDLE ready;
    HWND window;
};

DWORD WINAPI HookThreadMain(LPVOID context) {
    auto* start = static_cast<ThreadStart*>(context);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = HookWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kHookWindowClass;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, kHookWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
    // Where the cursor is becomes known at the first timed look: asking costs tens of
    // milliseconds on a new thread under Wine, too long for a registration to wait.
    lastCursor = {LONG_MIN, LONG_MIN};
    lastSeenAt = GetTickCount();
    if (!window || !InstallHook()) {
        if (window) {
            DestroyWindow(window);
        }
        SetEvent(start->ready);
        return 1;
    }
    SetTimer(window, 1, kWatchPeriodMs, nullptr);
    start->window = window;
    SetEvent(start->ready);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}

bool StartHookThread() {
    if (hookThread) {
        return true;
    }
    {
        const DWORD repeatWindow = RepeatWindowMs();
        std::lock_guard<std::mutex> lock(dataLock);
        matcher.SetRepeatWindow(repeatWindow);
    }
    ThreadStart start = {CreateEventW(nullptr, TRUE, FALSE, nullptr), nullptr};
    if (!start.ready) {
        return false;
    }
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, HookThreadMain, &start, 0, &threadId);
    if (thread) {
        const HANDLE waits[] = {start.ready, thread};
        WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    }
    CloseHandle(start.ready);
    if (!thread || !start.window) {
        if (thread) {
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
        }
        return false;
    }
    hookThread = thread;
    hookThreadId = threadId;
    hookWindow = start.window;
    return true;
}

// The hook goes before the thread does: a process that ends with a hook in place can
// leave other programs' hooks deaf (Wine).
void StopHookThread() {
    if (!hookThread) {
        return;
    }
    PostMessageW(hookWindow, WM_CLOSE, 0, 0);
    WaitForSingleObject(hookThread, 5000);
    CloseHandle(hookThread);
    hookThread = nullptr;
    hookThreadId = 0;
    hookWindow = nullptr;
}

// Has the hook thread carry out `message` and waits for it. Not with a sent message: a
// thread waiting for the answer to one handles messages sent to it meanwhile, and a reload
// sent to the agent would then rebuild its button table in the middle of a registration.
void AskHookThread(UINT message) {
    ResetEvent(hookThreadAnswered);
    if (PostMessageW(hookWindow, message, 0, 0)) {
        WaitForSingleObject(hookThreadAnswered, 5000);
    }
}

// A program that ends with registrations still in place stops the thread cleanly too.
struct StopAtExit {
    ~StopAtExit() { StopHookThread(); }
} stopAtExit;

}  // namespace

BOOL RegisterKeyUpHotKey(HWND window, int id, UINT modifiers, UINT vk) {
    // The system's registration is the cross-process reservation: it refuses a taken
    // combination, this process's own registrations included.
    if (!::RegisterHotKey(window, id, modifiers & kHotKeyModifierMask, vk)) {
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> lock(dataLock);
        matcher.Add(window, id, modifiers, vk);
    }
    const bool running = hookThread != nullptr;
    if (!StartHookThread()) {
        // Without the hook the key would be reserved but never reported.
        UnregisterKeyUpHotKey(window, id);
        return FALSE;
    }
    if (running) {
        // A hook that the system removed in the meantime is back before this returns.
        AskHookThread(kMsgCheckHook);
    }
    return TRUE;
}

BOOL UnregisterKeyUpHotKey(HWND window, int id) {
    bool known = false;
    bool none = false;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        known = matcher.Remove(window, id);
        none = matcher.Count() == 0;
    }
    const BOOL released = ::UnregisterHotKey(window, id);
    if (none) {
        StopHookThread();
    }
    return known || released;
}

int KeyUpHotKeyCount() {
    std::lock_guard<std::mutex> lock(dataLock);
    return matcher.Count();
}

void SendKeyEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo) {
    const bool fenced = hookThread && GetCurrentThreadId() != hookThreadId;
    if (fenced) {
        ResetEvent(awaitedSeen);
        std::lock_guard<std::mutex> lock(dataLock);
        awaited = {true, vk, (flags & KEYEVENTF_KEYUP) != 0, extraInfo};
    }
    Inject(vk, scan, flags, extraInfo);
    if (fenced) {
        WaitForSingleObject(awaitedSeen, kAwaitLimitMs);
        std::lock_guard<std::mutex> lock(dataLock);
        awaited.armed = false;
    }
}

namespace test_access {

void DropHookSilently() {
    if (hookWindow) {
        AskHookThread(kMsgDropHook);
    }
}

void SetInjector(Injector replacement) {
    injector = replacement;
}

}  // namespace test_access

}  // namespace platform
