// The layer's own events, which pass its hooks once, and the tap that hides a swallowed
// button from Win so that Windows never sees a lone Win tap and leaves the Start menu shut.
#include "platform/hotkey_layer.h"

#include <vector>

namespace platform {
namespace layer {

namespace {

test_access::Injector injector = nullptr;

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
    tap[0] = KeyInput(kMaskKey, 0, 0, extraInfo);
    tap[1] = KeyInput(kMaskKey, 0, KEYEVENTF_KEYUP, extraInfo);
}

INPUT KeyInput(BYTE vk, WORD scan, DWORD flags, ULONG_PTR extraInfo) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = scan;
    input.ki.dwFlags = flags;
    input.ki.dwExtraInfo = extraInfo;
    return input;
}

}  // namespace layer

namespace {

// The key or mouse button an INPUT presses or releases, as the hooks name it; 0 for the
// mask, which passes the hooks by its own mark, and for any other input.
DWORD OwnEventKey(const INPUT& input, bool* up) {
    if (input.type == INPUT_KEYBOARD) {
        *up = (input.ki.dwFlags & KEYEVENTF_KEYUP) != 0;
        const bool mask = input.ki.wVk == kMaskKey && input.ki.dwExtraInfo == kMaskExtraInfo;
        return mask ? 0 : input.ki.wVk;
    }
    if (input.type != INPUT_MOUSE) {
        return 0;
    }
    const DWORD flags = input.mi.dwFlags;
    *up = (flags & (MOUSEEVENTF_MIDDLEUP | MOUSEEVENTF_XUP)) != 0;
    if (flags & (MOUSEEVENTF_MIDDLEDOWN | MOUSEEVENTF_MIDDLEUP)) {
        return VK_MBUTTON;
    }
    if (flags & (MOUSEEVENTF_XDOWN | MOUSEEVENTF_XUP)) {
        return input.mi.mouseData == XBUTTON1 ? VK_XBUTTON1 : VK_XBUTTON2;
    }
    return 0;
}

ULONG_PTR& ExtraInfoOf(INPUT& input) {
    return input.type == INPUT_KEYBOARD ? input.ki.dwExtraInfo : input.mi.dwExtraInfo;
}

DWORD& StampOf(INPUT& input) {
    return input.type == INPUT_KEYBOARD ? input.ki.time : input.mi.time;
}

UINT Send(INPUT& input) {
    return layer::injector ? layer::injector(input) : SendInput(1, &input, sizeof(INPUT));
}

}  // namespace

// Without a hook there is nothing to pass, and the event keeps the system's own stamp.
void MarkOwnEvent(INPUT* input) {
    bool up = false;
    const DWORD key = OwnEventKey(*input, &up);
    if (!layer::hookThread || key == 0) {
        return;
    }
    const DWORD now = GetTickCount();
    std::lock_guard<std::mutex> lock(layer::dataLock);
    StampOf(*input) = layer::matcher.ExpectOwn(key, up, ExtraInfoOf(*input), now);
}

// A ticket left for an event that never went in would only wait out its life.
void ForgetOwnEvent(INPUT input) {
    bool up = false;
    const DWORD key = OwnEventKey(input, &up);
    if (!layer::hookThread || key == 0) {
        return;
    }
    std::lock_guard<std::mutex> lock(layer::dataLock);
    layer::matcher.DropOwn(key, up, ExtraInfoOf(input), StampOf(input));
}

void SendKeyEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo) {
    INPUT input = layer::KeyInput(vk, scan, flags, extraInfo);
    MarkOwnEvent(&input);
    if (Send(input) != 1) {
        ForgetOwnEvent(input);
    }
}

// One SendInput for the whole group, so no other program's event comes between its events;
// each has its ticket before the group goes out, and those the system did not take in are
// no longer awaited.
UINT SendKeyEvents(const KeyStroke* strokes, UINT count) {
    if (!strokes || count == 0) {
        return 0;
    }
    std::vector<INPUT> inputs(count);
    for (UINT i = 0; i < count; ++i) {
        inputs[i] = layer::KeyInput(strokes[i].vk, 0, strokes[i].flags, strokes[i].extraInfo);
        MarkOwnEvent(&inputs[i]);
    }
    UINT sent = 0;
    if (layer::injector) {
        while (sent < count && layer::injector(inputs[sent]) == 1) {
            ++sent;
        }
    } else {
        sent = SendInput(count, inputs.data(), sizeof(INPUT));
    }
    for (UINT i = sent; i < count; ++i) {
        ForgetOwnEvent(inputs[i]);
    }
    return sent;
}

void SendMouseButtonEvent(UINT vk, bool up, ULONG_PTR extraInfo) {
    if (!IsMouseButton(vk)) {
        return;
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
    MarkOwnEvent(&click);
    // A refused click must not stay awaited.
    if (SendInput(1, &click, sizeof(click)) != 1) {
        ForgetOwnEvent(click);
    }
}

namespace test_access {

void SetInjector(Injector replacement) {
    layer::injector = replacement;
}

}  // namespace test_access

}  // namespace platform
