#include "platform/window_program.h"

#include "platform/open_programs.h"
#include "platform/press_rules.h"

namespace platform {

namespace {

constexpr wchar_t kFrameHostFileName[] = L"applicationframehost.exe";

}  // namespace

// The frame host's own name means that no app's window is in the frame yet: it comes a
// moment after the frame.
WindowProgram ProgramOfWindow(HWND window) {
    WindowProgram program;
    if (!window) {
        return program;
    }
    program.fileName = ProgramKey(FileNameOf(ProgramPathOfWindow(window)));
    program.settled = program.fileName != kFrameHostFileName;
    return program;
}

HWND TopLevelWindowAt(POINT point) {
    HWND window = WindowFromPoint(point);
    return window ? GetAncestor(window, GA_ROOT) : nullptr;
}

}  // namespace platform
