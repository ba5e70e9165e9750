// The hot-key layer against the real system: a registering thread that stops answering, a
// key injection whose hook runs later than the injection returns, a hook the system drops,
// input that never reaches the hook, a button release the layer never sees.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/hotkey_test_keys.h"
#include "platform/hotkeys.h"
#include "support/hook_thread.h"
#include "support/key_settle.h"
#include "support/message_pump.h"  // NowMs
#include "support/test_window.h"

using namespace platform;
using namespace hotkey_test;
using testing_support::NowMs;

namespace {

constexpr double kPatienceMs = 10000;

class HotKeyThreadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = testing_support::MakeTestWindow(L"HotKeyThreadTestWindow");
        ASSERT_TRUE(window);
        ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));
        ASSERT_TRUE(RegisterKeyUpHotKey(window, 16, kShift, kButton));
    }
    void TearDown() override {
        test_access::SetInjector(nullptr);
        UnregisterKeyUpHotKey(window, 0);
        UnregisterKeyUpHotKey(window, 16);
        EXPECT_EQ(KeyUpHotKeyCount(), 0);
        DestroyWindow(window);
    }

    // Every WM_HOTKEY posted for the keys sent so far, as "id down" or "id up". (The tests
    // wait without a message pump, which would hand the reports to the window before they
    // are counted.)
    std::vector<std::string> Posted() {
        EXPECT_TRUE(testing_support::SettleKeyEvents());
        test_access::WaitForHookThread();
        std::vector<std::string> found;
        MSG message;
        while (PeekMessageW(&message, window, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
            found.push_back(ReportText(message.wParam, message.lParam));
        }
        return found;
    }
    // The reports posted until there are `count` of them, or the patience runs out.
    std::vector<std::string> PostedUntil(size_t count) {
        std::vector<std::string> found;
        const double deadline = NowMs() + kPatienceMs;
        while (found.size() < count && NowMs() < deadline) {
            for (const std::string& report : Posted()) {
                found.push_back(report);
            }
            Sleep(10);
        }
        return found;
    }
    // A press of Win + button that the layer's hook reports: its key-down while the button
    // is held, its key-up once it is released. Where the system's own hot key caught the
    // key instead, the layer reports a whole press at the key-down.
    bool HookReportsAPress() {
        Down(VK_LWIN);
        Down(kButton);
        const bool down = PostedUntil(1) == std::vector<std::string>{"0 down"};
        Sleep(200);  // a whole press would have brought its key-up along by now
        const bool held = down && Posted().empty();
        Up(kButton);
        Up(VK_LWIN);
        return held && PostedUntil(1) == std::vector<std::string>{"0 up"};
    }
    // Presses the button now and then until the hook reports a press.
    bool PressUntilTheHookReports() {
        const double deadline = NowMs() + kPatienceMs;
        while (NowMs() < deadline) {
            if (HookReportsAPress()) {
                return true;
            }
            Sleep(1200);  // past the repeat window of a press the system reported
            Posted();
        }
        return false;
    }

    HWND window = nullptr;
};

using Said = std::vector<std::string>;

TEST_F(HotKeyThreadTest, TypingGoesOnWhileTheRegisteringThreadIsBlockedAndNoPressIsLost) {
    // Another thread types while this one sleeps far longer than the system waits for a
    // hook: a button press, other keys in between, a second press with Shift.
    std::vector<double> took;
    std::thread typist([&took] {
        auto timed = [&took](BYTE vk, bool up) {
            const double start = NowMs();
            up ? Up(vk) : Down(vk);
            took.push_back(NowMs() - start);
        };
        Sleep(300);
        timed(VK_LWIN, false);
        timed(kButton, false);
        timed('A', false);
        timed('A', true);
        timed(kButton, true);
        timed(VK_LSHIFT, false);
        timed(kButton, false);
        timed(kButton, true);
        timed(VK_LSHIFT, true);
        timed(VK_LWIN, true);
        timed('B', false);
        timed('B', true);
    });
    Sleep(6500);
    typist.join();

    ASSERT_EQ(took.size(), 12u);
    for (double ms : took) {
        EXPECT_LT(ms, 1000) << "a key waited for the blocked thread";
    }
    EXPECT_EQ(Posted(), (Said{"0 down", "0 up", "16 down", "16 up"}));
}

// Windows delivers an injected key to a hook on another thread only after the injection
// has returned; here the test's injector stands for that, handing each event on a good
// while after it was sent (yet within the life of its ticket).
class LateDelivery {
  public:
    static constexpr double kLatenessMs = 150;

    static UINT Inject(const INPUT& input) {
        std::lock_guard<std::mutex> lock(mutex);
        queue.push_back({input, NowMs() + kLatenessMs});
        wake.notify_one();
        return 1;
    }
    void Start() {
        running = true;
        worker = std::thread([] {
            std::unique_lock<std::mutex> lock(mutex);
            while (running || !queue.empty()) {
                if (queue.empty()) {
                    wake.wait(lock);
                    continue;
                }
                Event e = queue.front();
                queue.pop_front();
                lock.unlock();
                while (NowMs() < e.due) {
                    Sleep(1);
                }
                SendInput(1, &e.input, sizeof(INPUT));
                lock.lock();
            }
        });
    }
    void Stop() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            running = false;
            wake.notify_one();
        }
        worker.join();
    }

  private:
    struct Event {
        INPUT input;
        double due;
    };
    static inline std::mutex mutex;
    static inline std::condition_variable wake;
    static inline std::deque<Event> queue;
    static inline bool running = false;
    std::thread worker;
};

// The replay of a button's own function, with its hot keys in place: what the executor
// sends. Each event reaches the hook a good while after it was sent.
TEST_F(HotKeyThreadTest, OwnKeysNeverWaitAndAReplayPassesOnceThoughItArrivesLate) {
    LateDelivery delivery;
    delivery.Start();
    test_access::SetInjector(&LateDelivery::Inject);

    const double start = NowMs();
    SendKeyEvent(VK_LWIN, 0, 0, 0);
    SendKeyEvent(kButton, 0, 0, 0);
    SendKeyEvent(kButton, 0, KEYEVENTF_KEYUP, 0);
    SendKeyEvent(VK_LWIN, 0, KEYEVENTF_KEYUP, 0);
    const double sent = NowMs() - start;
    delivery.Stop();  // every event has been injected
    Sleep(300);       // for reports that must not come, from the hook or the system

    EXPECT_LT(sent, 100) << "the sender waited for its own keys";
    EXPECT_EQ(Posted(), Said{}) << "the replayed press came back as a new one";
    test_access::SetInjector(nullptr);
    PressWithWin();
    EXPECT_EQ(PostedUntil(2), (Said{"0 down", "0 up"})) << "the button is the layer's again";
}

// Another program replays the same button, with the same extra information, while ours is
// on its way: its press is a press.
TEST_F(HotKeyThreadTest, AnotherProgramsLikeOfAnOwnEventOnItsWayIsAPress) {
    LateDelivery delivery;
    delivery.Start();
    test_access::SetInjector(&LateDelivery::Inject);
    SendKeyEvent(kButton, 0, 0, 0);
    SendKeyEvent(kButton, 0, KEYEVENTF_KEYUP, 0);

    PressWithWin();
    delivery.Stop();

    EXPECT_EQ(PostedUntil(2), (Said{"0 down", "0 up"}));
    EXPECT_EQ(Posted(), Said{}) << "our own replay, arrived since, came back as a press";
}

TEST_F(HotKeyThreadTest, AButtonOnlyTheSystemSawIsOneWholePressHoweverLongItIsHeld) {
    test_access::DropHookSilently();
    Down(VK_LWIN);
    for (int i = 0; i < 8; ++i) {  // held: the keyboard repeats it
        Down(kButton);
        Sleep(60);
    }
    Up(kButton);
    Up(VK_LWIN);

    EXPECT_EQ(PostedUntil(2), (Said{"0 down", "0 up"}));
    Sleep(300);  // for repeats that must not be reported
    EXPECT_EQ(Posted(), Said{});
}

TEST_F(HotKeyThreadTest, AHookTheSystemDroppedIsBackAfterTheNextKeyItMissed) {
    test_access::DropHookSilently();
    Down('A');  // typing the dropped hook never sees
    Up('A');

    EXPECT_TRUE(PressUntilTheHookReports());
}

TEST_F(HotKeyThreadTest, AHookTheSystemDroppedIsBackByTheNextRegistration) {
    test_access::DropHookSilently();
    // The system's input clock moves in steps of up to 16 ms, and input in the step of the
    // last event the hook saw cannot be told from that event: the missed keys come later.
    Sleep(50);
    Down('A');
    Up('A');

    ASSERT_TRUE(RegisterKeyUpHotKey(window, 32, MOD_WIN | MOD_CONTROL | MOD_KEYUP, kButton));

    EXPECT_TRUE(HookReportsAPress());
    UnregisterKeyUpHotKey(window, 32);
}

// A program whose hook is newer than the layer's: it takes every A, and notes the button
// when it sees it, which it does only while the layer's hook is still behind its own.
class NewerHook {
  public:
    static inline std::atomic<bool> sawButton{false};

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM message, LPARAM lParam) {
        if (code == HC_ACTION) {
            const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
            if (event.vkCode == 'A') {
                return 1;
            }
            if (event.vkCode == kButton) {
                sawButton = true;
            }
        }
        return CallNextHookEx(nullptr, code, message, lParam);
    }
    testing_support::HookThread hook_{WH_KEYBOARD_LL, Hook};
};

TEST_F(HotKeyThreadTest, InputThatNoKeyboardHookSeesLeavesTheHookWhereItIs) {
    NewerHook newer;
    for (int i = 0; i < 8; ++i) {  // over several looks of the hook watch
        Down('A');
        Up('A');
        mouse_event(MOUSEEVENTF_WHEEL, 0, 0, WHEEL_DELTA, 0);
        mouse_event(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        Sleep(250);
    }
    NewerHook::sawButton = false;

    PressWithWin();

    EXPECT_EQ(PostedUntil(2), (Said{"0 down", "0 up"}));
    EXPECT_TRUE(NewerHook::sawButton) << "the layer's hook was installed again, ahead of it";
}

// A release the layer never saw: another hook, newer than the layer's, takes it.
LRESULT CALLBACK SwallowButtonRelease(int code, WPARAM message, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (event.vkCode == kButton && (event.flags & LLKHF_UP)) {
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

TEST_F(HotKeyThreadTest, ABrokenPressIsClosedBeforeTheNextOneStarts) {
    HHOOK thief = SetWindowsHookExW(WH_KEYBOARD_LL, SwallowButtonRelease, nullptr, 0);
    ASSERT_TRUE(thief);
    PressWithWin();
    ASSERT_TRUE(testing_support::SettleKeyEvents());  // the thief has had the release
    UnhookWindowsHookEx(thief);
    EXPECT_EQ(PostedUntil(1), (Said{"0 down"}));

    Sleep(1200);  // longer than the keyboard would wait to repeat
    PressWithWin();

    EXPECT_EQ(PostedUntil(3), (Said{"0 up", "0 down", "0 up"}));
}

}  // namespace
