#include "agent/button_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent/agent_state.h"
#include "agent/classifier.h"
#include "agent/latches.h"
#include "support/button_settings.h"
#include "support/recording_os.h"
#include "support/registry.h"

using namespace kestrel;
using testing_support::RecordingOs;
using testing_support::SetDword;
using testing_support::SetString;
using Calls = std::vector<std::string>;

namespace {

const std::wstring kBase = kProductKeyPath;
HWND const kWindow = reinterpret_cast<HWND>(0x4242);

class ButtonTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath);
        buttonTable.clear();
        doubleTime = kDefaultDoubleTime;
        holdTime = kDefaultHoldTime;
        agentWindow = kWindow;
    }
    void TearDown() override {
        buttonTable.clear();
        agentWindow = nullptr;
    }

    static void Button(const wchar_t* name, DWORD enabled) {
        SetDword(HKEY_CURRENT_USER, kBase + L"\\" + name, L"Enabled", enabled);
    }
    static void Slot(const wchar_t* name, int n, DWORD enabled, DWORD mode,
                     const std::wstring& command) {
        testing_support::SeedSlot(name, {n, mode, command, enabled});
    }

    RecordingOs os;
};

TEST_F(ButtonTableTest, MakeBindingTakesTheKeyFromCharactersThreeAndFour) {
    struct Case {
        const wchar_t* name;
        uint32_t vk;
    } cases[] = {{L"40C1", 0xC1}, {L"40C", 0xC},  {L"40", 0},      {L"", 0},
                 {L"40ZZ", 0},    {L"401Z", 0x1}, {L"40c5", 0xC5}, {L"ABCDEFG", 0xCD}};
    for (const Case& c : cases) {
        ButtonBinding binding = MakeBinding(c.name);
        EXPECT_EQ(binding.vk, c.vk) << std::string(c.name, c.name + wcslen(c.name));
        EXPECT_STREQ(binding.keyName, c.name);
        EXPECT_EQ(binding.enabled, 0);
        EXPECT_EQ(binding.hotKeyId, kNoHotKeyId);
        for (const ActionSlot& slot : binding.slots) {
            EXPECT_EQ(slot.enabled, 0);
            EXPECT_EQ(slot.type, 0);
            EXPECT_TRUE(slot.command.empty());
        }
    }
}

// Other programs can name subkeys as they like; only plain hexadecimal digits make a key,
// so no name yields a code that two digits cannot hold.
TEST_F(ButtonTableTest, KeyCodeTakesOnlyPlainHexDigits) {
    const std::pair<std::wstring, uint32_t> cases[] = {
        {L"40-1", 0},   {L"40+F", 0},           {L"40 1", 0},      {L"40\t1", 0},
        {L"40x1", 0},   {L"40\xFF11\xFF12", 0}, {L"40\u30001", 0}, {L"40\x0661", 0},
        {L"401-", 0x1}, {L"40F ", 0xF},         {L"40ff", 0xFF}};
    for (const auto& [name, vk] : cases) {
        EXPECT_EQ(MakeBinding(name.c_str()).vk, vk) << RecordingOs::Narrow(name.c_str());
    }
}

TEST_F(ButtonTableTest, EnabledButtonsGetConsecutiveIdsWithShiftAndCtrlVariants) {
    Button(L"40C1", 1);
    Button(L"40C2", 0);
    Button(L"40C3", 1);

    EXPECT_TRUE(LoadButtons(kWindow));

    ASSERT_EQ(buttonTable.size(), 3u);
    EXPECT_EQ(buttonTable[0].vk, 0xC1u);
    EXPECT_EQ(buttonTable[1].vk, 0xC2u);
    EXPECT_EQ(buttonTable[2].vk, 0xC3u);
    EXPECT_EQ(buttonTable[1].hotKeyId, kNoHotKeyId);
    EXPECT_EQ(os.calls, (Calls{
                            "RegisterHotKey(0, 0x1008, 0xC1)",
                            "RegisterHotKey(16, 0x100C, 0xC1)",
                            "RegisterHotKey(32, 0x100A, 0xC1)",
                            "RegisterHotKey(1, 0x1008, 0xC3)",
                            "RegisterHotKey(17, 0x100C, 0xC3)",
                            "RegisterHotKey(33, 0x100A, 0xC3)",
                        }));
    ASSERT_NE(FindBindingById(1), nullptr);
    EXPECT_STREQ(FindBindingById(1)->keyName, L"40C3");
    EXPECT_EQ(FindBindingById(2), nullptr);
    EXPECT_EQ(FindBindingByKey(0xC2), &buttonTable[1]);
    EXPECT_EQ(FindBindingByKey(0xC4), nullptr);
}

TEST_F(ButtonTableTest, RefusedRegistrationStillNumbersTheButton) {
    Button(L"40C1", 1);
    Button(L"40C2", 1);
    os.hotKeyResult = FALSE;
    LoadButtons(kWindow);
    EXPECT_EQ(buttonTable[0].hotKeyId, 0);
    EXPECT_EQ(buttonTable[1].hotKeyId, 1);
}

TEST_F(ButtonTableTest, ButtonWithoutEnabledValueIsLoadedButNeverRegistered) {
    Slot(L"40C1", 0, 1, kActionKeySequence, L"#AC");
    EXPECT_TRUE(LoadButtons(kWindow));
    ASSERT_EQ(buttonTable.size(), 1u);
    EXPECT_EQ(buttonTable[0].enabled, 0);
    EXPECT_EQ(buttonTable[0].slots[0].command, L"#AC");
    EXPECT_TRUE(os.CallsStartingWith("RegisterHotKey").empty());
}

TEST_F(ButtonTableTest, SlotsTakeTypeAndCommandOnlyWhenSwitchedOnWithOne) {
    Button(L"40C1", 1);
    Slot(L"40C1", 0, 1, kActionKeySequence, L"#AC");
    Slot(L"40C1", 1, 2, kActionDeviceCommand, L"1");  // on, but not read further
    Slot(L"40C1", 2, 0, kActionProgram, L"\\Windows\\x.exe");
    Button(L"40C2", 1);
    Slot(L"40C2", 0, 1, 7, L"odd");  // an unknown code is kept as read
    SetDword(HKEY_CURRENT_USER, kBase + L"\\40C2", L"Enabled_1", 1);
    SetDword(HKEY_CURRENT_USER, kBase + L"\\40C2", L"Mode_1", kActionKeySequence);
    SetDword(HKEY_CURRENT_USER, kBase + L"\\40C2", L"Enabled_2", 1);
    SetString(HKEY_CURRENT_USER, kBase + L"\\40C2", L"Cmd_2", L"#VC");

    ASSERT_TRUE(LoadButtons(kWindow));

    const ButtonBinding& first = buttonTable[0];
    EXPECT_EQ(first.slots[0].enabled, 1);
    EXPECT_EQ(first.slots[0].type, kActionKeySequence);
    EXPECT_EQ(first.slots[0].command, L"#AC");
    EXPECT_EQ(first.slots[1].enabled, 1);
    EXPECT_EQ(first.slots[1].type, kActionProgram);
    EXPECT_EQ(first.slots[1].command, L"");
    EXPECT_EQ(first.slots[2].enabled, 0);
    EXPECT_EQ(first.slots[2].command, L"");

    const ButtonBinding& second = buttonTable[1];
    EXPECT_EQ(second.slots[0].type, 7);
    EXPECT_EQ(second.slots[0].command, L"odd");
    // Mode without Cmd, and Cmd without Mode: on, but type 0 with an empty command.
    EXPECT_EQ(second.slots[1].enabled, 1);
    EXPECT_EQ(second.slots[1].type, kActionProgram);
    EXPECT_EQ(second.slots[1].command, L"");
    EXPECT_EQ(second.slots[2].enabled, 1);
    EXPECT_EQ(second.slots[2].command, L"");
}

// Only a REG_DWORD of 4 bytes is a number and only REG_SZ or REG_EXPAND_SZ a command; any
// other value counts as missing. "0" stored as text must not switch a button on.
TEST_F(ButtonTableTest, ValuesOfAnotherTypeCountAsMissing) {
    using testing_support::SetValue;
    const std::wstring c1 = kBase + L"\\40C1";
    const std::wstring c2 = kBase + L"\\40C2";
    SetString(HKEY_CURRENT_USER, c1, L"Enabled", L"0");
    const DWORD one = 1;
    SetValue(HKEY_CURRENT_USER, c2, L"Enabled", REG_BINARY, &one, sizeof(one));
    Slot(L"40C2", 0, 1, kActionProgram, L"x");
    SetValue(HKEY_CURRENT_USER, c2, L"Mode_1", REG_DWORD, &one, 2);  // two bytes only
    SetDword(HKEY_CURRENT_USER, c2, L"Enabled_1", 1);
    SetString(HKEY_CURRENT_USER, c2, L"Cmd_1", L"#A#");
    SetDword(HKEY_CURRENT_USER, c2, L"Enabled_2", 1);
    SetDword(HKEY_CURRENT_USER, c2, L"Mode_2", kActionKeySequence);
    const wchar_t multi[] = L"#B#\0\0";
    SetValue(HKEY_CURRENT_USER, c2, L"Cmd_2", REG_MULTI_SZ, multi, sizeof(multi));
    const ULONGLONG wide = 300;
    SetValue(HKEY_CURRENT_USER, kBase, L"DoubleTime", REG_QWORD, &wide, sizeof(wide));
    SetString(HKEY_CURRENT_USER, kBase, L"HoldTime", L"9");

    ASSERT_TRUE(LoadButtons(kWindow));

    ASSERT_EQ(buttonTable.size(), 2u);
    EXPECT_EQ(buttonTable[0].enabled, 0) << "text \"0\" is no number";
    EXPECT_EQ(buttonTable[1].enabled, 0) << "four bytes of another type are no number";
    EXPECT_EQ(buttonTable[1].slots[0].command, L"x");
    EXPECT_EQ(buttonTable[1].slots[1].enabled, 1);
    EXPECT_TRUE(buttonTable[1].slots[1].command.empty()) << "a short mode is missing";
    EXPECT_TRUE(buttonTable[1].slots[2].command.empty()) << "a list is no command";
    EXPECT_EQ(doubleTime, kDefaultDoubleTime);
    EXPECT_EQ(holdTime, kDefaultHoldTime);
}

TEST_F(ButtonTableTest, AnExpandableCommandIsExpandedAndOneTooLongCountsAsMissing) {
    using testing_support::SetValue;
    const std::wstring c1 = kBase + L"\\40C1";
    Button(L"40C1", 1);
    Slot(L"40C1", 0, 1, kActionProgram, L"");
    Slot(L"40C1", 1, 1, kActionProgram, L"kept");
    SetEnvironmentVariableW(L"KESTREL_TEST_TOOLS", L"C:\\Tools");
    SetEnvironmentVariableW(L"KESTREL_TEST_LONG", std::wstring(200, L'L').c_str());
    const wchar_t path[] = L"%KESTREL_TEST_TOOLS%\\run.exe";
    SetValue(HKEY_CURRENT_USER, c1, L"Cmd_0", REG_EXPAND_SZ, path, sizeof(path));
    const wchar_t tooLong[] = L"%KESTREL_TEST_LONG%%KESTREL_TEST_LONG%";
    SetValue(HKEY_CURRENT_USER, c1, L"Cmd_1", REG_EXPAND_SZ, tooLong, sizeof(tooLong));

    ASSERT_TRUE(LoadButtons(kWindow));

    EXPECT_EQ(buttonTable[0].slots[0].command, L"C:\\Tools\\run.exe");
    EXPECT_TRUE(buttonTable[0].slots[1].command.empty());
    SetEnvironmentVariableW(L"KESTREL_TEST_TOOLS", nullptr);
    SetEnvironmentVariableW(L"KESTREL_TEST_LONG", nullptr);
}

// Reading asks for reading only: a key the user may read but not change still loads,
// and nothing the agent reads is ever created.
class OpensRecordingOs : public RecordingOs {
  public:
    LONG RegOpenKeyExW(HKEY root, LPCWSTR path, DWORD options, REGSAM access, HKEY* key) override {
        opens.push_back(Narrow(path) + (access == KEY_READ ? " read" : " other"));
        return RecordingOs::RegOpenKeyExW(root, path, options, access, key);
    }
    std::vector<std::string> opens;
};

TEST_F(ButtonTableTest, TheSettingsAreOpenedForReadingOnly) {
    OpensRecordingOs opening;  // receives the calls from here on
    Button(L"40C1", 1);

    ASSERT_TRUE(LoadButtons(kWindow));

    const std::string base = RecordingOs::Narrow(kProductKeyPath);
    EXPECT_EQ(opening.opens, (Calls{base + "\\40C1 read", base + "\\Apps read", base + " read"}));
}

TEST_F(ButtonTableTest, MissingSettingsStartTheCustomizerAndRegisterNothing) {
    EXPECT_FALSE(LoadButtons(kWindow));
    EXPECT_TRUE(buttonTable.empty());
    EXPECT_TRUE(os.CallsStartingWith("RegisterHotKey").empty());
    ASSERT_EQ(os.CallsStartingWith("ShellExecuteEx").size(), 1u);
    EXPECT_EQ(os.CallsStartingWith("ShellExecuteEx")[0],
              "ShellExecuteEx(C:\\Program Files\\Kestrel\\KestrelConfig.exe)");
    EXPECT_EQ(doubleTime, 150u);
    EXPECT_EQ(holdTime, 500u);

    // A product key without button subkeys counts as no settings too.
    SetDword(HKEY_CURRENT_USER, kBase, L"DoubleTime", 300);
    EXPECT_FALSE(LoadButtons(kWindow));
    EXPECT_EQ(os.CallsStartingWith("ShellExecuteEx").size(), 2u);
    EXPECT_EQ(doubleTime, 150u);
}

TEST_F(ButtonTableTest, TimesAreReadOverTheValuesInForce) {
    Button(L"40C1", 1);
    SetDword(HKEY_CURRENT_USER, kBase, L"DoubleTime", 0);
    SetDword(HKEY_CURRENT_USER, kBase, L"HoldTime", 99999);
    ASSERT_TRUE(LoadButtons(kWindow));
    EXPECT_EQ(doubleTime, 0u);  // used as read, not clamped
    EXPECT_EQ(holdTime, 99999u);

    // Deleted between two loads: the value of the first load stays.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kProductKeyPath, L"DoubleTime");
    SetDword(HKEY_CURRENT_USER, kBase, L"HoldTime", 700);
    ASSERT_TRUE(LoadButtons(kWindow));
    EXPECT_EQ(doubleTime, 0u);
    EXPECT_EQ(holdTime, 700u);

    // A failed reload keeps both.
    testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath);
    EXPECT_FALSE(LoadButtons(kWindow));
    EXPECT_EQ(holdTime, 700u);
}

TEST_F(ButtonTableTest, ReloadUnregistersTheOldSetThenRegistersTheNewAndResetsLatches) {
    Button(L"40C1", 1);
    Button(L"40C2", 1);
    LoadButtons(kWindow);
    Button(L"40C1", 0);
    shiftLatch = true;
    os.calls.clear();

    HandleReload();

    EXPECT_EQ(os.calls, (Calls{
                            "UnregisterHotKey(0)",
                            "UnregisterHotKey(16)",
                            "UnregisterHotKey(32)",
                            "UnregisterHotKey(1)",
                            "UnregisterHotKey(17)",
                            "UnregisterHotKey(33)",
                            "RegisterHotKey(0, 0x1008, 0xC2)",
                            "RegisterHotKey(16, 0x100C, 0xC2)",
                            "RegisterHotKey(32, 0x100A, 0xC2)",
                            "SendKeyEvents(4)",
                            "key(16, 0, 1)",
                            "key(16, 2, 1)",
                            "key(17, 0, 1)",
                            "key(17, 2, 1)",
                        }));
    EXPECT_FALSE(shiftLatch);
    // The id of a button follows the new numbering.
    EXPECT_STREQ(FindBindingById(0)->keyName, L"40C2");
}

TEST_F(ButtonTableTest, ReloadThatFindsNoSettingsDropsTheOldButtons) {
    Button(L"40C1", 1);
    LoadButtons(kWindow);
    testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath);
    os.calls.clear();

    HandleReload();

    EXPECT_TRUE(buttonTable.empty());
    EXPECT_EQ(os.CallsStartingWith("UnregisterHotKey").size(), 3u);
    EXPECT_TRUE(os.CallsStartingWith("RegisterHotKey").empty());
    EXPECT_EQ(os.CallsStartingWith("ShellExecuteEx").size(), 1u);
}

TEST_F(ButtonTableTest, ReleaseAndRestoreTouchOnlyThatButtonsThreeHotKeys) {
    Button(L"40C1", 1);
    Button(L"40C2", 0);
    Button(L"40C3", 1);
    LoadButtons(kWindow);
    os.calls.clear();

    HandleReleaseTemp(0xC3);
    HandleRestoreTemp(0xC3);
    HandleRestoreTemp(0xC3);  // restoring a button never released registers again
    HandleReleaseTemp(0xC2);  // disabled: no id, nothing to touch
    HandleRestoreTemp(0xC2);
    HandleReleaseTemp(0x99);  // no such button
    HandleRestoreTemp(0x1000000C1ull);

    EXPECT_EQ(os.calls, (Calls{
                            "UnregisterHotKey(1)",
                            "UnregisterHotKey(17)",
                            "UnregisterHotKey(33)",
                            "RegisterHotKey(1, 0x1008, 0xC3)",
                            "RegisterHotKey(17, 0x100C, 0xC3)",
                            "RegisterHotKey(33, 0x100A, 0xC3)",
                            "RegisterHotKey(1, 0x1008, 0xC3)",
                            "RegisterHotKey(17, 0x100C, 0xC3)",
                            "RegisterHotKey(33, 0x100A, 0xC3)",
                        }));
}

TEST_F(ButtonTableTest, ButtonsBeyondTheSixteenthGetNoIdAndNoHotKeys) {
    for (int i = 0; i < 18; ++i) {
        wchar_t name[8];
        wsprintfW(name, L"40%02X", 0xA0 + i);
        Button(name, 1);
    }
    LoadButtons(kWindow);
    ASSERT_EQ(buttonTable.size(), 18u);
    EXPECT_EQ(buttonTable[15].hotKeyId, 15);
    EXPECT_EQ(buttonTable[16].hotKeyId, kNoHotKeyId);
    EXPECT_EQ(buttonTable[17].hotKeyId, kNoHotKeyId);
    EXPECT_EQ(os.CallsStartingWith("RegisterHotKey").size(), 48u);
    EXPECT_EQ(os.CallsStartingWith("RegisterHotKey").back(), "RegisterHotKey(47, 0x100A, 0xAF)");

    os.calls.clear();
    UnregisterAllHotKeys(kWindow);
    EXPECT_EQ(os.calls.size(), 48u);
    HandleReleaseTemp(0xB1);
    EXPECT_EQ(os.calls.size(), 48u);
}

// Ids -1 and -2 are the system's own hot keys; a message with one of them must not
// reach a button that registration left without an id.
TEST_F(ButtonTableTest, NegativeIdsFindNoBindingAndRunNoDisabledButton) {
    Button(L"40C1", 0);
    Slot(L"40C1", 0, 1, kActionProgram, L"\\Windows\\calc.exe");
    Button(L"40C2", 1);
    LoadButtons(kWindow);
    ASSERT_EQ(buttonTable[0].hotKeyId, kNoHotKeyId);
    currentId = 0;
    pressActive = false;
    doublePending = false;

    EXPECT_EQ(FindBindingById(kNoHotKeyId), nullptr);
    EXPECT_EQ(FindBindingById(-2), nullptr);
    os.calls.clear();
    for (int id : {-1, -2, -17, -33}) {
        HandleHotKey(id, 0);
        HandleHotKey(id, kModKeyUp);
    }
    HandlePressTimer();
    EXPECT_TRUE(os.CallsStartingWith("ShellExecuteEx").empty());
    EXPECT_TRUE(os.CallsStartingWith("RegisterHotKey").empty());
    EXPECT_EQ(currentId, 0);
}

TEST_F(ButtonTableTest, OverlongSubkeyNamesAreSkippedWithoutCreatingKeys) {
    Button(L"40C1", 1);
    Button(L"40C2ABCDEF", 1);
    LoadButtons(kWindow);
    ASSERT_EQ(buttonTable.size(), 1u);
    EXPECT_STREQ(buttonTable[0].keyName, L"40C1");
    EXPECT_FALSE(testing_support::KeyExists(HKEY_CURRENT_USER, kBase + L"\\40C2ABC"));

    testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath);
    Button(L"ThisNameIsFarTooLong", 1);
    os.calls.clear();
    EXPECT_FALSE(LoadButtons(kWindow));
    EXPECT_EQ(os.CallsStartingWith("ShellExecuteEx").size(), 1u);
}

// The per-program settings sit beside the buttons under the product key; whatever their
// name's letter case, they never become a button, so a subtree of them alone counts as
// no settings at all.
TEST_F(ButtonTableTest, TheProgramSettingsKeyIsNeverTakenForAButton) {
    Button(L"40C1", 1);
    SetDword(HKEY_CURRENT_USER, kBase + L"\\apps\\notepad.exe\\40C1", L"Enabled", 1);
    ASSERT_TRUE(LoadButtons(kWindow));
    ASSERT_EQ(buttonTable.size(), 1u);
    EXPECT_STREQ(buttonTable[0].keyName, L"40C1");

    testing_support::DeleteKeyTree(HKEY_CURRENT_USER, (kBase + L"\\40C1").c_str());
    os.calls.clear();
    EXPECT_FALSE(LoadButtons(kWindow));
    EXPECT_TRUE(buttonTable.empty());
    EXPECT_EQ(os.CallsStartingWith("ShellExecuteEx").size(), 1u);
}

}  // namespace
