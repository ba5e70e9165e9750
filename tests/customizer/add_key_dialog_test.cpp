// Which pressed keys the "キーを追加" dialog takes, which it takes only once the user
// agrees, which it refuses, and what it names them.
#include "customizer/add_key_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "platform/hotkeys.h"
#include "support/dialog_player.h"
#include "support/older_key_hook.h"
#include "support/older_mouse_hook.h"
#include "support/test_window.h"

using kestrel::JudgeKey;
using kestrel::KeyVerdict;
using kestrel::PressedKey;
using kestrel::PressedKeyName;
using testing_support::OlderKeyHook;
using testing_support::TapKey;

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
         {VK_PAUSE, VK_SCROLL, VK_INSERT, VK_APPS, VK_F11, VK_F13, VK_F24, VK_BROWSER_BACK,
          VK_LAUNCH_MAIL, VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2, 0xC1}) {
        EXPECT_EQ(JudgeKey(vk), KeyVerdict::kAccepted) << vk;
    }
}

TEST(JudgeKeyTest, TheKeypadTheInputMethodsKeysAndF12AreNoSpareKeys) {
    const struct {
        uint32_t vk;
        KeyVerdict verdict;
    } cases[] = {
        // The keypad types digits and signs; with Num Lock off it is Home, End... (above).
        {VK_NUMPAD0, KeyVerdict::kNeedsConfirmation},
        {VK_NUMPAD5, KeyVerdict::kNeedsConfirmation},
        {VK_NUMPAD9, KeyVerdict::kNeedsConfirmation},
        {VK_MULTIPLY, KeyVerdict::kNeedsConfirmation},
        {VK_ADD, KeyVerdict::kNeedsConfirmation},
        {VK_SEPARATOR, KeyVerdict::kNeedsConfirmation},
        {VK_SUBTRACT, KeyVerdict::kNeedsConfirmation},
        {VK_DECIMAL, KeyVerdict::kNeedsConfirmation},
        {VK_DIVIDE, KeyVerdict::kNeedsConfirmation},
        {VK_CLEAR, KeyVerdict::kAccepted},
        // The input method's keys switch how Japanese (or Korean) is typed.
        {VK_KANA, KeyVerdict::kNeedsInputMethodConfirmation},
        {VK_IME_ON, KeyVerdict::kNeedsInputMethodConfirmation},
        {VK_JUNJA, KeyVerdict::kNeedsInputMethodConfirmation},
        {VK_FINAL, KeyVerdict::kNeedsInputMethodConfirmation},
        {VK_KANJI, KeyVerdict::kNeedsInputMethodConfirmation},
        {VK_IME_OFF, KeyVerdict::kNeedsInputMethodConfirmation},
        {VK_CONVERT, KeyVerdict::kNeedsInputMethodConfirmation},
        {VK_NONCONVERT, KeyVerdict::kNeedsInputMethodConfirmation},
        {VK_ACCEPT, KeyVerdict::kNeedsInputMethodConfirmation},
        {VK_MODECHANGE, KeyVerdict::kNeedsInputMethodConfirmation},
        {VK_PROCESSKEY, KeyVerdict::kNeedsInputMethodConfirmation},
        {0xF0, KeyVerdict::kNeedsInputMethodConfirmation},  // 英数
        {0xF2, KeyVerdict::kNeedsInputMethodConfirmation},  // ひらがな
        {0xF3, KeyVerdict::kNeedsInputMethodConfirmation},  // 半角/全角
        {0xF4, KeyVerdict::kNeedsInputMethodConfirmation},
        {0xF6, KeyVerdict::kNeedsInputMethodConfirmation},
        {VK_ESCAPE, KeyVerdict::kAccepted},  // among their codes, but cancels the dialog
        {0xF7, KeyVerdict::kAccepted},
        // Windows keeps F12 for the debugger.
        {VK_F12, KeyVerdict::kRefusedReserved},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JudgeKey(c.vk), c.verdict) << std::hex << c.vk;
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

// The dialog over the desktop, with its real hooks, as the user and the agent press keys.
class AddKeyDialogHooksTest : public ::testing::Test {
  protected:
    // Shows the dialog until it closes, with `play` pressing keys meanwhile; whether a key
    // was added.
    bool Ask(std::function<void(HWND dialog)> play) {
        testing_support::DialogPlayer player(L"キーを追加", std::move(play));
        return kestrel::AskForKey(
            nullptr, [](uint32_t) { return false; }, added);
    }
    static bool Closes(HWND dialog) {
        return testing_support::PollUntil([&] { return !IsWindow(dialog); });
    }
    static std::string Passed(DWORD vk, bool up, ULONG_PTR extraInfo) {
        return OlderKeyHook::Describe(vk, up, extraInfo);
    }

    OlderKeyHook older;
    PressedKey added;
};

TEST_F(AddKeyDialogHooksTest, TheAgentsOwnKeysPassAndTheUsersNextKeyIsAdded) {
    using platform::kMaskKey;
    std::vector<std::string> passed;
    const bool ok = Ask([&](HWND dialog) {
        TapKey(kMaskKey, platform::kProbeExtraInfo);  // the agent asking after its hook
        TapKey(kMaskKey, platform::kMaskExtraInfo);   // the agent keeping Start shut
        TapKey(VK_F13, kestrel::kExtraInfoOwnKey);    // a key an action types
        passed = older.Seen();
        TapKey(VK_PAUSE);
        EXPECT_TRUE(Closes(dialog));
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(added.vk, static_cast<uint32_t>(VK_PAUSE));
    const std::vector<std::string> expected = {
        Passed(kMaskKey, false, platform::kProbeExtraInfo),
        Passed(kMaskKey, true, platform::kProbeExtraInfo),
        Passed(kMaskKey, false, platform::kMaskExtraInfo),
        Passed(kMaskKey, true, platform::kMaskExtraInfo),
        Passed(VK_F13, false, kestrel::kExtraInfoOwnKey),
        Passed(VK_F13, true, kestrel::kExtraInfoOwnKey),
    };
    EXPECT_EQ(passed, expected);
}

TEST_F(AddKeyDialogHooksTest, KeysPressedWhileAnotherWindowIsInFrontAreThatWindows) {
    HWND other = testing_support::MakeTestWindow(L"AddKeyDialogOther", DefWindowProcW,
                                                 WS_POPUP | WS_VISIBLE, 200, 100);
    ASSERT_NE(other, nullptr);
    testing_support::OlderMouseHook olderMouse;
    std::vector<std::string> passed;
    std::vector<std::string> clicked;
    bool openBehind = false;
    const bool ok = Ask([&](HWND dialog) {
        ASSERT_TRUE(testing_support::BringToFront(other));
        TapKey(VK_PAUSE);
        passed = older.Seen();
        mouse_event(MOUSEEVENTF_MIDDLEDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_MIDDLEUP, 0, 0, 0, 0);
        clicked = olderMouse.Seen();
        openBehind = IsWindow(dialog) != FALSE;
        ASSERT_TRUE(testing_support::BringToFront(dialog));
        TapKey(VK_INSERT);
        EXPECT_TRUE(Closes(dialog));
    });
    DestroyWindow(other);
    EXPECT_EQ(passed,
              (std::vector<std::string>{Passed(VK_PAUSE, false, 0), Passed(VK_PAUSE, true, 0)}));
    EXPECT_EQ(clicked, (std::vector<std::string>{"middle down", "middle up"}));
    EXPECT_TRUE(openBehind);
    EXPECT_TRUE(ok);
    EXPECT_EQ(added.vk, static_cast<uint32_t>(VK_INSERT));
}

TEST_F(AddKeyDialogHooksTest, F12IsRefusedAndTheKeypadAndInputMethodKeysWaitForTheUsersYes) {
    const auto says = [](HWND dialog, const std::wstring& part) {
        return testing_support::PollUntil([&] {
            wchar_t text[256] = {};
            GetDlgItemTextW(dialog, IDC_ADD_KEY_STATUS, text, 256);
            return std::wstring(text).find(part) != std::wstring::npos &&
                   IsWindowEnabled(GetDlgItem(dialog, IDOK)) == (part != L"予約");
        });
    };
    const bool ok = Ask([&](HWND dialog) {
        TapKey(VK_F12);
        EXPECT_TRUE(says(dialog, L"予約"));
        TapKey(VK_NUMPAD7);
        EXPECT_TRUE(says(dialog, L"文字の入力"));
        TapKey(VK_CONVERT);
        EXPECT_TRUE(says(dialog, L"日本語入力の切り替え"));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(Closes(dialog));
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(added.vk, static_cast<uint32_t>(VK_CONVERT));
}

}  // namespace
