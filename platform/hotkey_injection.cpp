// The layer's own events, which pass its hooks once, and the tap that hides a swallowed
// button from Win so that Windows never sees a lone Win tap and leaves the Start menu shut.
#include <vector>

#include "platform/hotkey_layer.h"

namespace platform {
namespace layer {

bool maskOwed = false;  // a mask is posted and not yet injected

namespace {

test_access::Injector injector = nullptr;

struct HeldKey {
    bool held;
    DWORD vk;
    ULONG_PTR extraInfo;
};
HeldKey winUpHeld = {};  // a Win release held back until the owed mask has gone first
std::vector<HotKeyReport>& reportsAfterMask = *new std::vector<HotKeyReport>;

void Inject(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo) {
    if (injector) {
        injector(vk, scan, flags, extraInfo);
    } else {
        ::keybd_event(vk, scan, flags, extraInfo);
    }
}

}  // namespace

void HoldBackWinUp(DWORD vk, ULONG_PTR extraInfo) {
    winUpHeld = {true, vk, extraInfo};
}

// While a mask is owed, reports wait for it: the receiver's own keystrokes, made in answer
// to a report, must come after the mask.
bool ReportWaitsForMask(const HotKeyReport& report) {
    if (maskOwed) {
        reportsAfterMask.push_back(report);
    }
    return maskOwed;
}

// The mask goes before Win's release (held back in the hook should it come first); the
// reports that waited for it follow.
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

}  // namespace layer

// Without a hook there is nothing to pass, and an event awaited in vain could later let
// another program's like it by.
void SendKeyEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo) {
    if (layer::hookThread) {
        std::lock_guard<std::mutex> lock(layer::dataLock);
        layer::matcher.ExpectOwn(vk, (flags & KEYEVENTF_KEYUP) != 0, extraInfo, GetTickCount());
    }
    layer::Inject(vk, scan, flags, extraInfo);
}

void SendMouseButtonEvent(UINT vk, bool up, ULONG_PTR extraInfo) {
    if (!IsMouseButton(vk)) {
        return;
    }
    if (layer::hookThread) {
        std::lock_guard<std::mutex> lock(layer::dataLock);
        layer::matcher.ExpectOwn(vk, up, extraInfo, GetTickCount());
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
    if (SendInput(1, &click, sizeof(click)) != 1 && layer::hookThread) {
        std::lock_guard<std::mutex> lock(layer::dataLock);
        layer::matcher.DropOwn(vk, up, extraInfo);
    }
}

namespace test_access {

void SetInjector(Injector replacement) {
    layer::injector = replacement;
}

}  // namespace test_access

}  // namespace platform
