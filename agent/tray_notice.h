#pragma once
// What the agent has to tell the user while it runs, shown as a balloon of its tray icon.
#include <windows.h>

namespace kestrel {

void ShowTrayNotice(const wchar_t* text);

}  // namespace kestrel
