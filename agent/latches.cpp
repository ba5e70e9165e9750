#include "agent/latches.h"

#include <windows.h>

#include "agent/tray_notice.h"
#include "common/settings_schema.h"
#include "platform/os_calls.h"

namespace kestrel {

bool shiftLatch = false;
bool ctrlLatch = false;

namespace {

constexpr wchar_t kElevatedInFront[] =
    L"管理者として実行中のウィンドウが前面にあるため、ShiftとCtrlを切り替えられませんでした。";
constexpr wchar_t kKeysRefused[] =
    L"キー入力が受け付けられなかったため、ShiftとCtrlを切り替えられませんでした。";

// A set latch only presses its key, so it stays down; a clear one presses and releases
// it, so it ends up released whatever state it was in.
void AddLatch(std::vector<platform::KeyStroke>* strokes, bool latched, BYTE key) {
    strokes->push_back({key, 0, kExtraInfoOwnKey});
    if (!latched) {
        strokes->push_back({key, KEYEVENTF_KEYUP, kExtraInfoOwnKey});
    }
}

}  // namespace

// Sending into an elevated window is refused without a word (the system may even count
// the events as taken), so the window in front is asked first.
bool SetLatches(bool shift, bool ctrl, const std::vector<platform::KeyStroke>& before,
                LatchNotice notice) {
    if (platform::Os().ForegroundIsElevated()) {
        if (notice == LatchNotice::Tell) {
            ShowTrayNotice(kElevatedInFront);
        }
        return false;
    }
    std::vector<platform::KeyStroke> strokes = before;
    AddLatch(&strokes, shift, VK_SHIFT);
    AddLatch(&strokes, ctrl, VK_CONTROL);
    if (platform::Os().SendKeyEvents(strokes) < strokes.size()) {
        if (notice == LatchNotice::Tell) {
            ShowTrayNotice(kKeysRefused);
        }
        return false;
    }
    shiftLatch = shift;
    ctrlLatch = ctrl;
    return true;
}

bool ApplyLatches() {
    return SetLatches(shiftLatch, ctrlLatch);
}

bool ResetLatches(LatchNotice notice) {
    return SetLatches(false, false, {}, notice);
}

}  // namespace kestrel
