#include "common/while_held.h"

#include <gtest/gtest.h>

using namespace kestrel;

TEST(WhileHeldCommand, NamesTheModifiersInAnyOrderAndIgnoresTheRest) {
    EXPECT_EQ(WhileHeldModifiers(L"C"), static_cast<UINT>(MOD_CONTROL));
    EXPECT_EQ(WhileHeldModifiers(L"SC"), WhileHeldModifiers(L"CS"));
    EXPECT_EQ(WhileHeldModifiers(L"AW"), static_cast<UINT>(MOD_ALT | MOD_WIN));
    EXPECT_EQ(WhileHeldModifiers(L"x-W?C"), static_cast<UINT>(MOD_WIN | MOD_CONTROL));
    EXPECT_EQ(WhileHeldModifiers(L"c s"), 0u) << "lower case names nothing";
    EXPECT_EQ(WhileHeldModifiers(L""), 0u);
}

TEST(WhileHeldCommand, IsWrittenInOneOrderAndReadsBackTheSame) {
    EXPECT_EQ(WhileHeldCommand(MOD_WIN | MOD_SHIFT | MOD_CONTROL), L"SCW");
    EXPECT_EQ(WhileHeldCommand(0), L"");
    for (UINT modifiers = 0; modifiers < 16; ++modifiers) {
        EXPECT_EQ(WhileHeldModifiers(WhileHeldCommand(modifiers)), modifiers);
    }
}
