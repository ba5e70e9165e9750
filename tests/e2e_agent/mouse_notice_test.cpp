// The agent window in this process with the real hot-key layer behind the seam: when the
// mouse hook cannot be installed the user is told once, and told again when the back
// button is the agent's once more.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent/agent_state.h"
#include "agent/agent_window.h"
#include "agent/button_table.h"
#include "common/settings_schema.h"
#include "platform/hotkeys.h"
#include "support/button_settings.h"
#include "support/message_pump.h"
#include "support/recording_os.h"
#include "support/registry.h"

using namespace kestrel;

namespace {

// Hot keys go to the real layer, and what the agent asks is still written down.
class RealHotKeysOs : public testing_support::RecordingOs {
  public:
    BOOL RegisterHotKey(HWND window, int id, UINT modifiers, UINT vk) override {
        RecordingOs::RegisterHotKey(window, id, modifiers, vk);
        return platform::RegisterKeyUpHotKey(window, id, modifiers, vk);
    }
    BOOL UnregisterHotKey(HWND window, int id) override {
        RecordingOs::UnregisterHotKey(window, id);
        return platform::UnregisterKeyUpHotKey(window, id);
    }
    // The balloon texts shown so far.
    std::vector<std::wstring> balloons;
    BOOL Shell_NotifyIconW(DWORD message, NOTIFYICONDATAW* data) override {
        if (message == NIM_MODIFY && (data->uFlags & NIF_INFO)) {
            balloons.push_back(data->szInfo);
            EXPECT_EQ(data->hWnd, agentWindow);
            EXPECT_EQ(data->uID, kTrayIconId);
        }
        return RecordingOs::Shell_NotifyIconW(message, data);
    }
};

class MouseNoticeTest : public ::testing::Test {
  protected:
    // The back button (0x05) with a key sequence on its single press.
    void SetUp() override {
        testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath);
        testing_support::SeedButton(L"4005", {{0, kActionKeySequence, L"#A#"}});
        buttonTable.clear();
        agentWindow = nullptr;
    }
    void TearDown() override {
        platform::test_access::RefuseMouseHook(false);
        platform::SetHookNotice(nullptr, 0);
        if (agentWindow && IsWindow(agentWindow)) {
            DestroyWindow(agentWindow);
        }
        EXPECT_EQ(platform::KeyUpHotKeyCount(), 0);
        agentWindow = nullptr;
        buttonTable.clear();
        testing_support::DiscardPending();
        testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath);
    }

    bool BalloonsBecome(size_t count) {
        return testing_support::PumpUntil([&] { return os.balloons.size() >= count; }, 10000);
    }

    RealHotKeysOs os;
};

TEST_F(MouseNoticeTest, TheUserHearsOnceThatTheMouseButtonsAreLostAndAgainWhenTheyAreBack) {
    platform::test_access::RefuseMouseHook(true);
    ASSERT_TRUE(InitInstance(GetModuleHandleW(nullptr)));
    ASSERT_TRUE(BalloonsBecome(1));
    EXPECT_EQ(platform::KeyUpHotKeyCount(), 0) << "the back button was not taken";
    testing_support::Pump(300);  // for a second balloon that must not come
    EXPECT_EQ(os.balloons, std::vector<std::wstring>{L"マウスのボタンを受け取れません。"});

    platform::test_access::RefuseMouseHook(false);
    ASSERT_TRUE(BalloonsBecome(2));
    EXPECT_EQ(os.balloons.back(), L"マウスのボタンをまた受け取れるようになりました。");
    EXPECT_EQ(platform::KeyUpHotKeyCount(), 3) << "plain, Shift and Ctrl taken again";
    EXPECT_TRUE(platform::test_access::MouseHookInstalled());
}

}  // namespace
