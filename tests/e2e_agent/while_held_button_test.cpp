// The real agent with the settings a user makes for a dual-role button: Pause as Esc on a
// tap and Ctrl while held, the mouse's back button as Alt+Left on a click and Ctrl while
// held. Keys and the wheel come from the X server as from a physical keyboard and mouse,
// and a window of this test under the pointer says what reached it. After every story no
// modifier is down.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_agent/seeded_agent_test.h"
#include "platform/open_programs.h"
#include "support/test_window.h"
#include "support/x_input.h"

namespace e2e_agent {
namespace {

using kestrel::kActionKeySequence;
using kestrel::kActionWhileHeld;
using testing_support::RunXdotool;
using testing_support::RunXdotoolAt;

std::vector<std::string> reached;

bool Held(int vk) {
    return (GetKeyState(vk) & 0x8000) != 0;
}

LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool keyDown = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    if (keyDown && wParam == VK_ESCAPE) {
        reached.push_back(Held(VK_CONTROL) ? "Ctrl+Esc" : "Esc");
    } else if (keyDown && wParam == 'C') {
        reached.push_back(Held(VK_CONTROL) ? "Ctrl+C" : Held(VK_MENU) ? "Alt+C" : "C");
    } else if (keyDown && wParam == VK_LEFT) {
        reached.push_back(Held(VK_MENU) ? "Alt+Left" : "Left");
    } else if (message == WM_MOUSEWHEEL) {
        reached.push_back((GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) ? "Ctrl+wheel" : "wheel");
    } else if (message == WM_KEYUP && wParam == VK_F12) {
        reached.push_back("F12");
    } else if (message == WM_SYSCHAR) {
        return 0;  // Alt+C looks for a menu this window does not have
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class WhileHeldButtonTest : public SeededAgentTest {
  protected:
    void Seed() override {
        // Room for a loaded machine: a tap here never runs into the hold time.
        SeedTimes(150, 3000);
        SeedButton(L"4013", {{0, kActionKeySequence, L"#&#"}, {2, kActionWhileHeld, L"C"}});
        SeedButton(L"4005", {{0, kActionKeySequence, L"+12$25"}, {2, kActionWhileHeld, L"C"}});
    }
    void SetUp() override {
        SeededAgentTest::SetUp();
        target_ = testing_support::MakeTestWindow(L"KestrelWhileHeldTarget", Record,
                                                  WS_POPUP | WS_VISIBLE, 300, 200);
        ASSERT_NE(target_, nullptr);
        SetWindowPos(target_, HWND_TOPMOST, 100, 100, 300, 200, SWP_SHOWWINDOW);
        ASSERT_TRUE(RunXdotoolAt(250, 200, L"click 1"));
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == target_; }));
        reached.clear();
    }
    void TearDown() override {
        DestroyWindow(target_);
        SeededAgentTest::TearDown();
    }

    // Runs the xdotool words and waits until `last` has reached the window; what reached it.
    static std::vector<std::string> Story(const std::wstring& words, const std::string& last) {
        reached.clear();
        EXPECT_TRUE(RunXdotool(words));
        EXPECT_TRUE(WaitUntil([&] { return !reached.empty() && reached.back() == last; }))
            << "never reached the window: " << last;
        return reached;
    }
    // The F12 comes through after every event of the story before it, our releases too.
    static void ExpectNothingDown() {
        reached.clear();
        RunXdotool(L"key F12");
        ASSERT_TRUE(WaitUntil([] { return !reached.empty() && reached.back() == "F12"; }));
        for (int vk : {VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN}) {
            EXPECT_EQ(GetAsyncKeyState(vk) & 0x8000, 0) << vk;
        }
    }

    HWND target_ = nullptr;
    // The agent's hooks may come a moment after its window: tap until it answers.
    static bool TapPauseUntil(const std::string& typed) {
        for (int attempt = 0; attempt < 10; ++attempt) {
            reached.clear();
            RunXdotool(L"key Pause");
            if (WaitUntil([&] { return !reached.empty() && reached.back() == typed; }, 2000)) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(WhileHeldButtonTest, TapsRunTheSinglesAndHoldsAreCtrlForKeysAndTheWheel) {
    ASSERT_TRUE(TapPauseUntil("Esc")) << "the tap of Pause never typed Esc";
    ExpectNothingDown();

    // Caps-style typing: the button down, c down and up, the button up.
    EXPECT_EQ(Story(L"keydown Pause keydown c keyup c keyup Pause key F12", "F12"),
              (std::vector<std::string>{"Ctrl+C", "F12"}));
    ExpectNothingDown();

    // The held back button turns the wheel into Ctrl+wheel.
    EXPECT_EQ(Story(L"mousedown 8 click 5 click 4 mouseup 8 key F12", "F12"),
              (std::vector<std::string>{"Ctrl+wheel", "Ctrl+wheel", "F12"}));
    ExpectNothingDown();

    // Held past the hold time with nothing else pressed, Pause is Ctrl until its release.
    ASSERT_TRUE(RunXdotool(L"keydown Pause"));
    EXPECT_TRUE(WaitUntil([] { return (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0; }));
    EXPECT_EQ(Story(L"key c keyup Pause key F12", "F12"),
              (std::vector<std::string>{"Ctrl+C", "F12"}));
    ExpectNothingDown();

    // Clicked alone, it is Alt+Left.
    EXPECT_EQ(Story(L"click 8", "Alt+Left"), (std::vector<std::string>{"Alt+Left"}));
    ExpectNothingDown();
}

// The test's own windows are a program with settings of its own for Pause: Left on a tap,
// Alt while held. The back button has none here and keeps the global ones.
class WhileHeldInThisProgramTest : public WhileHeldButtonTest {
  protected:
    void Seed() override {
        WhileHeldButtonTest::Seed();
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        testing_support::SeedAppButton(
            platform::FileNameOf(path), L"4013", 1,
            {{0, kActionKeySequence, L"#<#"}, {2, kActionWhileHeld, L"A"}});
    }
};

TEST_F(WhileHeldInThisProgramTest, TheProgramsOwnSlotsDecideBetweenTapAndHold) {
    ASSERT_TRUE(TapPauseUntil("Left")) << "the tap of Pause never typed this program's Left";
    ExpectNothingDown();

    EXPECT_EQ(Story(L"keydown Pause keydown c keyup c keyup Pause key F12", "F12"),
              (std::vector<std::string>{"Alt+C", "F12"}));
    ExpectNothingDown();

    EXPECT_EQ(Story(L"mousedown 8 click 5 mouseup 8 key F12", "F12"),
              (std::vector<std::string>{"Ctrl+wheel", "F12"}));
    ExpectNothingDown();
}

}  // namespace
}  // namespace e2e_agent
