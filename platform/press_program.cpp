// Which program a press belongs to, paid for only at a button's down and only when the
// window is another than last time: a process query takes far longer than the hook may.
#include <string>

#include "platform/hotkey_layer.h"
#include "platform/window_program.h"

namespace platform {
namespace layer {

namespace {

struct KnownWindow {
    HWND window = nullptr;
    std::wstring program;
};

// The hooks and the foreground events run on the hook thread; a test or benchmark may call
// the hook from its own, so the two windows known have a lock of their own.
std::mutex& knownLock = *new std::mutex;
KnownWindow& foreground = *new KnownWindow;
KnownWindow& pointed = *new KnownWindow;
HWINEVENTHOOK foregroundHook = nullptr;

std::wstring ProgramOf(KnownWindow& known, HWND window) {
    {
        std::lock_guard<std::mutex> lock(knownLock);
        if (known.window == window && window) {
            return known.program;
        }
    }
    const WindowProgram program = ProgramOfWindow(window);
    if (program.settled) {
        std::lock_guard<std::mutex> lock(knownLock);
        known.window = window;
        known.program = program.fileName;
    }
    return program.fileName;
}

void CALLBACK OnForegroundEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD,
                                DWORD) {
    if (object == OBJID_WINDOW) {
        ProgramOf(foreground, window);
    }
}

}  // namespace

std::wstring PressProgram(const POINT* pointer) {
    if (pointer) {
        return ProgramOf(pointed, TopLevelWindowAt(*pointer));
    }
    return ProgramOf(foreground, GetForegroundWindow());
}

// Out of context: the events come to this thread's message loop, and no code of ours is
// loaded into other programs.
void WatchForeground() {
    if (!foregroundHook) {
        foregroundHook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                         OnForegroundEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
    }
}

void StopWatchingForeground() {
    if (foregroundHook) {
        UnhookWinEvent(foregroundHook);
        foregroundHook = nullptr;
    }
}

}  // namespace layer

void SetPressRules(HWND window, const PressRules& rules) {
    std::lock_guard<std::mutex> lock(layer::dataLock);
    layer::matcher.SetRules(window, rules);
}

// The global assignments keep the id alone, so a receiver without rules, or one that
// predates them, reads the message as it always did.
WPARAM ReportWParam(const HotKeyReport& report) {
    if (report.program <= 0 || report.id < 0 || report.id > 0xFFFF) {
        return static_cast<WPARAM>(report.id);
    }
    return (static_cast<WPARAM>(report.program & 0xFFFF) << kReportProgramShift) |
           static_cast<WPARAM>(report.id);
}

namespace test_access {

void CallForegroundEvent(HWND window) {
    layer::OnForegroundEvent(nullptr, EVENT_SYSTEM_FOREGROUND, window, OBJID_WINDOW, CHILDID_SELF,
                             0, 0);
}

}  // namespace test_access

}  // namespace platform
