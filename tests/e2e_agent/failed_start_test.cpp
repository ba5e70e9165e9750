// A button whose program cannot be started, pressed again and again, while other buttons
// keep being pressed: the real agent tells the user once and goes on classifying.
#include <gtest/gtest.h>

#include "e2e_agent/seeded_agent_test.h"

using namespace e2e_agent;

namespace {

constexpr BYTE kMissingButton = 0xC3;       // single press: a program that is not there
constexpr BYTE kTypingButton = 0xC2;        // single press: "4"
constexpr BYTE kOtherMissingButton = 0xC4;  // single press: another program not there

class FailedStartTest : public SeededAgentTest {
  protected:
    void Seed() override {
        SeedButton(L"40C3", {{0, kestrel::kActionProgram, folder.Path() + L"\\missing.exe"}});
        SeedButton(L"40C2", {{0, kestrel::kActionKeySequence, L"#4#"}});
        SeedButton(L"40C4", {{0, kestrel::kActionProgram, folder.Path() + L"\\absent.exe"}});
    }
    std::vector<HWND> Boxes() const { return WindowsOf(GetProcessId(agent), L"#32770"); }
    static std::wstring BoxText(HWND box) {
        std::wstring all;
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            all += TextOf(child);
        }
        return all;
    }
    static void Press(BYTE button) {
        ButtonDown(button);
        ButtonUp(button);
    }
};

TEST_F(FailedStartTest, OneBoxTellsTheUserWhilePressesAreClassifiedAsUsual) {
    Press(kMissingButton);
    ASSERT_TRUE(WaitUntil([&] { return !Boxes().empty(); }));
    const HWND box = Boxes().front();
    EXPECT_NE(BoxText(box).find(L"プログラムを起動できませんでした。"), std::wstring::npos);
    EXPECT_NE(BoxText(box).find(L"missing.exe"), std::wstring::npos);

    // A burst, as fast as a program injects presses.
    for (int press = 0; press < 3; ++press) {
        Press(kMissingButton);
        Pump(4);
    }
    Press(kTypingButton);
    EXPECT_TRUE(WaitUntil([&] { return observer.Find('4', false, 1); }));
    Pump(1000);  // time for a second box, which must not come
    EXPECT_EQ(Boxes().size(), 1u);

    // Once the user has closed it, the next failure is told again.
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return Boxes().empty(); }));
    // The box's thread ends a moment after its window: a press meanwhile is not told.
    EXPECT_TRUE(WaitUntil([&] {
        Press(kMissingButton);
        return WaitUntil([&] { return !Boxes().empty(); }, 1000);
    }));
    EXPECT_EQ(Boxes().size(), 1u);
}

// Another program that fails while the box is open is told once the user has closed it.
TEST_F(FailedStartTest, AnotherFailureWhileTheBoxIsOpenFollowsInABoxOfItsOwn) {
    Press(kMissingButton);
    ASSERT_TRUE(WaitUntil([&] { return Boxes().size() == 1; }));
    const HWND first = Boxes().front();
    Press(kOtherMissingButton);
    Press(kTypingButton);  // the agent has handled the other press once this is typed
    ASSERT_TRUE(WaitUntil([&] { return observer.Find('4', false, 1); }));
    EXPECT_EQ(Boxes().size(), 1u) << "one box at a time";
    EXPECT_NE(BoxText(first).find(L"missing.exe"), std::wstring::npos);

    PostMessageW(first, WM_COMMAND, IDOK, 0);

    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<HWND> boxes = Boxes();
        return boxes.size() == 1 && boxes.front() != first;
    }));
    EXPECT_NE(BoxText(Boxes().front()).find(L"absent.exe"), std::wstring::npos);
}

}  // namespace
