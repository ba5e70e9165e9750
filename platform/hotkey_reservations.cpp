// The system's own hot keys, made on the hook thread's window so that what the system
// reports arrives there, where it is told apart from what the hook saw. They reserve each
// combination across programs and report a key where the hook does not see it.
#include <vector>

#include "platform/hotkey_layer.h"

namespace platform {
namespace layer {

namespace {

// Hook thread only.
struct Reservation {
    int id;
    UINT modifiers;
    UINT vk;
    bool aside;  // released while one of the layer's own events of its key passes
};
std::vector<Reservation>& reservations = *new std::vector<Reservation>;

}  // namespace

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

void Reserve(Request* asked) {
    asked->result = ::RegisterHotKey(threadWindow, asked->reservation, asked->modifiers, asked->vk);
    asked->error = asked->result ? ERROR_SUCCESS : GetLastError();
    if (asked->result) {
        reservations.push_back({asked->reservation, asked->modifiers, asked->vk, false});
    }
}

void Release(int reservation) {
    for (auto it = reservations.begin(); it != reservations.end(); ++it) {
        if (it->id == reservation) {
            if (!it->aside) {
                ::UnregisterHotKey(threadWindow, it->id);
            }
            reservations.erase(it);
            return;
        }
    }
}

void ReleaseAllReservations(HWND window) {
    for (const Reservation& r : reservations) {
        ::UnregisterHotKey(window, r.id);
    }
    reservations.clear();
}

// A key taken alone is reserved as it is taken, without Win.
UINT ReservedModifiers(UINT modifiers, UINT vk) {
    const UINT reserved = modifiers & kHotKeyModifierMask;
    return IsTakenAlone(modifiers, vk) ? reserved & ~MOD_WIN : reserved;
}

}  // namespace layer
}  // namespace platform
