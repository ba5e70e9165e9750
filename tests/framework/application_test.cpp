// The application object and the program's entry into it.
#include <gtest/gtest.h>

#include "platform/framework/win_app.h"
#include "support/recording_os.h"

namespace {

class ScriptedApp : public CWinApp {
  public:
    explicit ScriptedApp(BOOL answer, const wchar_t* name = nullptr)
        : CWinApp(name), m_answer(answer) {}
    BOOL InitInstance() override {
        ++initCalls;
        if (m_answer) {
            PostQuitMessage(7);
        }
        return m_answer;
    }
    int initCalls = 0;

  private:
    BOOL m_answer;
};

constexpr UINT kMarker = WM_APP + 77;

bool MarkerStillQueued() {
    MSG message;
    return PeekMessageW(&message, nullptr, kMarker, kMarker, PM_REMOVE) != FALSE;
}

TEST(ApplicationTest, InitInstanceFalseEndsTheProgramWithoutAMessageLoop) {
    testing_support::RecordingOs os;
    ScriptedApp app(FALSE);
    ASSERT_EQ(AfxGetApp(), &app);
    PostThreadMessageW(GetCurrentThreadId(), kMarker, 0, 0);

    EXPECT_EQ(AfxWinMain(GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOW), 0);

    EXPECT_EQ(app.initCalls, 1);
    EXPECT_TRUE(MarkerStillQueued());  // nothing fetched messages after InitInstance
}

TEST(ApplicationTest, InitInstanceTrueRunsTheLoopUntilQuit) {
    testing_support::RecordingOs os;
    ScriptedApp app(TRUE);
    PostThreadMessageW(GetCurrentThreadId(), kMarker, 0, 0);

    EXPECT_EQ(AfxWinMain(GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOW), 7);
    EXPECT_FALSE(MarkerStillQueued());
}

TEST(ApplicationTest, WithoutANameTheProgramFileNameIsUsed) {
    testing_support::RecordingOs os;
    os.modulePath = L"C:\\Program Files\\Kestrel\\KestrelConfig.exe";
    ScriptedApp app(FALSE);
    AfxWinMain(nullptr, nullptr, nullptr, SW_SHOW);

    EXPECT_STREQ(app.m_pszAppName, L"KestrelConfig");
    EXPECT_STREQ(AfxGetAppName(), L"KestrelConfig");
    EXPECT_EQ(app.m_hInstance, GetModuleHandleW(nullptr));
}

TEST(ApplicationTest, AGivenNameIsKept) {
    testing_support::RecordingOs os;
    ScriptedApp app(FALSE, L"Named");
    EXPECT_STREQ(AfxGetAppName(), L"Named");
    EXPECT_TRUE(os.CallsStartingWith("GetModuleFileName").empty());
}

TEST(ApplicationTest, TheFirstApplicationObjectIsTheProgramsOne) {
    ScriptedApp first(FALSE, L"First");
    {
        ScriptedApp second(FALSE, L"Second");
        EXPECT_EQ(AfxGetApp(), &first);
    }
    EXPECT_EQ(AfxGetApp(), &first);
}

TEST(ApplicationTest, WithoutAnApplicationObjectTheEntryFailsQuietly) {
    ASSERT_EQ(AfxGetApp(), nullptr);
    EXPECT_EQ(AfxWinMain(nullptr, nullptr, nullptr, SW_SHOW), -1);
}

}  // namespace
