// While-held assignments on the Button page inside a real sheet: offered where they fit,
// shown in the slot and the summary, stored as type 5 with its letters, and a stored one
// kept byte for byte wherever it stands.
#include "customizer/while_held_choice.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "customizer/button_page.h"
#include "customizer/catalogues.h"
#include "button_page_sheet.h"
#include "support/button_settings.h"
#include "support/message_pump.h"
#include "support/recording_os.h"
#include "support/registry.h"

using namespace kestrel;
using testing_support::ButtonKeyPath;
using testing_support::DispatchPending;
using testing_support::SlotValueName;

namespace {

class WhileHeldChoiceTest : public testing_support::ButtonPageSheet {
  protected:
    void SetUp() override {
        StartClean();
        testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, kPlatformButtonsPath);
        const std::wstring button = std::wstring(kPlatformButtonsPath) + L"\\40C1";
        testing_support::SetString(HKEY_LOCAL_MACHINE, button, kValueName, L"ボタン 1");
        testing_support::SetString(HKEY_LOCAL_MACHINE, button, kValueIcon, L"");
    }
    void TearDown() override { CleanUp(); }
    long Refusals() const {
        return std::count_if(os.calls.begin(), os.calls.end(), [](const std::string& call) {
            return call.rfind("MessageBox", 0) == 0;
        });
    }
    // A slot value exactly as the registry holds it: its type and bytes.
    static std::vector<BYTE> Raw(const wchar_t* format, int n) {
        std::vector<BYTE> bytes(1024);
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(bytes.size());
        if (RegGetValueW(HKEY_CURRENT_USER, ButtonKeyPath(L"40C1").c_str(),
                         SlotValueName(format, n).c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                         bytes.data(), &size) != ERROR_SUCCESS) {
            return {};
        }
        bytes.resize(size);
        bytes.push_back(static_cast<BYTE>(type));
        return bytes;
    }
};

TEST_F(WhileHeldChoiceTest, OfferedForTheHoldAndAFreeSingleShownAndStoredAsType5) {
    Open();
    SelectMode(kPressHold);
    Pick(L"押している間: Ctrl");
    EXPECT_EQ(ModeText(kPressHold), L"押している間: Ctrl");
    EXPECT_EQ(Summary(0), L"_/_/押している間: Ctrl");
    // The single takes it only while double and hold are off; the double never does.
    SelectMode(kPressSingle);
    CheckMode(kPressHold, true);
    Pick(L"押している間: Shift+Alt");
    EXPECT_EQ(Refusals(), 1);
    EXPECT_EQ(ModeText(kPressSingle), L"");
    CheckMode(kPressHold, false);
    Pick(L"押している間: Shift+Alt");
    EXPECT_EQ(ModeText(kPressSingle), L"押している間: Shift+Alt");
    SelectMode(kPressDouble);
    Pick(L"押している間: Win");
    EXPECT_EQ(Refusals(), 2);
    EXPECT_EQ(ModeText(kPressDouble), L"");
    Close();
    EXPECT_EQ(Raw(kValueSlotModeFormat, kPressHold),
              (std::vector<BYTE>{kActionWhileHeld, 0, 0, 0, REG_DWORD}));
    for (const auto& [n, command] :
         {std::pair<int, const wchar_t*>{kPressSingle, L"SA"}, {kPressHold, L"C"}}) {
        EXPECT_EQ(testing_support::ReadStringValue(HKEY_CURRENT_USER, ButtonKeyPath(L"40C1"),
                                                   SlotValueName(kValueSlotCmdFormat, n).c_str()),
                  command);
    }
}

TEST_F(WhileHeldChoiceTest, StoredWhileHeldPairsAreKeptByteForByteInAnySlot) {
    const std::wstring path = ButtonKeyPath(L"40C1");
    // As another program might write them: short strings, not blocks of 520 bytes.
    const struct {
        int n;
        const wchar_t* command;
        const wchar_t* shown;
    } stored[] = {{kPressSingle, L"CS", L"押している間: Shift+Ctrl"},
                  {kPressDouble, L"C", L"押している間: Ctrl"},  // not its place
                  {kPressHold, L"q?", L"q?"}};                  // names nothing
    for (const auto& slot : stored) {
        testing_support::SetDword(HKEY_CURRENT_USER, path,
                                  SlotValueName(kValueSlotModeFormat, slot.n).c_str(),
                                  kActionWhileHeld);
        RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(),
                        SlotValueName(kValueSlotCmdFormat, slot.n).c_str(), REG_SZ, slot.command,
                        static_cast<DWORD>((wcslen(slot.command) + 1) * sizeof(wchar_t)));
    }
    std::vector<std::vector<BYTE>> before;
    for (int n = 0; n < kSlotCount; ++n) {
        before.push_back(Raw(kValueSlotCmdFormat, n));
    }
    Open();
    for (const auto& slot : stored) {
        EXPECT_EQ(ModeText(slot.n), slot.shown);
    }
    EXPECT_EQ(Summary(0), L"押している間: Shift+Ctrl/押している間: Ctrl/q?");
    Close();
    for (int n = 0; n < kSlotCount; ++n) {
        EXPECT_EQ(Raw(kValueSlotCmdFormat, n), before[static_cast<size_t>(n)]) << n;
        EXPECT_EQ(Raw(kValueSlotModeFormat, n),
                  (std::vector<BYTE>{kActionWhileHeld, 0, 0, 0, REG_DWORD}));
    }
}

}  // namespace
