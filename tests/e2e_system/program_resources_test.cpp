// What the built KestrelConfig.exe carries in its resource section: its icon, its version
// record and both page templates, all in Japanese.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_system/system_harness.h"

namespace e2e {
namespace {

constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

class ProgramResourcesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = HostPath(KESTREL_CONFIG_EXE);
        module_ = LoadLibraryExW(path_.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        if (module_) {
            FreeLibrary(module_);
        }
    }

    bool HasJapanese(const wchar_t* type, int id) const {
        return FindResourceExW(module_, type, MAKEINTRESOURCEW(id), kJapanese) != nullptr;
    }

    std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) const {
        std::wstring query = std::wstring(L"\\StringFileInfo\\041104b0\\") + name;
        wchar_t* text = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text),
                            &length) ||
            !text) {
            return L"<missing>";
        }
        return text;
    }

    std::wstring path_;
    HMODULE module_ = nullptr;
};

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width;
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST_F(ProgramResourcesTest, IconGroupHoldsA16ColourSmallAndA256ColourLargeImage) {
    HRSRC found =
        FindResourceExW(module_, RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_CUSTOMIZER), kJapanese);
    ASSERT_NE(found, nullptr);
    const auto* group = static_cast<const WORD*>(LockResource(LoadResource(module_, found)));
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group[2], 2);  // image count after the reserved word and the type
    const auto* entries = reinterpret_cast<const IconGroupEntry*>(group + 3);
    EXPECT_EQ(entries[0].width, 16);
    EXPECT_EQ(entries[0].height, 16);
    EXPECT_EQ(entries[0].bitCount, 4);
    EXPECT_EQ(entries[1].width, 32);
    EXPECT_EQ(entries[1].height, 32);
    EXPECT_EQ(entries[1].bitCount, 8);
}

TEST_F(ProgramResourcesTest, VersionRecordNamesTheProgramInJapanese) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path_.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path_.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    EXPECT_EQ(VersionString(block, L"FileVersion"), L"1, 0, 0, 1");
    EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1, 0, 0, 1");
    EXPECT_EQ(VersionString(block, L"InternalName"), L"KestrelConfig");
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"KestrelConfig.exe");
    EXPECT_EQ(VersionString(block, L"ProductName"), L"Kestrel");

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x411);
    EXPECT_EQ(translation[1], 1200);
    EXPECT_TRUE(HasJapanese(RT_VERSION, 1));
}

TEST_F(ProgramResourcesTest, BothPageTemplatesAreJapanese) {
    EXPECT_TRUE(HasJapanese(RT_DIALOG, IDD_PAGE_BUTTONS));
    EXPECT_TRUE(HasJapanese(RT_DIALOG, IDD_PAGE_TIMING));
    EXPECT_TRUE(HasJapanese(RT_GROUP_ICON, IDI_BUTTON_DEFAULT));
}

}  // namespace
}  // namespace e2e
