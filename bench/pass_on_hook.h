#pragma once
// What the typing benchmark and the pass-on hook program (pass_on_hook.exe) agree on: the
// program's hidden window and the commands it takes.
#include <windows.h>

namespace bench {

inline constexpr wchar_t kPassOnHookClass[] = L"KestrelBenchPassOnHook";
// wParam 1 puts the hook in place, 0 removes it; answered once it is done.
inline constexpr UINT kMsgPassOnHook = WM_APP + 1;
// Answered with the key events the hook passed on since it was last put in place.
inline constexpr UINT kMsgPassedOn = WM_APP + 2;

}  // namespace bench
