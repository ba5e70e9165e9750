// Message maps: which handler a message reaches, decided by message, notification code
// and control id, derived tables before base tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/test_pages.h"
#include "support/recording_os.h"

namespace framework_test {
namespace {

std::vector<std::string> calls;

class BaseTarget : public CWnd {
  public:
    void OnBaseNotify(NMHDR*, LRESULT* result) {
        calls.push_back("base notify");
        *result = 11;
    }
    void OnBaseCommand() { calls.push_back("base command"); }
    void OnSharedNotify(NMHDR*, LRESULT*) { calls.push_back("base shared"); }
    LRESULT OnApp(WPARAM wParam, LPARAM lParam) {
        calls.push_back("app");
        return static_cast<LRESULT>(wParam + lParam);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseTarget, CWnd)
ON_NOTIFY(100, 7, &BaseTarget::OnBaseNotify)
ON_NOTIFY(200, 7, &BaseTarget::OnSharedNotify)
ON_COMMAND(5, &BaseTarget::OnBaseCommand)
ON_MESSAGE(WM_APP + 3, &BaseTarget::OnApp)
END_MESSAGE_MAP()

class DerivedTarget : public BaseTarget {
  public:
    void OnDerivedShared(NMHDR*, LRESULT*) { calls.push_back("derived shared"); }
    void OnClicked() { calls.push_back("clicked"); }
    void OnPassedOn() {
        calls.push_back("passed on");
        Default();
    }
    void OnStaticClicked() { calls.push_back("static clicked"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedTarget, BaseTarget)
ON_NOTIFY(200, 7, &DerivedTarget::OnDerivedShared)
ON_BN_CLICKED(9, &DerivedTarget::OnClicked)
ON_CBN_SELCHANGE(9, &DerivedTarget::OnPassedOn)
ON_BN_CLICKED(-1, &DerivedTarget::OnStaticClicked)
END_MESSAGE_MAP()

class MessageMapTest : public ::testing::Test {
  protected:
    void SetUp() override { calls.clear(); }

    bool Notify(UINT code, UINT_PTR id, LRESULT* result = nullptr) {
        NMHDR header = {nullptr, id, code};
        LRESULT ignored = 0;
        return target.OnWndMsg(WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header),
                               result ? result : &ignored);
    }
    bool Command(WORD id, WORD code) {
        LRESULT ignored = 0;
        return target.OnWndMsg(WM_COMMAND, MAKEWPARAM(id, code), 0, &ignored);
    }

    DerivedTarget target;
};

TEST_F(MessageMapTest, TheDerivedEntryWinsOverTheBaseEntryForTheSameCodeAndId) {
    EXPECT_TRUE(Notify(200, 7));
    EXPECT_EQ(calls, std::vector<std::string>({"derived shared"}));
}

TEST_F(MessageMapTest, AMessageTheDerivedMapLacksReachesTheBaseMapWithItsResult) {
    LRESULT result = 0;
    EXPECT_TRUE(Notify(100, 7, &result));
    EXPECT_EQ(calls, std::vector<std::string>({"base notify"}));
    EXPECT_EQ(result, 11);
}

TEST_F(MessageMapTest, NotificationsOfAnotherCodeOrControlReachNoHandler) {
    EXPECT_FALSE(Notify(100, 8));
    EXPECT_FALSE(Notify(101, 7));
    EXPECT_TRUE(calls.empty());
}

TEST_F(MessageMapTest, CommandsAreRoutedByNotificationCodeAndId) {
    EXPECT_TRUE(Command(9, BN_CLICKED));
    EXPECT_TRUE(Command(5, 0));
    EXPECT_FALSE(Command(9, CBN_DROPDOWN));
    EXPECT_FALSE(Command(6, BN_CLICKED));
    EXPECT_TRUE(Command(0xFFFF, BN_CLICKED));  // the control id -1 in a 16-bit field
    EXPECT_EQ(calls, std::vector<std::string>({"clicked", "base command", "static clicked"}));
}

TEST_F(MessageMapTest, AHandlerCallingDefaultLeavesTheMessageUnhandled) {
    EXPECT_FALSE(Command(9, CBN_SELCHANGE));
    EXPECT_EQ(calls, std::vector<std::string>({"passed on"}));
    // The next message is handled again: Default() marked only the one it was called for.
    EXPECT_TRUE(Command(9, BN_CLICKED));
}

TEST_F(MessageMapTest, AnyMessageCanBeMappedWithItsParametersAndAnswer) {
    LRESULT result = 0;
    EXPECT_TRUE(target.OnWndMsg(WM_APP + 3, 4, 5, &result));
    EXPECT_EQ(result, 9);
    EXPECT_FALSE(target.OnWndMsg(WM_APP + 4, 4, 5, &result));
}

TEST_F(MessageMapTest, ANotificationWithoutHeaderReachesNoHandler) {
    LRESULT result = 0;
    EXPECT_FALSE(target.OnWndMsg(WM_NOTIFY, 7, 0, &result));
    EXPECT_TRUE(calls.empty());
}

// The same routing with real controls of a page inside a sheet.
class PageRoutingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&controls);
        Events().clear();
        sheet.AddPage(&page);
        ASSERT_TRUE(sheet.Create());
        Events().clear();
        for (int list : {IDC_TEST_LIST, IDC_TEST_OTHER_LIST}) {
            CListCtrl rows;
            rows.m_hWnd = page.GetDlgItem(list);  // not bound: just filled
            rows.InsertColumn(0, L"c", LVCFMT_LEFT, 50);
            rows.InsertItem(0, L"a");
            rows.InsertItem(1, L"b");
            rows.m_hWnd = nullptr;
        }
    }
    void TearDown() override { sheet.DestroyWindow(); }

    void Select(int list, int row) {
        LVITEMW state = {};
        state.state = state.stateMask = LVIS_SELECTED;
        SendDlgItemMessageW(page.m_hWnd, list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                            reinterpret_cast<LPARAM>(&state));
    }

    testing_support::RecordingOs os;
    TestPage page{"Page", IDD_TEST_FIRST};
    CPropertySheet sheet{L"Routing"};
};

TEST_F(PageRoutingTest, AListNotificationReachesOnlyTheHandlerOfItsControl) {
    Select(IDC_TEST_OTHER_LIST, 1);
    EXPECT_TRUE(Events().empty());

    Select(IDC_TEST_LIST, 1);
    EXPECT_EQ(Events(), std::vector<std::string>({"Page.ListChanged:1"}));
}

TEST_F(PageRoutingTest, AHandlersResultReachesTheControl) {
    page.refuseChanging = true;
    Select(IDC_TEST_LIST, 1);

    EXPECT_EQ(page.m_list.GetNextItem(-1, LVNI_SELECTED), -1);
    EXPECT_TRUE(Events().empty());

    page.refuseChanging = false;
    Select(IDC_TEST_LIST, 1);
    EXPECT_EQ(page.m_list.GetNextItem(-1, LVNI_SELECTED), 1);
}

TEST_F(PageRoutingTest, ComboSelectionChangesAreRoutedByCodeAndId) {
    HWND combo = page.GetDlgItem(IDC_TEST_COMBO);
    page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEST_COMBO, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
    page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEST_COMBO, CBN_DROPDOWN),
                     reinterpret_cast<LPARAM>(combo));
    page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEST_EDIT_COMBO, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(page.GetDlgItem(IDC_TEST_EDIT_COMBO)));

    EXPECT_EQ(Events(), std::vector<std::string>({"Page.ComboChanged"}));
}

TEST_F(PageRoutingTest, AScrollNamesTheBoundControlThatSentIt) {
    page.SendMessage(WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 42),
                     reinterpret_cast<LPARAM>(page.m_slider.m_hWnd));

    EXPECT_EQ(page.lastScrollControl, &page.m_slider);
    EXPECT_EQ(Events(), std::vector<std::string>({"Page.HScroll:5:42"}));
}

TEST_F(PageRoutingTest, AScrollFromAnUnboundControlStillCarriesItsId) {
    page.SendMessage(WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
                     reinterpret_cast<LPARAM>(page.GetDlgItem(IDC_TEST_LABEL)));

    EXPECT_EQ(page.lastScrollControlId, IDC_TEST_LABEL);
}

TEST_F(PageRoutingTest, ARealTrackbarMoveReachesTheScrollHandler) {
    page.m_slider.SetRange(0, 100, TRUE);
    page.m_slider.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);

    EXPECT_EQ(page.lastScrollControl, &page.m_slider);
    EXPECT_EQ(page.m_slider.GetPos(), 1);
}

}  // namespace
}  // namespace framework_test
