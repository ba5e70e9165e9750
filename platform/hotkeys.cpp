// The public entry points of the hot-key layer: registrations, handed to the matcher and
// to the hook thread's reservations. The rooms of the layer are named in hotkey_layer.h.
#include "platform/hotkeys.h"

#include "platform/hotkey_layer.h"

namespace platform {

using namespace layer;

namespace {

int nextReservation = 0;
constexpr int kReservationIds = 0xBFFF;  // the range RegisterHotKey allows a program

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
    // Without its hook a mouse button would go on reaching programs as if nothing took it.
    if (IsMouseButton(vk)) {
        mouseHookReady = false;  // unless the hook thread answers
        AskHookThread(kMsgMouseHook, 1);
        if (!mouseHookReady) {
            LetHookThreadEnd();
            return FALSE;
        }
    }
    // The system's registration is the cross-process reservation: it refuses a combination
    // another program holds, and reports the key where the hook does not see it.
    request = {nextReservation, ReservedModifiers(modifiers, vk), vk, FALSE, ERROR_SUCCESS};
    if (!IsMouseButton(vk)) {
        nextReservation = (nextReservation + 1) % kReservationIds;
        AskHookThread(kMsgReserve);
    }
    if (!request.result && !IsMouseButton(vk) &&
        ReservationRefusalStands(modifiers, vk, request.error)) {
        LetHookThreadEnd();
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
    bool mouseDone = false;
    int reservation = kNoReservation;
    {
        std::lock_guard<std::mutex> lock(dataLock);
        const bool mouseNeeded = matcher.NeedsMouseHook();
        known = matcher.Remove(window, id, &reservation);
        none = matcher.Count() == 0;
        mouseDone = mouseNeeded && !matcher.NeedsMouseHook();
    }
    if (reservation != kNoReservation && hookThread) {
        request.reservation = reservation;
        AskHookThread(kMsgRelease);
    }
    if (none) {
        LetHookThreadEnd();
    } else if (mouseDone && hookThread) {
        AskHookThread(kMsgMouseHook, 0);
    }
    return known;
}

int KeyUpHotKeyCount() {
    std::lock_guard<std::mutex> lock(dataLock);
    return matcher.Count();
}

// The mouse hook serves the buttons that are modifiers while held as well as the mouse
// buttons: it is put in place or taken away as their set changes.
void RefreshMouseHook() {
    if (hookThread) {
        AskHookThread(kMsgMouseHook, 0);
    }
}

}  // namespace platform
