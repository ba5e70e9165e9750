// The Timing page inside the running customizer: what it shows for what is stored, what
// it writes back, and the check of the double-press label.
#include "e2e_system/system_fixture.h"

namespace e2e {
namespace {

class TimingPageSystemTest : public SystemFixture {
  protected:
    // Waits for the message that refuses a four-digit double label, and answers it.
    void DismissRefusal(const char* when) {
        HWND box = WaitForMessageBox(customizer_->Id(), sheet_.Window());
        ASSERT_NE(box, nullptr) << "no validation message " << when;
        ASSERT_TRUE(Dismiss(box));
        Pump(300);
    }
};

TEST_F(TimingPageSystemTest, ValuesOutsideTheRangesAreShownAsStoredAndWrittenClamped) {
    StoreTimes(50, 2000);
    ASSERT_NO_FATAL_FAILURE(StartCustomizerOnTimingPage());
    // The labels show what was read; the thumbs stand at the ends of their ranges.
    EXPECT_EQ(Label(page_, IDC_LABEL_DOUBLE), L"50");
    EXPECT_EQ(Label(page_, IDC_LABEL_HOLD), L"2000");
    EXPECT_EQ(SliderPosition(page_, IDC_SLIDER_DOUBLE), 100);
    EXPECT_EQ(SliderPosition(page_, IDC_SLIDER_HOLD), 1000);

    // The hold label is not checked, so OK closes the sheet.
    CloseWith(*customizer_, sheet_, PSBTN_OK);

    EXPECT_EQ(StoredDword(kestrel::kValueDoubleTime), 100u);
    EXPECT_EQ(StoredDword(kestrel::kValueHoldTime), 1000u);
}

TEST_F(TimingPageSystemTest, APageNeverOpenedWritesNothingEvenOnOk) {
    StoreTimes(50, 2000);
    auto customizer = StartCustomizer();
    Sheet sheet = Sheet::Find(customizer->Id());
    ASSERT_TRUE(sheet.Exists());

    CloseWith(*customizer, sheet, PSBTN_OK);

    EXPECT_EQ(StoredDword(kestrel::kValueDoubleTime), 50u);
    EXPECT_EQ(StoredDword(kestrel::kValueHoldTime), 2000u);
    // The sheet did close normally: the Button page wrote.
    EXPECT_EQ(StoredButtonName(kFirstButton), kFirstButtonName);
}

TEST_F(TimingPageSystemTest, AFourDigitDoubleLabelKeepsThePageAndTheSheetOpen) {
    StoreTimes(1000, 600);
    ASSERT_NO_FATAL_FAILURE(StartCustomizerOnTimingPage());
    EXPECT_EQ(Label(page_, IDC_LABEL_DOUBLE), L"1000");

    // Leaving for the Button page is refused with a message.
    sheet_.Select(0);
    ASSERT_NO_FATAL_FAILURE(DismissRefusal("when leaving the page"));
    EXPECT_TRUE(Sheet::IsTimingPage(sheet_.CurrentPage()));

    // So is OK.
    sheet_.Press(PSBTN_OK);
    ASSERT_NO_FATAL_FAILURE(DismissRefusal("on OK"));
    EXPECT_TRUE(customizer_->IsRunning());
    EXPECT_TRUE(sheet_.Exists());
    EXPECT_TRUE(Sheet::IsTimingPage(sheet_.CurrentPage()));
    EXPECT_EQ(StoredDword(kestrel::kValueDoubleTime), 1000u);

    // Restoring the defaults makes the label short again, and OK goes through.
    RestoreDefaults(page_);
    EXPECT_EQ(Label(page_, IDC_LABEL_DOUBLE), L"150");
    CloseWith(*customizer_, sheet_, PSBTN_OK);
    EXPECT_EQ(customizer_->ExitCode(), 0u);
    EXPECT_EQ(StoredDword(kestrel::kValueDoubleTime), 150u);
    EXPECT_EQ(StoredDword(kestrel::kValueHoldTime), 500u);
}

TEST_F(TimingPageSystemTest, CancelClosesDespiteAFourDigitDoubleLabel) {
    StoreTimes(1000, 600);
    ASSERT_NO_FATAL_FAILURE(StartCustomizerOnTimingPage());

    CloseWith(*customizer_, sheet_, PSBTN_CANCEL);

    // Not even clamped: Cancel writes nothing.
    EXPECT_EQ(StoredDword(kestrel::kValueDoubleTime), 1000u);
    EXPECT_EQ(StoredDword(kestrel::kValueHoldTime), 600u);
}

}  // namespace
}  // namespace e2e
