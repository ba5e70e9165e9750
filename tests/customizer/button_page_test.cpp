// The Button page inside a real sheet: seeded platform button list and Start menu, driven
// through the controls' own messages, its settings checked in the registry afterwards.
#include "customizer/button_page.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/resource_ids.h"
#include "common/settings_schema.h"
#include "customizer/catalogues.h"
#include "button_page_sheet.h"
#include "support/button_settings.h"
#include "support/message_pump.h"
#include "support/recording_os.h"
#include "support/registry.h"
#include "support/start_menu.h"
#include "support/wine_programs.h"

using namespace kestrel;
using testing_support::ButtonKeyPath;
using testing_support::DispatchPending;
using testing_support::ReadStringValue;
using testing_support::RemoveTree;
using testing_support::SlotValueName;
using testing_support::StartMenuFolder;

namespace {

constexpr wchar_t kShell32[] = L"C:\\windows\\system32\\shell32.dll";

struct SeedButton {
    std::wstring keyName;
    std::wstring name;
    std::wstring icon;
};

std::wstring PlatformButtonPath(const std::wstring& keyName) {
    return std::wstring(kPlatformButtonsPath) + L"\\" + keyName;
}

void MakeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
}

class ButtonPageTest : public testing_support::ButtonPageSheet {
  protected:
    void SetUp() override {
        StartClean();
        programs = StartMenuFolder() + L"\\KestrelButtonPageTest";
        RemoveTree(programs);
        CreateDirectoryW(programs.c_str(), nullptr);
        SeedButtons({{L"40C1", L"ボタン 1", L""}, {L"40C2", L"ボタン 2", L""}});
    }
    void TearDown() override {
        CleanUp();
        RemoveTree(programs);
    }

    // The platform's button list holds exactly these, in this (name) order.
    void SeedButtons(const std::vector<SeedButton>& buttons) {
        testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, kPlatformButtonsPath);
        testing_support::CreateKey(HKEY_LOCAL_MACHINE, kPlatformButtonsPath);
        for (const SeedButton& button : buttons) {
            const std::wstring path = PlatformButtonPath(button.keyName);
            testing_support::SetString(HKEY_LOCAL_MACHINE, path, kValueName, button.name);
            testing_support::SetString(HKEY_LOCAL_MACHINE, path, kValueIcon, button.icon);
        }
    }
    void StoreSlot(const wchar_t* key, int n, DWORD mode, const std::wstring& command,
                   DWORD enabled) {
        const std::wstring path = ButtonKeyPath(key);
        testing_support::SetDword(HKEY_CURRENT_USER, path,
                                  SlotValueName(kValueSlotModeFormat, n).c_str(), mode);
        testing_support::SetString(HKEY_CURRENT_USER, path,
                                   SlotValueName(kValueSlotCmdFormat, n).c_str(), command);
        testing_support::SetDword(HKEY_CURRENT_USER, path,
                                  SlotValueName(kValueSlotEnabledFormat, n).c_str(), enabled);
    }

    // The user picks item `index` of the program box.
    void PickItem(int index) { PickFrom(IDC_COMBO_PROGRAM, index); }
    std::wstring BoxSelection() const {
        LRESULT index = SendMessageW(ProgramBox(), CB_GETCURSEL, 0, 0);
        if (index == CB_ERR) {
            return L"<none>";
        }
        wchar_t text[300] = {};
        SendMessageW(ProgramBox(), CB_GETLBTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(text));
        return text;
    }

    bool ModeChecked(int n) { return page.m_listMode.GetCheck(n) != FALSE; }

    DWORD StoredDword(const wchar_t* key, const std::wstring& name) {
        DWORD value = 0xDEADBEEF;
        testing_support::ReadDwordValue(HKEY_CURRENT_USER, ButtonKeyPath(key), name.c_str(), value);
        return value;
    }
    std::wstring StoredString(const wchar_t* key, const std::wstring& name) {
        return ReadStringValue(HKEY_CURRENT_USER, ButtonKeyPath(key), name.c_str());
    }
    DWORD StoredMode(const wchar_t* key, int n) {
        return StoredDword(key, SlotValueName(kValueSlotModeFormat, n));
    }
    std::wstring StoredCmd(const wchar_t* key, int n) {
        return StoredString(key, SlotValueName(kValueSlotCmdFormat, n));
    }
    DWORD StoredEnabled(const wchar_t* key, int n) {
        return StoredDword(key, SlotValueName(kValueSlotEnabledFormat, n));
    }

    std::wstring programs;
};

// ---------------------------------------------------------------------------------------

using FirstRunTest = ButtonPageTest;

TEST_F(FirstRunTest, EveryButtonShowsUnassignedSlotsAndTheEmptyProgramItem) {
    Open();

    ASSERT_EQ(page.m_listButton.GetItemCount(), 2);
    EXPECT_EQ(page.m_listButton.GetItemText(0, 0).Std(), L"ボタン 1");
    EXPECT_EQ(page.m_listButton.GetItemText(1, 0).Std(), L"ボタン 2");
    EXPECT_EQ(page.m_listButton.GetColumnCount(), 2);
    EXPECT_EQ(page.m_listMode.GetItemText(0, 0).Std(), L"ｼﾝｸﾞﾙ");
    EXPECT_EQ(page.m_listMode.GetItemText(1, 0).Std(), L"ﾀﾞﾌﾞﾙ");
    EXPECT_EQ(page.m_listMode.GetItemText(2, 0).Std(), L"ﾎｰﾙﾄﾞ");
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(Summary(row), L"_/_/_");
        EXPECT_FALSE(page.m_listButton.GetCheck(row));
    }
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(ModeText(n), L"");
        EXPECT_FALSE(ModeChecked(n));
    }
    EXPECT_EQ(SendMessageW(ProgramBox(), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(BoxSelection(), L"");
    EXPECT_EQ(page.m_listButton.GetNextItem(-1, LVNI_SELECTED), 0);
    EXPECT_EQ(page.m_listMode.GetNextItem(-1, LVNI_SELECTED), 0);
    // Loading makes no key: only OK does.
    EXPECT_FALSE(testing_support::KeyExists(HKEY_CURRENT_USER, ButtonKeyPath(L"40C1")));
    EXPECT_FALSE(testing_support::KeyExists(HKEY_CURRENT_USER, ButtonKeyPath(L"40C2")));
}

TEST_F(FirstRunTest, ClosingWritesTheNoAssignmentPairForEverySlotOfEveryButton) {
    Open();
    Close();

    for (const wchar_t* key : {L"40C1", L"40C2"}) {
        SCOPED_TRACE(testing_support::RecordingOs::Narrow(key));
        for (int n = 0; n < 3; ++n) {
            EXPECT_EQ(StoredMode(key, n), 0u);
            EXPECT_EQ(StoredCmd(key, n), L"\\");
            EXPECT_EQ(StoredEnabled(key, n), 0u);
        }
        EXPECT_EQ(StoredDword(key, kValueEnabled), 0u);
    }
    EXPECT_EQ(StoredString(L"40C1", kValueName), L"ボタン 1");
    EXPECT_EQ(StoredString(L"40C2", kValueName), L"ボタン 2");
}

// ---------------------------------------------------------------------------------------

using LoadingTest = ButtonPageTest;

// A pair that no entry matches is shown by a text of its own, and kept (see EditingTest).
TEST_F(LoadingTest, KnownPairsShowTheirNamesOthersATextOfTheirOwn) {
    SeedButtons(
        {{L"40C1", L"ボタン 1", L""}, {L"40C2", L"ボタン 2", L""}, {L"40C3", L"ボタン 3", L""}});
    MakeFile(programs + L"\\Notes.lnk");
    StoreSlot(L"40C1", 0, kActionKeySequence, L"#CC", 1);
    StoreSlot(L"40C1", 1, kActionKeySequence, L"#XX#YY", 1);  // no one combination
    StoreSlot(L"40C1", 2, kActionLatch, L"S", 0);             // no entry has type 4
    testing_support::SetDword(HKEY_CURRENT_USER, ButtonKeyPath(L"40C1"), kValueEnabled, 1);
    StoreSlot(L"40C2", 2, kActionProgram, programs + L"\\Notes.lnk", 1);
    // Commands match with case; "c" was always key 99, the keypad's 3.
    StoreSlot(L"40C2", 0, kActionKeySequence, L"#cc", 0);
    StoreSlot(L"40C3", 0, kActionProgram, L"C:\\windows\\notepad.exe", 1);
    StoreSlot(L"40C3", 1, kActionProgram, programs + L"\\Gone\\Old Mail.lnk", 1);
    StoreSlot(L"40C3", 2, kActionLatch, L"C", 1);
    Open();

    EXPECT_EQ(ModeText(0), L"［Ctrl+C］");
    EXPECT_EQ(ModeText(1), L"#XX#YY");
    EXPECT_EQ(ModeText(2), L"Shiftラッチ");
    EXPECT_TRUE(ModeChecked(0));
    EXPECT_TRUE(ModeChecked(1));
    EXPECT_FALSE(ModeChecked(2));
    EXPECT_TRUE(page.m_listButton.GetCheck(0));
    EXPECT_FALSE(page.m_listButton.GetCheck(1));
    EXPECT_EQ(Summary(0), L"［Ctrl+C］/#XX#YY/Shiftラッチ");
    EXPECT_EQ(Summary(1), L"［Ctrl+Num 3］/_/Notes");
    EXPECT_EQ(Summary(2), L"notepad.exe/Old Mail.lnk/Ctrlラッチ");
    EXPECT_EQ(BoxSelection(), L"［Ctrl+C］");

    SelectButton(1);
    EXPECT_EQ(ModeText(2), L"Notes");
    EXPECT_TRUE(ModeChecked(2));
    SelectMode(2);
    EXPECT_EQ(BoxSelection(), L"Notes");
    SelectMode(1);
    EXPECT_EQ(BoxSelection(), L"");  // unassigned: the no-assignment item
    SelectMode(0);
    EXPECT_EQ(BoxSelection(), L"<none>");  // no item stands for a kept pair
    SelectButton(2);
    EXPECT_EQ(ModeText(0), L"notepad.exe");
    EXPECT_EQ(ModeText(1), L"Old Mail.lnk");
}

TEST_F(LoadingTest, ACommandWithoutItsModeLeavesTheSlotUnassigned) {
    testing_support::SetString(HKEY_CURRENT_USER, ButtonKeyPath(L"40C1"), L"Cmd_0", L"#CC");
    Open();

    EXPECT_EQ(ModeText(0), L"");
    EXPECT_EQ(Summary(0), L"_/_/_");
}

// ---------------------------------------------------------------------------------------

using EditingTest = ButtonPageTest;

TEST_F(EditingTest, PickingAnItemAssignsTheSelectedSlotWithoutSwitchingItOn) {
    Open();
    SelectButton(1);
    SelectMode(2);
    Pick(L"［ESC］");

    EXPECT_EQ(ModeText(2), L"［ESC］");
    EXPECT_FALSE(ModeChecked(2));
    EXPECT_EQ(Summary(1), L"_/_/［ESC］");
    EXPECT_EQ(Summary(0), L"_/_/_");
    Close();

    EXPECT_EQ(StoredMode(L"40C2", 2), 2u);
    EXPECT_EQ(StoredCmd(L"40C2", 2), L"#&#");
    EXPECT_EQ(StoredEnabled(L"40C2", 2), 0u);
    for (int n = 0; n < 2; ++n) {
        EXPECT_EQ(StoredCmd(L"40C2", n), L"\\");
    }
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(StoredCmd(L"40C1", n), L"\\");
    }
}

TEST_F(EditingTest, EachPressKindKeepsItsOwnAssignmentAndType) {
    Open();
    SelectMode(0);
    Pick(L"＜Today＞");
    SelectMode(1);
    Pick(L"＜標準ボタン＞");
    SelectMode(2);
    Pick(L"［Shift+←］");
    CheckMode(1, true);
    Close();

    EXPECT_EQ(StoredMode(L"40C1", 0), 1u);
    EXPECT_EQ(StoredCmd(L"40C1", 0), L"0");
    EXPECT_EQ(StoredMode(L"40C1", 1), 3u);
    EXPECT_EQ(StoredCmd(L"40C1", 1), L"");
    EXPECT_EQ(StoredMode(L"40C1", 2), 2u);
    EXPECT_EQ(StoredCmd(L"40C1", 2), L"#<S");
    EXPECT_EQ(StoredEnabled(L"40C1", 0), 0u);
    EXPECT_EQ(StoredEnabled(L"40C1", 1), 1u);
    EXPECT_EQ(StoredEnabled(L"40C1", 2), 0u);
}

TEST_F(EditingTest, PickingTheEmptyItemUnassignsASlot) {
    StoreSlot(L"40C1", 0, kActionKeySequence, L"#CC", 1);
    Open();
    PickItem(0);

    EXPECT_EQ(ModeText(0), L"");
    EXPECT_EQ(Summary(0), L"_/_/_");
    Close();
    EXPECT_EQ(StoredCmd(L"40C1", 0), L"\\");
    EXPECT_EQ(StoredEnabled(L"40C1", 0), 1u);
}

// The agent runs pairs the catalogue cannot offer: only the user's pick replaces one.
TEST_F(EditingTest, PickingAnyItemForAKeptSlotReplacesJustThatPair) {
    StoreSlot(L"40C1", 0, kActionProgram, L"C:\\windows\\notepad.exe", 1);
    StoreSlot(L"40C1", 1, kActionLatch, L"S", 1);
    StoreSlot(L"40C1", 2, kActionLatch, L"C", 1);
    Open();
    SelectMode(1);
    Pick(L"［ESC］");
    SelectMode(2);
    PickItem(0);  // the empty item is a pick too

    EXPECT_EQ(Summary(0), L"notepad.exe/［ESC］/_");
    Close();
    EXPECT_EQ(StoredMode(L"40C1", 0), 0u);
    EXPECT_EQ(StoredCmd(L"40C1", 0), L"C:\\windows\\notepad.exe");
    EXPECT_EQ(StoredMode(L"40C1", 1), 2u);
    EXPECT_EQ(StoredCmd(L"40C1", 1), L"#&#");
    EXPECT_EQ(StoredMode(L"40C1", 2), 0u);
    EXPECT_EQ(StoredCmd(L"40C1", 2), L"\\");
}

TEST_F(EditingTest, SwitchingBetweenButtonsKeepsEachButtonsCheckBoxes) {
    Open();
    CheckMode(0, true);
    SelectButton(1);
    EXPECT_FALSE(ModeChecked(0));
    CheckMode(2, true);
    SelectButton(0);
    EXPECT_TRUE(ModeChecked(0));
    EXPECT_FALSE(ModeChecked(2));
    SelectButton(1);
    EXPECT_TRUE(ModeChecked(2));
    EXPECT_FALSE(ModeChecked(0));
    Close();

    EXPECT_EQ(StoredEnabled(L"40C1", 0), 1u);
    EXPECT_EQ(StoredEnabled(L"40C1", 2), 0u);
    EXPECT_EQ(StoredEnabled(L"40C2", 0), 0u);
    EXPECT_EQ(StoredEnabled(L"40C2", 2), 1u);
}

TEST_F(EditingTest, ASlotCheckedAfterSwitchingTheButtonOnSurvivesSwitchingButtons) {
    Open();
    CheckButton(0, true);  // stores button 0 at once
    CheckMode(1, true);
    SelectButton(1);
    SelectButton(0);

    EXPECT_TRUE(ModeChecked(1));
    Close();
    EXPECT_EQ(StoredDword(L"40C1", kValueEnabled), 1u);
    EXPECT_EQ(StoredEnabled(L"40C1", 1), 1u);
    EXPECT_EQ(StoredDword(L"40C2", kValueEnabled), 0u);
    EXPECT_EQ(StoredEnabled(L"40C2", 1), 0u);
}

TEST_F(EditingTest, ClosingWithARowSelectedStoresItsCheckBoxes) {
    Open();
    SelectButton(1);
    CheckMode(0, true);
    CheckMode(2, true);
    CheckButton(1, true);
    Close();

    EXPECT_EQ(StoredEnabled(L"40C2", 0), 1u);
    EXPECT_EQ(StoredEnabled(L"40C2", 1), 0u);
    EXPECT_EQ(StoredEnabled(L"40C2", 2), 1u);
    EXPECT_EQ(StoredDword(L"40C2", kValueEnabled), 1u);
    EXPECT_EQ(StoredDword(L"40C1", kValueEnabled), 0u);
}

TEST_F(EditingTest, WithoutASelectedButtonPickingChangesNoSlot) {
    Open();
    SetRowState(IDC_LIST_BUTTONS, 0, 0, LVIS_SELECTED);
    Pick(L"［Enter］");

    EXPECT_EQ(Summary(0), L"_/_/_");
    EXPECT_EQ(Summary(1), L"_/_/_");
    Close();
    EXPECT_EQ(StoredCmd(L"40C1", 0), L"\\");
}

TEST_F(EditingTest, TwoProgramsWithOneNameAreListedTwiceAndTheLaterOneIsStored) {
    CreateDirectoryW((programs + L"\\A").c_str(), nullptr);
    CreateDirectoryW((programs + L"\\B").c_str(), nullptr);
    MakeFile(programs + L"\\A\\Notes.lnk");
    MakeFile(programs + L"\\B\\Notes.exe");
    Open();
    std::wstring later;
    int named = 0;
    for (const CommandEntry& entry : commandCatalogue) {
        if (entry.displayName == L"Notes") {
            later = entry.command;
            ++named;
        }
    }
    ASSERT_EQ(named, 2);
    LRESULT first = SendMessageW(ProgramBox(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(L"Notes"));
    LRESULT second = SendMessageW(ProgramBox(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(first),
                                  reinterpret_cast<LPARAM>(L"Notes"));
    ASSERT_NE(first, CB_ERR);
    ASSERT_NE(second, first);

    PickItem(static_cast<int>(first));
    SelectMode(1);
    PickItem(static_cast<int>(second));
    Close();

    EXPECT_EQ(StoredCmd(L"40C1", 0), later);
    EXPECT_EQ(StoredCmd(L"40C1", 1), later);
    EXPECT_EQ(StoredMode(L"40C1", 0), 0u);
}

// ---------------------------------------------------------------------------------------

using ButtonListTest = ButtonPageTest;

TEST_F(ButtonListTest, AMissingPlatformListShowsErrorLeavesThePageEmptyAndSavesNothing) {
    testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, kPlatformButtonsPath);
    StoreSlot(L"40C1", 0, kActionKeySequence, L"#CC", 1);
    Open();

    EXPECT_EQ(os.CallsStartingWith("MessageBox(Error!!").size(), 1u);
    EXPECT_EQ(page.m_listButton.GetColumnCount(), 0);
    EXPECT_EQ(page.m_listButton.GetItemCount(), 0);
    EXPECT_EQ(page.m_listMode.GetColumnCount(), 0);
    EXPECT_EQ(page.m_listMode.GetItemCount(), 0);
    EXPECT_EQ(SendMessageW(ProgramBox(), CB_GETCOUNT, 0, 0), 0);
    Close();

    EXPECT_EQ(StoredCmd(L"40C1", 0), L"#CC");
    EXPECT_EQ(StoredMode(L"40C1", 0), 2u);
    EXPECT_FALSE(testing_support::KeyExists(HKEY_CURRENT_USER, ButtonKeyPath(L"40C2")));
}

// Draws image `index` of `images` on white and returns its pixels.
std::vector<DWORD> Pixels(HIMAGELIST images, int index) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 16;
    info.bmiHeader.biHeight = 16;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, 16, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(images, index, dc, 0, 0, ILD_NORMAL);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + 256);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

TEST_F(ButtonListTest, EveryOneOfMoreThanTenButtonsGetsItsOwnImage) {
    std::vector<SeedButton> buttons;
    for (int i = 0; i < 13; ++i) {
        wchar_t key[8];
        swprintf(key, 8, L"41%02d", i);
        std::wstring icon = std::wstring(kShell32) + L"," + std::to_wstring(i + 1);
        if (i == 4) {
            icon = L"";  // no icon of its own
        } else if (i == 11) {
            icon = L"C:\\no\\such\\file.ico,0";
        }
        buttons.push_back({key, L"B" + std::to_wstring(i), icon});
    }
    SeedButtons(buttons);
    Open();

    HIMAGELIST shown =
        reinterpret_cast<HIMAGELIST>(page.m_listButton.SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL));
    ASSERT_EQ(shown, page.m_imageList.GetSafeHandle());
    ASSERT_EQ(ImageList_GetImageCount(shown), 13);

    // The images the rows should show, made the same way one by one.
    CImageList expected;
    expected.Create(16, 16, ILC_MASK, 13, 0);
    HICON fallback = static_cast<HICON>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_BUTTON_DEFAULT), IMAGE_ICON, 16, 16, 0));
    ASSERT_NE(fallback, nullptr);
    for (int i = 0; i < 13; ++i) {
        HICON large = nullptr;
        HICON small = nullptr;
        if (i != 4 && i != 11) {
            ExtractIconExW(kShell32, i + 1, &large, &small, 1);
        }
        ASSERT_EQ(expected.Add(small ? small : fallback), i);
        if (large) {
            DestroyIcon(large);
        }
        if (small) {
            DestroyIcon(small);
        }
    }
    DestroyIcon(fallback);

    for (int i = 0; i < 13; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(page.m_listButton.GetItemImage(i), i);
        EXPECT_EQ(Pixels(shown, i), Pixels(expected, i));
    }
    EXPECT_NE(Pixels(expected, 0), Pixels(expected, 4));  // the drawings do differ
    EXPECT_EQ(Pixels(expected, 4), Pixels(expected, 11));
}

TEST_F(ButtonListTest, TheImageListOutlivesTheButtonListWithItsImages) {
    SeedButtons({{L"40C1", L"a", L""}, {L"40C2", L"b", std::wstring(kShell32) + L",3"}});
    Open();
    Close();

    ASSERT_NE(page.m_imageList.GetSafeHandle(), nullptr);
    EXPECT_EQ(page.m_imageList.GetImageCount(), 2);
    HICON icon = ImageList_GetIcon(page.m_imageList.GetSafeHandle(), 1, ILD_NORMAL);
    EXPECT_NE(icon, nullptr);
    DestroyIcon(icon);
}

TEST_F(ButtonListTest, ButtonsWithTheSameNameAreKeptApartByTheirRows) {
    SeedButtons({{L"40C1", L"Same", L""}, {L"40C2", L"Same", L""}});
    Open();
    SelectButton(1);
    SelectMode(0);
    Pick(L"［Space］");
    Close();

    EXPECT_EQ(StoredCmd(L"40C1", 0), L"\\");
    EXPECT_EQ(StoredCmd(L"40C2", 0), L"#_#");
}

TEST_F(ButtonListTest, TheSummaryShowsEveryAssignmentInPressKindOrder) {
    StoreSlot(L"40C1", 2, kActionDeviceCommand, L"2", 0);
    Open();
    EXPECT_EQ(Summary(0), L"_/_/＜入力ﾊﾟﾈﾙ＞");
    SelectMode(0);
    Pick(L"［Ctrl+V］");
    EXPECT_EQ(Summary(0), L"［Ctrl+V］/_/＜入力ﾊﾟﾈﾙ＞");
}

TEST(ButtonPageClassTest, IsACreatablePropertyPageOnTemplate103) {
    const CRuntimeClass* record = RUNTIME_CLASS(KestrelConfigProp1);
    EXPECT_STREQ(record->m_lpszClassName, "KestrelConfigProp1");
    EXPECT_EQ(record->m_pBaseClass, RUNTIME_CLASS(CPropertyPage));
    CObject* made = CRuntimeClass::CreateObject("KestrelConfigProp1");
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CPropertyPage)));
    EXPECT_EQ(static_cast<KestrelConfigProp1*>(made)->GetTemplateId(), UINT{IDD_PAGE_BUTTONS});
    EXPECT_TRUE(static_cast<KestrelConfigProp1*>(made)->m_strProgram.IsEmpty());
    delete made;
}

}  // namespace
