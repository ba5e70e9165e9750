// A long run of the real agent: Kestrel.exe from a folder of its own, with settings that
// give its five buttons all five kinds of action, handles a million hot-key and timer
// messages posted from here in the patterns of single, double and held presses of every
// button (alone, with Shift and with Ctrl), with reloads, releases and restores in
// between. Its private bytes, handles, GDI and USER objects and windows are read from
// outside after start-up, after a warm-up that makes every kind of action happen once,
// at three points in between and at the end. An argument sets another number of messages
// for a shorter run (the full one takes about a quarter of an hour under Wine).
//
// Every action has a real effect, none of them harmful under Wine: key sequences of F9
// with or without a modifier (a key nobody here listens to), the Shift and Ctrl latches
// (reset by every reload), the Today screen (absent), the Start key, the input panel
// stand-in, the buttons' standard function (a real release and renewal of the hot key),
// and program starts of a small proof program, which counts its starts; these come
// three per phase only, since each costs a process.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_agent.h"
#include "bench/bench_common.h"

using namespace e2e_agent;
using kestrel::kActionDeviceCommand;
using kestrel::kActionKeySequence;
using kestrel::kActionLatch;
using kestrel::kActionProgram;
using kestrel::kActionStandardButton;

namespace {

constexpr long long kMessages = 1'000'000;
constexpr long long kFewestMessages = 10'000;
constexpr int kPhases = 20;  // each ends with a reload, a release and a restore per button
constexpr int kCheckpointEvery = 5;
constexpr int kSyncEvery = 2000;  // posted messages between two drains of the queue
constexpr DWORD kPatienceMs = 20000;
// Presses are timed by the timer messages posted from here; the agent's own timer, started
// with these, never comes due during the run.
constexpr DWORD kNeverDue = 0x7FFFFFFF;
constexpr LPARAM kKeyUp = 0x1000;

// Buttons with single, double and hold slots, and one with a single slot only.
constexpr UINT kTimedButtons[] = {0xC1, 0xC2, 0xC3};
constexpr UINT kProgramButton = 0xC4;
constexpr UINT kImmediateButton = 0xC5;
constexpr int kProgramButtonId = 3;  // base ids follow the table order 40C1 .. 40C5
constexpr int kImmediateButtonId = 4;
constexpr UINT kSyncButton = kImmediateButton;
const wchar_t* const kProofNames[] = {L"soak_single.exe", L"soak_double.exe", L"soak_hold.exe"};
constexpr BYTE kF9 = 0x78;  // "x" in a key sequence

struct Figures {
    double privateKb = -1;
    double handles = -1;
    double gdi = -1;
    double user = -1;
    double windows = -1;
};

// The system's list of every open handle with its owner (SystemExtendedHandleInformation):
// Wine answers GetProcessHandleCount for another process with 0, but keeps this list.
struct HandleEntry {
    PVOID object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG access;
    USHORT backTrace;
    USHORT typeIndex;
    ULONG attributes;
    ULONG reserved;
};
struct HandleList {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};
constexpr ULONG kExtendedHandleInformation = 64;
using QuerySystemInformation = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

double HandlesOf(HANDLE process) {
    DWORD count = 0;
    if (GetProcessHandleCount(process, &count) && count > 0) {
        return count;
    }
    const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<BYTE> buffer(1 << 20);
    for (int attempt = 0; query && attempt < 4; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(kExtendedHandleInformation, buffer.data(),
                                  static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
            const ULONG_PTR id = GetProcessId(process);
            int owned = 0;
            for (ULONG_PTR i = 0; i < list->count; ++i) {
                owned += list->entries[i].processId == id;
            }
            return owned;
        }
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
    }
    return -1;
}

int CountWindows(DWORD processId) {
    struct Count {
        DWORD processId;
        int windows;
    } count = {processId, 0};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* c = reinterpret_cast<Count*>(context);
            if (ProcessOf(window) == c->processId) {
                ++c->windows;
                EnumChildWindows(
                    window,
                    [](HWND, LPARAM inner) -> BOOL {
                        ++*reinterpret_cast<int*>(inner);
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&c->windows));
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.windows;
}

// Wine fills the page-file usage of another process but leaves its private usage 0; on
// Windows the two are the same figure.
Figures Measure(HANDLE agent) {
    Figures f;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(agent, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof(memory))) {
        const SIZE_T bytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
        f.privateKb = static_cast<double>(bytes) / 1024.0;
    }
    f.handles = HandlesOf(agent);
    f.gdi = GetGuiResources(agent, GR_GDIOBJECTS);
    f.user = GetGuiResources(agent, GR_USEROBJECTS);
    f.windows = CountWindows(GetProcessId(agent));
    return f;
}

// Posts the press messages to the agent's queue, as the platform posts hot keys and
// timers. (Sent messages would be let in whenever the agent waits inside a call of its
// own, a synthesized key for instance, and so reach it in another order than a real
// button's.) Every two thousand messages the queue is drained: a release of the sync
// button posted behind them frees its hot keys once everything before it is handled;
// a restore, sent, takes them back and must come back itself.
class Sender {
  public:
    explicit Sender(HWND window) : window_(window) {}

    void Post(UINT message, WPARAM wParam, LPARAM lParam) {
        PostMessageW(window_, message, wParam, lParam);
        ++sent_;
        if (++sinceSync_ >= kSyncEvery) {
            Sync();
        }
    }
    // A message that is waited for; false when the agent did not answer in time.
    bool Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        DWORD_PTR result = 0;
        ++sent_;
        if (!SendMessageTimeoutW(window_, message, wParam, lParam, SMTO_NORMAL, kPatienceMs,
                                 &result)) {
            answered_ = false;
        }
        return answered_;
    }
    bool Sync() {
        sinceSync_ = 0;
        PostMessageW(window_, kestrel::MSG_RELEASE_TEMP, kSyncButton, 0);
        ++sent_;
        answered_ = answered_ && Await([] { return CombinationsFree(kSyncButton); });
        // Sent, not posted: a probe for the taken keys could hold one at the moment the
        // agent takes them back, and the agent would be refused.
        return Send(kestrel::MSG_RESTORE_TEMP, kSyncButton);
    }

    long long sent() const { return sent_; }
    bool answered() const { return answered_; }

    // One press of a button by its hot-key id, of kind 0 (single), 1 (double) or 2 (hold).
    void Press(int id, int kind) {
        const WPARAM hotKey = static_cast<WPARAM>(id);
        switch (kind) {
            case 0:
                Post(WM_HOTKEY, hotKey, 0);
                Post(WM_HOTKEY, hotKey, kKeyUp);
                Post(WM_TIMER, kestrel::TIMER_PRESS, 0);
                break;
            case 1:
                Post(WM_HOTKEY, hotKey, 0);
                Post(WM_HOTKEY, hotKey, kKeyUp);
                Post(WM_HOTKEY, hotKey, 0);
                Post(WM_HOTKEY, hotKey, kKeyUp);
                break;
            default:
                Post(WM_HOTKEY, hotKey, 0);
                Post(WM_TIMER, kestrel::TIMER_PRESS, 0);
                Post(WM_HOTKEY, hotKey, kKeyUp);
                break;
        }
    }

  private:
    // Polls more often than the harness's WaitUntil: a drain happens hundreds of times.
    template <typename Done>
    static bool Await(Done done) {
        const ULONGLONG end = GetTickCount64() + kPatienceMs;
        while (!done()) {
            if (GetTickCount64() >= end) {
                return false;
            }
            Sleep(1);
        }
        return true;
    }

    HWND window_;
    long long sent_ = 0;
    int sinceSync_ = 0;
    bool answered_ = true;
};

// Every kind of press on every button but the program one, each under its plain, Shift
// and Ctrl id in turn.
void Round(Sender& sender, int round) {
    const int variant = 16 * (round % 3);
    for (int b = 0; b < static_cast<int>(std::size(kTimedButtons)); ++b) {
        for (int kind = 0; kind < 3; ++kind) {
            sender.Press(b + variant, kind);
        }
    }
    for (int kind = 0; kind < 3; ++kind) {
        sender.Post(WM_HOTKEY, static_cast<WPARAM>(kImmediateButtonId + variant), 0);
        sender.Post(WM_HOTKEY, static_cast<WPARAM>(kImmediateButtonId + variant), kKeyUp);
    }
}

// Once the queue is drained: a reload, then a release and a restore of every button's
// hot keys, sent as other programs send them.
bool ReloadReleaseRestore(Sender& sender) {
    sender.Sync();
    sender.Send(kestrel::MSG_RELOAD);
    for (UINT vk : {0xC1u, 0xC2u, 0xC3u, kProgramButton, kImmediateButton}) {
        sender.Send(kestrel::MSG_RELEASE_TEMP, vk);
        sender.Send(kestrel::MSG_RESTORE_TEMP, vk);
    }
    return sender.answered();
}

// The program button's three presses, then the reload, releases and restores.
bool EndPhase(Sender& sender) {
    for (int kind = 0; kind < 3; ++kind) {
        sender.Press(kProgramButtonId, kind);
    }
    return ReloadReleaseRestore(sender);
}

void SeedSoakSettings(const std::wstring& folder) {
    ClearSettings();
    SeedTimes(kNeverDue, kNeverDue);
    SeedButton(L"40C1",
               {{0, kActionKeySequence, L"#xS"}, {1, kActionLatch, L"S"}, {2, kActionLatch, L"C"}});
    SeedButton(L"40C2", {{0, kActionDeviceCommand, L"0"},
                         {1, kActionDeviceCommand, L"1"},
                         {2, kActionDeviceCommand, L"2"}});
    SeedButton(L"40C3", {{0, kActionStandardButton, L""},
                         {1, kActionKeySequence, L"#?C"},
                         {2, kActionKeySequence, L"#xA"}});
    SeedButton(L"40C4", {{0, kActionProgram, folder + L"\\" + kProofNames[0]},
                         {1, kActionProgram, folder + L"\\" + kProofNames[1]},
                         {2, kActionProgram, folder + L"\\" + kProofNames[2]}});
    SeedButton(L"40C5", {{0, kActionKeySequence, L"#x#"}});
}

void Print(const char* when, long long messages, const Figures& f) {
    std::fprintf(stderr,
                 "%-22s %9lld messages: private %8.0f KB, handles %4.0f, GDI %3.0f, USER %3.0f, "
                 "windows %2.0f\n",
                 when, messages, f.privateKb, f.handles, f.gdi, f.user, f.windows);
}

}  // namespace

int main(int argc, char** argv) {
    const long long messages =
        argc > 1 ? std::max(std::atoll(argv[1]), kFewestMessages) : kMessages;
    ReleaseModifiers();
    AgentFolder folder;
    for (const wchar_t* name : kProofNames) {
        folder.CopyProof(name);
    }
    SeedSoakSettings(folder.Path());

    const bench::StartedAgent agent(folder, 1000);
    if (!agent.Started()) {
        return 1;
    }
    const Figures startUp = Measure(agent.Process());
    Print("after start-up", 0, startUp);

    Sender sender(agent.Window());
    const long long roundMessages = 3 * 10 + 6;
    const long long roundsPerPhase = messages / kPhases / roundMessages + 1;

    // Warm-up: every kind of press on every button once, one at a time, watched by a key
    // hook of ours, which shows that the key sequences, the Start key and the buttons'
    // replays really happen (a hook cannot keep pace with the flood that follows); then
    // the reload, release and restore that end every phase.
    int actionsSeen = 0;
    {
        KeyObserver observer;
        const struct {
            int id, kind;
            DWORD vk;
            ULONG_PTR extra;
        } watched[] = {{0, 0, kF9, 1}, {1, 1, VK_LWIN, 1}, {2, 0, 0xC3, 0}};
        for (int id : {0, 1, 2, kImmediateButtonId, kProgramButtonId}) {
            for (int kind = 0; kind < 3; ++kind) {
                observer.Clear();
                if (id == kImmediateButtonId) {
                    sender.Post(WM_HOTKEY, static_cast<WPARAM>(id), 0);
                    sender.Post(WM_HOTKEY, static_cast<WPARAM>(id), kKeyUp);
                } else {
                    sender.Press(id, kind);
                }
                sender.Sync();
                Pump(300);  // the hook's thread takes its time
                for (const auto& w : watched) {
                    actionsSeen +=
                        w.id == id && w.kind == kind && observer.Find(w.vk, false, w.extra);
                }
            }
        }
        ReloadReleaseRestore(sender);
    }
    if (!sender.answered() || actionsSeen != 3) {
        std::fprintf(stderr, "warm-up: %s\n",
                     sender.answered() ? "action keys missing" : "the agent stopped answering");
        return 1;
    }
    Pump(2000);  // the started proof programs end
    const Figures warm = Measure(agent.Process());
    Print("after warm-up", sender.sent(), warm);
    const long long warmMessages = sender.sent();

    std::vector<Figures> checkpoints;
    std::vector<double> rates;  // messages a second, per phase
    int round = 0;
    for (int phase = 1; phase <= kPhases; ++phase) {
        const long long before = sender.sent();
        const double start = bench::NowMicroseconds();
        for (long long r = 0; r < roundsPerPhase; ++r) {
            Round(sender, round++);
        }
        if (!EndPhase(sender)) {
            std::fprintf(stderr, "phase %d: the agent stopped answering\n", phase);
            return 1;
        }
        rates.push_back(static_cast<double>(sender.sent() - before) * 1e6 /
                        (bench::NowMicroseconds() - start));
        if (phase % kCheckpointEvery == 0) {
            Pump(1500);
            checkpoints.push_back(Measure(agent.Process()));
            Print(phase == kPhases ? "at the end" : "checkpoint", sender.sent(),
                  checkpoints.back());
        }
    }
    const Figures end = checkpoints.back();
    const long long soakMessages = sender.sent() - warmMessages;

    int starts = 0;
    for (const wchar_t* name : kProofNames) {
        starts += StartsRecorded(folder.Path() + L"\\" + name);
    }
    const DWORD exitCode = agent.Close();
    ClearSettings();
    ReleaseModifiers();
    std::fprintf(stderr, "%lld messages after warm-up, %d program starts of %d, exit code %lu\n",
                 soakMessages, starts, 3 * (kPhases + 1), exitCode);

    double worstPrivate = warm.privateKb;
    for (const Figures& f : checkpoints) {
        worstPrivate = std::max(worstPrivate, f.privateKb);
    }
    const std::string after = std::to_string(soakMessages / 1000) + "k messages";
    const auto pair = [&](const std::string& what, double first, double last, const char* unit,
                          const char* aim) {
        bench::Report(
            ("soak: agent " + what + " after warm-up (median) and after " + after + " (worst)")
                .c_str(),
            {first, last}, unit, aim);
    };
    bench::Report("soak: agent private bytes after start-up",
                  {startUp.privateKb, startUp.privateKb}, "KB", "-");
    pair("private bytes", warm.privateKb, end.privateKb, "KB", "end within 64 KB");
    bench::Report(
        "soak: agent private bytes growth from warm-up, at the end (median) and at the "
        "largest checkpoint (worst)",
        {end.privateKb - warm.privateKb, worstPrivate - warm.privateKb}, "KB", "< 64 KB");
    pair("handles", warm.handles, end.handles, "handles", "no growth");
    // Wine 8 answers GetGuiResources with 0; the windows stand in for the USER objects.
    pair("GDI objects (GetGuiResources)", warm.gdi, end.gdi, "objects", "no growth");
    pair("USER objects (GetGuiResources)", warm.user, end.user, "objects", "no growth");
    pair("windows", warm.windows, end.windows, "windows", "no growth");
    std::sort(rates.begin(), rates.end());
    bench::Report(
        "soak: messages handled a second, median phase (median) and slowest phase (worst)",
        {rates[rates.size() / 2], rates.front()}, "messages/s", "-");
    return exitCode == 0 && starts == 3 * (kPhases + 1) ? 0 : 1;
}
