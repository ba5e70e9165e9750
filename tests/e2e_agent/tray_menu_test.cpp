// The tray menu and the about box of the real agent, used the way a user does: the icon's
// message, then the keyboard or the mouse.
#include <gtest/gtest.h>

#include <algorithm>

#include "agent/agent_window.h"
#include "common/resource_ids.h"
#include "e2e_agent/agent_harness.h"
#include "platform/sip.h"

using namespace e2e_agent;

namespace {

class TrayMenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearSettings();
        ReleaseModifiers();
        SeedButton(L"40C1", {{0, kestrel::kActionKeySequence, L"#1#"}});
        ASSERT_EQ(AgentWindowCount(), 0) << "an agent from elsewhere is running";
        agent = folder.StartAgent();
        ASSERT_TRUE(agent);
        window = AgentFolder::WaitForWindow(agent);
        ASSERT_TRUE(window);
        agentId = GetProcessId(agent);
    }
    void TearDown() override {
        if (window && WaitForSingleObject(agent, 0) == WAIT_TIMEOUT) {
            Tap(VK_ESCAPE);  // a menu left open
            SendTo(window, WM_CLOSE);
            AgentFolder::WaitForExit(agent, 5000);
        }
        ClearSettings();
    }

    HWND Menu() const {
        std::vector<HWND> menus = WindowsOf(agentId, L"#32768");
        return menus.empty() ? nullptr : menus.front();
    }
    HWND AboutBox() const {
        for (HWND box : WindowsOf(agentId, L"#32770")) {
            if (TextOf(box) == L"Kestrelのバージョン情報") {
                return box;
            }
        }
        return nullptr;
    }
    // What the taskbar sends for `event` on the icon `icon`, in the form of version 4 that
    // the agent asks for: the event and the icon in lParam, where it happened in wParam.
    void TrayEvent(UINT event, UINT icon = kestrel::kTrayIconId) const {
        PostMessageW(window, kestrel::MSG_TRAY, MAKEWPARAM(1000, 740), MAKELPARAM(event, icon));
    }
    // The tap on the tray icon.
    bool OpenMenu() {
        TrayEvent(WM_LBUTTONDOWN);
        return WaitUntil([&] { return Menu() != nullptr; }, 5000);
    }
    // Moves down the menu `downs` times and takes the item.
    void Choose(int downs) {
        for (int i = 0; i < downs; ++i) {
            Tap(VK_DOWN);
        }
        Tap(VK_RETURN);
        WaitUntil([&] { return Menu() == nullptr; }, 5000);
    }

    static RECT WorkArea() {
        RECT work;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        return work;
    }

    AgentFolder folder;
    HANDLE agent = nullptr;
    HWND window = nullptr;
    DWORD agentId = 0;
};

// The display here is 1024 x 768; the handheld's 240 x 320 is shown in-process through the
// seam (AgentWindowTest).
TEST_F(TrayMenuTest, TapOnTheIconOpensTheMenuAtTheLowerRightCornerOfTheWorkArea) {
    ASSERT_TRUE(OpenMenu());

    RECT rect;
    GetWindowRect(Menu(), &rect);
    const RECT work = WorkArea();
    EXPECT_EQ(rect.right, work.right);
    EXPECT_EQ(rect.bottom, work.bottom);

    Tap(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return Menu() == nullptr; }, 5000));
}

TEST_F(TrayMenuTest, OtherIconsAndOtherMouseMessagesOpenNothing) {
    const std::pair<UINT, UINT> others[] = {
        {2, WM_LBUTTONDOWN}, {0, WM_LBUTTONDOWN}, {1, WM_LBUTTONUP}, {1, WM_RBUTTONDOWN}};
    for (const auto& [icon, mouse] : others) {
        TrayEvent(mouse, icon);
    }
    // The form of version 0, which the taskbar no longer uses for this icon.
    PostMessageW(window, kestrel::MSG_TRAY, kestrel::kTrayIconId, WM_LBUTTONDOWN);
    EXPECT_FALSE(WaitUntil([&] { return Menu() != nullptr; }, 1500));

    // The same wait is long enough for the one message that does open it.
    EXPECT_TRUE(OpenMenu());
}

// A desktop's right-click opens it where the pointer is, above and left of it.
TEST_F(TrayMenuTest, RightClickOnTheIconOpensTheMenuAtThePointer) {
    ASSERT_TRUE(SetCursorPos(400, 300));
    TrayEvent(WM_RBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return Menu() != nullptr; }, 5000));

    RECT rect;
    GetWindowRect(Menu(), &rect);
    EXPECT_EQ(rect.right, 400);
    EXPECT_EQ(rect.bottom, 300);
    Choose(1);
    EXPECT_TRUE(WaitUntil([&] { return folder.CustomizerStarts() == 1; }));
}

TEST_F(TrayMenuTest, FirstItemOpensTheCustomizer) {
    ASSERT_TRUE(OpenMenu());
    Choose(1);
    EXPECT_TRUE(WaitUntil([&] { return folder.CustomizerStarts() == 1; }));
}

TEST_F(TrayMenuTest, MenuHasFourItemsAroundItsSeparator) {
    // Five steps down pass 設定, バージョン情報, 一時停止 and 終了, skipping the separator,
    // and come back round to 設定.
    ASSERT_TRUE(OpenMenu());
    Choose(5);
    EXPECT_TRUE(WaitUntil([&] { return folder.CustomizerStarts() == 1; }));
    EXPECT_EQ(WaitForSingleObject(agent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(TrayMenuTest, LastItemEndsTheAgentWithCodeZero) {
    ASSERT_TRUE(OpenMenu());
    Tap(VK_UP);  // from the top, up wraps to the last item
    Tap(VK_RETURN);

    EXPECT_EQ(AgentFolder::WaitForExit(agent), 0u);
    EXPECT_TRUE(CombinationsFree(0xC1));
    EXPECT_EQ(folder.CustomizerStarts(), 0);
}

// On this 1024 x 768 display the box keeps its own size in the middle of the work area; on
// a handheld-sized screen it fills it (ShellDialogTest).
TEST_F(TrayMenuTest, AboutBoxShowsItsTextsCentredOnALargeScreenAndClosesWithItsButton) {
    SipShowIM(SIPF_ON);  // the panel is up when the box opens
    ASSERT_TRUE(OpenMenu());
    Choose(2);
    ASSERT_TRUE(WaitUntil([&] { return AboutBox() != nullptr; }));
    HWND box = AboutBox();

    RECT rect;
    GetWindowRect(box, &rect);
    const RECT work = WorkArea();
    EXPECT_LT(rect.right - rect.left, (work.right - work.left) / 2);
    EXPECT_LT(rect.bottom - rect.top, (work.bottom - work.top) / 2);
    EXPECT_NEAR((rect.left + rect.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, (work.top + work.bottom) / 2, 1);
    std::vector<std::wstring> texts;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        texts.push_back(TextOf(child));
    }
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Kestrel Version 0.20"), texts.end());
    EXPECT_TRUE(WaitUntil(
        [] {
            HWND panel = FindWindowW(KESTREL_SIP_CLASS, KESTREL_SIP_TITLE);
            return panel && !IsWindowVisible(panel);
        },
        5000))
        << "the input panel goes down";

    // Only the done button closes the box.
    SendTo(box, WM_COMMAND, IDCANCEL);
    EXPECT_TRUE(IsWindowVisible(box));

    // A real click on the done button.
    HWND done = GetDlgItem(box, IDOK);
    ASSERT_TRUE(done);
    RECT button;
    GetWindowRect(done, &button);
    const int x = (button.left + button.right) / 2;
    const int y = (button.top + button.bottom) / 2;
    INPUT clicks[3] = {};
    for (INPUT& input : clicks) {
        input.type = INPUT_MOUSE;
        input.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    clicks[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    clicks[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    // Under Wine on a display without a window manager the first click on a box of another
    // process can go to its activation alone; a user would simply click again.
    SetForegroundWindow(box);
    bool closed = false;
    for (int attempt = 0; attempt < 3 && !closed; ++attempt) {
        SendInput(1, &clicks[0], sizeof(INPUT));
        Pump(100);
        SendInput(2, &clicks[1], sizeof(INPUT));
        closed = WaitUntil([&] { return AboutBox() == nullptr; }, 3000);
    }
    EXPECT_TRUE(closed);
    EXPECT_EQ(WaitForSingleObject(agent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    DestroyWindow(FindWindowW(KESTREL_SIP_CLASS, KESTREL_SIP_TITLE));
}

}  // namespace
