#pragma once
// A top-level window of a class of the test's own, for the messages a test watches.
#include <windows.h>

namespace testing_support {

// Registers `className` with `procedure` (a second time changes nothing) and creates a
// window of it; null when it could not be created.
inline HWND MakeTestWindow(const wchar_t* className, WNDPROC procedure = DefWindowProcW,
                           DWORD style = WS_POPUP, int width = 0, int height = 0) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, className, L"", style, 0, 0, width, height, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

}  // namespace testing_support
