// The layer's own events, which pass its hooks once, and the tap that hides a swallowed
// button from Win so that Windows never sees a lone Win tap and leaves the Start menu shut.
#include "platform/hotkey_layer.h"

namespace platform {
namespace layer {

namespace {

test_access::Injector injector = nullptr;

void Inject(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo) {
    if (injector) {
        injector(vk, scan, flags, extraInfo);
    } else {
        ::keybd_event(vk, scan, flags, extraInfo);
    }
}

}  // namespace

// Called from inside the hook that swallows the button, before it returns: the system
// takes the tap into its input ahead of every event that comes after the button, Win's
// release included, so no user event is ever held back or sent again. Down and up go in
// one call so nothing of another program's can come between them.
void InjectMask() {
    INPUT mask[2];
    MaskKeyTap(kMaskExtraInfo, mask);
    SendInput(2, mask, sizeof(INPUT));
}

void MaskKeyTap(ULONG_PTR extraInfo, INPUT (&tap)[2]) {
    tap[0] = {};
    tap[0].type = INPUT_KEYBOARD;
    tap[0].ki.wVk = kMaskKey;
    tap[0].ki.dwExtraInfo = extraInfo;
    tap[1] = tap[0];
    tap[1].ki.dwFlags = KEYEVENTF_KEYUP;
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
