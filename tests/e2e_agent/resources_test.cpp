// The resources as the shipped Kestrel.exe carries them, read from the program file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/resource_ids.h"
#include "e2e_agent/agent_harness.h"

using namespace e2e_agent;

namespace {

constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
static_assert(kJapanese == 1041, "resources are in language 1041");

// Reads a dialog template word by word.
class TemplateReader {
  public:
    explicit TemplateReader(const BYTE* data) : p_(data) {}
    WORD Word() {
        WORD w;
        memcpy(&w, p_, 2);
        p_ += 2;
        return w;
    }
    DWORD Dword() {
        const WORD low = Word();
        return MAKELONG(low, Word());
    }
    // A string or an ordinal: an ordinal reads as "#<number>".
    std::wstring Text() {
        WORD first = Word();
        if (first == 0xFFFF) {
            return L"#" + std::to_wstring(Word());
        }
        std::wstring text;
        for (; first; first = Word()) {
            text += static_cast<wchar_t>(first);
        }
        return text;
    }
    void AlignDword() {
        while (reinterpret_cast<uintptr_t>(p_) % 4) {
            ++p_;
        }
    }

  private:
    const BYTE* p_;
};

struct Item {
    DWORD style;
    short x, y, cx, cy;
    WORD id;
    std::wstring className;
    std::wstring text;
};

class ResourceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program = LoadLibraryExW(HostPath(KESTREL_AGENT_EXE).c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_TRUE(program) << "cannot read " << KESTREL_AGENT_EXE;
    }
    void TearDown() override { FreeLibrary(program); }

    const BYTE* Resource(LPCWSTR type, int id, DWORD* size = nullptr) {
        HRSRC found = FindResourceExW(program, type, MAKEINTRESOURCEW(id), kJapanese);
        if (!found) {
            return nullptr;
        }
        if (size) {
            *size = SizeofResource(program, found);
        }
        return static_cast<const BYTE*>(LockResource(LoadResource(program, found)));
    }

    HMODULE program = nullptr;
};

TEST_F(ResourceTest, EveryResourceIsJapanese) {
    EXPECT_TRUE(Resource(RT_GROUP_ICON, IDI_AGENT));
    EXPECT_TRUE(Resource(RT_MENU, IDR_TRAY_MENU));
    EXPECT_TRUE(Resource(RT_DIALOG, IDD_ABOUT));
    EXPECT_TRUE(Resource(RT_ACCELERATOR, IDR_ACCELERATORS));
}

TEST_F(ResourceTest, IconHasA16ColourAndA256ColourImage) {
    const BYTE* group = Resource(RT_GROUP_ICON, IDI_AGENT);
    ASSERT_TRUE(group);
    TemplateReader reader(group);
    EXPECT_EQ(reader.Word(), 0);  // reserved
    EXPECT_EQ(reader.Word(), 1);  // icon
    ASSERT_EQ(reader.Word(), 2);
    struct Image {
        int size, colours, bits;
    } images[2];
    for (Image& image : images) {
        const WORD sizes = reader.Word();
        const WORD coloursAndReserved = reader.Word();
        reader.Word();  // planes
        image.bits = reader.Word();
        reader.Dword();  // bytes
        reader.Word();   // id
        image.size = LOBYTE(sizes);
        EXPECT_EQ(HIBYTE(sizes), image.size) << "square";
        image.colours = LOBYTE(coloursAndReserved);
    }
    EXPECT_EQ(images[0].size, 16);
    EXPECT_EQ(images[0].colours, 16);
    EXPECT_EQ(images[0].bits, 4);
    EXPECT_EQ(images[1].size, 32);
    EXPECT_EQ(images[1].colours, 0);  // 256 colours are written as 0
    EXPECT_EQ(images[1].bits, 8);
}

TEST_F(ResourceTest, TrayMenuHoldsSettingsAboutPauseAndExit) {
    HMENU menu = LoadMenuW(program, MAKEINTRESOURCEW(IDR_TRAY_MENU));
    ASSERT_TRUE(menu);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    wchar_t text[64];
    GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"ツール");

    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_TRUE(popup);
    ASSERT_EQ(GetMenuItemCount(popup), 5);
    struct Expected {
        UINT id;
        const wchar_t* text;
    } expected[] = {{IDM_SETTINGS, L"設定"},
                    {IDM_ABOUT, L"バージョン情報"},
                    {IDM_PAUSE, L"一時停止"},
                    {0, L""},
                    {IDM_EXIT, L"終了"}};
    for (int i = 0; i < 5; ++i) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID;
        ASSERT_TRUE(GetMenuItemInfoW(popup, i, TRUE, &info));
        if (i == 3) {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR);
            continue;
        }
        EXPECT_EQ(info.wID, expected[i].id) << i;
        GetMenuStringW(popup, i, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(text, expected[i].text) << i;
    }
    // The agent always starts unpaused: the pause item is never checked in the resource.
    EXPECT_EQ(GetMenuState(popup, IDM_PAUSE, MF_BYCOMMAND) & MF_CHECKED, 0u);
    DestroyMenu(menu);
}

TEST_F(ResourceTest, AboutBoxTemplateIsAsDesigned) {
    const BYTE* data = Resource(RT_DIALOG, IDD_ABOUT);
    ASSERT_TRUE(data);
    TemplateReader reader(data);
    const DWORD style = reader.Dword();
    ASSERT_NE(HIWORD(style), 0xFFFF) << "a plain template, as the handheld reads";
    EXPECT_EQ(style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | DS_SETFONT));
    EXPECT_EQ(reader.Dword(), static_cast<DWORD>(WS_EX_CAPTIONOKBTN));
    const WORD count = reader.Word();
    ASSERT_EQ(count, 3);
    reader.Word(), reader.Word();  // x, y
    EXPECT_EQ(reader.Word(), 140);
    EXPECT_EQ(reader.Word(), 57);
    EXPECT_EQ(reader.Text(), L"");  // no menu
    EXPECT_EQ(reader.Text(), L"");  // the standard class
    EXPECT_EQ(reader.Text(), L"Kestrelのバージョン情報");
    EXPECT_EQ(reader.Word(), 9);
    EXPECT_EQ(reader.Text(), L"MS UI Gothic");

    std::vector<Item> items(count);
    for (Item& item : items) {
        reader.AlignDword();
        item.style = reader.Dword();
        reader.Dword();  // extended style
        item.x = static_cast<short>(reader.Word());
        item.y = static_cast<short>(reader.Word());
        item.cx = static_cast<short>(reader.Word());
        item.cy = static_cast<short>(reader.Word());
        item.id = reader.Word();
        item.className = reader.Text();
        item.text = reader.Text();
        reader.Word();  // creation data
    }
    const WORD staticId = static_cast<WORD>(IDC_STATIC);
    const std::wstring staticClass = L"#130";

    EXPECT_EQ(items[0].className, staticClass);
    EXPECT_EQ(items[0].style & SS_TYPEMASK, static_cast<DWORD>(SS_ICON));
    EXPECT_EQ(items[0].text, L"#101");
    EXPECT_EQ(items[0].id, staticId);
    EXPECT_EQ((std::vector<short>{items[0].x, items[0].y, items[0].cx, items[0].cy}),
              (std::vector<short>{11, 12, 20, 20}));

    EXPECT_EQ(items[1].className, staticClass);
    EXPECT_EQ(items[1].text, L"Kestrel Version 0.20");
    EXPECT_EQ(items[1].style & SS_TYPEMASK, static_cast<DWORD>(SS_LEFT));
    EXPECT_TRUE(items[1].style & SS_NOPREFIX);
    EXPECT_EQ(items[1].id, staticId);
    EXPECT_EQ((std::vector<short>{items[1].x, items[1].y, items[1].cx, items[1].cy}),
              (std::vector<short>{40, 18, 70, 8}));

    EXPECT_EQ(items[2].className, staticClass);
    EXPECT_FALSE(items[2].text.empty());
    EXPECT_EQ(items[2].style & SS_TYPEMASK, static_cast<DWORD>(SS_LEFT));
    EXPECT_EQ(items[2].id, staticId);
    EXPECT_EQ((std::vector<short>{items[2].x, items[2].y, items[2].cx, items[2].cy}),
              (std::vector<short>{13, 40, 112, 8}));
}

TEST_F(ResourceTest, AcceleratorsAreCtrlAAndCtrlQ) {
    HACCEL table = LoadAcceleratorsW(program, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_TRUE(table);
    ACCEL entries[4] = {};
    ASSERT_EQ(CopyAcceleratorTableW(table, entries, 4), 2);
    EXPECT_EQ(entries[0].fVirt & ~FNOINVERT, FVIRTKEY | FCONTROL);
    EXPECT_EQ(entries[0].key, 'A');
    EXPECT_EQ(entries[0].cmd, IDM_ACCEL_SELECT_ALL);
    EXPECT_EQ(entries[1].fVirt & ~FNOINVERT, FVIRTKEY | FCONTROL);
    EXPECT_EQ(entries[1].key, 'Q');
    EXPECT_EQ(entries[1].cmd, 1);
    DestroyAcceleratorTable(table);
}

}  // namespace
