// The agent window in this process: start-up, dispatch and shutdown, with every
// operating-system call of the seam recorded.
#include "agent/agent_window.h"

#include <gtest/gtest.h>
#include <wtsapi32.h>

#include <string>
#include <vector>

#include "agent/agent_state.h"
#include "agent/button_table.h"
#include "agent/classifier.h"
#include "agent/latches.h"
#include "common/exe_directory.h"
#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "support/message_pump.h"
#include "support/recording_os.h"
#include "support/registry.h"

using namespace kestrel;
using Calls = std::vector<std::string>;

namespace {

const std::wstring kButtonPath = std::wstring(kProductKeyPath) + L"\\40C1";

const Calls kResetLatches = {"SendKeyEvents(4)", "key(16, 0, 1)", "key(16, 2, 1)", "key(17, 0, 1)",
                             "key(17, 2, 1)"};
const Calls kRegisterButton = {"RegisterHotKey(0, 0x1008, 0xC1)",
                               "RegisterHotKey(16, 0x100C, 0xC1)",
                               "RegisterHotKey(32, 0x100A, 0xC1)"};
// What programs at a lower integrity level may send the agent: the taskbar's return always,
// and the customizer's three messages only to an agent at the normal level.
std::string AllowFromBelow(UINT message) {
    return "ChangeWindowMessageFilterEx(" + std::to_string(message) + ", 1)";
}
const Calls kAllowCustomizerMessages = {AllowFromBelow(RegisterWindowMessageW(L"TaskbarCreated")),
                                        AllowFromBelow(45000), AllowFromBelow(45001),
                                        AllowFromBelow(45002)};
const Calls kUnregisterButton = {"UnregisterHotKey(0)", "UnregisterHotKey(16)",
                                 "UnregisterHotKey(32)"};

// The recorded start of the customizer from the agent's own folder.
std::string CustomizerStart() {
    return "ShellExecuteEx(" +
           testing_support::RecordingOs::Narrow(
               (std::wstring(GetExeDirectory()) + L"KestrelConfig.exe").c_str()) +
           ")";
}

Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

class AgentWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath);
        testing_support::SetDword(HKEY_CURRENT_USER, kButtonPath, L"Enabled", 1);
        Slot(0, L"#A#");
        Slot(2, L"#H#");  // a hold slot, so a key-down starts the press timer
        buttonTable.clear();
        currentId = 0;
        pressActive = doublePending = false;
        shiftLatch = ctrlLatch = false;
        doubleTime = kDefaultDoubleTime;
        holdTime = kDefaultHoldTime;
        agentWindow = nullptr;
    }
    void TearDown() override {
        if (agentWindow && IsWindow(agentWindow)) {
            DestroyWindow(agentWindow);
        }
        agentWindow = nullptr;
        buttonTable.clear();
        testing_support::DiscardPending();
        testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath);
    }

    static void Slot(int n, const wchar_t* keys) {
        const std::wstring suffix = std::to_wstring(n);
        testing_support::SetDword(HKEY_CURRENT_USER, kButtonPath, (L"Enabled_" + suffix).c_str(),
                                  1);
        testing_support::SetDword(HKEY_CURRENT_USER, kButtonPath, (L"Mode_" + suffix).c_str(),
                                  kActionKeySequence);
        testing_support::SetString(HKEY_CURRENT_USER, kButtonPath, (L"Cmd_" + suffix).c_str(),
                                   keys);
    }

    void Start() {
        ASSERT_TRUE(InitInstance(GetModuleHandleW(nullptr)));
        ASSERT_TRUE(agentWindow);
        os.calls.clear();
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageW(agentWindow, message, wParam, lParam);
    }
    // The quit code, when the thread was asked to quit.
    static bool QuitPosted(WPARAM* code) {
        MSG message;
        if (!PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
            return false;
        }
        *code = message.wParam;
        return true;
    }

    testing_support::RecordingOs os;
};

TEST_F(AgentWindowTest, StartUpAddsTheIconRegistersTheButtonsAndReleasesTheLatches) {
    ASSERT_TRUE(InitInstance(GetModuleHandleW(nullptr)));

    EXPECT_EQ(os.calls, Join({{"FindWindow(Kestrel, Kestrel)"},
                              kAllowCustomizerMessages,
                              {"Shell_NotifyIcon(0, id 1, flags 0x3, message 32868, icon)",
                               "Shell_NotifyIcon(4, id 1, flags 0x3, message 32868, icon)",
                               "WTSRegisterSessionNotification(0)"},
                              kRegisterButton,
                              kResetLatches}));
    ASSERT_TRUE(agentWindow);
    EXPECT_EQ(FindWindowW(L"Kestrel", L"Kestrel"), agentWindow);
    EXPECT_FALSE(IsWindowVisible(agentWindow));
    EXPECT_EQ(os.lastNotifyIcon.hWnd, agentWindow);
    EXPECT_EQ(trayIconData.hWnd, agentWindow);
    EXPECT_EQ(GetClassLongPtrW(agentWindow, GCL_STYLE), CS_HREDRAW | CS_VREDRAW);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(GetClassLongPtrW(agentWindow, GCLP_HBRBACKGROUND)),
              GetStockObject(WHITE_BRUSH));
    EXPECT_NE(GetClassLongPtrW(agentWindow, GCLP_HICON), 0);
}

// The customizer's reload can be sent in while the tray call of WM_CREATE waits, before
// the window is stored. It must not register hot keys on no window, which nothing could
// free again; the start-up load that follows registers them on the agent window.
class ReloadDuringTrayCallOs : public testing_support::RecordingOs {
  public:
    std::vector<HWND> hotKeyWindows;
    BOOL Shell_NotifyIconW(DWORD message, NOTIFYICONDATAW* data) override {
        const BOOL result = RecordingOs::Shell_NotifyIconW(message, data);
        if (message == NIM_ADD) {
            SendMessageW(data->hWnd, MSG_RELOAD, 0, 0);
        }
        return result;
    }
    BOOL RegisterHotKey(HWND window, int id, UINT modifiers, UINT vk) override {
        hotKeyWindows.push_back(window);
        return RecordingOs::RegisterHotKey(window, id, modifiers, vk);
    }
};

// Run as administrator, the agent takes no reload or button from programs with normal
// rights, which can all write commands into the settings; the taskbar still reaches it.
TEST_F(AgentWindowTest, AnElevatedAgentLetsOnlyTheTaskbarsReturnThroughFromBelow) {
    os.integrityLevel = SECURITY_MANDATORY_HIGH_RID;
    Start();
    DestroyWindow(agentWindow);
    os.calls.clear();
    ASSERT_TRUE(InitInstance(GetModuleHandleW(nullptr)));

    EXPECT_EQ(os.CallsStartingWith("ChangeWindowMessageFilterEx"),
              (Calls{AllowFromBelow(RegisterWindowMessageW(L"TaskbarCreated"))}));

    DestroyWindow(agentWindow);
    os.integrityLevel = SECURITY_MANDATORY_SYSTEM_RID;
    os.calls.clear();
    ASSERT_TRUE(InitInstance(GetModuleHandleW(nullptr)));
    EXPECT_EQ(os.CallsStartingWith("ChangeWindowMessageFilterEx").size(), 1u);
}

TEST(AgentStartUpTest, AReloadSentBeforeTheWindowIsStoredRegistersNothing) {
    testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath);
    testing_support::SetDword(HKEY_CURRENT_USER, kButtonPath, L"Enabled", 1);
    buttonTable.clear();
    agentWindow = nullptr;
    ReloadDuringTrayCallOs os;

    ASSERT_TRUE(InitInstance(GetModuleHandleW(nullptr)));

    EXPECT_EQ(os.calls, Join({{"FindWindow(Kestrel, Kestrel)"},
                              kAllowCustomizerMessages,
                              {"Shell_NotifyIcon(0, id 1, flags 0x3, message 32868, icon)",
                               "Shell_NotifyIcon(4, id 1, flags 0x3, message 32868, icon)",
                               "WTSRegisterSessionNotification(0)"},
                              kRegisterButton,
                              kResetLatches}));
    EXPECT_EQ(os.hotKeyWindows, std::vector<HWND>(3, agentWindow));

    DestroyWindow(agentWindow);
    agentWindow = nullptr;
    buttonTable.clear();
    testing_support::DiscardPending();
    testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath);
}

TEST_F(AgentWindowTest, SecondStartOpensTheCustomizerAndMakesNoWindow) {
    os.windowToFind = reinterpret_cast<HWND>(0x1234);  // another agent runs

    EXPECT_FALSE(InitInstance(GetModuleHandleW(nullptr)));

    EXPECT_FALSE(agentWindow);
    EXPECT_FALSE(FindWindowW(L"Kestrel", L"Kestrel"));
    EXPECT_EQ(os.CallsStartingWith("ShellExecuteEx"), (Calls{CustomizerStart()}));
    EXPECT_TRUE(os.CallsStartingWith("RegisterHotKey").empty());
    EXPECT_TRUE(os.CallsStartingWith("Shell_NotifyIcon").empty());
}

TEST_F(AgentWindowTest, ExitReleasesLatchesFreesHotKeysRemovesTheIconAndQuitsWithZero) {
    Start();
    shiftLatch = true;

    EXPECT_EQ(Send(WM_COMMAND, IDM_EXIT), 0);

    EXPECT_FALSE(IsWindow(agentWindow));
    EXPECT_FALSE(shiftLatch);
    EXPECT_EQ(os.calls, Join({{"WTSUnRegisterSessionNotification"},
                              kResetLatches,
                              kUnregisterButton,
                              {"Shell_NotifyIcon(2, id 1, flags 0x3, message 32868, icon)"}}));
    WPARAM code = 99;
    ASSERT_TRUE(QuitPosted(&code));
    EXPECT_EQ(code, 0u);
}

// The box that says so takes the front from the elevated window, as a real one does.
class ElevatedInFrontOs : public testing_support::RecordingOs {
  public:
    int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) override {
        foregroundElevated = false;
        return RecordingOs::MessageBoxW(owner, text, caption, type);
    }
};

// Ending over an elevated window would leave Shift down in every program once the agent
// is gone: the user is told, and the release is made again once the box is in front.
TEST_F(AgentWindowTest, ExitOverAnElevatedWindowReleasesTheLatchesAfterTellingTheUser) {
    ElevatedInFrontOs elevated;  // receives the calls from here on
    Start();
    shiftLatch = true;
    elevated.calls.clear();
    elevated.foregroundElevated = true;

    EXPECT_EQ(Send(WM_COMMAND, IDM_EXIT), 0);

    EXPECT_FALSE(shiftLatch);
    const Calls calls = elevated.calls;
    ASSERT_EQ(calls.size(), 12u) << ::testing::PrintToString(calls);
    EXPECT_EQ(calls[1], "Shell_NotifyIcon(1, id 1, flags 0x10, message 0, no icon)");
    EXPECT_EQ(Calls(calls.begin() + 2, calls.begin() + 5), kUnregisterButton);
    EXPECT_EQ(calls[5].rfind("MessageBox(", 0), 0u);
    EXPECT_NE(calls[5].find("0x50030)"), std::string::npos) << "warning, in front, on top";
    EXPECT_EQ(Calls(calls.begin() + 6, calls.begin() + 11), kResetLatches);
    EXPECT_EQ(calls[11].rfind("Shell_NotifyIcon(2,", 0), 0u);
}

// A lock lets go of both latches. Behind the lock screen the system may take no key from
// the agent; then the release is made once the session is back, and nobody is told.
TEST_F(AgentWindowTest, ALockOrASwitchAwayReleasesBothLatches) {
    Start();
    for (WPARAM away : {WTS_SESSION_LOCK, WTS_CONSOLE_DISCONNECT, WTS_REMOTE_DISCONNECT}) {
        shiftLatch = ctrlLatch = true;
        os.calls.clear();
        EXPECT_EQ(Send(WM_WTSSESSION_CHANGE, away), 0);
        EXPECT_EQ(os.calls, kResetLatches) << away;
        EXPECT_FALSE(shiftLatch || ctrlLatch) << away;
    }
    os.calls.clear();
    Send(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK);
    Send(WM_WTSSESSION_CHANGE, WTS_SESSION_LOGON);
    EXPECT_TRUE(os.calls.empty()) << "nothing owed, nothing sent";

    shiftLatch = true;
    os.keysTaken = 0;
    Send(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK);
    EXPECT_TRUE(shiftLatch);
    EXPECT_TRUE(os.CallsStartingWith("Shell_NotifyIcon").empty());
    os.keysTaken = UINT_MAX;
    os.calls.clear();
    Send(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK);
    EXPECT_EQ(os.calls, kResetLatches);
    EXPECT_FALSE(shiftLatch);
}

TEST_F(AgentWindowTest, SettingsCommandStartsTheCustomizerFromTheAgentFolder) {
    Start();

    EXPECT_EQ(Send(WM_COMMAND, IDM_SETTINGS), 0);

    EXPECT_EQ(os.CallsStartingWith("ShellExecuteEx"), (Calls{CustomizerStart()}));
    EXPECT_STREQ(os.lastExecute.lpVerb, L"open");
    EXPECT_STREQ(os.lastExecute.lpParameters, L"");
    EXPECT_EQ(os.lastExecute.nShow, SW_SHOW);
    EXPECT_EQ(os.lastExecute.hwnd, agentWindow);
}

TEST_F(AgentWindowTest, TrayMenuOpensAtTheWorkAreasLowerRightCornerAndAMessageFollowsIt) {
    Start();
    const struct {
        RECT screen;
        RECT work;
        const char* menu;
    } cases[] = {
        // The handheld: its navigation bar takes the top, the corner stays at (240, 320).
        {{0, 0, 240, 320}, {0, 26, 240, 320}, "TrackPopupMenuEx(0x28, 240, 320)"},
        {{0, 0, 1024, 768}, {0, 0, 1024, 728}, "TrackPopupMenuEx(0x28, 1024, 728)"},
        // A second screen to the left of the first, its taskbar on the right.
        {{-1280, 0, 0, 1024}, {-1280, 0, -40, 1024}, "TrackPopupMenuEx(0x28, -40, 1024)"},
    };
    for (const auto& c : cases) {
        os.screen = c.screen;
        os.workArea = c.work;
        os.calls.clear();

        EXPECT_EQ(Send(MSG_TRAY, MAKEWPARAM(1000, 700), MAKELPARAM(WM_LBUTTONDOWN, kTrayIconId)),
                  0);

        EXPECT_EQ(os.calls, (Calls{"SetForegroundWindow(window)", c.menu, "PostMessage(0, 0, 0)"}));
    }
}

// Explorer restarted: the new taskbar knows no icon until the agent adds it again.
TEST_F(AgentWindowTest, ARestartedTaskbarGetsTheIconAgain) {
    Start();

    EXPECT_EQ(Send(RegisterWindowMessageW(L"TaskbarCreated")), 0);

    EXPECT_EQ(os.calls, (Calls{"Shell_NotifyIcon(0, id 1, flags 0x3, message 32868, icon)",
                               "Shell_NotifyIcon(4, id 1, flags 0x3, message 32868, icon)"}));
    EXPECT_EQ(os.lastNotifyIcon.hWnd, agentWindow);
    EXPECT_EQ(os.lastNotifyIcon.uVersion, static_cast<UINT>(NOTIFYICON_VERSION_4));
}

// The taskbar takes version 4: the event and the icon's id come in lParam. A taskbar that
// refuses it sends the id in wParam and the event in lParam, as before.
class RefusesVersionOs : public testing_support::RecordingOs {
  public:
    BOOL Shell_NotifyIconW(DWORD message, NOTIFYICONDATAW* data) override {
        const BOOL result = RecordingOs::Shell_NotifyIconW(message, data);
        return message == NIM_SETVERSION ? FALSE : result;
    }
};

TEST_F(AgentWindowTest, TrayEventsAreReadInTheFormTheTaskbarTook) {
    os.screen = {0, 0, 1024, 768};
    os.workArea = {0, 0, 1024, 728};
    Start();
    const WPARAM anchor = MAKEWPARAM(1000, 740);
    Send(MSG_TRAY, anchor, MAKELPARAM(WM_LBUTTONDOWN, kTrayIconId));
    Send(MSG_TRAY, anchor, MAKELPARAM(WM_LBUTTONDOWN, 2));
    Send(MSG_TRAY, kTrayIconId, WM_LBUTTONDOWN);  // the old form means icon 0 now
    EXPECT_EQ(os.CallsStartingWith("TrackPopupMenuEx"),
              (Calls{"TrackPopupMenuEx(0x28, 1024, 728)"}));
    DestroyWindow(agentWindow);

    RefusesVersionOs refusing;  // receives the calls from here on
    refusing.screen = os.screen;
    refusing.workArea = os.workArea;
    ASSERT_TRUE(InitInstance(GetModuleHandleW(nullptr)));
    Send(MSG_TRAY, anchor, MAKELPARAM(WM_LBUTTONDOWN, kTrayIconId));
    Send(MSG_TRAY, kTrayIconId, WM_LBUTTONDOWN);
    EXPECT_EQ(refusing.CallsStartingWith("TrackPopupMenuEx"),
              (Calls{"TrackPopupMenuEx(0x28, 1024, 728)"}));
}

// The icon has the size the taskbar shows, and is freed when the agent ends.
TEST_F(AgentWindowTest, TheIconHasTheSystemsSmallIconSizeAndIsFreedAtTheEnd) {
    Start();
    const HICON icon = trayIconData.hIcon;
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask = {};
    GetObjectW(info.hbmMask, sizeof(mask), &mask);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    EXPECT_EQ(mask.bmWidth, GetSystemMetrics(SM_CXSMICON));

    Send(WM_COMMAND, IDM_EXIT);

    EXPECT_FALSE(GetIconInfo(icon, &info)) << "the icon outlives the agent";
    EXPECT_EQ(trayIconData.hIcon, nullptr);
}

// At a slow logon the taskbar is not there yet. The retry has a timer of its own, which
// never touches the press being classified meanwhile.
TEST_F(AgentWindowTest, AFailedIconAddIsRetriedOnItsOwnTimerBesideAPress) {
    os.notifyIconResult = FALSE;
    ASSERT_TRUE(InitInstance(GetModuleHandleW(nullptr)));
    const Calls failedAdd = {"Shell_NotifyIcon(0, id 1, flags 0x3, message 32868, icon)",
                             "Shell_NotifyIcon(1, id 1, flags 0x3, message 32868, icon)"};
    EXPECT_EQ(os.CallsStartingWith("Shell_NotifyIcon"), failedAdd);
    EXPECT_EQ(os.CallsStartingWith("SetTimer"), (Calls{"SetTimer(1026, 2000)"}));

    os.calls.clear();
    Send(WM_HOTKEY, 0, MAKELPARAM(MOD_WIN, 0xC1));  // a press, waiting on TIMER_PRESS
    Send(WM_TIMER, TIMER_TRAY_RETRY);
    EXPECT_EQ(os.calls, Join({{"SetTimer(1025, 500)"}, failedAdd}));

    os.notifyIconResult = TRUE;
    os.calls.clear();
    Send(WM_TIMER, TIMER_TRAY_RETRY);
    EXPECT_EQ(os.calls, (Calls{"Shell_NotifyIcon(0, id 1, flags 0x3, message 32868, icon)",
                               "Shell_NotifyIcon(4, id 1, flags 0x3, message 32868, icon)",
                               "KillTimer(1026)"}));
    EXPECT_TRUE(pressActive);

    os.calls.clear();
    Send(WM_TIMER, TIMER_TRAY_RETRY);  // one that was already queued: the icon is there
    EXPECT_TRUE(os.calls.empty());
    Send(WM_TIMER, TIMER_PRESS);
    EXPECT_EQ(os.CallsStartingWith("key(72"), (Calls{"key(72, 0, 1)", "key(72, 2, 1)"}));
}

TEST_F(AgentWindowTest, AcceleratorCommandsChangeNothing) {
    Start();

    Send(WM_COMMAND, IDM_ACCEL_SELECT_ALL);
    Send(WM_COMMAND, IDM_ACCEL_QUIT);
    Send(WM_KEYDOWN, 'Q');

    EXPECT_TRUE(os.calls.empty()) << os.calls.front();
    EXPECT_TRUE(IsWindow(agentWindow));
    WPARAM code;
    EXPECT_FALSE(QuitPosted(&code));
}

TEST_F(AgentWindowTest, MessagesWithoutHandlerGetDefaultProcessing) {
    Start();
    wchar_t title[16] = {};
    EXPECT_EQ(Send(WM_GETTEXT, 16, reinterpret_cast<LPARAM>(title)), 7);
    EXPECT_STREQ(title, L"Kestrel");
}

TEST_F(AgentWindowTest, HotKeyAndTimerMessagesReachTheClassifier) {
    Start();

    EXPECT_EQ(Send(WM_HOTKEY, 16, MAKELPARAM(MOD_WIN | MOD_SHIFT, 0xC1)), 0);
    EXPECT_EQ(os.calls, (Calls{"SetTimer(1025, 500)"}));
    EXPECT_EQ(currentId, 0);  // the Shift variant folds onto the button

    os.calls.clear();
    EXPECT_EQ(Send(WM_TIMER, 4711), 0);  // any timer id is the press timer
    EXPECT_EQ(os.calls, (Calls{"KillTimer(1025)", "SendKeyEvents(4)", "key(2, 2, 0)",
                               "key(91, 2, 0)", "key(72, 0, 1)", "key(72, 2, 1)"}));
}

TEST_F(AgentWindowTest, PrivateMessagesReachTheButtonTable) {
    Start();

    EXPECT_EQ(Send(MSG_RELEASE_TEMP, 0xC1), 0);
    EXPECT_EQ(os.calls, kUnregisterButton);

    os.calls.clear();
    EXPECT_EQ(Send(MSG_RESTORE_TEMP, 0xC1), 0);
    EXPECT_EQ(os.calls, kRegisterButton);

    os.calls.clear();
    EXPECT_EQ(Send(MSG_RELOAD), 0);
    EXPECT_EQ(os.calls, Join({kUnregisterButton, kRegisterButton, kResetLatches}));
}

}  // namespace
