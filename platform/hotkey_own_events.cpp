// The layer's own events: the tickets that let each of them pass the hooks once, and no
// other program's event in their place.
#include <algorithm>
#include <iterator>

#include "platform/hotkey_matcher.h"

namespace platform {

namespace {

// Own events are few at a time (a key sequence of a few groups); more are the sign that a
// newer hook takes them all, and the oldest go.
constexpr size_t kOwnEventLimit = 64;

// keybd_event may name the generic Shift, Ctrl and Alt; the hook sees them by side.
bool SameKey(DWORD sent, DWORD seen) {
    switch (sent) {
        case VK_SHIFT:
            return seen == VK_LSHIFT || seen == VK_RSHIFT || seen == VK_SHIFT;
        case VK_CONTROL:
            return seen == VK_LCONTROL || seen == VK_RCONTROL || seen == VK_CONTROL;
        case VK_MENU:
            return seen == VK_LMENU || seen == VK_RMENU || seen == VK_MENU;
        default:
            return sent == seen;
    }
}

}  // namespace

void HotKeyMatcher::DropOwn(DWORD vk, bool up, ULONG_PTR extraInfo, DWORD stamp) {
    for (auto it = own_.rbegin(); it != own_.rend(); ++it) {
        if (it->vk == vk && it->up == up && it->extraInfo == extraInfo && it->stamp == stamp) {
            own_.erase(std::next(it).base());
            return;
        }
    }
}

DWORD HotKeyMatcher::ExpectOwn(DWORD vk, bool up, ULONG_PTR extraInfo, DWORD now) {
    ExpireOwn(now);
    if (own_.size() >= kOwnEventLimit) {
        own_.erase(own_.begin());
    }
    // SendInput reads a stamp of 0 as "stamp it yourself".
    const DWORD stamp = now + kOwnStampLeadMs == 0 ? 1 : now + kOwnStampLeadMs;
    own_.push_back({vk, up, extraInfo, now, stamp});
    return stamp;
}

bool HotKeyMatcher::ExpireOwn(DWORD now) {
    own_.erase(
        std::remove_if(own_.begin(), own_.end(),
                       [now](const OwnEvent& e) { return now - e.sentAt > kOwnEventLifeMs; }),
        own_.end());
    return !own_.empty();
}

// Only an injected event can be one of ours, and only with its ticket's stamp while the
// ticket lives; the oldest that fits is the one that arrived.
bool HotKeyMatcher::TakeOwn(const KeyEvent& event) {
    if (!(event.flags & LLKHF_INJECTED)) {
        return false;
    }
    ExpireOwn(event.seenAt);
    for (auto it = own_.begin(); it != own_.end(); ++it) {
        if (it->stamp == event.time && SameKey(it->vk, event.vk) && it->up == event.up &&
            it->extraInfo == event.extraInfo) {
            own_.erase(it);
            return true;
        }
    }
    return false;
}

}  // namespace platform
