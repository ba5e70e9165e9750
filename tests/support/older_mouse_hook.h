#pragma once
// A mouse hook older than the one under test, standing for every program behind it: it
// writes down the button and wheel events that come through ("middle down", "back up"...),
// and keeps its own marker from every window. Whatever the newer hook swallowed never
// reaches it.
#include <windows.h>

#include <string>

#include "support/older_hook.h"

namespace testing_support {

// The marker an older mouse hook sends after what it is to read.
enum class MouseMarker {
    kMove,       // a move by nothing
    kLeftClick,  // a click of the left button, down and up
};

template <MouseMarker kMarker>
struct MouseWatch {
    static constexpr int kHookType = WH_MOUSE_LL;
    using Event = MSLLHOOKSTRUCT;
    static constexpr bool kKeepsMarker = true;
    static constexpr ULONG_PTR kMarkerInfo = 0x4F4C4452;

    static void SendMarker() {
        if (kMarker == MouseMarker::kMove) {
            mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, kMarkerInfo);
        } else {
            mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, kMarkerInfo);
            mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, kMarkerInfo);
        }
    }
    static Sighting Read(WPARAM message, const Event& event, std::string* description) {
        const UINT last = kMarker == MouseMarker::kMove ? WM_MOUSEMOVE : WM_LBUTTONUP;
        if (event.dwExtraInfo == kMarkerInfo) {
            return message == last ? Sighting::kMarkerEnd : Sighting::kMarkerPart;
        }
        if (message == WM_MOUSEMOVE) {
            return Sighting::kIgnored;
        }
        const bool middle = message == WM_MBUTTONDOWN || message == WM_MBUTTONUP;
        const bool side = message == WM_XBUTTONDOWN || message == WM_XBUTTONUP;
        if (!middle && !side) {
            *description = "message " + std::to_string(message);
        } else {
            const bool up = message == WM_MBUTTONUP || message == WM_XBUTTONUP;
            *description = middle                                ? "middle"
                           : HIWORD(event.mouseData) == XBUTTON1 ? "back"
                                                                 : "forward";
            *description += up ? " up" : " down";
        }
        return Sighting::kWritten;
    }
};

// Marks with a move by nothing.
using OlderMouseHook = OlderHook<MouseWatch<MouseMarker::kMove>>;
// Marks with a left click: a newer mouse hook lets a move by at once, but reads a click as it
// reads the clicks under test.
using ClickMarkedMouseHook = OlderHook<MouseWatch<MouseMarker::kLeftClick>>;

}  // namespace testing_support
