#pragma once
// What a settings load must yield, worked out straight from the registry by the rules of
// the settings contract, without the agent's code: which subkeys become bindings, their
// keys, flags, types and commands, and the two times. A value counts as a number only as a
// REG_DWORD of 4 bytes and as a string only as REG_SZ or REG_EXPAND_SZ of at most 520
// bytes; a string is its text up to the first terminator, at most 259 characters.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/settings_schema.h"
#include "hostile/registry_image.h"
#include "support/button_settings.h"

namespace hostile {

struct ExpectedSlot {
    uint8_t enabled = 0;
    int32_t type = 0;
    std::wstring command;
};

struct ExpectedBinding {
    std::wstring name;
    uint32_t vk = 0;
    uint8_t enabled = 0;
    ExpectedSlot slots[kestrel::kSlotCount];
};

struct ExpectedLoad {
    bool loaded = false;  // at least one usable button subkey
    std::vector<ExpectedBinding> bindings;
    std::optional<DWORD> doubleTime;
    std::optional<DWORD> holdTime;
};

inline std::optional<DWORD> NumberValue(HKEY key, const wchar_t* name) {
    return AsNumber(ReadRaw(key, name));
}

inline std::optional<std::wstring> StringValue(HKEY key, const wchar_t* name) {
    return AsString(ReadRaw(key, name));
}

// The key's third and fourth characters as hexadecimal digits; the first character that
// is not one ends the number, so nothing but plain digits counts.
inline uint32_t KeyOfName(const std::wstring& name) {
    uint32_t vk = 0;
    for (size_t i = 2; i < 4 && i < name.size(); ++i) {
        const wchar_t c = name[i];
        int digit = -1;
        if (c >= L'0' && c <= L'9') {
            digit = c - L'0';
        } else if (c >= L'A' && c <= L'F') {
            digit = c - L'A' + 10;
        } else if (c >= L'a' && c <= L'f') {
            digit = c - L'a' + 10;
        }
        if (digit < 0) {
            break;
        }
        vk = vk * 16 + static_cast<uint32_t>(digit);
    }
    return vk;
}

inline ExpectedSlot ExpectedSlotOf(HKEY key, int n) {
    using testing_support::SlotValueName;
    ExpectedSlot slot;
    const std::optional<DWORD> enabled =
        NumberValue(key, SlotValueName(kestrel::kValueSlotEnabledFormat, n).c_str());
    if (!enabled) {
        return slot;
    }
    slot.enabled = *enabled != 0;
    if (*enabled != 1) {
        return slot;
    }
    const std::optional<DWORD> mode =
        NumberValue(key, SlotValueName(kestrel::kValueSlotModeFormat, n).c_str());
    const std::optional<std::wstring> command =
        StringValue(key, SlotValueName(kestrel::kValueSlotCmdFormat, n).c_str());
    if (mode && command) {
        slot.type = static_cast<int32_t>(*mode);
        slot.command = *command;
    }
    return slot;
}

// Subkey names longer than a binding's 7 characters are left out.
inline ExpectedLoad ReadExpectedLoad() {
    ExpectedLoad expected;
    HKEY base = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kestrel::kProductKeyPath, 0, KEY_READ, &base) !=
        ERROR_SUCCESS) {
        return expected;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD size = 256;
        if (RegEnumKeyExW(base, index, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        if (size > 7) {
            continue;
        }
        ExpectedBinding binding;
        binding.name = name;
        binding.vk = KeyOfName(binding.name);
        HKEY button = nullptr;
        if (RegOpenKeyExW(base, name, 0, KEY_READ, &button) == ERROR_SUCCESS) {
            const std::optional<DWORD> enabled = NumberValue(button, kestrel::kValueEnabled);
            binding.enabled = enabled && *enabled != 0;
            for (int n = 0; n < kestrel::kSlotCount; ++n) {
                binding.slots[n] = ExpectedSlotOf(button, n);
            }
            RegCloseKey(button);
        }
        expected.bindings.push_back(binding);
    }
    expected.loaded = !expected.bindings.empty();
    if (expected.loaded) {
        expected.doubleTime = NumberValue(base, kestrel::kValueDoubleTime);
        expected.holdTime = NumberValue(base, kestrel::kValueHoldTime);
    }
    RegCloseKey(base);
    return expected;
}

}  // namespace hostile
