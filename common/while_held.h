#pragma once
// The command of a while-held assignment and the modifiers it names (MOD_SHIFT,
// MOD_CONTROL, MOD_ALT, MOD_WIN), both ways.
#include <windows.h>

#include <string>

namespace kestrel {

UINT WhileHeldModifiers(const std::wstring& command);
// The letters in one fixed order (Shift, Ctrl, Alt, Win), so equal sets read alike.
std::wstring WhileHeldCommand(UINT modifiers);

}  // namespace kestrel
