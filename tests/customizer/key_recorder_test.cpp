// The dialog "キー操作": which key events it keeps for itself, and what it records from them.
#include "customizer/key_recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "platform/hotkeys.h"
#include "support/dialog_player.h"
#include "support/older_key_hook.h"

using kestrel::KeyCombination;
using kestrel::KeyRecording;
using testing_support::OlderKeyHook;
using testing_support::TapKey;

namespace {

TEST(KeyRecordingTest, EachUpGoesWhereItsDownWent) {
    struct Event {
        DWORD vk;
        bool up;
        bool inFront;
        bool taken;
    };
    const Event story[] = {
        {VK_RETURN, true, true, false},  // pressed before the dialog came
        {'K', false, true, true},        // pressed in front
        {'K', true, false, true},        // let go after another window came in front
        {'J', false, false, false},      // pressed elsewhere
        {'J', true, true, false},        // let go over the dialog
        {'K', true, true, false},        // a second up of a key let go already
        {0x100, false, true, false},     // no key's code
        {0x100, true, true, false},
    };
    KeyRecording recording;
    for (const Event& event : story) {
        EXPECT_EQ(recording.Take(event.vk, event.up, event.inFront), event.taken)
            << event.vk << (event.up ? " up" : " down");
    }
}

// The dialog over the desktop with its real hook, as the user and the agent press keys.
TEST(KeyRecorderHooksTest, TheAgentsKeysAndUpsOfKeysPressedBeforePassAndTheUsersKeysAreRecorded) {
    OlderKeyHook older;
    keybd_event(VK_RETURN, 0, 0, 0);  // the Enter that opened the dialog, still held
    older.Seen();
    testing_support::DiscardPending();

    std::vector<std::string> passed;
    KeyCombination combination;
    bool recorded = false;
    {
        testing_support::DialogPlayer player(L"キー操作", [&](HWND dialog) {
            TapKey(platform::kMaskKey, platform::kProbeExtraInfo);
            TapKey(platform::kMaskKey, platform::kMaskExtraInfo);
            TapKey(VK_F13, kestrel::kExtraInfoOwnKey);
            keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
            keybd_event(VK_CONTROL, 0, 0, 0);
            TapKey('K');
            keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
            passed = older.Seen();
            EXPECT_TRUE(testing_support::PollUntil(
                [&] { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }));
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        recorded = kestrel::RecordKeyCombination(nullptr, combination);
    }
    EXPECT_TRUE(recorded);
    EXPECT_EQ(combination, (KeyCombination{'K', kestrel::kModifierCtrl}));
    const std::vector<std::string> expected = {
        OlderKeyHook::Describe(platform::kMaskKey, false, platform::kProbeExtraInfo),
        OlderKeyHook::Describe(platform::kMaskKey, true, platform::kProbeExtraInfo),
        OlderKeyHook::Describe(platform::kMaskKey, false, platform::kMaskExtraInfo),
        OlderKeyHook::Describe(platform::kMaskKey, true, platform::kMaskExtraInfo),
        OlderKeyHook::Describe(VK_F13, false, kestrel::kExtraInfoOwnKey),
        OlderKeyHook::Describe(VK_F13, true, kestrel::kExtraInfoOwnKey),
        OlderKeyHook::Describe(VK_RETURN, true, 0),
    };
    EXPECT_EQ(passed, expected);
    EXPECT_EQ(GetAsyncKeyState(VK_RETURN) & 0x8000, 0) << "Enter is left down";
}

}  // namespace
