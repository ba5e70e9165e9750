// The agent against hostile settings and a flood of messages. For every seeded case the
// registry is filled with garbage and the agent loads it: a fresh agent, its window made
// by the program's own start-up on a thread of its own that runs the program's message
// loop, or (for most cases, to keep the run short) the running agent through a reload
// message. Then a long random stream of hot-key, timer, reload, release, restore and
// other messages goes through its loop, a few posted from this thread, the rest handed
// over in stretches; now and then another program rewrites the settings before a reload,
// and now and then a message that another program sends gets in while the agent waits
// inside a keystroke or a program start. The operating system is a silent stand-in that
// checks every call. After every stretch the agent must still answer a sent message, its
// table must be what the settings say, and its hot keys and keys must be in order; after
// it closes, it must hold no hot key, no key and no tray icon.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "agent/agent_state.h"
#include "agent/agent_window.h"
#include "agent/button_table.h"
#include "agent/classifier.h"
#include "agent/latches.h"
#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "hostile/expected_load.h"
#include "hostile/hostile_case.h"
#include "hostile/silent_os.h"
#include "support/hostile_settings.h"

using namespace kestrel;
using hostile::Narrow;

namespace {

constexpr int kCases = 700;
// Every tenth case starts a fresh agent; the others are loaded by a reload.
constexpr int kCasesPerAgent = 10;
constexpr int kStretchesPerCase = 5;
constexpr int kMessagesPerStretch = 50;
constexpr int kPostedPerStretch = 5;
// Of the calls inside which a sent message can get in, the share where one does, and how
// deeply such messages may nest.
constexpr int kReentryPercent = 3;
constexpr int kMostNestedMessages = 2;
constexpr DWORD kPatienceMs = 10000;
// A thread message that hands the agent's loop a stretch of messages to dispatch.
constexpr UINT kDeliverMark = WM_APP + 0x3F0;

// Everything the agent keeps between messages, as a fresh agent process has it.
void ResetAgentState() {
    buttonTable.clear();
    currentId = 0;
    pressActive = false;
    doublePending = false;
    shiftLatch = false;
    ctrlLatch = false;
    doubleTime = kDefaultDoubleTime;
    holdTime = kDefaultHoldTime;
    agentWindow = nullptr;
}

// The agent as its program runs it: InitInstance, then the message loop, on a thread of
// its own, so that the test can tell a stuck agent from a busy one by whether a sent
// message comes back.
class AgentThread {
  public:
    AgentThread() {
        started_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        delivered_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, &AgentThread::Run, this, 0, &threadId_);
        WaitForSingleObject(started_, kPatienceMs);
    }
    ~AgentThread() {
        if (WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT) {
            PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
            WaitForSingleObject(thread_, kPatienceMs);
        }
        CloseHandle(thread_);
        CloseHandle(started_);
        CloseHandle(delivered_);
    }
    AgentThread(const AgentThread&) = delete;
    AgentThread& operator=(const AgentThread&) = delete;

    HWND window() const { return window_; }

    // Puts a message into the agent's queue, as another program does.
    void Post(UINT message, WPARAM wParam, LPARAM lParam) {
        PostMessageW(window_, message, wParam, lParam);
    }

    // Hands a stretch of messages to the agent's loop, which dispatches them one after the
    // other as it dispatches what it takes from its queue (a post from another thread would
    // cost a trip to the Wine server each). True once the loop has handled everything
    // posted before and the whole stretch, and the window then answers a sent message.
    bool Deliver(const std::vector<MSG>& stretch) {
        PostThreadMessageW(threadId_, kDeliverMark, 0, reinterpret_cast<LPARAM>(&stretch));
        if (WaitForSingleObject(delivered_, kPatienceMs) != WAIT_OBJECT_0) {
            return false;
        }
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kPatienceMs,
                                   &result) != 0;
    }

    // Closes the window as another program would; true when the loop ended with code 0.
    bool Close() {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window_, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kPatienceMs, &result);
        if (WaitForSingleObject(thread_, kPatienceMs) != WAIT_OBJECT_0) {
            return false;
        }
        DWORD code = 1;
        GetExitCodeThread(thread_, &code);
        return code == 0 && !IsWindow(window_);
    }

  private:
    static DWORD WINAPI Run(LPVOID context) {
        auto* self = static_cast<AgentThread*>(context);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists from here
        const bool running = InitInstance(GetModuleHandleW(nullptr));
        self->window_ = agentWindow;
        SetEvent(self->started_);
        if (!running) {
            return 2;
        }
        while (GetMessageW(&message, nullptr, 0, 0)) {
            if (!message.hwnd && message.message == kDeliverMark) {
                for (MSG next : *reinterpret_cast<const std::vector<MSG>*>(message.lParam)) {
                    next.hwnd = self->window_;
                    TranslateMessage(&next);
                    DispatchMessageW(&next);
                }
                SetEvent(self->delivered_);
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return static_cast<DWORD>(message.wParam);
    }

    HANDLE started_ = nullptr;
    HANDLE delivered_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
};

// Random messages of every kind the agent window takes, biased towards the hot-key ids
// and keys the table really has, so that presses of every kind happen.
class MessageStream {
  public:
    explicit MessageStream(uint32_t seed) : random_(seed) {}

    using Message = MSG;

    static Message Make(UINT message, WPARAM wParam, LPARAM lParam) {
        Message made = {};
        made.message = message;
        made.wParam = wParam;
        made.lParam = lParam;
        return made;
    }

    Message Next() {
        Message next = Choose();
        next.time = GetTickCount();
        return next;
    }

    // The ids and keys of the table as it stands when a stretch begins.
    void LearnTable() {
        liveIds_.clear();
        liveKeys_.clear();
        for (const ButtonBinding& binding : buttonTable) {
            liveKeys_.push_back(binding.vk);
            if (binding.hotKeyId >= 0) {
                liveIds_.push_back(binding.hotKeyId);
            }
        }
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }

  private:
    Message Choose() {
        const int kind = Pick(1, 100);
        if (kind <= 55) {
            return HotKey();
        }
        if (kind <= 75) {
            // lParam stays 0: a non-zero one would name a timer callback for the loop to call.
            return Make(WM_TIMER, Chance(80) ? TIMER_PRESS : Wide(), 0);
        }
        if (kind <= 83) {
            return Make(MSG_RELEASE_TEMP, SomeKey(), WideL());
        }
        if (kind <= 91) {
            return Make(MSG_RESTORE_TEMP, SomeKey(), WideL());
        }
        if (kind == 92 && Chance(50)) {  // reloads are rare: each reads every setting
            return Make(MSG_RELOAD, Chance(80) ? 0 : Wide(), Chance(80) ? 0 : WideL());
        }
        return Other();
    }

    WPARAM Wide() {
        static const WPARAM extremes[] = {0,
                                          1,
                                          0xFFFF,
                                          0xFFFFFFFF,
                                          0x100000000ULL,
                                          static_cast<WPARAM>(-1),
                                          0x8000000000000000ULL};
        if (Chance(50)) {
            return extremes[Pick(0, 6)];
        }
        return (static_cast<WPARAM>(random_()) << 32) | random_();
    }
    LPARAM WideL() { return static_cast<LPARAM>(Wide()); }

    Message HotKey() {
        int id;
        if (!liveIds_.empty() && Chance(75)) {
            id = liveIds_[static_cast<size_t>(Pick(0, static_cast<int>(liveIds_.size()) - 1))] +
                 16 * Pick(0, 2);
        } else {
            id = Pick(-5, 60);
        }
        const bool up = Chance(45);
        UINT modifiers = MOD_WIN;
        if (Chance(20)) {
            modifiers |= Chance(50) ? MOD_SHIFT : MOD_CONTROL;
        }
        if (up) {
            modifiers |= kModKeyUp;
        }
        LPARAM lParam = MAKELPARAM(modifiers, Pick(0, 0xFFFF));
        if (Chance(5)) {
            lParam = WideL();  // whatever another program posts
        }
        return Make(WM_HOTKEY, static_cast<WPARAM>(static_cast<intptr_t>(id)), lParam);
    }

    WPARAM SomeKey() {
        if (!liveKeys_.empty() && Chance(70)) {
            return liveKeys_[static_cast<size_t>(Pick(0, static_cast<int>(liveKeys_.size()) - 1))];
        }
        return Chance(50) ? static_cast<WPARAM>(Pick(0, 0x1FF)) : Wide();
    }

    // Commands other than those that open the modal about box or end the agent, tray
    // messages other than the tap that opens the modal menu, and plain keys.
    Message Other() {
        switch (Pick(0, 2)) {
            case 0: {
                WPARAM command = Wide();
                if (LOWORD(command) == IDM_EXIT || LOWORD(command) == IDM_ABOUT) {
                    command = IDM_SETTINGS;
                }
                return Make(WM_COMMAND, command, 0);
            }
            case 1: {
                // Either form the taskbar may use: the id in wParam, or in lParam's high word
                // beside the event. Nothing here may open the menu, which waits for the user.
                const WPARAM icon = Chance(50) ? kTrayIconId : Wide();
                LPARAM mouse = static_cast<LPARAM>(Chance(50) ? Pick(0x200, 0x20E) : Wide());
                if (Chance(50)) {
                    mouse = MAKELPARAM(LOWORD(mouse), Chance(50) ? kTrayIconId : HIWORD(mouse));
                }
                if (LOWORD(mouse) == WM_LBUTTONDOWN || LOWORD(mouse) == WM_RBUTTONUP) {
                    mouse = MAKELPARAM(WM_LBUTTONUP, HIWORD(mouse));
                }
                return Make(MSG_TRAY, icon, mouse);
            }
            default:
                return Make(WM_KEYDOWN, Wide(), WideL());
        }
    }

    std::mt19937 random_;
    std::vector<int> liveIds_;
    std::vector<uint32_t> liveKeys_;
};

class AgentUnderFireTest : public ::testing::Test {
  protected:
    void SetUp() override {
        backup_.Save();
        os_.window = &agentWindow;
    }
    void TearDown() override {
        ResetAgentState();
        backup_.Restore();
    }

    // The table as the settings say it must be, with the times the agent must now use.
    // (The settings change only between stretches, each change followed by a reload.)
    std::string CompareWithSettings() {
        const hostile::ExpectedLoad& expected = expected_;
        std::ostringstream problems;
        if (expected.loaded) {
            expectedDouble_ = expected.doubleTime.value_or(expectedDouble_);
            expectedHold_ = expected.holdTime.value_or(expectedHold_);
        }
        if (doubleTime != expectedDouble_ || holdTime != expectedHold_) {
            problems << "times " << doubleTime << "/" << holdTime << " instead of "
                     << expectedDouble_ << "/" << expectedHold_ << "\n";
        }
        if (buttonTable.size() != expected.bindings.size()) {
            problems << buttonTable.size() << " bindings instead of " << expected.bindings.size()
                     << "\n";
            return problems.str();
        }
        int nextId = 0;
        for (size_t i = 0; i < buttonTable.size(); ++i) {
            const ButtonBinding& b = buttonTable[i];
            const hostile::ExpectedBinding& e = expected.bindings[i];
            const size_t nameChars = wcsnlen(b.keyName, kKeyNameChars);
            if (nameChars >= static_cast<size_t>(kKeyNameChars) ||
                std::wstring(b.keyName) != e.name) {
                problems << "binding " << i << ": name\n";
            }
            if (b.vk != e.vk) {
                problems << "binding " << i << " '" << Narrow(e.name) << "': key 0x" << std::hex
                         << b.vk << " instead of 0x" << e.vk << std::dec << "\n";
            }
            if (b.enabled != e.enabled) {
                problems << "binding " << i << ": enabled " << int(b.enabled) << "\n";
            }
            int wantedId = kNoHotKeyId;
            if (e.enabled && nextId < kMaxHotKeyButtons) {
                wantedId = nextId++;
            }
            if (b.hotKeyId != wantedId) {
                problems << "binding " << i << ": id " << b.hotKeyId << " instead of " << wantedId
                         << "\n";
            }
            for (int n = 0; n < kSlotCount; ++n) {
                const ActionSlot& s = b.slots[n];
                const hostile::ExpectedSlot& es = e.slots[n];
                if (s.enabled != es.enabled || s.type != es.type || s.command != es.command) {
                    problems << "binding " << i << " slot " << n << ": " << int(s.enabled) << "/"
                             << s.type << "/'" << Narrow(s.command) << "' instead of "
                             << int(es.enabled) << "/" << es.type << "/'" << Narrow(es.command)
                             << "'\n";
                }
            }
        }
        return problems.str();
    }

    // Every hot key held belongs to a numbered binding, under its own key; right after a
    // load, every numbered binding holds all three.
    std::string CheckHotKeys(bool justLoaded) {
        std::ostringstream problems;
        for (const auto& [id, vk] : os_.hotKeys) {
            const ButtonBinding* owner = FindBindingById(FoldHotKeyId(id));
            if (!owner || id < 0) {
                problems << "hot key " << id << " held for no binding\n";
            } else if (owner->vk != vk) {
                problems << "hot key " << id << " held for key 0x" << std::hex << vk << std::dec
                         << "\n";
            }
        }
        if (justLoaded) {
            size_t wanted = 0;
            for (const ButtonBinding& b : buttonTable) {
                wanted += b.hotKeyId >= 0 ? 3 : 0;
            }
            if (os_.hotKeys.size() != wanted) {
                problems << os_.hotKeys.size() << " hot keys held after a load instead of "
                         << wanted << "\n";
            }
        }
        return problems.str();
    }

    // Between messages only a latched Shift or Ctrl may be down. (A latched one may be up:
    // a key sequence with that modifier releases it without touching the latch.)
    std::string CheckKeysAndPress() {
        std::ostringstream problems;
        for (BYTE vk : os_.keysDown) {
            const bool latched = (vk == VK_SHIFT && shiftLatch) || (vk == VK_CONTROL && ctrlLatch);
            if (!latched) {
                problems << "key " << int(vk) << " left down\n";
            }
        }
        if (doublePending && !pressActive) {
            problems << "waiting for a second press without a press\n";
        }
        if (currentId < 0 || currentId >= kMaxHotKeyButtons) {
            problems << "current id " << currentId << "\n";
        }
        return problems.str();
    }

    void RunCase(AgentThread*& agent, uint32_t seed);

    // Now and then, while the agent waits inside a keystroke or a program start, a message
    // that another program sends gets in and is handled there and then, as Wine lets it.
    // Runs on the agent's thread, while this one waits for the stretch to be handled.
    void LetSentMessagesIn(MessageStream& sent) {
        os_.whileWaiting = [this, &sent] {
            if (reentryDepth_ >= kMostNestedMessages || !sent.Chance(kReentryPercent)) {
                return;
            }
            ++reentryDepth_;
            ++reentries_;
            const MSG next = sent.Next();
            SendMessageW(agentWindow, next.message, next.wParam, next.lParam);
            --reentryDepth_;
        };
    }
    void EndLife(AgentThread*& agent);

    hostile::SilentOs os_;
    hostile::RegistryBackup backup_;
    // What the settings as they now stand must load to; read again whenever they change.
    hostile::ExpectedLoad expected_;
    long long messages_ = 0;
    int rewrites_ = 0;
    long long reentries_ = 0;
    int reentryDepth_ = 0;
    DWORD expectedDouble_ = kDefaultDoubleTime;
    DWORD expectedHold_ = kDefaultHoldTime;
};

// One case: the settings of `seed` are loaded (by the start-up of a fresh agent, or by a
// reload through the window procedure of a running one), then a stream of messages
// follows in stretches, some ending with other settings and a reload.
void AgentUnderFireTest::RunCase(AgentThread*& agent, uint32_t seed) {
    SCOPED_TRACE("agent case seed " + std::to_string(seed));
    testing_support::HostileSettings settings(seed);
    MessageStream stream(seed);
    settings.Fill();
    expected_ = hostile::ReadExpectedLoad();
    if (!agent) {
        ResetAgentState();
        os_.ResetModel();
        expectedDouble_ = kDefaultDoubleTime;
        expectedHold_ = kDefaultHoldTime;
        agent = new AgentThread;
        ASSERT_NE(agent->window(), nullptr);
        ASSERT_EQ(os_.trayIcons, 1);
        // Without a button subkey the agent asks for the customizer, and only then.
        ASSERT_EQ(os_.programStarts, expected_.loaded ? 0 : 1);
    } else {
        ASSERT_TRUE(agent->Deliver({MessageStream::Make(MSG_RELOAD, 0, 0)}))
            << "the agent stopped answering";
    }
    ASSERT_EQ(CompareWithSettings() + CheckHotKeys(true) + CheckKeysAndPress(), "")
        << "after loading";

    MessageStream sentMessages(~seed);
    for (int s = 0; s < kStretchesPerCase; ++s) {
        stream.LearnTable();
        sentMessages.LearnTable();
        // A few messages come through the queue from this thread, the rest as a stretch
        // that the agent's loop dispatches itself.
        std::vector<MSG> posted;
        std::vector<MSG> stretch;
        for (int m = 0; m < kMessagesPerStretch; ++m) {
            const MSG next = stream.Next();
            (m < kPostedPerStretch ? posted : stretch).push_back(next);
        }
        // Another program rewrites the settings, then asks for a reload. The rewrite is done
        // before anything is posted: the agent handles a posted message at once, and a
        // reload among them would read, and create keys in, settings half rewritten.
        const bool rewrite = stream.Chance(15);
        if (rewrite) {
            settings.RefillSettings();
            expected_ = hostile::ReadExpectedLoad();
            ++rewrites_;
        }
        const bool reloadLast = rewrite || stream.Chance(10);
        if (reloadLast) {
            stretch.push_back(MessageStream::Make(MSG_RELOAD, 0, 0));
        }
        messages_ += kMessagesPerStretch + (reloadLast ? 1 : 0);
        const long long reentriesBefore = reentries_;
        // In place before the first post, for the same reason.
        LetSentMessagesIn(sentMessages);
        for (const MSG& message : posted) {
            agent->Post(message.message, message.wParam, message.lParam);
        }
        const bool answered = agent->Deliver(stretch);
        os_.whileWaiting = nullptr;
        ASSERT_TRUE(answered) << "the agent stopped answering";
        // A message let in during the reload's own keystrokes may legitimately release a
        // button or set a latch after it.
        const bool cleanReload = reloadLast && reentries_ == reentriesBefore;
        ASSERT_EQ(CompareWithSettings() + CheckHotKeys(cleanReload) + CheckKeysAndPress(), "")
            << "after stretch " << s;
        ASSERT_EQ(os_.faults, 0) << os_.FaultSummary();
        if (cleanReload) {
            ASSERT_FALSE(shiftLatch || ctrlLatch) << "a latch survived a reload";
        }
    }
}

// Closing ends the loop; the agent must give back every hot key, key and icon.
void AgentUnderFireTest::EndLife(AgentThread*& agent) {
    const bool closed = agent->Close();
    delete agent;
    agent = nullptr;
    ASSERT_TRUE(closed) << "the agent did not end cleanly";
    EXPECT_TRUE(os_.hotKeys.empty()) << os_.hotKeys.size() << " hot keys left behind";
    EXPECT_TRUE(os_.keysDown.empty()) << os_.keysDown.size() << " keys left down";
    EXPECT_EQ(os_.trayIcons, 0);
    EXPECT_EQ(os_.faults, 0) << os_.FaultSummary();
}

TEST_F(AgentUnderFireTest, SurvivesHostileSettingsAndFloodsOfMessages) {
    AgentThread* agent = nullptr;
    for (int c = 0; c < kCases && !HasFatalFailure(); ++c) {
        RunCase(agent, hostile::kAgentSeedBase + static_cast<uint32_t>(c));
        if (agent && (HasFatalFailure() || (c + 1) % kCasesPerAgent == 0 || c + 1 == kCases)) {
            EndLife(agent);
        }
    }
    delete agent;
    std::printf(
        "[ hostile  ] %d agent cases, %lld messages and %lld more let in while it "
        "waited, %d rewrites of the settings\n",
        kCases, messages_, reentries_, rewrites_);
}

}  // namespace
