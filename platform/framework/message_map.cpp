#include "platform/framework/message_map.h"

namespace {

// The message being dispatched now, for Default(); handlers may send messages of their
// own, so each dispatch keeps the one it interrupted.
framework::MessageArgs* currentMessage = nullptr;

bool Matches(const framework::MessageMapEntry& entry, const framework::MessageArgs& args) {
    if (entry.message != args.message) {
        return false;
    }
    if (args.message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(args.lParam);
        return header && entry.code == header->code &&
               entry.id == static_cast<UINT>(header->idFrom);
    }
    if (args.message == WM_COMMAND) {
        return entry.code == HIWORD(args.wParam) && entry.id == LOWORD(args.wParam);
    }
    return true;
}

}  // namespace

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const framework::MessageMap* CCmdTarget::GetThisMessageMap() {
    static const framework::MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
    static const framework::MessageMap map = {nullptr, entries};
    return &map;
}

const framework::MessageMap* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

bool CCmdTarget::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    framework::MessageArgs args;
    args.message = message;
    args.wParam = wParam;
    args.lParam = lParam;
    for (const framework::MessageMap* map = GetMessageMap(); map;
         map = map->base ? map->base() : nullptr) {
        for (const framework::MessageMapEntry* entry = map->entries; entry->thunk; ++entry) {
            if (!Matches(*entry, args)) {
                continue;
            }
            framework::MessageArgs* interrupted = currentMessage;
            currentMessage = &args;
            entry->thunk(this, args);
            currentMessage = interrupted;
            if (result) {
                *result = args.result;
            }
            return args.handled;
        }
    }
    return false;
}

void CCmdTarget::Default() {
    if (currentMessage) {
        currentMessage->handled = false;
    }
}
