// The customizer against hostile settings and a hostile platform button list. For every
// seeded case the customizer's own sheet opens in this thread with both pages, the user
// wanders over the lists (and, in some cases, opens the Timing tab), and the sheet closes.
// Afterwards every value the customizer could represent must be stored as it was, every
// value it writes must have the contract's type and size, and nothing it does not own may
// have changed. The operating system's message boxes go to a silent stand-in.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "customizer/catalogues.h"
#include "customizer/config_sheet.h"
#include "customizer/timing_page.h"
#include "hostile/hostile_case.h"
#include "hostile/registry_image.h"
#include "hostile/silent_os.h"
#include "support/hostile_settings.h"
#include "support/message_pump.h"

using namespace kestrel;
using namespace hostile;
using testing_support::SlotValueName;

namespace {

constexpr int kCases = 160;
constexpr int kAppCases = 40;
constexpr uint32_t kAppsSeedBase = 800000;

// The platform's button list as the customizer must see it: subkey names in enumeration
// order, with their names as strings (a missing or unreadable Name reads as empty).
struct PlatformButton {
    std::wstring keyName;
    std::wstring name;
};

std::optional<std::vector<PlatformButton>> PlatformButtons() {
    const KeyImage image = ImageOf(HKEY_LOCAL_MACHINE, kPlatformButtonsPath);
    if (image.empty()) {
        return std::nullopt;
    }
    std::vector<PlatformButton> buttons;
    HKEY list = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPlatformButtonsPath, 0, KEY_READ, &list);
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameChars = 256;
        if (RegEnumKeyExW(list, index, name, &nameChars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        buttons.push_back(
            {name, AsString(Find(image, std::wstring(L"\\") + name, kValueName)).value_or(L"")});
    }
    RegCloseKey(list);
    return buttons;
}

class CustomizerUnderFireTest : public ::testing::Test {
  protected:
    void SetUp() override {
        backup_.Save();
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&controls);
    }
    void TearDown() override {
        buttonCatalogue.clear();
        commandCatalogue.clear();
        backup_.Restore();
    }

    // A while-held pair is kept as stored, in any slot, whether an entry matches it or not.
    bool Matches(DWORD mode, const std::wstring& command) const {
        if (mode == static_cast<DWORD>(kActionWhileHeld)) {
            return false;
        }
        for (const CommandEntry& entry : commandCatalogue) {
            if (static_cast<DWORD>(entry.type) == mode && entry.command == command) {
                return true;
            }
        }
        return false;
    }

    // What a slot's stored pair must become: the pair of the entry its display name
    // stands for, or the no-assignment pair when a value of the pair is missing.
    const CommandEntry* WrittenEntry(std::optional<DWORD> mode,
                                     const std::optional<std::wstring>& command) const {
        std::wstring shown;
        if (mode && command) {
            for (const CommandEntry& entry : commandCatalogue) {
                if (static_cast<DWORD>(entry.type) == *mode && entry.command == *command) {
                    shown = entry.displayName;
                }
            }
        }
        const CommandEntry* written = nullptr;
        for (const CommandEntry& entry : commandCatalogue) {
            if (entry.displayName == shown) {
                written = &entry;
            }
        }
        return written;
    }

    void RunCases(uint32_t seedBase, int cases, bool withApps);

    std::string CheckCase(const KeyImage& before, const KeyImage& after,
                          const std::vector<PlatformButton>& buttons, bool timingOpened);

    hostile::SilentOs os_;
    hostile::RegistryBackup backup_;
};

std::string CustomizerUnderFireTest::CheckCase(const KeyImage& before, const KeyImage& after,
                                               const std::vector<PlatformButton>& buttons,
                                               bool timingOpened) {
    std::ostringstream problems;
    auto expectDword = [&](const std::wstring& path, const std::wstring& name, DWORD wanted) {
        const std::optional<Raw> raw = Find(after, path, name);
        if (!raw || raw->type != REG_DWORD || raw->bytes.size() != sizeof(DWORD) ||
            *AsNumber(raw) != wanted) {
            problems << Narrow(path) << " " << Narrow(name) << ": not the number " << wanted
                     << "\n";
        }
    };
    auto expectString = [&](const std::wstring& path, const std::wstring& name,
                            const std::wstring& wanted) {
        const std::optional<Raw> raw = Find(after, path, name);
        if (!raw || raw->type != REG_SZ || raw->bytes.size() != kStringBytes ||
            *AsString(raw) != wanted) {
            problems << Narrow(path) << " " << Narrow(name) << ": not the 520-byte '"
                     << Narrow(wanted) << "'\n";
        }
    };

    std::map<std::wstring, const PlatformButton*> owned;  // folded key path -> its button
    for (const PlatformButton& button : buttons) {
        owned[Folded(L"\\" + button.keyName)] = &button;
    }
    if (buttonCatalogue.size() != buttons.size()) {
        problems << buttonCatalogue.size() << " buttons listed instead of " << buttons.size()
                 << "\n";
    }

    // The buttons of the list: the values the page owns, as the contract says.
    for (const PlatformButton& button : buttons) {
        const std::wstring path = L"\\" + button.keyName;
        if (!after.count(Folded(path))) {
            problems << Narrow(path) << ": no settings key\n";
            continue;
        }
        expectString(path, kValueName, button.name);
        for (int n = 0; n < kSlotCount; ++n) {
            const std::wstring mode = SlotValueName(kValueSlotModeFormat, n);
            const std::wstring cmd = SlotValueName(kValueSlotCmdFormat, n);
            const std::wstring on = SlotValueName(kValueSlotEnabledFormat, n);
            const std::optional<DWORD> storedMode = AsNumber(Find(before, path, mode));
            const std::optional<std::wstring> storedCmd = AsString(Find(before, path, cmd));
            const CommandEntry* written = WrittenEntry(storedMode, storedCmd);
            if (storedMode && storedCmd && !Matches(*storedMode, *storedCmd)) {
                // A pair no entry matches is kept exactly as it was stored.
                if (Find(after, path, mode) != Find(before, path, mode) ||
                    Find(after, path, cmd) != Find(before, path, cmd)) {
                    problems << Narrow(path) << " slot " << n << ": a kept pair changed\n";
                }
            } else if (!written) {
                problems << Narrow(path) << " slot " << n << ": no entry to write\n";
            } else {
                expectDword(path, mode, static_cast<DWORD>(written->type));
                expectString(path, cmd, written->command);
            }
            expectDword(path, on, AsNumber(Find(before, path, on)).value_or(0) != 0 ? 1 : 0);
        }
        expectDword(path, kValueEnabled,
                    AsNumber(Find(before, path, kValueEnabled)).value_or(0) != 0 ? 1 : 0);
    }

    // Everything else must be as it was: other subkeys, other values, and the times when
    // the Timing page stayed closed.
    std::vector<std::wstring> ownedNames = {kValueName, kValueEnabled};
    for (int n = 0; n < kSlotCount; ++n) {
        ownedNames.push_back(SlotValueName(kValueSlotModeFormat, n));
        ownedNames.push_back(SlotValueName(kValueSlotCmdFormat, n));
        ownedNames.push_back(SlotValueName(kValueSlotEnabledFormat, n));
    }
    auto isOwned = [&](const std::wstring& path, const std::wstring& name) {
        if (path.empty()) {
            return timingOpened &&
                   (name == Folded(kValueDoubleTime) || name == Folded(kValueHoldTime));
        }
        if (!owned.count(path)) {
            return false;
        }
        for (const std::wstring& ownedName : ownedNames) {
            if (Folded(ownedName) == name) {
                return true;
            }
        }
        return false;
    };
    for (const auto& [path, values] : before) {
        for (const auto& [name, raw] : values) {
            if (!isOwned(path, name) && Find(after, path, name) != std::optional<Raw>(raw)) {
                problems << Narrow(path) << " " << Narrow(name) << ": changed or lost\n";
            }
        }
    }
    for (const auto& [path, values] : after) {
        if (!before.count(path) && !owned.count(path) && !path.empty()) {
            problems << Narrow(path) << ": a key nobody asked for\n";
        }
        for (const auto& [name, raw] : values) {
            if (!isOwned(path, name) && !Find(before, path, name)) {
                problems << Narrow(path) << " " << Narrow(name) << ": written without need\n";
            }
        }
    }

    // The times: as stored when the slider could show them, else at the slider's end.
    if (timingOpened) {
        const struct {
            const wchar_t* name;
            DWORD fallback, low, high;
        } times[] = {{kValueDoubleTime, kDefaultDoubleTime, 100, 500},
                     {kValueHoldTime, kDefaultHoldTime, 300, 1000}};
        for (const auto& time : times) {
            const DWORD stored = AsNumber(Find(before, L"", time.name)).value_or(time.fallback);
            const std::optional<DWORD> written = AsNumber(Find(after, L"", time.name));
            const std::optional<Raw> raw = Find(after, L"", time.name);
            if (!written || raw->type != REG_DWORD || raw->bytes.size() != sizeof(DWORD) ||
                *written < time.low || *written > time.high ||
                (stored >= time.low && stored <= time.high && *written != stored)) {
                problems << Narrow(time.name) << ": " << stored << " became " << written.value_or(0)
                         << "\n";
            }
        }
    }
    return problems.str();
}

void CustomizerUnderFireTest::RunCases(uint32_t seedBase, int cases, bool withApps) {
    int timingOpened = 0;
    int buttonsSeen = 0;
    int appViews = 0;
    for (int c = 0; c < cases; ++c) {
        const uint32_t seed = seedBase + static_cast<uint32_t>(c);
        SCOPED_TRACE("customizer case seed " + std::to_string(seed));
        testing_support::HostileSettings settings(seed);
        settings.Fill();
        if (withApps) {
            settings.FillApps();
        }
        std::mt19937 user(seed);
        const KeyImage before = ImageOf(HKEY_CURRENT_USER, kProductKeyPath);
        const std::optional<std::vector<PlatformButton>> buttons = PlatformButtons();
        os_.ResetModel();
        os_.messageBoxAllowed = !buttons;

        bool openTiming = false;
        {
            auto sheet = std::make_unique<KestrelConfigPropSheet>(L"Kestrel設定");
            ASSERT_TRUE(sheet->Create());
            testing_support::DispatchPending();
            // The user looks at other buttons and press kinds; nothing is changed.
            const int rows = sheet->m_buttonPage.m_listButton.GetItemCount();
            for (int look = 0; look < 3 && rows > 0; ++look) {
                LVITEMW item = {};
                item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
                const int row = std::uniform_int_distribution<int>(0, rows - 1)(user);
                sheet->m_buttonPage.m_listButton.SendMessage(LVM_SETITEMSTATE, row,
                                                             reinterpret_cast<LPARAM>(&item));
                const int mode = std::uniform_int_distribution<int>(0, 2)(user);
                sheet->m_buttonPage.m_listMode.SendMessage(LVM_SETITEMSTATE, mode,
                                                           reinterpret_cast<LPARAM>(&item));
                testing_support::DispatchPending();
            }
            // With programs, the user also looks at each one's view, and at rows in it.
            const HWND selector = sheet->m_buttonPage.GetDlgItem(IDC_COMBO_APP);
            const int views =
                withApps ? static_cast<int>(SendMessageW(selector, CB_GETCOUNT, 0, 0)) : 0;
            for (int view = 1; view < views && view <= 4 && rows > 0; ++view) {
                SendMessageW(selector, CB_SETCURSEL, static_cast<WPARAM>(view), 0);
                SendMessageW(sheet->m_buttonPage.m_hWnd, WM_COMMAND,
                             MAKEWPARAM(IDC_COMBO_APP, CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(selector));
                LVITEMW item = {};
                item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
                const int row = std::uniform_int_distribution<int>(0, rows - 1)(user);
                sheet->m_buttonPage.m_listButton.SendMessage(LVM_SETITEMSTATE, row,
                                                             reinterpret_cast<LPARAM>(&item));
                testing_support::DispatchPending();
                ++appViews;
            }
            openTiming = std::uniform_int_distribution<int>(0, 1)(user) == 1;
            if (openTiming) {
                ASSERT_TRUE(sheet->SetActivePage(1));
                testing_support::DispatchPending();
                ASSERT_NE(sheet->m_timingPage.m_hWnd, nullptr);
                ++timingOpened;
            }
            sheet->DestroyWindow();
            testing_support::DispatchPending();
        }
        buttonsSeen += static_cast<int>(buttonCatalogue.size());

        ASSERT_EQ(os_.messageBoxes, buttons ? 0 : 1);
        ASSERT_EQ(os_.faults, 0) << os_.FaultSummary();
        const KeyImage after = ImageOf(HKEY_CURRENT_USER, kProductKeyPath);
        ASSERT_EQ(
            CheckCase(before, after, buttons.value_or(std::vector<PlatformButton>()), openTiming),
            "");
    }
    std::printf(
        "[ hostile  ] %d customizer cases, %d buttons, %d program views, Timing page "
        "opened %d times\n",
        cases, buttonsSeen, appViews, timingOpened);
    if (withApps) {
        EXPECT_GT(appViews, 0);
    }
}

TEST_F(CustomizerUnderFireTest, KeepsEveryValueItCanShowAndWritesOnlyTheContractsTypes) {
    RunCases(hostile::kCustomizerSeedBase, kCases, false);
}

// A hostile per-program subtree beside the buttons: the page lists what it can, its views
// are looked at, and at OK nothing of the subtree has changed.
TEST_F(CustomizerUnderFireTest, KeepsAHostileProgramSubtreeAsItWas) {
    RunCases(kAppsSeedBase, kAppCases, true);
}

}  // namespace
