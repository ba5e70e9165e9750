#include "customizer/while_held_choice.h"

#include "common/settings_schema.h"
#include "common/while_held.h"
#include "customizer/catalogues.h"

namespace kestrel {

namespace {

constexpr wchar_t kWhileHeldPrefix[] = L"押している間: ";
constexpr UINT kAllModifiers = MOD_SHIFT | MOD_CONTROL | MOD_ALT | MOD_WIN;

}  // namespace

std::wstring WhileHeldText(UINT modifiers) {
    struct Name {
        UINT modifier;
        const wchar_t* name;
    };
    static const Name kNames[] = {
        {MOD_SHIFT, L"Shift"}, {MOD_CONTROL, L"Ctrl"}, {MOD_ALT, L"Alt"}, {MOD_WIN, L"Win"}};
    std::wstring text = kWhileHeldPrefix;
    const size_t bare = text.size();
    for (const Name& n : kNames) {
        if (modifiers & n.modifier) {
            text += (text.size() > bare ? L"+" : L"") + std::wstring(n.name);
        }
    }
    return text;
}

void AddWhileHeldCommands() {
    for (UINT modifiers = 1; modifiers <= kAllModifiers; ++modifiers) {
        commandCatalogue.emplace_back(kActionWhileHeld, WhileHeldCommand(modifiers),
                                      WhileHeldText(modifiers));
    }
}

bool IsWhileHeldItem(const std::wstring& displayName) {
    for (const CommandEntry& entry : commandCatalogue) {
        if (entry.type == kActionWhileHeld && entry.displayName == displayName) {
            return true;
        }
    }
    return false;
}

bool WhileHeldFits(int pressKind, bool doubleOn, bool holdOn) {
    return pressKind == kPressHold || (pressKind == kPressSingle && !doubleOn && !holdOn);
}

}  // namespace kestrel
