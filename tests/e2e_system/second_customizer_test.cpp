// Two starts of the real customizer: the second leaves the open sheet as it is, brings it
// to the front and ends; a customizer that died leaves nothing that stops the next.
#include "e2e_system/system_fixture.h"
#include "support/test_window.h"

namespace e2e {
namespace {

class SecondCustomizerTest : public SystemFixture {
  protected:
    // Every sheet on the screen, of any process.
    static int SheetsShown() {
        int count = 0;
        HWND window = nullptr;
        while ((window = FindWindowExW(nullptr, window, L"#32770", kSheetTitle)) != nullptr) {
            count += IsWindowVisible(window) ? 1 : 0;
        }
        return count;
    }
};

TEST_F(SecondCustomizerTest, ASecondStartBringsTheOpenSheetToTheFrontUnchangedAndEnds) {
    StoreTimes(300, 800);
    ASSERT_NO_FATAL_FAILURE(StartCustomizerOnTimingPage());
    RestoreDefaults(page_);  // not stored until OK
    ASSERT_EQ(Label(page_, IDC_LABEL_DOUBLE), L"150");
    // The user went on in another program.
    HWND other = testing_support::MakeTestWindow(L"SecondCustomizerOther", DefWindowProcW,
                                                 WS_POPUP | WS_VISIBLE, 200, 100);
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }));

    auto second = StartCustomizer();
    EXPECT_TRUE(second->WaitForExit()) << "the second customizer is still running";
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == sheet_.Window(); }));
    EXPECT_EQ(SheetsShown(), 1);
    EXPECT_TRUE(Sheet::IsTimingPage(sheet_.CurrentPage()));
    EXPECT_EQ(Label(page_, IDC_LABEL_DOUBLE), L"150");
    EXPECT_EQ(StoredDword(kestrel::kValueDoubleTime), 300u);
    DestroyWindow(other);

    // What the first one shows is what it stores.
    CloseWith(*customizer_, sheet_, PSBTN_OK);
    EXPECT_EQ(StoredDword(kestrel::kValueDoubleTime), 150u);
    EXPECT_EQ(StoredDword(kestrel::kValueHoldTime), 500u);
}

TEST_F(SecondCustomizerTest, ASecondStartBringsTheQuestionTheSheetAsksToTheFront) {
    StoreTimes(1000, 600);  // a double label the page refuses to leave
    ASSERT_NO_FATAL_FAILURE(StartCustomizerOnTimingPage());
    sheet_.Select(0);
    HWND box = WaitForMessageBox(customizer_->Id(), sheet_.Window());
    ASSERT_NE(box, nullptr);
    HWND other = testing_support::MakeTestWindow(L"SecondCustomizerOther", DefWindowProcW,
                                                 WS_POPUP | WS_VISIBLE, 200, 100);
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }));

    auto second = StartCustomizer();
    EXPECT_TRUE(second->WaitForExit());
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == box; }));
    DestroyWindow(other);
    ASSERT_TRUE(Dismiss(box));
    CloseWith(*customizer_, sheet_, PSBTN_CANCEL);
}

TEST_F(SecondCustomizerTest, ACustomizerThatDiedDoesNotKeepTheNextFromOpening) {
    auto first = StartCustomizer();
    ASSERT_TRUE(Sheet::Find(first->Id()).Exists());
    TerminateProcess(first->Handle(), 3);
    ASSERT_TRUE(first->WaitForExit());

    auto next = StartCustomizer();
    Sheet sheet = Sheet::Find(next->Id());
    ASSERT_TRUE(sheet.Exists());
    CloseWith(*next, sheet, PSBTN_CANCEL);
}

}  // namespace
}  // namespace e2e
