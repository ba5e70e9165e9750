#pragma once
// The while-held assignments the Button page offers: one item per set of modifiers, shown
// as "押している間: Ctrl", and where they fit (the hold slot, or the single slot of a button
// whose double and hold are off).
#include <windows.h>

#include <string>

namespace kestrel {

inline constexpr wchar_t kWhileHeldMisplacedText[] =
    L"「押している間」はホールドか、ダブルとホールドがオフのボタンのシングルに割り当てます。";

// "押している間: Shift+Ctrl" for MOD_SHIFT | MOD_CONTROL.
std::wstring WhileHeldText(UINT modifiers);
// Appends an entry for every non-empty set of the four modifiers.
void AddWhileHeldCommands();
// Whether the program box's item `displayName` is a while-held one.
bool IsWhileHeldItem(const std::wstring& displayName);
// Whether a while-held assignment belongs in slot `pressKind`, the double and hold slots
// switched as given.
bool WhileHeldFits(int pressKind, bool doubleOn, bool holdOn);

}  // namespace kestrel
