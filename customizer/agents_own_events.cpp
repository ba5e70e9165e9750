#include "customizer/agents_own_events.h"

#include "common/settings_schema.h"
#include "platform/hotkeys.h"

namespace kestrel {

bool IsAgentsOwnKeyEvent(const KBDLLHOOKSTRUCT& event) {
    // A keyboard's own events are never injected, whatever extra information its driver
    // leaves in them.
    if ((event.flags & LLKHF_INJECTED) == 0) {
        return false;
    }
    if (event.dwExtraInfo == kExtraInfoOwnKey) {
        return true;
    }
    return event.vkCode == platform::kMaskKey && (event.dwExtraInfo == platform::kMaskExtraInfo ||
                                                  event.dwExtraInfo == platform::kProbeExtraInfo);
}

}  // namespace kestrel
