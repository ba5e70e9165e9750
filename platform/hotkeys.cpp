#include "platform/hotkeys.h"

namespace platform {

// The system's own registration reserves the combination across processes, so a second
// program is refused exactly as on the device.
BOOL RegisterKeyUpHotKey(HWND window, int id, UINT modifiers, UINT vk) {
    return ::RegisterHotKey(window, id, modifiers & ~MOD_KEYUP, vk);
}

BOOL UnregisterKeyUpHotKey(HWND window, int id) { return ::UnregisterHotKey(window, id); }

}  // namespace platform
