#include "common/app_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/registry.h"

using namespace kestrel;
using namespace kestrel::AppSettings;
using testing_support::KeyExists;
using testing_support::ReadRaw;
using testing_support::SetDword;
using testing_support::SetString;
using testing_support::SetValue;

namespace {

class AppSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override { testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath); }
    void TearDown() override { testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath); }

    static ButtonValues Button(const wchar_t* keyName, DWORD enabled) {
        ButtonValues button;
        button.keyName = keyName;
        button.hasEnabled = true;
        button.enabled = enabled;
        return button;
    }
};

TEST_F(AppSettingsTest, WrittenProgramsAreReadBackAndFoundLetterCaseAside) {
    ButtonValues back = Button(L"4005", 1);
    back.slots[kPressSingle] = {1, true, kActionKeySequence, L"#%L"};
    back.slots[kPressHold] = {0, true, kActionDeviceCommand, kDeviceCommandPauseText};
    ASSERT_TRUE(WriteAppName(L"Paint.exe", L"お絵かき"));
    ASSERT_TRUE(WriteAppButton(L"Paint.exe", back));
    ASSERT_TRUE(WriteAppButton(L"Paint.exe", Button(L"407C", 0)));
    ASSERT_TRUE(WriteAppOff(L"game.exe", true));

    const std::vector<AppValues> apps = ReadAllApps();
    ASSERT_EQ(apps.size(), 2u);
    const AppValues* paint = FindApp(apps, L"PAINT.EXE");
    ASSERT_NE(paint, nullptr);
    EXPECT_EQ(paint->fileName, L"Paint.exe");
    EXPECT_EQ(paint->name, L"お絵かき");
    EXPECT_FALSE(paint->off);
    const ButtonValues* read = FindAppButton(*paint, L"4005");
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(read->SwitchedOn());
    EXPECT_EQ(read->slots[kPressSingle].enabled, 1u);
    EXPECT_TRUE(read->slots[kPressSingle].hasPair);
    EXPECT_EQ(read->slots[kPressSingle].mode, static_cast<DWORD>(kActionKeySequence));
    EXPECT_EQ(read->slots[kPressSingle].command, L"#%L");
    EXPECT_EQ(read->slots[kPressHold].command, L"3");
    EXPECT_EQ(read->slots[kPressDouble].enabled, 0u);
    ASSERT_NE(FindAppButton(*paint, L"407c"), nullptr);
    EXPECT_FALSE(FindAppButton(*paint, L"407c")->SwitchedOn());
    EXPECT_EQ(FindAppButton(*paint, L"40C1"), nullptr);

    const AppValues* game = FindApp(apps, L"Game.exe");
    ASSERT_NE(game, nullptr);
    EXPECT_TRUE(game->off);
    EXPECT_TRUE(game->buttons.empty());
    EXPECT_EQ(FindApp(apps, L"notepad.exe"), nullptr);
}

TEST_F(AppSettingsTest, ReadingCreatesNoKeys) {
    EXPECT_TRUE(ListApps().empty());
    EXPECT_TRUE(ReadAllApps().empty());
    AppValues app;
    EXPECT_FALSE(ReadApp(L"missing.exe", app));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKeyPath));
}

// Values written by hand or by another program count only in their own kind.
TEST_F(AppSettingsTest, ValuesOfTheWrongKindOrSizeCountAsMissing) {
    const std::wstring app = AppKeyPath(L"x.exe");
    const std::wstring button = AppButtonKeyPath(L"x.exe", L"40C1");
    SetString(HKEY_CURRENT_USER, app, kValueOff, L"1");
    SetDword(HKEY_CURRENT_USER, app, kValueName, 7);
    const BYTE fiveBytes[5] = {1, 0, 0, 0, 0};
    SetValue(HKEY_CURRENT_USER, button, kValueEnabled, REG_DWORD, fiveBytes, 5);
    SetValue(HKEY_CURRENT_USER, button, L"Enabled_0", REG_BINARY, fiveBytes, 4);
    SetDword(HKEY_CURRENT_USER, button, L"Mode_0", 2);
    SetValue(HKEY_CURRENT_USER, button, L"Cmd_0", REG_BINARY, L"#AC", 8);
    SetDword(HKEY_CURRENT_USER, button, L"Enabled_1", 1);
    SetDword(HKEY_CURRENT_USER, button, L"Mode_1", 0);
    SetValue(HKEY_CURRENT_USER, button, L"Cmd_1", REG_EXPAND_SZ, L"%WINDIR%\\a.exe", 30);

    AppValues read;
    ASSERT_TRUE(ReadApp(L"x.exe", read));
    EXPECT_FALSE(read.off);
    EXPECT_TRUE(read.name.empty());
    ASSERT_EQ(read.buttons.size(), 1u);
    EXPECT_FALSE(read.buttons[0].hasEnabled);
    EXPECT_FALSE(read.buttons[0].SwitchedOn());
    EXPECT_EQ(read.buttons[0].slots[0].enabled, 0u);
    EXPECT_FALSE(read.buttons[0].slots[0].hasPair);
    EXPECT_TRUE(read.buttons[0].slots[0].command.empty());
    EXPECT_EQ(read.buttons[0].slots[1].enabled, 1u);
    EXPECT_TRUE(read.buttons[0].slots[1].hasPair);
    EXPECT_EQ(read.buttons[0].slots[1].command, L"%WINDIR%\\a.exe");
}

TEST_F(AppSettingsTest, OnlyNamesThatCanBeProgramsOrButtonsAreRead) {
    const std::wstring longest(kMaxAppNameChars, L'n');
    ASSERT_TRUE(WriteAppOff(longest, true));
    EXPECT_FALSE(WriteAppOff(longest + L"n", true));
    EXPECT_FALSE(WriteAppOff(L"a\\b.exe", true));
    EXPECT_FALSE(WriteAppOff(L"", true));
    testing_support::CreateKey(HKEY_CURRENT_USER, AppButtonKeyPath(longest, L"40C1"));
    testing_support::CreateKey(HKEY_CURRENT_USER, AppButtonKeyPath(longest, L"NotAButton"));

    const std::vector<AppValues> apps = ReadAllApps();
    ASSERT_EQ(apps.size(), 1u);
    EXPECT_EQ(apps[0].fileName, longest);
    EXPECT_TRUE(apps[0].off);
    ASSERT_EQ(apps[0].buttons.size(), 1u);
    EXPECT_EQ(apps[0].buttons[0].keyName, L"40C1");
    EXPECT_FALSE(apps[0].buttons[0].hasEnabled);
}

TEST_F(AppSettingsTest, ButtonSubkeysOfOneProgramAreReadUpToTheLimit) {
    for (int i = 0; i < kMaxAppButtons + 5; ++i) {
        wchar_t name[8];
        swprintf(name, 8, L"4%03X", i);
        testing_support::CreateKey(HKEY_CURRENT_USER, AppButtonKeyPath(L"many.exe", name));
    }
    AppValues read;
    ASSERT_TRUE(ReadApp(L"many.exe", read));
    EXPECT_EQ(read.buttons.size(), static_cast<size_t>(kMaxAppButtons));
}

// The hot-key room is per button: one switched on globally and in two programs takes one.
TEST_F(AppSettingsTest, SwitchedOnButtonsAreCountedOnceAcrossAllPrograms) {
    std::vector<AppValues> apps(2);
    apps[0].buttons = {Button(L"40c1", 1), Button(L"4005", 1), Button(L"4006", 0)};
    apps[1].buttons = {Button(L"4005", 2), Button(L"40C3", 1)};
    ButtonValues noEnabled;
    noEnabled.keyName = L"40C4";
    apps[1].buttons.push_back(noEnabled);
    EXPECT_EQ(CountSwitchedOnButtons({L"40C1", L"40C2"}, apps), 4u);
    EXPECT_EQ(CountSwitchedOnButtons({}, {}), 0u);
    EXPECT_EQ(CountSwitchedOnButtons({L"40C1", L"40c1"}, {}), 1u);
}

// A slot whose pair is left out keeps its stored bytes; a button or a program removed
// takes its whole subtree with it and nothing beside it.
TEST_F(AppSettingsTest, WritingLeavesPairsItDoesNotHaveAndDeletesOnlyItsOwnSubtree) {
    const std::wstring path = AppButtonKeyPath(L"a.exe", L"40C1");
    SetValue(HKEY_CURRENT_USER, path, L"Cmd_0", REG_BINARY, "odd", 3);
    SetString(HKEY_CURRENT_USER, path, L"Unknown", L"kept");
    ButtonValues button = Button(L"40C1", 1);
    button.slots[0].enabled = 1;
    ASSERT_TRUE(WriteAppButton(L"a.exe", button));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, path, L"Cmd_0").bytes.size(), 3u);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, path, L"Cmd_0").type, static_cast<DWORD>(REG_BINARY));
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, path, L"Mode_0").found);
    EXPECT_TRUE(ReadRaw(HKEY_CURRENT_USER, path, L"Enabled_0").found);
    EXPECT_EQ(testing_support::ReadStringValue(HKEY_CURRENT_USER, path, L"Unknown"), L"kept");

    ASSERT_TRUE(WriteAppButton(L"a.exe", Button(L"40C2", 1)));
    ASSERT_TRUE(WriteAppOff(L"b.exe", false));
    EXPECT_TRUE(DeleteAppButton(L"a.exe", L"40c1"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, path));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, AppButtonKeyPath(L"a.exe", L"40C2")));
    EXPECT_FALSE(DeleteAppButton(L"a.exe", L"..\\..\\40C2"));
    EXPECT_TRUE(DeleteApp(L"A.EXE"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKeyPath(L"a.exe")));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, AppKeyPath(L"b.exe")));
    EXPECT_FALSE(DeleteApp(L"..\\"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kAppsKeyPath));
}

}  // namespace
