// What the system really receives from the executor: a low-level keyboard hook in this
// process watches the synthesized events with their extra information.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent/agent_state.h"
#include "agent/button_table.h"
#include "agent/classifier.h"
#include "agent/executor.h"
#include "agent/latches.h"
#include "platform/hotkeys.h"
#include "press_window.h"
#include "support/press_state.h"
#include "support/test_window.h"

using namespace kestrel;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

std::vector<std::string> seenKeys;

// A key-up of an unused key, marked so that the hook knows it: the hook sees events in the
// order they were made, so once it has seen the marker it has seen everything before it.
constexpr BYTE kMarkerKey = VK_F24;
constexpr ULONG_PTR kMarkerInfo = 0x4B53;
bool markerSeen = false;

// The system names Shift, Ctrl and Alt by their side; the executor sends the generic keys.
DWORD GenericKey(DWORD vk) {
    switch (vk) {
        case VK_LSHIFT:
        case VK_RSHIFT:
            return VK_SHIFT;
        case VK_LCONTROL:
        case VK_RCONTROL:
            return VK_CONTROL;
        case VK_LMENU:
        case VK_RMENU:
            return VK_MENU;
        default:
            return vk;
    }
}

LRESULT CALLBACK WatchKeys(int code, WPARAM message, LPARAM lParam) {
    if (code == HC_ACTION) {
        const KBDLLHOOKSTRUCT& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (event.vkCode == kMarkerKey && event.dwExtraInfo == kMarkerInfo) {
            markerSeen = true;
            return CallNextHookEx(nullptr, code, message, lParam);
        }
        char line[64];
        snprintf(line, sizeof(line), "%lX %s %u", GenericKey(event.vkCode),
                 (event.flags & LLKHF_UP) ? "up" : "down",
                 static_cast<unsigned>(event.dwExtraInfo));
        seenKeys.emplace_back(line);
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

std::vector<std::string> hotKeyMessages;

LRESULT CALLBACK HotKeyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HOTKEY) {
        char line[64];
        snprintf(line, sizeof(line), "WM_HOTKEY(%d, 0x%lX)", static_cast<int>(wParam),
                 static_cast<unsigned long>(lParam));
        hotKeyMessages.emplace_back(line);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class InjectedKeysTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = testing_support::MakeTestWindow(L"KestrelInjectedKeysTest", HotKeyWndProc,
                                                 WS_OVERLAPPED, 10, 10);
        ASSERT_NE(window, nullptr);
        agentWindow = window;
        hook = SetWindowsHookExW(WH_KEYBOARD_LL, WatchKeys, GetModuleHandleW(nullptr), 0);
        ASSERT_NE(hook, nullptr);
        testing_support::UseOneEnabledButton();
        shiftLatch = false;
        ctrlLatch = false;
        Settle();
        seenKeys.clear();
        hotKeyMessages.clear();
    }
    void TearDown() override {
        ResetLatches();
        Settle();
        UnhookWindowsHookEx(hook);
        DestroyWindow(window);
        buttonTable.clear();
        agentWindow = nullptr;
    }

    // Runs `command` of `type` as the current button's single press and lets every event
    // reach the hook.
    void Run(int32_t type, const wchar_t* command) {
        SetSlot(buttonTable[0], kPressSingle, type, command);
        ExecuteAction(kPressSingle);
        Settle();
    }
    // Waits until the hook has seen every event made so far, and the messages they caused
    // have been handled.
    static void Settle() {
        markerSeen = false;
        keybd_event(kMarkerKey, 0, KEYEVENTF_KEYUP, kMarkerInfo);
        ASSERT_TRUE(agent_wine::PumpUntil([] { return markerSeen; }, 10000));
        platform::test_access::WaitForHookThread();
        testing_support::DispatchPending();
    }

    HWND window = nullptr;
    HHOOK hook = nullptr;
};

TEST_F(InjectedKeysTest, AKeySequenceArrivesAfterTheReleasesAsTheAgentsOwnKeys) {
    Run(kActionKeySequence, L"#AC#*#");

    EXPECT_THAT(seenKeys, ElementsAre("2 up 0", "5B up 0", "11 down 1", "41 down 1", "41 up 1",
                                      "11 up 1", "D down 1", "D up 1"));
}

// The layer lets each of the agent's own keys pass once: a sequence that types the
// button's own key reaches the system and never comes back as a press of the button.
TEST_F(InjectedKeysTest, ASequenceTypingTheButtonsOwnKeyDoesNotPressTheButton) {
    RegisterButtonHotKeys(window, 0, 0xC1);

    Run(kActionKeySequence, L"$C1");

    EXPECT_THAT(seenKeys, ElementsAre("2 up 0", "5B up 0", "C1 down 1", "C1 up 1"));
    EXPECT_THAT(hotKeyMessages, IsEmpty());
    UnregisterButtonHotKeys(window, 0);
}

// A desktop key comes with the Win the user holds, here the right one: that one is let go,
// and no key-up of code 2 (the right mouse button's) goes out.
TEST_F(InjectedKeysTest, ADesktopKeysSequenceReleasesTheRightWinHeldAndNoCodeTwo) {
    buttonTable[0].vk = VK_F14;
    keybd_event(VK_RWIN, 0, 0, 0);
    Settle();
    seenKeys.clear();

    Run(kActionKeySequence, L"#B#");

    EXPECT_THAT(seenKeys, ElementsAre("5C up 0", "42 down 1", "42 up 1"));
    EXPECT_EQ(GetAsyncKeyState(VK_RWIN) & 0x8000, 0);
}

TEST_F(InjectedKeysTest, TheStartKeyCommandTapsTheWindowsKey) {
    Run(kActionDeviceCommand, L"1");

    EXPECT_THAT(seenKeys, ElementsAre("5B down 1", "5B up 1"));
}

TEST_F(InjectedKeysTest, AShiftLatchReallyHoldsShiftUntilTheLatchesAreReset) {
    Run(kActionLatch, L"S");

    EXPECT_THAT(seenKeys, ElementsAre("C1 up 0", "5B up 0", "10 up 0", "11 up 0", "10 down 1",
                                      "11 down 1", "11 up 1"));
    EXPECT_NE(GetAsyncKeyState(VK_SHIFT) & 0x8000, 0);
    EXPECT_EQ(GetAsyncKeyState(VK_CONTROL) & 0x8000, 0);

    seenKeys.clear();
    ResetLatches();
    Settle();

    EXPECT_THAT(seenKeys, ElementsAre("10 down 1", "10 up 1", "11 down 1", "11 up 1"));
    EXPECT_EQ(GetAsyncKeyState(VK_SHIFT) & 0x8000, 0);
}

// The hook watches from behind the agent's own hot keys (they are registered after it),
// so it sees only what gets past them.
TEST_F(InjectedKeysTest, TheStandardButtonReplayGetsPastTheAgentsHotKeysWhichThenReturn) {
    RegisterButtonHotKeys(window, 0, 0xC1);

    Run(kActionStandardButton, L"");

    EXPECT_THAT(seenKeys,
                ElementsAre("C1 up 0", "5B up 0", "5B down 0", "C1 down 0", "C1 up 0", "5B up 0"));
    EXPECT_THAT(hotKeyMessages, IsEmpty());

    keybd_event(VK_LWIN, 0, 0, 0);
    keybd_event(0xC1, 0, 0, 0);
    keybd_event(0xC1, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_LWIN, 0, KEYEVENTF_KEYUP, 0);
    Settle();
    UnregisterButtonHotKeys(window, 0);

    EXPECT_THAT(hotKeyMessages, ElementsAre("WM_HOTKEY(0, 0xC10008)", "WM_HOTKEY(0, 0xC11008)"));
}

// With Shift latched, the replayed press carries Shift: it must still get past the
// button's own Shift hot key once, not come back as a new press.
TEST_F(InjectedKeysTest, TheReplayUnderAShiftLatchReachesTheSystemOnce) {
    RegisterButtonHotKeys(window, 0, 0xC1);
    shiftLatch = true;
    ApplyLatches();
    Settle();
    seenKeys.clear();

    Run(kActionStandardButton, L"");

    EXPECT_THAT(seenKeys,
                ElementsAre("C1 up 0", "5B up 0", "5B down 0", "C1 down 0", "C1 up 0", "5B up 0"));
    EXPECT_THAT(hotKeyMessages, IsEmpty());
    ResetLatches();
    Settle();
    UnregisterButtonHotKeys(window, 0);
}

// The user holds Shift: the button arrives under its Shift hot key, and the replay, made
// with Shift still down, must reach the system as Shift + Win + button, once.
TEST_F(InjectedKeysTest, TheReplayPressedWithShiftHeldReachesTheSystemOnceWithShift) {
    RegisterButtonHotKeys(window, 0, 0xC1);
    keybd_event(VK_LSHIFT, 0, 0, 0);
    Settle();
    seenKeys.clear();

    Run(kActionStandardButton, L"");

    EXPECT_THAT(seenKeys,
                ElementsAre("C1 up 0", "5B up 0", "5B down 0", "C1 down 0", "C1 up 0", "5B up 0"));
    EXPECT_NE(GetAsyncKeyState(VK_SHIFT) & 0x8000, 0);
    EXPECT_THAT(hotKeyMessages, IsEmpty());
    keybd_event(VK_LSHIFT, 0, KEYEVENTF_KEYUP, 0);
    UnregisterButtonHotKeys(window, 0);
}

}  // namespace
