// The key-sequence command form: what every command types, the handheld's included, and
// how a recorded combination is written, read back and shown.
#include "common/key_sequence.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace kestrel;

namespace {

// The events as text: a key-down as its code in hex, a key-up with "^" before it, an
// extended key with "e" after it; "11 54 ^54 ^11" is Ctrl+T.
std::string Typed(const std::wstring& command) {
    std::string text;
    for (const KeyEvent& event : KeySequenceEvents(command)) {
        char one[8];
        std::snprintf(one, sizeof(one), "%s%02X%s", event.up ? "^" : "", event.vk,
                      event.extended ? "e" : "");
        text += (text.empty() ? "" : " ") + std::string(one);
    }
    return text;
}

struct Case {
    const wchar_t* command;
    const char* typed;
};

TEST(KeySequenceTest, EveryCommandTheHandheldStoredTypesWhatItAlwaysTyped) {
    const Case cases[] = {
        {L"#AC", "11 41 ^41 ^11"},
        {L"#*#", "0D ^0D"},
        {L"#>S", "10 27 ^27 ^10"},
        {L"#<S", "10 25 ^25 ^10"},
        {L"#&#", "1B ^1B"},
        {L"#_#", "20 ^20"},
        {L"#ac", "11 61 ^61 ^11"},
        {L"#9a", "12 39 ^39 ^12"},
        {L"#?C", "11 ^11"},
        {L"#AC#V", "11 41 ^41 ^11"},
        {L"xACxVC", ""},
        {L"xAC#VC", "11 56 ^56 ^11"},
        {L"", ""},
        {L"#", ""},
        {L"#Q?", "51 ^51"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Typed(c.command), c.typed) << "command " << c.command;
    }
}

TEST(KeySequenceTest, HeldKeysWrapTheNextPressAndAreReleasedLastFirst) {
    const Case cases[] = {
        {L"+11+10$54", "11 10 54 ^54 ^10 ^11"},
        {L"+5B$44", "5Be 44 ^44 ^5Be"},
        {L"$74", "74 ^74"},
        {L"+12$09", "12 09 ^09 ^12"},
        {L"+10$25", "10 25e ^25e ^10"},
        {L"$B3$AF", "B3e ^B3e AFe ^AFe"},
        {L"+11$43$56", "11 43 ^43 ^11 56 ^56"},
        {L"+5b$2e", "5Be 2Ee ^2Ee ^5Be"},
        // A "#" group between does not release what "+" holds.
        {L"+10#AC$41", "10 11 41 ^41 ^11 41 ^41 ^10"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Typed(c.command), c.typed) << "command " << c.command;
    }
}

TEST(KeySequenceTest, GroupsItCannotReadDoNothingAndNoKeyIsLeftDown) {
    const Case cases[] = {
        {L"+11", "11 ^11"},    {L"+11+12", "11 12 ^12 ^11"}, {L"$G1", ""},
        {L"$00+FF$ 4", ""},    {L"+11$4", "11 ^11"},         {L"%54+11$54", "11 54 ^54 ^11"},
        {L"!!!$74", "74 ^74"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Typed(c.command), c.typed) << "command " << c.command;
    }
}

TEST(KeySequenceTest, ACombinationIsWrittenInTheHandheldFormWhereThatTypesItExactly) {
    struct Written {
        KeyCombination combination;
        const wchar_t* command;
        const wchar_t* text;
    };
    const Written cases[] = {
        {{'C', kModifierCtrl}, L"#CC", L"［Ctrl+C］"},
        {{VK_RETURN, 0}, L"#*#", L"［Enter］"},
        {{VK_ESCAPE, 0}, L"#&#", L"［ESC］"},
        {{'7', kModifierAlt}, L"#7A", L"［Alt+7］"},
        {{'T', kModifierCtrl | kModifierShift}, L"+11+10$54", L"［Ctrl+Shift+T］"},
        {{'D', kModifierWin}, L"+5B$44", L"［Win+D］"},
        {{VK_RIGHT, kModifierShift}, L"+10$27", L"［Shift+→］"},
        {{VK_F5, 0}, L"$74", L"［F5］"},
        {{VK_TAB, kModifierAlt}, L"+12$09", L"［Alt+Tab］"},
        {{VK_DELETE, kModifierCtrl | kModifierAlt}, L"+11+12$2E", L"［Ctrl+Alt+Delete］"},
        {{VK_NUMPAD5, kModifierCtrl | kModifierAlt | kModifierShift | kModifierWin},
         L"+11+12+10+5B$65",
         L"［Ctrl+Alt+Shift+Win+Num 5］"},
        {{VK_MEDIA_PLAY_PAUSE, 0}, L"$B3", L"［Play/Pause］"},
        {{VK_BROWSER_BACK, kModifierShift}, L"+10$A6", L"［Shift+Browser Back］"},
        {{VK_NEXT, 0}, L"$22", L"［PageDown］"},
        {{VK_F24, kModifierCtrl}, L"+11$87", L"［Ctrl+F24］"},
        {{0xE9, 0}, L"$E9", L"［Key E9］"},
    };
    for (const Written& c : cases) {
        EXPECT_EQ(CombinationCommand(c.combination), c.command);
        EXPECT_EQ(CombinationText(c.combination), c.text) << "command " << c.command;
        KeyCombination read;
        ASSERT_TRUE(ParseCombination(c.command, read)) << "command " << c.command;
        EXPECT_EQ(read, c.combination) << "command " << c.command;
    }
}

TEST(KeySequenceTest, OnlyOneWholeCombinationReadsAsOne) {
    KeyCombination read;
    ASSERT_TRUE(ParseCombination(L"#ac", read));
    EXPECT_EQ(CombinationText(read), L"［Ctrl+Num 1］");  // "a" was always code 97
    for (const wchar_t* command :
         {L"", L"#?C", L"#AC#VC", L"+11", L"+11$54$41", L"+41$54", L"+11+11$54", L"+10+11$54",
          L"+5b$44", L"$FF", L"$5", L"x54", L"+11$54 "}) {
        EXPECT_FALSE(ParseCombination(command, read)) << "command " << command;
    }
}

TEST(KeySequenceTest, EitherSideOfAModifierCountsAsThatModifier) {
    EXPECT_EQ(ModifierOfKey(VK_LCONTROL), kModifierCtrl);
    EXPECT_EQ(ModifierOfKey(VK_RMENU), kModifierAlt);
    EXPECT_EQ(ModifierOfKey(VK_RSHIFT), kModifierShift);
    EXPECT_EQ(ModifierOfKey(VK_RWIN), kModifierWin);
    EXPECT_EQ(ModifierOfKey('A'), 0u);
}

}  // namespace
