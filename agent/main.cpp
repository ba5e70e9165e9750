// The resident button agent: one thread, one hidden window, one message loop.
#include <windows.h>
#include <objbase.h>

#include "agent/agent_window.h"
#include "common/resource_ids.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The shell starts shortcuts, shell items and some file types through COM, which it
    // expects in an apartment on the calling thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    if (!kestrel::InitInstance(instance)) {
        if (SUCCEEDED(com)) {
            CoUninitialize();
        }
        return 0;
    }
    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0)) {
        if (!TranslateAcceleratorW(message.hwnd, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return static_cast<int>(message.wParam);
}
