// The hot-key layer against the real system: a registering thread that stops answering, a
// key injection whose hook runs later than the injection returns, a hook the system drops,
// a button release the layer never sees.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/hotkey_test_keys.h"
#include "platform/hotkeys.h"
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
        std::vector<std::string> found;
        MSG message;
        while (PeekMessageW(&message, window, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
            found.push_back(ReportText(message.wParam, message.lParam));
        }
        return found;
    }
    // Presses Win + button now and then until the layer reports a whole press, or the
    // patience runs out. Without the layer's hook the system's own hot key reports the
    // key-down alone.
    bool PressUntilReported() {
        const double deadline = NowMs() + kPatienceMs;
        while (NowMs() < deadline) {
            PressWithWin();
            if (Posted() == std::vector<std::string>{"0 down", "0 up"}) {
                return true;
            }
            Sleep(200);
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
// has returned; here the test's injector stands for that, handing each event on later.
class LateDelivery {
  public:
    static void Inject(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo) {
        std::lock_guard<std::mutex> lock(mutex);
        queue.push_back({vk, scan, flags, extraInfo});
        wake.notify_one();
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
                const Event e = queue.front();
                queue.pop_front();
                lock.unlock();
                Sleep(40);
                keybd_event(e.vk, e.scan, e.flags, e.extraInfo);
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
        BYTE vk, scan;
        DWORD flags;
        ULONG_PTR extraInfo;
    };
    static inline std::mutex mutex;
    static inline std::condition_variable wake;
    static inline std::deque<Event> queue;
    static inline bool running = false;
    std::thread worker;
};

TEST_F(HotKeyThreadTest, AReplayedPressIsPastTheHookBeforeTheHotKeyReturns) {
    LateDelivery delivery;
    delivery.Start();
    test_access::SetInjector(&LateDelivery::Inject);

    // What the executor does for a button with its standard function.
    ASSERT_TRUE(UnregisterKeyUpHotKey(window, 0));
    const double start = NowMs();
    SendKeyEvent(VK_LWIN, 0, 0, 0);
    SendKeyEvent(kButton, 0, 0, 0);
    SendKeyEvent(kButton, 0, KEYEVENTF_KEYUP, 0);
    SendKeyEvent(VK_LWIN, 0, KEYEVENTF_KEYUP, 0);
    const double sent = NowMs() - start;
    ASSERT_TRUE(RegisterKeyUpHotKey(window, 0, kPlain, kButton));
    delivery.Stop();  // every event has passed the hook

    EXPECT_GE(sent, 4 * 35) << "each send waits for its event to pass the hook";
    EXPECT_EQ(Posted(), Said{}) << "the replayed press came back as a new one";
}

TEST_F(HotKeyThreadTest, AHookTheSystemDroppedIsBackAfterTheNextKeyItMissed) {
    test_access::DropHookSilently();
    Down('A');  // typing the dropped hook never sees
    Up('A');

    EXPECT_TRUE(PressUntilReported());
}

TEST_F(HotKeyThreadTest, AHookTheSystemDroppedIsBackByTheNextRegistration) {
    test_access::DropHookSilently();
    // The system's input clock moves in steps of up to 16 ms, and input in the step of the
    // last event the hook saw cannot be told from that event: the missed keys come later.
    Sleep(50);
    Down('A');
    Up('A');
    Sleep(150);  // no longer on its way to the hook

    ASSERT_TRUE(RegisterKeyUpHotKey(window, 32, MOD_WIN | MOD_CONTROL | MOD_KEYUP, kButton));
    PressWithWin();

    EXPECT_EQ(Posted(), (Said{"0 down", "0 up"}));
    UnregisterKeyUpHotKey(window, 32);
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
    EXPECT_EQ(Posted(), (Said{"0 down"}));

    Sleep(1200);  // longer than the keyboard would wait to repeat
    PressWithWin();

    EXPECT_EQ(Posted(), (Said{"0 up", "0 down", "0 up"}));
}

}  // namespace
