// The hook thread: it owns the hooks, the system's reservations and the watch, and does
// nothing else, so that the system never waits for it behind other work. The registering
// thread hands it requests one at a time.
#include "platform/hotkey_layer.h"

namespace platform {
namespace layer {

std::mutex& dataLock = *new std::mutex;
HotKeyMatcher& matcher = *new HotKeyMatcher;

HANDLE hookThread = nullptr;
HWND hookWindow = nullptr;  // message-only window of the hook thread
HWND threadWindow = nullptr;
HANDLE hookThreadAnswered = CreateEventW(nullptr, FALSE, FALSE, nullptr);
Request request = {};
bool mouseHookReady = false;

namespace {

constexpr wchar_t kHookWindowClass[] = L"KeyUpHotKeyHookThread";

// The keyboard repeats a held key first after its repeat delay; the margin covers an
// event stamped late on a loaded machine. Beyond that a key-down is a new press.
constexpr DWORD kRepeatMarginMs = 250;

DWORD RepeatWindowMs() {
    UINT delay = 1;  // 0 to 3: 250 to 1000 ms
    SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
    return (delay + 1) * 250 + kRepeatMarginMs;
}

void Answer() {
    SetEvent(hookThreadAnswered);
}

// The hooks go with the window: nothing of the layer stays in the system once it closes.
void OnDestroy(HWND window) {
    ReleaseHeld();
    ReleaseAllReservations(window);
    StopWatchingForeground();
    UnhookWindowsHookEx(keyboardHook);
    keyboardHook = nullptr;
    if (mouseHook) {
        UnhookWindowsHookEx(mouseHook);
        mouseHook = nullptr;
    }
    PostQuitMessage(0);
}

void OnTimer(UINT_PTR timer) {
    switch (timer) {
        case kWatchTimer:
            OnWatchTimer();
            break;
        case kMouseRetryTimer:
            OnMouseRetryTimer();
            break;
        case kEndTimer:
            OnEndTimer();
            break;
        case kHeldTimerId:
            OnHeldTimer();
            break;
        default:
            break;
    }
}

LRESULT CALLBACK HookWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_HOTKEY:
            OnSystemHotKey(static_cast<int>(wParam));
            return 0;
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case kMsgMouseHook:
            mouseHookReady = UpdateMouseHook(wParam != 0);
            Answer();
            return 0;
        case kMsgMouseSettled:
            UpdateMouseHook(false);
            CheckEnd();
            return 0;
        case kMsgEndCheck:
            StartEndWait();
            return 0;
        case kMsgHeld:
            OnHeldRequest(wParam);
            Answer();
            return 0;
        case kMsgBack:
            TakeReservationsBack(static_cast<UINT>(wParam));
            return 0;
        case kMsgReserve:
            Reserve(&request);
            Answer();
            return 0;
        case kMsgRelease:
            Release(request.reservation);
            Answer();
            return 0;
        case kMsgCheckHook:
            WatchHook();
            Answer();
            return 0;
        case kMsgDropHook:
            // The handle is kept, as if still in place.
            UnhookWindowsHookEx(wParam == WH_MOUSE_LL ? mouseHook : keyboardHook);
            Answer();
            return 0;
        case kMsgNothing:
            Answer();
            return 0;
        case WM_DESTROY:
            OnDestroy(window);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

struct ThreadStart {
    HANDLE ready;
    HWND window;
};

// Windows gives a low-level hook a few hundred milliseconds and then removes it without a
// word. The thread does nothing but answer the hooks and keep short house, and waits
// without spinning, so the top of the normal range costs others nothing; a step above
// normal would still be overtaken by busy programs whose priority the system boosts (the
// foreground, threads woken by input), which is when the hook is late.
DWORD WINAPI HookThreadMain(LPVOID context) {
    auto* start = static_cast<ThreadStart*>(context);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    mouseMissingNoticed = false;
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
    WatchForeground();
    SetTimer(window, kWatchTimer, kWatchPeriodMs, nullptr);
    start->window = window;
    SetEvent(start->ready);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}

// A program that ends with registrations still in place stops the thread cleanly too.
struct StopAtExit {
    ~StopAtExit() { EndHookThreadAtExit(); }
} stopAtExit;

}  // namespace

bool StartHookThread() {
    if (hookThread) {
        bool ended = false;
        {
            std::lock_guard<std::mutex> lock(dataLock);
            endWhenSettled = false;
            ended = threadEnded;
        }
        if (!ended) {
            return true;
        }
        StopHookThread();
    }
    {
        const DWORD repeatWindow = RepeatWindowMs();
        SetHeldRepeatWindow(repeatWindow);
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
        endWhenSettled = endingProgram = threadEnded = mouseRetrying = false;
    }
    CloseHandle(hookThread);
    hookThread = nullptr;
    hookWindow = nullptr;
}

// Not with a sent message: a thread waiting for the answer to one handles messages sent to
// it meanwhile, and a reload sent to the agent would then rebuild its button table in the
// middle of a registration.
// A thread that ends itself meanwhile leaves the message unanswered.
void AskHookThread(UINT message, WPARAM wParam) {
    ResetEvent(hookThreadAnswered);
    if (PostMessageW(hookWindow, message, wParam, 0)) {
        const HANDLE answers[] = {hookThreadAnswered, hookThread};
        WaitForMultipleObjects(2, answers, FALSE, 5000);
    }
}

}  // namespace layer

namespace test_access {

void DropHookSilently(int hookType) {
    if (layer::hookWindow) {
        layer::AskHookThread(layer::kMsgDropHook, static_cast<WPARAM>(hookType));
    }
}

int HookThreadPriority() {
    return layer::hookThread ? GetThreadPriority(layer::hookThread) : THREAD_PRIORITY_ERROR_RETURN;
}

void WaitForHookThread() {
    ResetEvent(layer::hookThreadAnswered);
    if (!layer::hookWindow || !PostMessageW(layer::hookWindow, layer::kMsgNothing, 0, 0)) {
        return;
    }
    const HANDLE answers[] = {layer::hookThreadAnswered, layer::hookThread};
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (GetTickCount64() < deadline &&
           MsgWaitForMultipleObjects(2, answers, FALSE, 100, QS_SENDMESSAGE) >= WAIT_OBJECT_0 + 2) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace test_access

}  // namespace platform
