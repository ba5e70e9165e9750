#include "platform/hotkeys.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace platform {

namespace {

// The layer's data lives on the heap and is never destroyed: at exit a hook thread that
// takes longer to end than the wait for it must never meet freed data.
// The lock guards the matcher only. No system call is made while it is held, so neither
// side can ever wait for the other through it.
std::mutex& dataLock = *new std::mutex;
HotKeyMatcher& matcher = *new HotKeyMatcher;

test_access::Injector injector = nullptr;

// The hook thread. The handles are written only by the registering thread.
HANDLE hookThread = nullptr;
HWND hookWindow = nullptr;  // message-only window of the hook thread
constexpr wchar_t kHookWindowClass[] = L"KeyUpHotKeyHookThread";
constexpr UINT kMsgCheckHook = WM_APP + 1;
constexpr UINT kMsgDropHook = WM_APP + 2;
constexpr UINT kMsgReserve = WM_APP + 3;
constexpr UINT kMsgRelease = WM_APP + 4;
constexpr UINT kMsgMask = WM_APP + 5;
constexpr UINT kMsgBack = WM_APP + 6;
constexpr UINT kMsgNothing = WM_APP + 7;
HANDLE hookThreadAnswered = CreateEventW(nullptr, FALSE, FALSE, nullptr);

// What the registering thread asks the hook thread to reserve or release, one at a time.
struct Request {
    int reservation;
    UINT modifiers;
    UINT vk;
    BOOL result;
};
Request request = {};
int nextReservation = 0;
constexpr int kReservationIds = 0xBFFF;  // the range RegisterHotKey allows a program

// Hook thread only. The system's own hot keys, made on the hook thread's window so that
// what the system reports arrives here, where it is told apart from what the hook saw.
struct Reservation {
    int id;
    UINT modifiers;
    UINT vk;
    bool aside;  // released while one of the layer's own events of its key passes
};
std::vector<Reservation>& reservations = *new std::vector<Reservation>;
HWND threadWindow = nullptr;  // the hook thread's view of hookWindow
HHOOK keyboardHook = nullptr;
HHOOK mouseHook = nullptr;
bool maskOwed = false;  // a mask is posted and not yet injected
struct HeldKey {
    bool held;
    DWORD vk;
    ULONG_PTR extraInfo;
};
HeldKey winUpHeld = {};  // a Win release held back until the owed mask has gone first
std::vector<HotKeyReport>& reportsAfterMask = *new std::vector<HotKeyReport>;
// A hook's probe came through; the watch waits for one at a time.
bool keyProbeSeen = false;
bool mouseProbeSeen = false;
constexpr UINT kWatchPeriodMs = 500;
constexpr DWORD kProbeWaitMs = 300;
// Written by the hooks, read by the watch on the same thread; atomic for the tests' reads.
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

// Two short steps under the lock with the system calls between them: which windows the
// key may concern, then the decision once their life and the modifiers are known.
KeyDecision Decide(const KeyEvent& event) {
    std::vector<HWND> windows;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        if (!matcher.Concerns(event, &windows)) {
            return KeyDecision();
        }
    }
    std::vector<HWND> gone;
    for (HWND window : windows) {
        if (!IsWindow(window)) {
            gone.push_back(window);
        }
    }
    const UINT held = event.up ? 0 : HeldModifiers();
    std::lock_guard<std::mutex> lock(dataLock);
    return matcher.Handle(event, held, gone);
}

// The system would take the layer's own event for its hot key and keep it from the
// program: its reservations step aside before the hook returns, which is before the system
// looks for hot keys.
void SetReservationsAside(UINT vk) {
    for (Reservation& r : reservations) {
        if (r.vk == vk && !r.aside) {
            ::UnregisterHotKey(threadWindow, r.id);
            r.aside = true;
        }
    }
}

void TakeReservationsBack(UINT vk) {
    for (Reservation& r : reservations) {
        if ((vk == 0 || r.vk == vk) && r.aside) {
            r.aside = !::RegisterHotKey(threadWindow, r.id, r.modifiers, r.vk);
        }
    }
}

bool IsWinKey(DWORD vk) {
    return vk == VK_LWIN || vk == VK_RWIN;
}

// While a mask is owed, reports wait for it: the receiver's own keystrokes, made in answer
// to a report, must come after the mask.
void PostReports(const KeyDecision& decision) {
    for (int i = 0; i < decision.reportCount; ++i) {
        const HotKeyReport& report = decision.reports[i];
        if (maskOwed) {
            reportsAfterMask.push_back(report);
        } else {
            PostMessageW(report.window, WM_HOTKEY, static_cast<WPARAM>(report.id), report.lParam);
        }
    }
}

// Does what a decision asks of the hook thread and says whether the event is swallowed.
bool Carry(const KeyDecision& decision) {
    if (decision.maskWin && !maskOwed) {
        maskOwed = PostMessageW(threadWindow, kMsgMask, 0, 0) != FALSE;
    }
    PostReports(decision);
    if (decision.asideVk) {
        SetReservationsAside(decision.asideVk);
    }
    if (decision.backVk) {
        PostMessageW(threadWindow, kMsgBack, decision.backVk, 0);
    }
    return decision.swallow;
}

// The system waits for this at every key of every program, so the mask is injected once
// it has returned: from here every button press would wait for a second round trip.
LRESULT CALLBACK KeyboardHook(int code, WPARAM message, LPARAM lParam) {
    if (code != HC_ACTION) {
        return CallNextHookEx(nullptr, code, message, lParam);
    }
    const KBDLLHOOKSTRUCT& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    lastSeenAt = GetTickCount();
    if (event.vkCode == kMaskKey && event.dwExtraInfo == kProbeExtraInfo) {
        keyProbeSeen = true;
        return 1;  // only the hook asked for it
    }
    if (event.vkCode == kMaskKey && event.dwExtraInfo == kMaskExtraInfo) {
        return CallNextHookEx(nullptr, code, message, lParam);
    }
    // Win came up before the mask could go: it follows the mask instead.
    if (maskOwed && IsWinKey(event.vkCode) && (event.flags & LLKHF_UP)) {
        winUpHeld = {true, event.vkCode, event.dwExtraInfo};
        return 1;
    }
    const KeyEvent key = {event.vkCode, (event.flags & LLKHF_UP) != 0, event.time, event.flags,
                          event.dwExtraInfo};
    if (Carry(Decide(key))) {
        return 1;
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

// The mouse button a mouse hook event presses or releases, if it can be a button; 0 for
// the left and right buttons, the wheel and moves.
DWORD MouseButtonOf(WPARAM message, const MSLLHOOKSTRUCT& event, bool* up) {
    *up = message == WM_MBUTTONUP || message == WM_XBUTTONUP;
    switch (message) {
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            return VK_MBUTTON;
        case WM_XBUTTONDOWN:
        case WM_XBUTTONUP:
            switch (HIWORD(event.mouseData)) {
                case XBUTTON1:
                    return VK_XBUTTON1;
                case XBUTTON2:
                    return VK_XBUTTON2;
                default:
                    return 0;
            }
        default:
            return 0;
    }
}

// A mouse button is a key to the matcher, with the mouse hook's marks named as a key's.
KeyEvent MouseKeyEvent(DWORD vk, bool up, const MSLLHOOKSTRUCT& event) {
    DWORD flags = up ? LLKHF_UP : 0;
    if (event.flags & LLMHF_INJECTED) {
        flags |= LLKHF_INJECTED;
    }
    if (event.flags & LLMHF_LOWER_IL_INJECTED) {
        flags |= LLKHF_LOWER_IL_INJECTED;
    }
    return {vk, up, event.time, flags, event.dwExtraInfo};
}

// Mouse input reaches no keyboard hook; seen here, it is no sign of a lost one. Every
// other event than a press or release of a mouse button that can be a button passes at
// once: the system waits for this at every move of the mouse.
LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM lParam) {
    if (code != HC_ACTION) {
        return CallNextHookEx(nullptr, code, message, lParam);
    }
    const MSLLHOOKSTRUCT& event = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    lastSeenAt = GetTickCount();
    if (message == WM_MOUSEMOVE && event.dwExtraInfo == kProbeExtraInfo) {
        mouseProbeSeen = true;
        return 1;
    }
    bool up = false;
    const DWORD vk = MouseButtonOf(message, event, &up);
    if (vk && Carry(Decide(MouseKeyEvent(vk, up, event)))) {
        return 1;
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

// The new hook first, then the old one away, so no key slips by between the two. An event
// may meet both for a moment; the second sees it passed and lets it pass again.
bool Install(HHOOK* hook, int type, HOOKPROC procedure) {
    HHOOK fresh = SetWindowsHookExW(type, procedure, GetModuleHandleW(nullptr), 0);
    if (!fresh) {
        return false;
    }
    if (*hook) {
        UnhookWindowsHookEx(*hook);
    }
    *hook = fresh;
    return true;
}

// Whether a hook is still called: an event of the layer's own, which the hook takes, must
// reach it. The hook thread answers only its hooks meanwhile. Where the system refuses the
// injection (an elevated window has the focus, the workstation is locked) the question has
// no answer, and the hook counts as in place.
bool ProbeArrives(INPUT* probe, UINT count, const bool& seen) {
    if (SendInput(count, probe, sizeof(INPUT)) != count) {
        return true;
    }
    const DWORD start = GetTickCount();
    while (!seen) {
        const DWORD waited = GetTickCount() - start;
        if (waited >= kProbeWaitMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kProbeWaitMs - waited, QS_SENDMESSAGE);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}

// A key of the layer's own, down and up.
bool KeyboardHookAnswers() {
    keyProbeSeen = false;
    INPUT probe[2] = {};
    for (INPUT& input : probe) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = kMaskKey;
        input.ki.dwExtraInfo = kProbeExtraInfo;
    }
    probe[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return ProbeArrives(probe, 2, keyProbeSeen);
}

// A move by nothing, which no program would miss should the hook not take it.
bool MouseHookAnswers() {
    mouseProbeSeen = false;
    INPUT probe = {};
    probe.type = INPUT_MOUSE;
    probe.mi.dwFlags = MOUSEEVENTF_MOVE;
    probe.mi.dwExtraInfo = kProbeExtraInfo;
    return ProbeArrives(&probe, 1, mouseProbeSeen);
}

// Windows removes a hook that kept it waiting too long and says nothing. Input then
// arrives that the hook never sees: the system's last-input time moves past the last
// event the hooks saw. So does input that no keyboard hook is meant to see: pen and touch,
// keys typed into an elevated window, keys a newer hook takes. Reinstalling for those
// would put the layer ahead of programs that rely on being first, so only a hook that
// misses the layer's own probe is installed again.
void WatchHook() {
    LASTINPUTINFO input = {sizeof(input), 0};
    if (!GetLastInputInfo(&input) || static_cast<LONG>(input.dwTime - lastSeenAt) <= 0) {
        return;
    }
    if (!KeyboardHookAnswers()) {
        Install(&keyboardHook, WH_KEYBOARD_LL, KeyboardHook);
    }
    if (!mouseHook || !MouseHookAnswers()) {
        Install(&mouseHook, WH_MOUSE_LL, MouseHook);
    }
    lastSeenAt = GetTickCount();
}

// The mask goes before Win's release (held back in the hook should it come first), so
// Windows never sees a lone Win tap and leaves the Start menu shut; the reports that
// waited for it follow.
void InjectMask() {
    // Still owed while it goes in: events that the hook meets meanwhile wait behind it.
    ::keybd_event(kMaskKey, 0, 0, kMaskExtraInfo);
    ::keybd_event(kMaskKey, 0, KEYEVENTF_KEYUP, kMaskExtraInfo);
    maskOwed = false;
    std::vector<HotKeyReport> reports;
    reports.swap(reportsAfterMask);
    const HeldKey winUp = winUpHeld;
    winUpHeld = {};
    for (const HotKeyReport& report : reports) {
        PostMessageW(report.window, WM_HOTKEY, static_cast<WPARAM>(report.id), report.lParam);
    }
    if (winUp.held) {
        ::keybd_event(static_cast<BYTE>(winUp.vk), 0, KEYEVENTF_KEYUP, winUp.extraInfo);
    }
}

// A key the hook did not see: the system's own hot key caught it instead. The report
// itself is news of a lost hook, looked into at once.
void OnSystemHotKey(int reservation) {
    bool known = false;
    KeyDecision decision;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        decision = matcher.SystemReport(reservation, static_cast<DWORD>(GetMessageTime()), &known);
    }
    if (!known) {
        ::UnregisterHotKey(threadWindow, reservation);  // its window went without a word
        return;
    }
    PostReports(decision);
    WatchHook();
}

void Reserve() {
    request.result =
        ::RegisterHotKey(threadWindow, request.reservation, request.modifiers, request.vk);
    if (request.result) {
        reservations.push_back({request.reservation, request.modifiers, request.vk, false});
    }
}

void Release() {
    for (auto it = reservations.begin(); it != reservations.end(); ++it) {
        if (it->id == request.reservation) {
            if (!it->aside) {
                ::UnregisterHotKey(threadWindow, it->id);
            }
            reservations.erase(it);
            return;
        }
    }
}

void OnWatchTimer() {
    bool awaited = false;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        awaited = matcher.ExpireOwn(GetTickCount());
    }
    // An own event that never came (a newer hook took it) must not keep a key unreserved.
    if (!awaited) {
        TakeReservationsBack(0);
    }
    WatchHook();
}

LRESULT CALLBACK HookWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_HOTKEY:
            OnSystemHotKey(static_cast<int>(wParam));
            return 0;
        case WM_TIMER:
            OnWatchTimer();
            return 0;
        case kMsgMask:
            InjectMask();
            return 0;
        case kMsgBack:
            TakeReservationsBack(static_cast<UINT>(wParam));
            return 0;
        case kMsgReserve:
            Reserve();
            SetEvent(hookThreadAnswered);
            return 0;
        case kMsgRelease:
            Release();
            SetEvent(hookThreadAnswered);
            return 0;
        case kMsgCheckHook:
            WatchHook();
            SetEvent(hookThreadAnswered);
            return 0;
        case kMsgDropHook:
            // The handle is kept, as if still in place.
            UnhookWindowsHookEx(wParam == WH_MOUSE_LL ? mouseHook : keyboardHook);
            SetEvent(hookThreadAnswered);
            return 0;
        case kMsgNothing:
            SetEvent(hookThreadAnswered);
            return 0;
        case WM_DESTROY:
            for (const Reservation& r : reservations) {
                ::UnregisterHotKey(window, r.id);
            }
            reservations.clear();
            UnhookWindowsHookEx(keyboardHook);
            keyboardHook = nullptr;
            if (mouseHook) {
                UnhookWindowsHookEx(mouseHook);
                mouseHook = nullptr;
            }
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
    lastSeenAt = GetTickCount();
    threadWindow = window;
    if (!window || !Install(&keyboardHook, WH_KEYBOARD_LL, KeyboardHook)) {
        if (window) {
            DestroyWindow(window);
        }
        SetEvent(start->ready);
        return 1;
    }
    // Without it the mouse buttons are not taken until the watch installs it: no failure.
    Install(&mouseHook, WH_MOUSE_LL, MouseHook);
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
    hookWindow = start.window;
    return true;
}

// The hooks go before the thread does: a process that ends with a hook in place can
// leave other programs' hooks deaf (Wine). A thread that does not end in time is left
// running with the layer's data, which is never freed.
void StopHookThread() {
    if (!hookThread) {
        return;
    }
    PostMessageW(hookWindow, WM_CLOSE, 0, 0);
    WaitForSingleObject(hookThread, 5000);
    {
        std::lock_guard<std::mutex> lock(dataLock);
        matcher.ForgetOwn();
    }
    CloseHandle(hookThread);
    hookThread = nullptr;
    hookWindow = nullptr;
}

// Has the hook thread carry out `message` and waits for it. Not with a sent message: a
// thread waiting for the answer to one handles messages sent to it meanwhile, and a reload
// sent to the agent would then rebuild its button table in the middle of a registration.
void AskHookThread(UINT message, WPARAM wParam = 0) {
    ResetEvent(hookThreadAnswered);
    if (PostMessageW(hookWindow, message, wParam, 0)) {
        WaitForSingleObject(hookThreadAnswered, 5000);
    }
}

// A key taken alone is reserved as it is taken, without Win; one the system refuses to
// reserve still works through the hook. A handheld's button arrives with Win, which the
// shell may own: there the system's refusal stands.
bool TakenAlone(UINT modifiers, UINT vk) {
    return (modifiers & MOD_WIN) && IsDesktopKey(vk);
}

UINT ReservedModifiers(UINT modifiers, UINT vk) {
    const UINT reserved = modifiers & kHotKeyModifierMask;
    return TakenAlone(modifiers, vk) ? reserved & ~MOD_WIN : reserved;
}

// A program that ends with registrations still in place stops the thread cleanly too.
struct StopAtExit {
    ~StopAtExit() { StopHookThread(); }
} stopAtExit;

}  // namespace

BOOL RegisterKeyUpHotKey(HWND window, int id, UINT modifiers, UINT vk) {
    if (vk == VK_LBUTTON || vk == VK_RBUTTON) {
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> lock(dataLock);
        if (matcher.Taken(window, id, modifiers, vk)) {
            return FALSE;
        }
    }
    const bool running = hookThread != nullptr;
    if (!StartHookThread()) {
        return FALSE;
    }
    // The system's registration is the cross-process reservation: it refuses a combination
    // another program holds, and reports the key where the hook does not see it.
    request = {nextReservation, ReservedModifiers(modifiers, vk), vk, FALSE};
    if (!IsMouseButton(vk)) {
        nextReservation = (nextReservation + 1) % kReservationIds;
        AskHookThread(kMsgReserve);
    }
    if (!request.result && !TakenAlone(modifiers, vk) && !IsMouseButton(vk)) {
        if (KeyUpHotKeyCount() == 0) {
            StopHookThread();
        }
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> lock(dataLock);
        matcher.Add(window, id, modifiers, vk,
                    request.result ? request.reservation : kNoReservation);
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
    int reservation = kNoReservation;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        known = matcher.Remove(window, id, &reservation);
        none = matcher.Count() == 0;
    }
    if (reservation != kNoReservation && hookThread) {
        request.reservation = reservation;
        AskHookThread(kMsgRelease);
    }
    if (none) {
        StopHookThread();
    }
    return known;
}

int KeyUpHotKeyCount() {
    std::lock_guard<std::mutex> lock(dataLock);
    return matcher.Count();
}

// Without a hook there is nothing to pass, and an event awaited in vain could later let
// another program's like it by.
void SendKeyEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo) {
    if (hookThread) {
        std::lock_guard<std::mutex> lock(dataLock);
        matcher.ExpectOwn(vk, (flags & KEYEVENTF_KEYUP) != 0, extraInfo, GetTickCount());
    }
    Inject(vk, scan, flags, extraInfo);
}

void SendMouseButtonEvent(UINT vk, bool up, ULONG_PTR extraInfo) {
    if (!IsMouseButton(vk)) {
        return;
    }
    if (hookThread) {
        std::lock_guard<std::mutex> lock(dataLock);
        matcher.ExpectOwn(vk, up, extraInfo, GetTickCount());
    }
    INPUT click = {};
    click.type = INPUT_MOUSE;
    click.mi.dwExtraInfo = extraInfo;
    if (vk == VK_MBUTTON) {
        click.mi.dwFlags = up ? MOUSEEVENTF_MIDDLEUP : MOUSEEVENTF_MIDDLEDOWN;
    } else {
        click.mi.dwFlags = up ? MOUSEEVENTF_XUP : MOUSEEVENTF_XDOWN;
        click.mi.mouseData = vk == VK_XBUTTON1 ? XBUTTON1 : XBUTTON2;
    }
    // A refused click must not stay awaited: another program's like it would pass as ours.
    if (SendInput(1, &click, sizeof(click)) != 1 && hookThread) {
        std::lock_guard<std::mutex> lock(dataLock);
        matcher.DropOwn(vk, up, extraInfo);
    }
}

namespace test_access {

void DropHookSilently(int hookType) {
    if (hookWindow) {
        AskHookThread(kMsgDropHook, static_cast<WPARAM>(hookType));
    }
}

void SetInjector(Injector replacement) {
    injector = replacement;
}

void WaitForHookThread() {
    ResetEvent(hookThreadAnswered);
    if (!hookWindow || !PostMessageW(hookWindow, kMsgNothing, 0, 0)) {
        return;
    }
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (GetTickCount64() < deadline &&
           MsgWaitForMultipleObjects(1, &hookThreadAnswered, FALSE, 100, QS_SENDMESSAGE) !=
               WAIT_OBJECT_0) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

LRESULT CallKeyboardHook(KBDLLHOOKSTRUCT* event) {
    return KeyboardHook(HC_ACTION, (event->flags & LLKHF_UP) ? WM_KEYUP : WM_KEYDOWN,
                        reinterpret_cast<LPARAM>(event));
}

}  // namespace test_access

}  // namespace platform

namespace platform {

// Each event gets its pass once before the group goes out, as SendKeyEvent gives it; those
// the system did not take are no longer awaited.
UINT SendKeyEvents(const KeyStroke* strokes, UINT count) {
    if (!strokes || count == 0) {
        return 0;
    }
    if (hookThread) {
        std::lock_guard<std::mutex> lock(dataLock);
        for (UINT i = 0; i < count; ++i) {
            matcher.ExpectOwn(strokes[i].vk, (strokes[i].flags & KEYEVENTF_KEYUP) != 0,
                              strokes[i].extraInfo, GetTickCount());
        }
    }
    UINT sent = count;
    if (injector) {
        for (UINT i = 0; i < count; ++i) {
            injector(strokes[i].vk, 0, strokes[i].flags, strokes[i].extraInfo);
        }
    } else {
        std::vector<INPUT> inputs(count);
        for (UINT i = 0; i < count; ++i) {
            inputs[i].type = INPUT_KEYBOARD;
            inputs[i].ki.wVk = strokes[i].vk;
            inputs[i].ki.dwFlags = strokes[i].flags;
            inputs[i].ki.dwExtraInfo = strokes[i].extraInfo;
        }
        sent = SendInput(count, inputs.data(), sizeof(INPUT));
    }
    if (sent < count && hookThread) {
        std::lock_guard<std::mutex> lock(dataLock);
        for (UINT i = sent; i < count; ++i) {
            matcher.DropOwn(strokes[i].vk, (strokes[i].flags & KEYEVENTF_KEYUP) != 0,
                            strokes[i].extraInfo);
        }
    }
    return sent;
}

}  // namespace platform
