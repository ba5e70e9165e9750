// The Timing page in a modeless sheet of this thread, driven through its real controls:
// what it shows for what is stored, how the numbers follow the thumbs, what it writes
// when its window goes, and the check of the double-press label.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "customizer/timing_page.h"
#include "support/message_pump.h"
#include "support/recording_os.h"
#include "support/registry.h"

namespace {

using testing_support::DeleteKeyTree;
using testing_support::DispatchPending;
using testing_support::ReadDwordValue;
using testing_support::SetDword;

// The Timing page and a plain neighbour page to leave it for, in one sheet.
class TimingSheet {
  public:
    // `timingFirst`: whether the sheet opens on the Timing page.
    explicit TimingSheet(bool timingFirst) : sheet(L"Timing") {
        sheet.AddPage(&page);
        sheet.AddPage(&neighbour);
        sheet.SetActivePage(timingFirst ? 0 : 1);
        created = sheet.Create() != FALSE;
    }
    ~TimingSheet() { Close(); }

    // What closing the sheet does to the pages: their windows are destroyed.
    void Close() {
        if (sheet.m_hWnd) {
            sheet.DestroyWindow();
        }
    }

    // Chooses tab `index`; false when the current page refused to be left.
    bool Select(int index) {
        return SendMessageW(sheet.m_hWnd, PSM_SETCURSEL, index, 0) != 0 &&
               CurrentPage() == sheet.GetPage(index)->m_hWnd;
    }
    HWND CurrentPage() const {
        return reinterpret_cast<HWND>(SendMessageW(sheet.m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0));
    }
    void PressOk() {
        SendMessageW(sheet.m_hWnd, PSM_PRESSBUTTON, PSBTN_OK, 0);
        DispatchPending();
    }

    HWND Item(int id) const { return GetDlgItem(page.m_hWnd, id); }
    std::wstring Label(int id) const {
        wchar_t text[64] = {};
        GetWindowTextW(Item(id), text, 64);
        return text;
    }
    LRESULT Position(int id) const { return SendMessageW(Item(id), TBM_GETPOS, 0, 0); }

    // Pages first: the sheet's window, destroyed with the sheet, still finds them alive.
    KestrelConfigProp2 page;
    CPropertyPage neighbour{IDD_PAGE_TIMING};
    CPropertySheet sheet;
    bool created = false;
};

class TimingPageTest : public ::testing::Test {
  protected:
    void SetUp() override { DeleteKeyTree(HKEY_CURRENT_USER, kestrel::kProductKeyPath); }

    static void Store(const wchar_t* name, DWORD value) {
        SetDword(HKEY_CURRENT_USER, kestrel::kProductKeyPath, name, value);
    }
    static DWORD Stored(const wchar_t* name) {
        DWORD value = 0xDEADBEEF;
        ReadDwordValue(HKEY_CURRENT_USER, kestrel::kProductKeyPath, name, value);
        return value;
    }
    static bool IsStored(const wchar_t* name) {
        DWORD value = 0;
        return ReadDwordValue(HKEY_CURRENT_USER, kestrel::kProductKeyPath, name, value);
    }

    std::unique_ptr<TimingSheet> Open() {
        auto sheet = std::make_unique<TimingSheet>(true);
        EXPECT_TRUE(sheet->created);
        EXPECT_NE(sheet->page.m_hWnd, nullptr);
        return sheet;
    }

    size_t MessageBoxes() const {
        size_t count = 0;
        for (const std::string& call : os.calls) {
            count += call.rfind("MessageBox(", 0) == 0;
        }
        return count;
    }

    testing_support::RecordingOs os;
};

// --- Showing what is stored ---------------------------------------------------------------

class TimingPageShowsTest : public TimingPageTest {};

TEST_F(TimingPageShowsTest, DefaultsWhenNothingIsStoredAndNoKeyIsMade) {
    auto sheet = Open();
    EXPECT_FALSE(testing_support::KeyExists(HKEY_CURRENT_USER, kestrel::kProductKeyPath));
    EXPECT_EQ(sheet->Label(IDC_LABEL_DOUBLE), L"150");
    EXPECT_EQ(sheet->Label(IDC_LABEL_HOLD), L"500");
    EXPECT_EQ(sheet->Position(IDC_SLIDER_DOUBLE), 150);
    EXPECT_EQ(sheet->Position(IDC_SLIDER_HOLD), 500);
}

TEST_F(TimingPageShowsTest, StoredValuesAsReadWithThumbsClampedToTheRanges) {
    struct Case {
        DWORD doubleTime, holdTime;
        const wchar_t* doubleLabel;
        const wchar_t* holdLabel;
        LRESULT doublePos, holdPos;
    };
    const Case cases[] = {
        {250, 800, L"250", L"800", 250, 800},
        {100, 300, L"100", L"300", 100, 300},
        {500, 1000, L"500", L"1000", 500, 1000},
        {50, 2000, L"50", L"2000", 100, 1000},
        {0, 0, L"0", L"0", 100, 300},
        // "%d" of a value beyond the signed range.
        {0xFFFFFFFF, 0x80000000, L"-1", L"-2147483648", 100, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.doubleLabel);
        Store(kestrel::kValueDoubleTime, c.doubleTime);
        Store(kestrel::kValueHoldTime, c.holdTime);
        auto sheet = Open();
        EXPECT_EQ(sheet->Label(IDC_LABEL_DOUBLE), c.doubleLabel);
        EXPECT_EQ(sheet->Label(IDC_LABEL_HOLD), c.holdLabel);
        EXPECT_EQ(sheet->Position(IDC_SLIDER_DOUBLE), c.doublePos);
        EXPECT_EQ(sheet->Position(IDC_SLIDER_HOLD), c.holdPos);
        sheet.reset();
    }
}

TEST_F(TimingPageShowsTest, AMissingValueKeepsItsDefaultAlone) {
    Store(kestrel::kValueHoldTime, 700);
    auto sheet = Open();
    EXPECT_EQ(sheet->Label(IDC_LABEL_DOUBLE), L"150");
    EXPECT_EQ(sheet->Label(IDC_LABEL_HOLD), L"700");
}

TEST_F(TimingPageShowsTest, SlidersHaveTheirRangesAndATickEveryHundred) {
    auto sheet = Open();
    HWND doubleSlider = sheet->Item(IDC_SLIDER_DOUBLE);
    HWND holdSlider = sheet->Item(IDC_SLIDER_HOLD);
    EXPECT_EQ(SendMessageW(doubleSlider, TBM_GETRANGEMIN, 0, 0), 100);
    EXPECT_EQ(SendMessageW(doubleSlider, TBM_GETRANGEMAX, 0, 0), 500);
    EXPECT_EQ(SendMessageW(holdSlider, TBM_GETRANGEMIN, 0, 0), 300);
    EXPECT_EQ(SendMessageW(holdSlider, TBM_GETRANGEMAX, 0, 0), 1000);
    // Marks at 100, 200, ... 500 and at 300, 400, ... 1000.
    EXPECT_EQ(SendMessageW(doubleSlider, TBM_GETNUMTICS, 0, 0), 5);
    EXPECT_EQ(SendMessageW(holdSlider, TBM_GETNUMTICS, 0, 0), 8);
}

// --- Following the thumbs --------------------------------------------------------------

class TimingPageFollowsTest : public TimingPageTest {
  protected:
    // A drag of the thumb of slider `id` by `dx` pixels; `release` lets go at the end.
    static void Drag(HWND slider, int dx, bool release) {
        RECT thumb = {};
        SendMessageW(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        const int x = (thumb.left + thumb.right) / 2;
        const int y = (thumb.top + thumb.bottom) / 2;
        SendMessageW(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx, y));
        if (release) {
            SendMessageW(slider, WM_LBUTTONUP, 0, MAKELPARAM(x + dx, y));
        }
    }
};

TEST_F(TimingPageFollowsTest, LabelChangesWhileTheThumbIsStillHeld) {
    auto sheet = Open();
    HWND slider = sheet->Item(IDC_SLIDER_DOUBLE);
    Drag(slider, 40, false);
    const LRESULT moved = sheet->Position(IDC_SLIDER_DOUBLE);
    EXPECT_GT(moved, 150);
    EXPECT_EQ(sheet->Label(IDC_LABEL_DOUBLE), std::to_wstring(moved));
    SendMessageW(slider, WM_LBUTTONUP, 0, 0);
    ReleaseCapture();
    // The other slider's number stays.
    EXPECT_EQ(sheet->Label(IDC_LABEL_HOLD), L"500");
}

TEST_F(TimingPageFollowsTest, EachKeyboardStepMovesTheNumberOfItsOwnSlider) {
    auto sheet = Open();
    HWND hold = sheet->Item(IDC_SLIDER_HOLD);
    SendMessageW(hold, WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageW(hold, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(sheet->Label(IDC_LABEL_HOLD), std::to_wstring(sheet->Position(IDC_SLIDER_HOLD)));
    EXPECT_EQ(sheet->Position(IDC_SLIDER_HOLD), 502);
    SendMessageW(hold, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(sheet->Label(IDC_LABEL_HOLD), L"1000");
    EXPECT_EQ(sheet->Label(IDC_LABEL_DOUBLE), L"150");

    HWND doubleSlider = sheet->Item(IDC_SLIDER_DOUBLE);
    SendMessageW(doubleSlider, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(sheet->Label(IDC_LABEL_DOUBLE), L"100");
    EXPECT_EQ(sheet->Label(IDC_LABEL_HOLD), L"1000");
}

TEST_F(TimingPageFollowsTest, MovingAThumbReplacesAnOutOfRangeNumber) {
    Store(kestrel::kValueDoubleTime, 50);
    auto sheet = Open();
    ASSERT_EQ(sheet->Label(IDC_LABEL_DOUBLE), L"50");
    SendMessageW(sheet->Item(IDC_SLIDER_DOUBLE), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(sheet->Label(IDC_LABEL_DOUBLE), L"101");
}

TEST_F(TimingPageFollowsTest, AScrollWithoutASendingControlChangesNoNumber) {
    auto sheet = Open();
    SendMessageW(sheet->page.m_hWnd, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 400), 0);
    EXPECT_EQ(sheet->Label(IDC_LABEL_DOUBLE), L"150");
    EXPECT_EQ(sheet->Label(IDC_LABEL_HOLD), L"500");
}

// --- Writing on destruction ------------------------------------------------------------

class TimingPageWritesTest : public TimingPageTest {};

TEST_F(TimingPageWritesTest, SliderPositionsAreWrittenWhenThePageGoes) {
    Store(kestrel::kValueDoubleTime, 300);
    Store(kestrel::kValueHoldTime, 700);
    auto sheet = Open();
    SendMessageW(sheet->Item(IDC_SLIDER_DOUBLE), WM_KEYDOWN, VK_PRIOR, 0);  // a page step
    const LRESULT doublePos = sheet->Position(IDC_SLIDER_DOUBLE);
    EXPECT_NE(doublePos, 300);
    // Nothing is written while the page is open.
    EXPECT_EQ(Stored(kestrel::kValueDoubleTime), 300u);

    sheet->Close();

    EXPECT_EQ(Stored(kestrel::kValueDoubleTime), static_cast<DWORD>(doublePos));
    EXPECT_EQ(Stored(kestrel::kValueHoldTime), 700u);
}

TEST_F(TimingPageWritesTest, OutOfRangeValuesComeBackClamped) {
    Store(kestrel::kValueDoubleTime, 50);
    Store(kestrel::kValueHoldTime, 2000);
    Open()->Close();
    EXPECT_EQ(Stored(kestrel::kValueDoubleTime), 100u);
    EXPECT_EQ(Stored(kestrel::kValueHoldTime), 1000u);
}

TEST_F(TimingPageWritesTest, DefaultsAreWrittenWhenNothingWasStored) {
    Open()->Close();
    EXPECT_EQ(Stored(kestrel::kValueDoubleTime), 150u);
    EXPECT_EQ(Stored(kestrel::kValueHoldTime), 500u);
}

TEST_F(TimingPageWritesTest, RestoreDefaultsMovesTheSlidersAndWritesOnlyWhenThePageGoes) {
    Store(kestrel::kValueDoubleTime, 400);
    Store(kestrel::kValueHoldTime, 900);
    auto sheet = Open();
    SendMessageW(sheet->Item(IDC_RESTORE_DEFAULTS), BM_CLICK, 0, 0);
    EXPECT_EQ(sheet->Position(IDC_SLIDER_DOUBLE), 150);
    EXPECT_EQ(sheet->Position(IDC_SLIDER_HOLD), 500);
    EXPECT_EQ(sheet->Label(IDC_LABEL_DOUBLE), L"150");
    EXPECT_EQ(sheet->Label(IDC_LABEL_HOLD), L"500");
    EXPECT_EQ(Stored(kestrel::kValueDoubleTime), 400u);

    sheet->Close();

    EXPECT_EQ(Stored(kestrel::kValueDoubleTime), 150u);
    EXPECT_EQ(Stored(kestrel::kValueHoldTime), 500u);
}

TEST_F(TimingPageWritesTest, APageNeverShownReadsAndWritesNothing) {
    Store(kestrel::kValueDoubleTime, 50);
    auto sheet = std::make_unique<TimingSheet>(false);
    ASSERT_TRUE(sheet->created);
    EXPECT_EQ(sheet->page.m_hWnd, nullptr);
    sheet->Close();
    EXPECT_EQ(Stored(kestrel::kValueDoubleTime), 50u);
    EXPECT_FALSE(IsStored(kestrel::kValueHoldTime));
}

TEST_F(TimingPageWritesTest, APageShownOnceStillWritesAfterTheUserLeftIt) {
    auto sheet = std::make_unique<TimingSheet>(false);
    ASSERT_TRUE(sheet->Select(0));
    SendMessageW(sheet->Item(IDC_SLIDER_HOLD), WM_KEYDOWN, VK_END, 0);
    ASSERT_TRUE(sheet->Select(1));
    sheet->Close();
    EXPECT_EQ(Stored(kestrel::kValueDoubleTime), 150u);
    EXPECT_EQ(Stored(kestrel::kValueHoldTime), 1000u);
}

// --- The check of the double-press label -----------------------------------------------

class TimingPageValidationTest : public TimingPageTest {};

TEST_F(TimingPageValidationTest, AFourCharacterLabelKeepsThePageWithTheFrameworksMessage) {
    Store(kestrel::kValueDoubleTime, 1000);
    auto sheet = Open();
    ASSERT_EQ(sheet->Label(IDC_LABEL_DOUBLE), L"1000");

    EXPECT_FALSE(sheet->Select(1));
    EXPECT_EQ(sheet->CurrentPage(), sheet->page.m_hWnd);
    EXPECT_EQ(MessageBoxes(), 1u);

    // OK is refused the same way.
    sheet->PressOk();
    EXPECT_EQ(sheet->CurrentPage(), sheet->page.m_hWnd);
    EXPECT_EQ(MessageBoxes(), 2u);
    EXPECT_EQ(Stored(kestrel::kValueDoubleTime), 1000u);

    // Restoring the defaults shortens the label: the page can be left without a word.
    SendMessageW(sheet->Item(IDC_RESTORE_DEFAULTS), BM_CLICK, 0, 0);
    EXPECT_TRUE(sheet->Select(1));
    EXPECT_EQ(MessageBoxes(), 2u);
}

TEST_F(TimingPageValidationTest, MovingTheSliderAlsoLiftsTheRefusal) {
    Store(kestrel::kValueDoubleTime, 1000);
    auto sheet = Open();
    ASSERT_FALSE(sheet->Select(1));
    SendMessageW(sheet->Item(IDC_SLIDER_DOUBLE), WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(sheet->Label(IDC_LABEL_DOUBLE), L"499");
    EXPECT_TRUE(sheet->Select(1));
    EXPECT_EQ(MessageBoxes(), 1u);
}

TEST_F(TimingPageValidationTest, ThreeCharactersAndALongHoldLabelPass) {
    Store(kestrel::kValueDoubleTime, 999);
    Store(kestrel::kValueHoldTime, 20000);
    auto sheet = Open();
    EXPECT_TRUE(sheet->Select(1));
    EXPECT_EQ(MessageBoxes(), 0u);
}

TEST_F(TimingPageValidationTest, ClosingWithoutOkDoesNotCheckAndStillWrites) {
    Store(kestrel::kValueDoubleTime, 1000);
    auto sheet = Open();
    sheet->Close();
    EXPECT_EQ(MessageBoxes(), 0u);
    EXPECT_EQ(Stored(kestrel::kValueDoubleTime), 500u);
}

// --- Its runtime class -----------------------------------------------------------------

TEST(TimingPageClassTest, IsNamedAndCreatableByName) {
    const CRuntimeClass* record = RUNTIME_CLASS(KestrelConfigProp2);
    EXPECT_STREQ(record->m_lpszClassName, "KestrelConfigProp2");
    EXPECT_EQ(record->m_pBaseClass, RUNTIME_CLASS(CPropertyPage));
    EXPECT_EQ(CRuntimeClass::FromName("KestrelConfigProp2"), record);

    std::unique_ptr<CObject> made(CRuntimeClass::CreateObject("KestrelConfigProp2"));
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(KestrelConfigProp2)));
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CPropertyPage)));
    auto* page = static_cast<KestrelConfigProp2*>(made.get());
    EXPECT_EQ(page->GetTemplateId(), static_cast<UINT>(IDD_PAGE_TIMING));
    EXPECT_TRUE(page->m_strDouble.IsEmpty());
}

}  // namespace
