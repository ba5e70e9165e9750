// The watch that puts hooks back: Windows removes a hook that kept it waiting too long and
// says nothing.
#include "platform/hotkey_layer.h"

namespace platform {
namespace layer {

bool keyProbeSeen = false;
bool mouseProbeSeen = false;
std::atomic<DWORD> lastSeenAt{0};

namespace {

constexpr DWORD kProbeWaitMs = 300;

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
    INPUT probe[2];
    MaskKeyTap(kProbeExtraInfo, probe);
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

}  // namespace

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

// Whether the pointer moved since the watch last looked.
bool PointerMoved() {
    static POINT last = {};
    POINT now = {};
    if (!GetCursorPos(&now)) {
        return false;
    }
    const bool moved = now.x != last.x || now.y != last.y;
    last = now;
    return moved;
}

// A lost hook leaves input that it never saw: the system's last-input time moves past the
// last event the hooks saw. So does input that no keyboard hook is meant to see: pen and
// touch, keys typed into an elevated window, keys a newer hook takes. Reinstalling for
// those would put the layer ahead of programs that rely on being first, so only a hook
// that misses the layer's own probe is installed again. Without a mouse hook the mouse's
// own moves are such input too; a probe at every look while the user moves the mouse
// would send keys through every program's hooks twice a second, so a look that finds the
// pointer moved asks nothing, and keys a lost hook missed meanwhile are found at the next
// look without a move.
void WatchHook() {
    const bool moved = PointerMoved();
    LASTINPUTINFO input = {sizeof(input), 0};
    if (!GetLastInputInfo(&input) || static_cast<LONG>(input.dwTime - lastSeenAt) <= 0) {
        return;
    }
    if (!mouseHook && moved) {
        lastSeenAt = input.dwTime;
        return;
    }
    bool putBack = false;
    if (!KeyboardHookAnswers()) {
        putBack = Install(&keyboardHook, WH_KEYBOARD_LL, KeyboardHook);
    }
    if (mouseHook && !MouseHookAnswers()) {
        if (InstallMouseHook()) {
            putBack = true;
        } else {
            MouseHookMissing();
        }
    }
    // A hook put back may have missed a held button's release.
    if (putBack) {
        ReleaseHeld();
    }
    lastSeenAt = GetTickCount();
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

}  // namespace layer
}  // namespace platform
