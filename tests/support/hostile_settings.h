#pragma once
// Fills the settings subtree and the platform's button list with hostile data from a
// fixed seed: every value type, data of 0 to 2,000 bytes, strings without terminators or
// cut mid-character, sizes just around the 4-byte and 520-byte limits, huge and negative
// numbers, up to 40 button subkeys with names of every length (and names whose third and
// fourth characters tempt a number scanner), and values or keys that are simply missing.
// Among the noise stand slots the customizer wrote itself, so that the paths that work
// on good data are driven too. The same seed always gives the same registry.
#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "common/settings_schema.h"
#include "support/button_settings.h"
#include "support/registry.h"

namespace testing_support {

// The pairs the customizer's fixed catalogue writes, and the pair of an unassigned slot.
struct KnownPair {
    DWORD type;
    const wchar_t* command;
};
inline constexpr KnownPair kKnownPairs[] = {
    {0, L"\\"},
    {1, L"0"},
    {1, L"1"},
    {1, L"2"},
    {2, L"#AC"},
    {2, L"#CC"},
    {2, L"#VC"},
    {2, L"#ZC"},
    {2, L"#QC"},
    {2, L"#OC"},
    {2, L"#*#"},
    {2, L"#&#"},
    {2, L"#_#"},
    {2, L"#>S"},
    {2, L"#<S"},
    {3, L""},
    {4, L"S"},
    {4, L"C"},
    {0, L"C:\\nowhere\\kestrel-hostile.exe"},
};

class HostileSettings {
  public:
    // One key held open while its values are written: a registry call costs a trip to
    // the Wine server, and a case writes hundreds of values.
    class OpenedKey {
      public:
        OpenedKey(HKEY root, const std::wstring& path) {
            RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                            nullptr);
        }
        ~OpenedKey() {
            if (key_) {
                RegCloseKey(key_);
            }
        }
        OpenedKey(const OpenedKey&) = delete;
        OpenedKey& operator=(const OpenedKey&) = delete;
        HKEY get() const { return key_; }

      private:
        HKEY key_ = nullptr;
    };

    explicit HostileSettings(uint32_t seed) : random_(seed) {}

    // Replaces both subtrees with a new hostile case.
    void Fill() {
        DeleteKeyTree(HKEY_CURRENT_USER, kestrel::kProductKeyPath);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kestrel::kPlatformButtonsPath);
        buttonNames_.clear();
        // Mostly a handful of buttons, as a device has; now and then far too many.
        const int size = Pick(1, 100);
        const int buttons = size <= 10   ? 0
                            : size <= 65 ? Pick(1, 6)
                            : size <= 85 ? Pick(7, 20)
                                         : Pick(21, 40);
        for (int i = 0; i < buttons; ++i) {
            buttonNames_.push_back(KeyName());
        }
        if (!Chance(5)) {
            FillProduct();
        }
        if (!Chance(5)) {
            FillPlatformList();
        }
    }

    // Replaces only the settings subtree, as another program rewriting it would; the
    // platform's button list stays.
    void RefillSettings() {
        DeleteKeyTree(HKEY_CURRENT_USER, kestrel::kProductKeyPath);
        if (Chance(70)) {
            FillProduct();
        }
    }

    // Adds a hostile per-program subtree beside the buttons: mostly a few programs, now
    // and then a thousand; names of every length up to the registry's 255 characters;
    // "Off" and "Name" of any kind; button subkeys named after the case's buttons or
    // anything, filled like the global ones; programs without buttons; unknown subkeys
    // and values at every level. Draws from its own stream, so Fill() stays as it was.
    void FillApps() {
        std::mt19937 saved = random_;
        random_.seed(static_cast<uint32_t>(Pick(0, 0x7FFFFFFF)));
        OpenedKey apps(HKEY_CURRENT_USER, kestrel::kAppsKeyPath);
        HostileValue(apps.get(), L"Unknown");
        const int programs = Chance(5) ? 1000 : Pick(0, 8);
        for (int i = 0; i < programs; ++i) {
            std::wstring name = i % 3 == 0 ? AppName(Pick(1, 255)) : AppName(Pick(1, 20));
            OpenedKey program(apps.get(), name);
            if (programs > 100) {
                continue;  // a flood of programs without buttons
            }
            HostileValue(program.get(), kestrel::kValueOff);
            HostileValue(program.get(), kestrel::kValueName);
            HostileValue(program.get(), L"Unknown");
            if (Chance(20)) {
                OpenedKey deeper(program.get(), L"Deeper\\Still");
                HostileValue(deeper.get(), kestrel::kValueEnabled);
            }
            const int buttons = Pick(0, 5);
            for (int b = 0; b < buttons; ++b) {
                const std::wstring keyName =
                    !buttonNames_.empty() && Chance(70)
                        ? buttonNames_[Pick(0, static_cast<int>(buttonNames_.size()) - 1)]
                        : KeyName();
                OpenedKey button(program.get(), keyName);
                HostileValue(button.get(), kestrel::kValueEnabled);
                FillSlots(button.get());
            }
        }
        random_ = saved;
    }

    // Names used for button subkeys in the last case (some may be unusable on purpose).
    const std::vector<std::wstring>& buttonNames() const { return buttonNames_; }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }

  private:
    void FillProduct() {
        const std::wstring base = kestrel::kProductKeyPath;
        OpenedKey product(HKEY_CURRENT_USER, base);
        TimeValue(product.get(), kestrel::kValueDoubleTime, 100, 500);
        TimeValue(product.get(), kestrel::kValueHoldTime, 300, 1000);
        for (const std::wstring& name : buttonNames_) {
            if (Chance(5)) {
                continue;  // a button the settings do not know yet
            }
            OpenedKey button(product.get(), name);
            HostileValue(button.get(), kestrel::kValueName);
            if (Chance(50)) {
                Dword(button.get(), kestrel::kValueEnabled, static_cast<DWORD>(Pick(0, 1)));
            } else {
                HostileValue(button.get(), kestrel::kValueEnabled);
            }
            FillSlots(button.get());
        }
    }

    // The slot values of a button subkey: some as the customizer writes them, the rest
    // anything; slot 3 does not exist and must be ignored.
    void FillSlots(HKEY button) {
        for (int n = 0; n < 4; ++n) {
            if (n < kestrel::kSlotCount && Chance(35)) {
                WrittenSlot(button, n);
            } else {
                HostileValue(button, SlotValueName(kestrel::kValueSlotEnabledFormat, n));
                HostileValue(button, SlotValueName(kestrel::kValueSlotModeFormat, n));
                HostileValue(button, SlotValueName(kestrel::kValueSlotCmdFormat, n));
            }
        }
    }

    void FillPlatformList() {
        OpenedKey list(HKEY_LOCAL_MACHINE, kestrel::kPlatformButtonsPath);
        for (const std::wstring& name : buttonNames_) {
            if (Chance(20)) {
                continue;  // a settings subkey the device does not know
            }
            OpenedKey button(list.get(), name);
            HostileValue(button.get(), kestrel::kValueName);
            HostileValue(button.get(), kestrel::kValueIcon);
        }
    }

    static void Set(HKEY key, const std::wstring& name, DWORD type, const std::vector<BYTE>& data) {
        RegSetValueExW(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
    }
    static void Dword(HKEY key, const std::wstring& name, DWORD value) {
        Set(key, name, REG_DWORD, Bytes(value));
    }

    // A time the customizer could have written, or anything at all.
    void TimeValue(HKEY key, const wchar_t* name, int low, int high) {
        if (Chance(40)) {
            Dword(key, name, static_cast<DWORD>(Pick(low, high)));
        } else {
            HostileValue(key, name);
        }
    }

    // A slot as the customizer writes it: 0/1, a catalogue type and its command, the
    // string either as the 520-byte block or as its bare text.
    void WrittenSlot(HKEY key, int n) {
        const KnownPair& pair = kKnownPairs[Pick(0, static_cast<int>(std::size(kKnownPairs)) - 1)];
        Dword(key, SlotValueName(kestrel::kValueSlotEnabledFormat, n),
              static_cast<DWORD>(Pick(0, 1)));
        Dword(key, SlotValueName(kestrel::kValueSlotModeFormat, n), pair.type);
        std::vector<BYTE> data = TextBytes(pair.command, true);
        if (Chance(50)) {
            data.resize(kestrel::kStringBytes, 0);
        }
        Set(key, SlotValueName(kestrel::kValueSlotCmdFormat, n), REG_SZ, data);
    }

    // Four hex digits most of the time; otherwise names whose key characters are signs,
    // blanks or digits of other scripts, short names around the 7-character limit, and
    // any length up to the registry's limit with characters the programs never expect.
    std::wstring KeyName() {
        static const wchar_t hex[] = L"0123456789ABCDEFabcdef";
        static const wchar_t tempting[] = L"-+ xX0fF9\x3000\xFF11\xFF21\x0661\x00B2\t";
        std::wstring name;
        const int kind = Pick(1, 100);
        if (kind <= 50) {
            for (int i = 0; i < 4; ++i) {
                name += hex[Pick(0, 21)];
            }
            return name;
        }
        if (kind <= 65) {
            name = L"40";
            name += tempting[Pick(0, static_cast<int>(std::size(tempting)) - 2)];
            name += Chance(50) ? tempting[Pick(0, static_cast<int>(std::size(tempting)) - 2)]
                               : hex[Pick(0, 21)];
            if (Chance(30)) {
                name += hex[Pick(0, 21)];
            }
            return name;
        }
        const int length = kind <= 80 ? Pick(1, 10) : Pick(1, 255);
        for (int i = 0; i < length; ++i) {
            name += static_cast<wchar_t>(Chance(80) ? Pick(0x21, 0x7E) : Pick(0x3000, 0x30FF));
        }
        for (wchar_t& c : name) {
            if (c == L'\\') {
                c = L'_';  // a backslash would name a deeper key, not a subkey
            }
        }
        return name;
    }

    // A program's file name of `length` characters, now and then its letter case changed
    // or with no ".exe"; a backslash would name a deeper key and is never used.
    std::wstring AppName(int length) {
        std::wstring name;
        for (int i = 0; i < length; ++i) {
            wchar_t c = static_cast<wchar_t>(Chance(85) ? Pick(0x21, 0x7E) : Pick(0x3000, 0x30FF));
            name += c == L'\\' ? L'_' : c;
        }
        if (length > 4 && Chance(60)) {
            name.replace(name.size() - 4, 4, Chance(50) ? L".exe" : L".EXE");
        }
        return name;
    }

    void HostileValue(HKEY key, const std::wstring& name) {
        std::vector<BYTE> data;
        DWORD type = REG_DWORD;
        switch (Pick(0, 10)) {
            case 0:
                return;  // missing
            case 1:
                type = REG_DWORD;
                data = Bytes(static_cast<uint32_t>(Pick(0, 1)));
                break;
            case 2: {
                static const uint32_t numbers[] = {0,    1,    2,          3,          4,
                                                   5,    7,    50,         150,        499,
                                                   1000, 2000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
                type = REG_DWORD;
                data = Bytes(numbers[Pick(0, 14)]);
                break;
            }
            case 3:
                type = REG_SZ;
                data = Text(Pick(0, 300), true);
                break;
            case 4:
                type = REG_SZ;
                data = Text(Pick(1, 1000), false);  // no terminator
                break;
            case 5:
                type = REG_BINARY;
                data = RandomBytes(Pick(0, 2000));
                break;
            case 6:
                type = static_cast<DWORD>(Pick(0, 11));  // any type, any bytes
                data = RandomBytes(Pick(0, 8));
                break;
            case 7:
                type = REG_SZ;
                data = Known();
                break;
            case 8:
                type = REG_QWORD;
                data = RandomBytes(8);
                break;
            case 9: {
                // Just around the limits of the two reads: 4 bytes and 520 bytes.
                static const int sizes[] = {1, 2, 3, 4, 5, 6, 8, 516, 517, 518, 519, 520, 521, 522};
                const int size = sizes[Pick(0, 13)];
                type = Chance(50) ? REG_SZ : static_cast<DWORD>(Pick(0, 11));
                data = Text((size + 1) / 2, false);
                data.resize(static_cast<size_t>(size), static_cast<BYTE>('A'));
                break;
            }
            default:
                type = REG_MULTI_SZ;
                data = Text(Pick(0, 100), true);
                data.push_back(0);
                data.push_back(0);
                break;
        }
        Set(key, name, type, data);
    }

    static std::vector<BYTE> Bytes(uint32_t value) {
        return {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    }

    std::vector<BYTE> RandomBytes(int count) {
        std::vector<BYTE> bytes(static_cast<size_t>(count));
        for (BYTE& b : bytes) {
            b = static_cast<BYTE>(Pick(0, 255));
        }
        return bytes;
    }

    static std::vector<BYTE> TextBytes(const std::wstring& text, bool terminated) {
        std::vector<BYTE> bytes(reinterpret_cast<const BYTE*>(text.data()),
                                reinterpret_cast<const BYTE*>(text.data() + text.size()));
        if (terminated) {
            bytes.push_back(0);
            bytes.push_back(0);
        }
        return bytes;
    }

    // `chars` characters of text, some Japanese, some commas and hashes the parsers split on.
    std::vector<BYTE> Text(int chars, bool terminated) {
        static const wchar_t pool[] = L"#,*&_<>?SCAsca0123456789\\.lnkexe ボタン＜＞［］ｽﾀｰﾄ";
        std::wstring text;
        for (int i = 0; i < chars; ++i) {
            text += pool[Pick(0, static_cast<int>(wcslen(pool)) - 1)];
        }
        std::vector<BYTE> bytes = TextBytes(text, terminated);
        if (!terminated && !bytes.empty() && Chance(50)) {
            bytes.pop_back();  // an odd number of bytes
        }
        return bytes;
    }

    // Commands the programs do understand, so that some cases exercise the real paths.
    std::vector<BYTE> Known() {
        static const wchar_t* known[] = {
            L"#AC", L"#*#",        L"#>S", L"0", L"1",     L"2",
            L"\\",  L"",           L"S",   L"C", L"#?C#V", L"C:\\windows\\notepad.exe,3",
            L",,,", L"shell32.dll"};
        return TextBytes(known[Pick(0, 13)], true);
    }

    std::mt19937 random_;
    std::vector<std::wstring> buttonNames_;
};

}  // namespace testing_support
