// Stories the hook cannot stage on demand: releases it never saw, told through the
// system's key state and the events' own time stamps.
#include "platform/hotkey_matcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hotkey_test_keys.h"

using namespace platform;
using hotkey_test::kButton;
using hotkey_test::kControl;
using hotkey_test::kPlain;
using hotkey_test::kShift;

namespace {

const HWND kWindow = reinterpret_cast<HWND>(0x100);

// One report as "id down" or "id up", so a story reads as what the window receives.
std::vector<std::string> Reports(const KeyDecision& decision) {
    std::vector<std::string> out;
    for (int i = 0; i < decision.reportCount; ++i) {
        out.push_back(hotkey_test::ReportText(static_cast<WPARAM>(decision.reports[i].id),
                                              decision.reports[i].lParam));
    }
    return out;
}

using Said = std::vector<std::string>;

class MatcherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        matcher.SetRepeatWindow(750);
        matcher.Add(kWindow, 0, kPlain, kButton);
        matcher.Add(kWindow, 16, kShift, kButton);
        matcher.Add(kWindow, 32, kControl, kButton);
    }
    KeyDecision Down(UINT vk, DWORD at, UINT held) {
        return matcher.Handle({vk, false, at}, held, {});
    }
    KeyDecision Up(UINT vk, DWORD at) { return matcher.Handle({vk, true, at}, 0, {}); }

    HotKeyMatcher matcher;
};

TEST_F(MatcherTest, AMissedReleaseIsReportedBeforeTheNextPress) {
    EXPECT_EQ(Reports(Down(kButton, 1000, MOD_WIN)), (Said{"0 down"}));
    // The keyboard repeats the held button: first after its delay, then faster.
    KeyDecision repeat = Down(kButton, 1500, MOD_WIN);
    EXPECT_TRUE(repeat.swallow);
    EXPECT_TRUE(Reports(repeat).empty());
    EXPECT_TRUE(Reports(Down(kButton, 2250, MOD_WIN)).empty());  // at the edge of the window
    // Its release happened on the secure desktop. Seconds later it is pressed again.
    KeyDecision again = Down(kButton, 9000, MOD_WIN);
    EXPECT_EQ(Reports(again), (Said{"0 up", "0 down"}));
    EXPECT_TRUE(again.swallow);
    // The story goes on as usual.
    EXPECT_EQ(Reports(Up(kButton, 9100)), (Said{"0 up"}));
    EXPECT_EQ(Up(kButton, 9200).reportCount, 0);
}

TEST_F(MatcherTest, AfterAMissedReleaseAPressWithOtherModifiersIsTheNewIdOrNoneAtAll) {
    Down(kButton, 100, MOD_WIN);
    EXPECT_EQ(Reports(Down(kButton, 5000, MOD_WIN | MOD_SHIFT)), (Said{"0 up", "16 down"}));
    Up(kButton, 5100);

    Down(kButton, 6000, MOD_WIN);
    KeyDecision alone = Down(kButton, 12000, 0);  // no longer a hot key: passes
    EXPECT_EQ(Reports(alone), (Said{"0 up"}));
    EXPECT_FALSE(alone.swallow);
    EXPECT_FALSE(Up(kButton, 12100).swallow);
}

TEST_F(MatcherTest, ModifiersAreTheSystemsEvenAfterReleasesTheHookNeverSaw) {
    // Ctrl+Alt+Del: the hook saw Ctrl and Alt go down; their releases happened elsewhere.
    EXPECT_FALSE(Down(VK_LCONTROL, 100, 0).swallow);
    EXPECT_FALSE(Down(VK_LMENU, 110, MOD_CONTROL).swallow);
    // Back at the desktop the system knows they are up; Win + button is the plain id.
    EXPECT_EQ(Reports(Down(kButton, 8000, MOD_WIN)), (Said{"0 down"}));
}

TEST_F(MatcherTest, AGoneWindowsRegistrationsAreForgotten) {
    const HWND other = reinterpret_cast<HWND>(0x200);
    matcher.Add(other, 5, kPlain, 0xC2);
    KeyDecision decision = matcher.Handle({0xC2, false, 100}, MOD_WIN, {other});
    EXPECT_FALSE(decision.swallow);
    EXPECT_EQ(decision.reportCount, 0);
    EXPECT_EQ(matcher.Count(), 3);
}

// Where the hook did not see the button, the system's own hot key reports key-downs only,
// one for every auto-repeat.
TEST_F(MatcherTest, ThePressOnlyTheSystemSawIsOneWholePressAndItsRepeatsAreDropped) {
    matcher.Add(kWindow, 1, kPlain, 0xC2, 7);
    bool known = false;
    EXPECT_EQ(Reports(matcher.SystemReport(7, 1000, &known)), (Said{"1 down", "1 up"}));
    EXPECT_TRUE(known);
    EXPECT_TRUE(Reports(matcher.SystemReport(7, 1500, &known)).empty());
    EXPECT_TRUE(Reports(matcher.SystemReport(7, 1530, &known)).empty());
    // The hook is back while the button is still held: its repeats are no new press.
    KeyDecision held = Down(0xC2, 1560, MOD_WIN);
    EXPECT_TRUE(held.swallow);
    EXPECT_TRUE(Reports(held).empty());
    // The hook's call overtook a system report stamped before it: still the same press.
    EXPECT_TRUE(Reports(matcher.SystemReport(7, 1545, &known)).empty());
    EXPECT_FALSE(Up(0xC2, 1600).swallow);
    // Later presses are the hook's again, or the system's.
    EXPECT_EQ(Reports(Down(0xC2, 5000, MOD_WIN)), (Said{"1 down"}));
    EXPECT_EQ(Reports(Up(0xC2, 5100)), (Said{"1 up"}));
    EXPECT_EQ(Reports(matcher.SystemReport(7, 9000, &known)), (Said{"1 down", "1 up"}));
    matcher.SystemReport(8, 9100, &known);
    EXPECT_FALSE(known);
}

// An injected event as the hook meets it: stamped `stamp`, seen at `seenAt`.
KeyEvent Injected(DWORD vk, bool up, DWORD stamp, DWORD seenAt, ULONG_PTR extraInfo = 0) {
    return {vk, up, stamp, LLKHF_INJECTED, extraInfo, seenAt};
}

// The layer's own keystrokes: a button's replay made with Shift held.
TEST_F(MatcherTest, OwnEventsPassOnceWhateverTheyMatchAndMoveTheReservationsAside) {
    matcher.Add(kWindow, 1, kPlain, 0xC2, 7);
    matcher.Add(kWindow, 17, kShift, 0xC2, 8);
    const DWORD downStamp = matcher.ExpectOwn(0xC2, false, 0, 1000);
    const DWORD upStamp = matcher.ExpectOwn(0xC2, true, 0, 1000);
    const DWORD shiftStamp = matcher.ExpectOwn(VK_SHIFT, true, 1, 1000);

    const KeyEvent replayDown = Injected(0xC2, false, downStamp, 1010);
    KeyDecision down = matcher.Handle(replayDown, MOD_WIN | MOD_SHIFT, {});
    EXPECT_FALSE(down.swallow);
    EXPECT_EQ(down.reportCount, 0);
    EXPECT_EQ(down.asideVk, 0xC2u);
    KeyDecision up = matcher.Handle(Injected(0xC2, true, upStamp, 1020), 0, {});
    EXPECT_FALSE(up.swallow);
    EXPECT_EQ(up.backVk, 0xC2u);
    // Shift by its side, as the hook sees it.
    EXPECT_FALSE(matcher.Handle(Injected(VK_LSHIFT, true, shiftStamp, 1030, 1), 0, {}).swallow);
    EXPECT_FALSE(matcher.ExpireOwn(1030));

    // Used up: the same event again is a press.
    EXPECT_EQ(Reports(matcher.Handle(replayDown, MOD_WIN | MOD_SHIFT, {})), (Said{"17 down"}));
    matcher.Handle({0xC2, true, 1900, 0, 0}, 0, {});
    // An event from the keyboard is never taken for ours.
    matcher.ExpectOwn(0xC2, false, 0, 2000);
    EXPECT_EQ(Reports(Down(0xC2, 2100, MOD_WIN)), (Said{"1 down"}));
    matcher.Handle({0xC2, true, 2200, 0, 0}, 0, {});
}

// What the hook can tell of another program's event: its key and extra information may be
// ours, but the system stamps it with the time it went in, before it reaches the hook.
class OwnTicketTest : public MatcherTest {
  protected:
    void SetUp() override {
        MatcherTest::SetUp();
        matcher.Add(kWindow, 1, kPlain, 0xC2, 7);
    }
    KeyDecision Stranger(DWORD at) {
        return matcher.Handle(Injected(0xC2, false, at, at), MOD_WIN, {});
    }
    void ReleaseButton(DWORD at) { matcher.Handle({0xC2, true, at, LLKHF_INJECTED, 0, at}, 0, {}); }
};

TEST_F(OwnTicketTest, AStrangersEventWithOurKeyAndExtraInformationIsAPressAtAnyMoment) {
    const DWORD stamp = matcher.ExpectOwn(0xC2, false, 0, 1000);
    EXPECT_GT(static_cast<LONG>(stamp - 1000), static_cast<LONG>(HotKeyMatcher::kOwnEventLifeMs));
    // Injected at once, or as late as the ticket lives: the system's stamp is its own time.
    for (DWORD at : {DWORD{1000}, DWORD{1001}, 999 + HotKeyMatcher::kOwnEventLifeMs}) {
        EXPECT_EQ(Reports(Stranger(at)), (Said{"1 down"})) << "injected at " << at;
        ReleaseButton(at + 1);
    }
    // The ticket is still there for the event it was made for, to the end of its life.
    const DWORD lastMoment = 1000 + HotKeyMatcher::kOwnEventLifeMs;
    EXPECT_FALSE(matcher.Handle(Injected(0xC2, false, stamp, lastMoment), MOD_WIN, {}).swallow);
}

TEST_F(OwnTicketTest, TicketsOfTheSameKeyAreTakenEachOnceByTheirOwnStamps) {
    const DWORD first = matcher.ExpectOwn(0xC2, false, 0, 1000);
    const DWORD second = matcher.ExpectOwn(0xC2, false, 0, 1003);
    EXPECT_NE(first, second);
    EXPECT_FALSE(matcher.Handle(Injected(0xC2, false, second, 1004), MOD_WIN, {}).swallow);
    EXPECT_FALSE(matcher.Handle(Injected(0xC2, false, first, 1005), MOD_WIN, {}).swallow);
    EXPECT_EQ(Reports(matcher.Handle(Injected(0xC2, false, first, 1006), MOD_WIN, {})),
              (Said{"1 down"}));
}

TEST_F(OwnTicketTest, ATicketExpiresWellUnderASecondAndALateOwnEventIsAnyEvent) {
    constexpr DWORD kLife = HotKeyMatcher::kOwnEventLifeMs;
    EXPECT_LT(kLife, 1000u);
    const DWORD stamp = matcher.ExpectOwn(0xC2, false, 0, 1000);
    EXPECT_TRUE(matcher.ExpireOwn(1000 + kLife));
    // Met after its ticket went, our own event is a press like any other.
    EXPECT_EQ(Reports(matcher.Handle(Injected(0xC2, false, stamp, 1000 + kLife + 1), MOD_WIN, {})),
              (Said{"1 down"}));
    EXPECT_FALSE(matcher.ExpireOwn(1000 + kLife + 1));
    // The watch's own look at the clock forgets one that never came.
    matcher.ExpectOwn(0xC2, true, 0, 3000);
    EXPECT_FALSE(matcher.ExpireOwn(3000 + kLife + 1));
}

TEST_F(OwnTicketTest, ARefusedEventsTicketIsDroppedAndNoOtherWithIt) {
    const DWORD refused = matcher.ExpectOwn(0xC2, false, 0, 1000);
    const DWORD sent = matcher.ExpectOwn(0xC2, false, 0, 1002);
    matcher.DropOwn(0xC2, false, 0, refused);
    EXPECT_EQ(Reports(matcher.Handle(Injected(0xC2, false, refused, 1010), MOD_WIN, {})),
              (Said{"1 down"}));
    ReleaseButton(1020);
    EXPECT_FALSE(matcher.Handle(Injected(0xC2, false, sent, 1030), MOD_WIN, {}).swallow);
}

TEST_F(OwnTicketTest, AStampOfZeroIsNeverGivenForSendInputWouldReplaceIt) {
    EXPECT_NE(matcher.ExpectOwn(0xC2, false, 0, 0u - HotKeyMatcher::kOwnStampLeadMs), 0u);
}

TEST_F(MatcherTest, KeysInjectedFromALowerIntegrityLevelAreNoPresses) {
    const KeyEvent event = {kButton, false, 100, LLKHF_INJECTED | LLKHF_LOWER_IL_INJECTED, 0};
    KeyDecision decision = matcher.Handle(event, MOD_WIN, {});
    EXPECT_FALSE(decision.swallow);
    EXPECT_EQ(decision.reportCount, 0);
}

class DesktopKeyMatcherTest : public MatcherTest {
  protected:
    void SetUp() override {
        MatcherTest::SetUp();
        matcher.Add(kWindow, 1, kPlain, VK_F13);
        matcher.Add(kWindow, 17, kShift, VK_F13);
        matcher.Add(kWindow, 33, kControl, VK_F13);
    }
    std::string Press(UINT held, bool* masked = nullptr) {
        KeyDecision down = Down(VK_F13, 100, held);
        if (masked) {
            *masked = down.maskWin;
        }
        KeyDecision up = Up(VK_F13, 150);
        Said said = Reports(down);
        for (const std::string& s : Reports(up)) {
            said.push_back(s);
        }
        std::string joined;
        for (const std::string& s : said) {
            joined += (joined.empty() ? "" : ", ") + s;
        }
        return joined;
    }
};

TEST_F(DesktopKeyMatcherTest, WinMakesNoDifferenceButShiftAndCtrlChooseTheirIds) {
    EXPECT_EQ(Press(0), "1 down, 1 up");
    EXPECT_EQ(Press(MOD_WIN), "1 down, 1 up");
    EXPECT_EQ(Press(MOD_SHIFT), "17 down, 17 up");
    EXPECT_EQ(Press(MOD_WIN | MOD_SHIFT), "17 down, 17 up");
    EXPECT_EQ(Press(MOD_CONTROL), "33 down, 33 up");
    EXPECT_EQ(Press(MOD_ALT), "");
    EXPECT_EQ(Press(MOD_SHIFT | MOD_CONTROL), "");
    // The report carries the modifiers as registered, Win included.
    KeyDecision bare = Down(VK_F13, 200, 0);
    EXPECT_EQ(LOWORD(bare.reports[0].lParam), MOD_WIN);
    EXPECT_EQ(HIWORD(bare.reports[0].lParam), VK_F13);
    // A handheld button still needs Win.
    EXPECT_FALSE(Down(kButton, 300, 0).swallow);
}

TEST_F(DesktopKeyMatcherTest, WinIsMaskedOncePerPressMadeWithWinHeld) {
    bool masked = true;
    Press(0, &masked);
    EXPECT_FALSE(masked);
    Press(MOD_WIN, &masked);
    EXPECT_TRUE(masked);
    Press(MOD_SHIFT, &masked);
    EXPECT_FALSE(masked);

    EXPECT_TRUE(Down(kButton, 1000, MOD_WIN).maskWin);
    EXPECT_FALSE(Down(kButton, 1030, MOD_WIN).maskWin);  // auto-repeat: already masked
    EXPECT_FALSE(Up(kButton, 1100).maskWin);
    EXPECT_FALSE(Down('A', 1200, MOD_WIN).maskWin);  // not ours: Win+A is the user's
}

TEST(DesktopKeyTest, EveryKeyOutsideTheHandheldsCodesIsADesktopKey) {
    EXPECT_TRUE(IsDesktopKey(VK_PAUSE));
    EXPECT_TRUE(IsDesktopKey(VK_F13));
    EXPECT_TRUE(IsDesktopKey(VK_LAUNCH_APP2));
    EXPECT_TRUE(IsDesktopKey(0xC0));
    EXPECT_FALSE(IsDesktopKey(0xC1));
    EXPECT_FALSE(IsDesktopKey(0xDA));
    EXPECT_TRUE(IsDesktopKey(0xDB));
}

// A mouse button's press that the layer took keeps its release from programs, whatever
// becomes of the registration meanwhile; and a mouse button never repeats.
TEST(MouseButtonMatcherTest, ATakenPressKeepsItsReleaseAndASecondPressIsANewOne) {
    HotKeyMatcher matcher;
    matcher.SetRepeatWindow(750);
    matcher.Add(kWindow, 0, kPlain, VK_XBUTTON1);
    EXPECT_EQ(Reports(matcher.Handle({VK_XBUTTON1, false, 100}, 0, {})), (Said{"0 down"}));
    // Its release was missed; 200 ms later it is pressed again.
    EXPECT_EQ(Reports(matcher.Handle({VK_XBUTTON1, false, 300}, 0, {})), (Said{"0 up", "0 down"}));

    // Held while the registration is taken away and made again (the agent reloads).
    matcher.Remove(kWindow, 0);
    matcher.Add(kWindow, 0, kPlain, VK_XBUTTON1);
    KeyDecision release = matcher.Handle({VK_XBUTTON1, true, 400}, 0, {});
    EXPECT_TRUE(release.swallow);
    EXPECT_EQ(release.reportCount, 0);

    // Held while its window goes: the release is swallowed once, then the button is free.
    matcher.Handle({VK_XBUTTON1, false, 500}, 0, {});
    const std::vector<HWND> gone = {kWindow};
    EXPECT_TRUE(matcher.Handle({VK_XBUTTON1, true, 600}, 0, gone).swallow);
    EXPECT_FALSE(matcher.Handle({VK_XBUTTON1, false, 700}, 0, {}).swallow);
    EXPECT_FALSE(matcher.Handle({VK_XBUTTON1, true, 800}, 0, {}).swallow);
}

}  // namespace
