#pragma once
// The agent's record of every button the settings know, their hot keys, and the three
// private messages that reload the settings or release and restore one button.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/settings_schema.h"

namespace kestrel {

struct ActionSlot {
    uint8_t enabled = 0;
    int32_t type = kActionProgram;  // kept as read, also outside the known codes
    std::wstring command;
};

inline constexpr int kNoHotKeyId = -1;
inline constexpr int kKeyNameChars = 8;  // 7 characters and the terminator

// A button's own assignments in one program, which replace its global ones there.
struct ProgramBinding {
    int program = 0;  // numbered from 1 in the order of the loaded programs
    uint8_t enabled = 0;
    ActionSlot slots[kSlotCount];
};

struct ButtonBinding {
    wchar_t keyName[kKeyNameChars] = {};
    uint32_t vk = 0;
    uint8_t enabled = 0;
    ActionSlot slots[kSlotCount];
    int32_t hotKeyId = kNoHotKeyId;
    std::vector<ProgramBinding> appButtons;
};

using ButtonTable = std::vector<ButtonBinding>;

// The one table, in the registry's enumeration order of the button subkeys.
extern ButtonTable buttonTable;

ButtonBinding MakeBinding(const wchar_t* subkeyName);
void SetSlot(ButtonBinding& binding, int pressKind, int32_t type, std::wstring command);

// Rebuilds the table from the settings and registers its hot keys on `window`. False
// (after starting the customizer) when the settings hold no button subkey.
bool LoadButtons(HWND window);

void RegisterButtonHotKeys(HWND window, int baseId, UINT vk);
void UnregisterButtonHotKeys(HWND window, int baseId);
void RegisterAllHotKeys(HWND window);
void UnregisterAllHotKeys(HWND window);

ButtonBinding* FindBindingById(int id);
ButtonBinding* FindBindingByKey(UINT vk);

// Handlers of the private messages, called by the window procedure.
void HandleReload();
void HandleReleaseTemp(WPARAM vk);
void HandleRestoreTemp(WPARAM vk);

}  // namespace kestrel
