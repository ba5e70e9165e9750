// Per-program assignments as a person meets them: two programs' windows take the front in
// turn, and the same key and mouse button run the program's own action in one, the global
// action in the other, or reach the program untouched where switched off there. Real X
// server input through xdotool; the windows are real programs of their own file names.
#include "e2e_system/system_fixture.h"
#include "support/x_input.h"

namespace e2e {
namespace {

constexpr UINT kAskCount = WM_APP + 1;  // the front window program's question
constexpr wchar_t kPauseKey[] = L"4013";
constexpr wchar_t kBackButton[] = L"4005";

// One program's window, placed side by side with the other's so that the pointer can be
// over one while the other has the front.
class FrontWindow {
  public:
    FrontWindow(const ScratchFolder& folder, const std::wstring& fileName, int left) : left_(left) {
        const std::wstring path = folder.Copy(HostPath(KESTREL_FRONT_WINDOW_EXE), fileName);
        program_ = std::make_unique<Program>(path, nullptr,
                                             std::to_wstring(left) + L" " + std::to_wstring(kTop) +
                                                 L" " + std::to_wstring(kWidth) + L" 300");
        WaitUntil([&] {
            for (HWND window : TopLevelWindowsOf(program_->Id())) {
                if (TextOf(window) == fileName) {
                    window_ = window;
                }
            }
            return window_ != nullptr;
        });
    }
    ~FrontWindow() {
        if (window_) {
            PostMessageW(window_, WM_CLOSE, 0, 0);
            program_->WaitForExit();
        }
    }
    HWND Window() const { return window_; }
    // xdotool's words for the pointer over the middle of the window.
    std::wstring PointerOver() const {
        return L"mousemove " + std::to_wstring(left_ + kWidth / 2) + L" " +
               std::to_wstring(kTop + 150);
    }
    // How many key-downs of `vk` (or clicks of a mouse button) reached the program.
    LRESULT Count(WPARAM vk) const {
        DWORD_PTR count = 0;
        SendMessageTimeoutW(window_, kAskCount, vk, 0, SMTO_NORMAL, 5000, &count);
        return static_cast<LRESULT>(count);
    }

  private:
    static constexpr int kTop = 100;
    static constexpr int kWidth = 400;
    int left_;
    std::unique_ptr<Program> program_;
    HWND window_ = nullptr;
};

class ProgramAssignmentsTest : public SystemFixture {
  protected:
    void TearDown() override {
        SystemFixture::TearDown();
        for (const std::wstring& proof : proofs_) {
            DeleteFileW(proof.c_str());
            DeleteFileW((proof + L".started").c_str());
        }
    }

    // A proof program to assign; its starts are counted.
    std::wstring Proof(const wchar_t* name) {
        proofs_.push_back(folder_.Copy(HostPath(KESTREL_PROOF_EXE), name));
        return proofs_.back();
    }

    static void SeedSingle(const std::wstring& buttonPath, DWORD enabled,
                           const std::wstring& program) {
        testing_support::SetDword(HKEY_CURRENT_USER, buttonPath, kestrel::kValueEnabled, enabled);
        testing_support::SetDword(HKEY_CURRENT_USER, buttonPath, L"Enabled_0", 1);
        testing_support::SetDword(HKEY_CURRENT_USER, buttonPath, L"Mode_0",
                                  kestrel::kActionProgram);
        testing_support::SetString(HKEY_CURRENT_USER, buttonPath, L"Cmd_0", program);
    }
    static std::wstring AppButton(const wchar_t* program, const wchar_t* keyName) {
        return std::wstring(kestrel::kAppsKeyPath) + L"\\" + program + L"\\" + keyName;
    }

    // A left click puts the window in front; the same click marks, by its arrival, that
    // every earlier input has been dealt with.
    static bool BringToFront(const FrontWindow& front) {
        const LRESULT clicks = front.Count(VK_LBUTTON);
        return testing_support::RunXdotool(front.PointerOver() + L" click 1") && WaitUntil([&] {
                   return front.Count(VK_LBUTTON) > clicks &&
                          GetForegroundWindow() == front.Window();
               });
    }
    // A typed "a" reaches the window in front after every input before it.
    static bool Settled(const FrontWindow& front) {
        const LRESULT marks = front.Count('A');
        return testing_support::RunXdotool(L"key a") &&
               WaitUntil([&] { return front.Count('A') > marks; });
    }

    std::vector<std::wstring> proofs_;
};

TEST_F(ProgramAssignmentsTest, TheSameButtonsFollowTheProgramInFrontAndTheWindowUnderThePointer) {
    const std::wstring globalPause = Proof(L"KestrelGlobalPause.exe");
    const std::wstring browserPause = Proof(L"KestrelBrowserPause.exe");
    const std::wstring globalBack = Proof(L"KestrelGlobalBack.exe");
    // Pause: its own action in the browser, the global one elsewhere. The back button: the
    // global action, switched off in the drawing program.
    SeedSingle(ButtonKeyPath(kPauseKey), 1, globalPause);
    SeedSingle(ButtonKeyPath(kBackButton), 1, globalBack);
    SeedSingle(AppButton(L"Browser.exe", kPauseKey), 1, browserPause);
    testing_support::SetString(HKEY_CURRENT_USER,
                               std::wstring(kestrel::kAppsKeyPath) + L"\\Browser.exe",
                               kestrel::kValueName, L"ブラウザー");
    testing_support::SetDword(HKEY_CURRENT_USER, AppButton(L"drawing.exe", kBackButton),
                              kestrel::kValueEnabled, 0);

    FrontWindow browser(folder_, L"browser.exe", 50);
    FrontWindow drawing(folder_, L"drawing.exe", 550);
    ASSERT_NE(browser.Window(), nullptr);
    ASSERT_NE(drawing.Window(), nullptr);
    // The agent's start may take the front from the browser; it gets it back.
    ASSERT_NO_FATAL_FAILURE(StartAgent());
    ASSERT_TRUE(BringToFront(browser));

    // The agent's hot keys may come a moment after its window: press until it answers.
    bool taken = false;
    for (int attempt = 0; attempt < 10 && !taken; ++attempt) {
        testing_support::RunXdotool(L"key Pause");
        taken = WaitUntil([&] { return StartsRecorded(browserPause) > 0; }, 1500);
    }
    ASSERT_TRUE(taken) << "the agent did not take Pause in the browser; the global action ran "
                       << StartsRecorded(globalPause) << " times";
    ASSERT_TRUE(Settled(browser));
    const LRESULT pausesBefore = browser.Count(VK_PAUSE);
    const int browserStarts = StartsRecorded(browserPause);
    // A start-up press that met the agent before its hook did ran the global action: the
    // system's own hot key, which caught it, names no program.
    const int globalStarts = StartsRecorded(globalPause);

    // In the browser its own action, and the key never reaches it.
    ASSERT_TRUE(testing_support::RunXdotool(L"key Pause"));
    EXPECT_TRUE(WaitUntil([&] { return StartsRecorded(browserPause) == browserStarts + 1; }));
    ASSERT_TRUE(Settled(browser));
    EXPECT_EQ(browser.Count(VK_PAUSE), pausesBefore);

    // The drawing program in front: the global action.
    ASSERT_TRUE(BringToFront(drawing));
    ASSERT_TRUE(testing_support::RunXdotool(L"key Pause"));
    EXPECT_TRUE(WaitUntil([&] { return StartsRecorded(globalPause) == globalStarts + 1; }));
    ASSERT_TRUE(Settled(drawing));
    EXPECT_EQ(drawing.Count(VK_PAUSE), 0);
    EXPECT_EQ(StartsRecorded(browserPause), browserStarts + 1);

    // The drawing program has the front, the pointer is over the browser: the back button
    // belongs to the browser, where it runs the global action and reaches no program.
    ASSERT_TRUE(testing_support::RunXdotool(browser.PointerOver() + L" click 8"));
    EXPECT_TRUE(WaitUntil([&] { return StartsRecorded(globalBack) == 1; }));

    // The browser has the front, the pointer is over the drawing program, which switched the
    // back button off: the click reaches it untouched, and nothing runs.
    ASSERT_TRUE(BringToFront(browser));
    ASSERT_TRUE(testing_support::RunXdotool(drawing.PointerOver() + L" click 8"));
    EXPECT_TRUE(WaitUntil([&] { return drawing.Count(VK_XBUTTON1) == 1; }));
    ASSERT_TRUE(BringToFront(browser));
    EXPECT_EQ(StartsRecorded(globalBack), 1);
    EXPECT_EQ(browser.Count(VK_XBUTTON1), 0);
    EXPECT_EQ(StartsRecorded(globalPause), globalStarts + 1);
    EXPECT_TRUE(agent_->IsRunning());
}

}  // namespace
}  // namespace e2e
