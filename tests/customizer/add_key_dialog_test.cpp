// Which pressed keys the "キーを追加" dialog takes, which it takes only once the user
// agrees, which it refuses, and what it names them.
#include "customizer/add_key_dialog.h"

#include <gtest/gtest.h>

using kestrel::JudgeKey;
using kestrel::KeyVerdict;
using kestrel::PressedKey;
using kestrel::PressedKeyName;

namespace {

TEST(JudgeKeyTest, RefusesModifiersOnEitherSideAndTheLeftAndRightMouseButtons) {
    for (uint32_t vk : {VK_LWIN, VK_RWIN, VK_SHIFT, VK_LSHIFT, VK_RSHIFT, VK_CONTROL, VK_LCONTROL,
                        VK_RCONTROL, VK_MENU, VK_LMENU, VK_RMENU}) {
        EXPECT_EQ(JudgeKey(vk), KeyVerdict::kRefusedModifier) << vk;
    }
    EXPECT_EQ(JudgeKey(VK_LBUTTON), KeyVerdict::kRefusedMouseButton);
    EXPECT_EQ(JudgeKey(VK_RBUTTON), KeyVerdict::kRefusedMouseButton);
    for (uint32_t vk : {0u, 0xFFu, 0x100u, static_cast<uint32_t>(VK_PACKET)}) {
        EXPECT_EQ(JudgeKey(vk), KeyVerdict::kRefusedUnusable) << vk;
    }
}

TEST(JudgeKeyTest, KeysTypingNeedsWaitForTheUsersYes) {
    for (uint32_t vk : {uint32_t{'A'}, uint32_t{'Z'}, uint32_t{'0'}, uint32_t{'9'},
                        uint32_t{VK_SPACE}, uint32_t{VK_RETURN}, uint32_t{VK_TAB},
                        uint32_t{VK_BACK}, uint32_t{VK_OEM_COMMA}, uint32_t{VK_OEM_102}}) {
        EXPECT_EQ(JudgeKey(vk), KeyVerdict::kNeedsConfirmation) << vk;
    }
}

TEST(JudgeKeyTest, SpareKeysAndTheOtherMouseButtonsAreTakenAtOnce) {
    for (uint32_t vk :
         {VK_PAUSE, VK_SCROLL, VK_INSERT, VK_APPS, VK_NUMPAD5, VK_F13, VK_F24, VK_BROWSER_BACK,
          VK_LAUNCH_MAIL, VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2, 0xC1}) {
        EXPECT_EQ(JudgeKey(vk), KeyVerdict::kAccepted) << vk;
    }
}

TEST(PressedKeyNameTest, MouseButtonsHaveJapaneseNamesAndAKeyWithoutOneItsCode) {
    EXPECT_EQ(PressedKeyName({VK_MBUTTON, 0, false}), L"マウス 中ボタン");
    EXPECT_EQ(PressedKeyName({VK_XBUTTON1, 0, false}), L"マウス 戻るボタン");
    EXPECT_EQ(PressedKeyName({VK_XBUTTON2, 0, false}), L"マウス 進むボタン");
    // Injected without a scan code, Pause is still named as the keyboard's Pause.
    EXPECT_EQ(PressedKeyName({VK_PAUSE, 0, false}), PressedKeyName({VK_PAUSE, 0x45, false}));
    EXPECT_EQ(PressedKeyName({0xE8, 0, false}), L"キー E8");
}

}  // namespace
