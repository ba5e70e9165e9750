#include "agent/session_watch.h"

#include <wtsapi32.h>

#include "agent/latches.h"
#include "agent/while_held.h"
#include "platform/os_calls.h"

namespace kestrel {

namespace {

// Once the lock screen is in front the system may take no key from the agent; the release
// is then made when the session is back, before the user types again.
bool releaseOwed = false;

}  // namespace

void WatchSession(HWND window) {
    releaseOwed = false;
    platform::Os().WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION);
}

void StopWatchingSession(HWND window) {
    platform::Os().WTSUnRegisterSessionNotification(window);
}

void HandleSessionChange(WPARAM event) {
    switch (event) {
        case WTS_SESSION_LOCK:
        case WTS_CONSOLE_DISCONNECT:
        case WTS_REMOTE_DISCONNECT:
            // Keys released on the lock screen or in another session never reach the hooks.
            ReleaseEverythingHeld();
            releaseOwed = !ResetLatches(LatchNotice::Quiet);
            break;
        case WTS_SESSION_UNLOCK:
        case WTS_CONSOLE_CONNECT:
        case WTS_REMOTE_CONNECT:
            if (releaseOwed) {
                releaseOwed = !ResetLatches();
            }
            break;
        default:
            break;
    }
}

}  // namespace kestrel
