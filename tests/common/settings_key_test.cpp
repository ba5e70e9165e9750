#include "common/settings_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/registry.h"

using namespace kestrel;
using testing_support::ReadRaw;
using testing_support::SetValue;

namespace {

const std::wstring kTestPath = L"Software\\KestrelTests\\SettingsKey";

class SettingsKeyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::DeleteKeyTree(HKEY_CURRENT_USER, L"Software\\KestrelTests");
        ASSERT_TRUE(SettingsKey::OpenKey(kTestPath.c_str()));
    }
    void TearDown() override { SettingsKey::CloseKey(); }

    void StoreRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        SetValue(HKEY_CURRENT_USER, kTestPath, name, type, data, size);
    }
};

TEST_F(SettingsKeyTest, OpenKeyCreatesAMissingKey) {
    SettingsKey::CloseKey();
    const std::wstring path = kTestPath + L"\\Fresh\\Deeper";
    EXPECT_FALSE(testing_support::KeyExists(HKEY_CURRENT_USER, path));
    EXPECT_TRUE(SettingsKey::OpenKey(path.c_str()));
    EXPECT_TRUE(testing_support::KeyExists(HKEY_CURRENT_USER, path));
}

TEST_F(SettingsKeyTest, ReadsAndWritesFailWithoutAHeldKeyAndLeaveResultsAlone) {
    SettingsKey::CloseKey();
    SettingsKey::CloseKey();  // a second close is harmless
    DWORD number = 77;
    wchar_t text[kStringChars] = L"untouched";
    bool flag = true;
    EXPECT_FALSE(SettingsKey::ReadDword(L"Any", number));
    EXPECT_FALSE(SettingsKey::ReadString(L"Any", text));
    EXPECT_FALSE(SettingsKey::ReadBool(L"Any", flag));
    EXPECT_FALSE(SettingsKey::WriteDword(L"Any", 1));
    EXPECT_FALSE(SettingsKey::WriteString(L"Any", L"x"));
    EXPECT_EQ(number, 77u);
    EXPECT_STREQ(text, L"untouched");
    EXPECT_TRUE(flag);
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kTestPath, L"Any").found);
}

TEST_F(SettingsKeyTest, StringsAreStoredAsFullBlocksAndReadBack) {
    const std::wstring longest(259, L'x');
    ASSERT_TRUE(SettingsKey::WriteString(L"Longest", longest.c_str()));
    ASSERT_TRUE(SettingsKey::WriteString(L"Empty", L""));
    ASSERT_TRUE(SettingsKey::WriteString(L"Japanese", L"＜ｽﾀｰﾄ ﾒﾆｭｰ＞"));

    for (const wchar_t* name : {L"Longest", L"Empty", L"Japanese"}) {
        auto raw = ReadRaw(HKEY_CURRENT_USER, kTestPath, name);
        EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(raw.bytes.size(), 520u);
    }
    auto empty = ReadRaw(HKEY_CURRENT_USER, kTestPath, L"Empty");
    EXPECT_EQ(std::count(empty.bytes.begin(), empty.bytes.end(), 0), 520);

    wchar_t text[kStringChars] = L"preset";
    EXPECT_TRUE(SettingsKey::ReadString(L"Longest", text));
    EXPECT_EQ(std::wstring(text), longest);
    EXPECT_TRUE(SettingsKey::ReadString(L"Empty", text));
    EXPECT_STREQ(text, L"");
    EXPECT_TRUE(SettingsKey::ReadString(L"Japanese", text));
    EXPECT_STREQ(text, L"＜ｽﾀｰﾄ ﾒﾆｭｰ＞");
}

TEST_F(SettingsKeyTest, OverlongStringKeepsItsFirst259Characters) {
    const std::wstring tooLong = std::wstring(259, L'a') + L"bcdef";
    ASSERT_TRUE(SettingsKey::WriteString(L"TooLong", tooLong.c_str()));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kTestPath, L"TooLong").bytes.size(), 520u);
    wchar_t text[kStringChars];
    ASSERT_TRUE(SettingsKey::ReadString(L"TooLong", text));
    EXPECT_EQ(std::wstring(text), std::wstring(259, L'a'));
}

TEST_F(SettingsKeyTest, ForeignStringDataIsAlwaysTerminated) {
    // 260 characters without any terminator (the registry appends one itself when the
    // character after the data is a zero, so the source goes on past the stored part).
    const std::wstring full(261, L'z');
    StoreRaw(L"Full", REG_SZ, full.data(), 520);
    // An odd number of bytes: the half character is dropped.
    const wchar_t abc[] = {L'a', L'b', L'c'};
    StoreRaw(L"Odd", REG_SZ, abc, 5);
    // Another type is no string, even where its bytes would read as one.
    const BYTE bytes[] = {'H', 0, 'i', 0};
    StoreRaw(L"Binary", REG_BINARY, bytes, sizeof(bytes));
    StoreRaw(L"List", REG_MULTI_SZ, L"Hi\0", 8);

    wchar_t text[kStringChars];
    wmemset(text, L'#', kStringChars);
    ASSERT_TRUE(SettingsKey::ReadString(L"Full", text));
    EXPECT_EQ(std::wstring(text), std::wstring(259, L'z'));
    wmemset(text, L'#', kStringChars);
    ASSERT_TRUE(SettingsKey::ReadString(L"Odd", text));
    EXPECT_STREQ(text, L"ab");
    wcscpy(text, L"kept");
    EXPECT_FALSE(SettingsKey::ReadString(L"Binary", text));
    EXPECT_FALSE(SettingsKey::ReadString(L"List", text));
    EXPECT_STREQ(text, L"kept");
}

TEST_F(SettingsKeyTest, AnExpandableStringIsExpandedWithinTheBlock) {
    SetEnvironmentVariableW(L"KESTREL_TEST_PART", L"part");
    StoreRaw(L"Expand", REG_EXPAND_SZ, L"a\\%KESTREL_TEST_PART%", 44);
    StoreRaw(L"Unknown", REG_EXPAND_SZ, L"%KESTREL_TEST_NONE%", 40);
    const std::wstring longText(250, L'x');
    const std::wstring growing = longText + L"%KESTREL_TEST_PART%";
    StoreRaw(L"Growing", REG_EXPAND_SZ, growing.c_str(),
             static_cast<DWORD>((growing.size() + 1) * 2));
    StoreRaw(L"Plain", REG_SZ, L"%KESTREL_TEST_PART%", 40);

    wchar_t text[kStringChars] = {};
    ASSERT_TRUE(SettingsKey::ReadString(L"Expand", text));
    EXPECT_STREQ(text, L"a\\part");
    ASSERT_TRUE(SettingsKey::ReadString(L"Unknown", text));
    EXPECT_STREQ(text, L"%KESTREL_TEST_NONE%") << "an unknown name stays as it is";
    ASSERT_TRUE(SettingsKey::ReadString(L"Plain", text));
    EXPECT_STREQ(text, L"%KESTREL_TEST_PART%") << "REG_SZ is never expanded";
    // 250 + 4 characters fit; grown past 259 they would be a different command.
    SetEnvironmentVariableW(L"KESTREL_TEST_PART", std::wstring(20, L'y').c_str());
    wcscpy(text, L"kept");
    EXPECT_FALSE(SettingsKey::ReadString(L"Growing", text));
    EXPECT_STREQ(text, L"kept");
    SetEnvironmentVariableW(L"KESTREL_TEST_PART", nullptr);
}

TEST_F(SettingsKeyTest, StringLongerThanTheBlockIsRefusedAndBufferKept) {
    const std::wstring huge(400, L'q');
    StoreRaw(L"Huge", REG_SZ, huge.c_str(), static_cast<DWORD>((huge.size() + 1) * 2));
    wchar_t text[kStringChars] = L"kept";
    EXPECT_FALSE(SettingsKey::ReadString(L"Huge", text));
    EXPECT_STREQ(text, L"kept");
    EXPECT_FALSE(SettingsKey::ReadString(L"Missing", text));
    EXPECT_STREQ(text, L"kept");
}

TEST_F(SettingsKeyTest, NumbersRoundTripAsFourBytesLeastSignificantFirst) {
    ASSERT_TRUE(SettingsKey::WriteDword(L"Number", 0x12345678));
    ASSERT_TRUE(SettingsKey::WriteBool(L"On", true));
    ASSERT_TRUE(SettingsKey::WriteBool(L"Off", false));
    auto raw = ReadRaw(HKEY_CURRENT_USER, kTestPath, L"Number");
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(raw.bytes, (std::vector<BYTE>{0x78, 0x56, 0x34, 0x12}));

    DWORD number = 0;
    EXPECT_TRUE(SettingsKey::ReadDword(L"On", number));
    EXPECT_EQ(number, 1u);
    EXPECT_TRUE(SettingsKey::ReadDword(L"Off", number));
    EXPECT_EQ(number, 0u);
    bool flag = false;
    EXPECT_TRUE(SettingsKey::ReadBool(L"Number", flag));
    EXPECT_TRUE(flag);
}

TEST_F(SettingsKeyTest, ReadDwordTakesOnlyADwordOfFourBytes) {
    const BYTE four[] = {1, 2, 3, 4};
    StoreRaw(L"FourBinary", REG_BINARY, four, 4);
    StoreRaw(L"FourText", REG_SZ, L"0", 4);
    const BYTE two[] = {0x34, 0x12};
    StoreRaw(L"TwoBytes", REG_DWORD, two, 2);
    StoreRaw(L"SixBytes", REG_SZ, L"ab", 6);
    const ULONGLONG wide = 7;
    StoreRaw(L"Qword", REG_QWORD, &wide, sizeof(wide));
    StoreRaw(L"Dword", REG_DWORD, four, 4);

    DWORD number = 55;
    for (const wchar_t* name :
         {L"FourBinary", L"FourText", L"TwoBytes", L"SixBytes", L"Qword", L"Missing"}) {
        EXPECT_FALSE(SettingsKey::ReadDword(name, number)) << name;
        EXPECT_EQ(number, 55u);
    }
    EXPECT_TRUE(SettingsKey::ReadDword(L"Dword", number));
    EXPECT_EQ(number, 0x04030201u);
    bool flag = true;
    StoreRaw(L"OffAsText", REG_SZ, L"0", 4);
    EXPECT_FALSE(SettingsKey::ReadBool(L"OffAsText", flag));
    EXPECT_TRUE(flag) << "left alone";
}

TEST_F(SettingsKeyTest, OpeningAnotherKeyReleasesTheHeldOne) {
    // Each open while a key is held must not leave the previous handle behind.
    DWORD handlesBefore = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(SettingsKey::OpenKey((kTestPath + L"\\Other").c_str()));
    }
    DWORD handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_LT(handlesAfter, handlesBefore + 10);
    ASSERT_TRUE(SettingsKey::WriteDword(L"Here", 5));
    DWORD value = 0;
    EXPECT_TRUE(
        testing_support::ReadDwordValue(HKEY_CURRENT_USER, kTestPath + L"\\Other", L"Here", value));
    EXPECT_EQ(value, 5u);
}

TEST_F(SettingsKeyTest, FailedOpenKeepsNothingHeld) {
    // A path under a root that refuses creation fails; no write may reach a stale key.
    EXPECT_FALSE(SettingsKey::OpenKeyUnder(reinterpret_cast<HKEY>(0x1234), L"Nowhere"));
    EXPECT_FALSE(SettingsKey::WriteDword(L"Stray", 1));
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kTestPath, L"Stray").found);
}

// A list of the platform's own is opened for reading: the open must neither make a key
// nor leave one through which a write gets in (Wine ignores a key's security, but not
// the rights a handle was opened with).
TEST_F(SettingsKeyTest, AKeyOpenedToReadIsNeverMadeAndRefusesWrites) {
    SettingsKey::CloseKey();
    const std::wstring missing = kTestPath + L"\\Missing";
    EXPECT_FALSE(SettingsKey::OpenKeyToRead(HKEY_CURRENT_USER, missing.c_str()));
    EXPECT_FALSE(SettingsKey::IsOpen());
    EXPECT_FALSE(testing_support::KeyExists(HKEY_CURRENT_USER, missing));

    const std::wstring kept = L"kept";
    StoreRaw(L"Name", REG_SZ, kept.c_str(), 10);
    ASSERT_TRUE(SettingsKey::OpenKeyToRead(HKEY_CURRENT_USER, kTestPath.c_str()));
    wchar_t text[kStringChars] = {};
    EXPECT_TRUE(SettingsKey::ReadString(L"Name", text));
    EXPECT_STREQ(text, L"kept");
    SettingsKey::WriteString(L"Name", L"changed");
    SettingsKey::WriteDword(L"Added", 1);
    SettingsKey::CloseKey();

    const auto name = ReadRaw(HKEY_CURRENT_USER, kTestPath, L"Name");
    EXPECT_EQ(name.bytes.size(), 10u);
    EXPECT_EQ(testing_support::ReadStringValue(HKEY_CURRENT_USER, kTestPath, L"Name"), L"kept");
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kTestPath, L"Added").found);
}

}  // namespace
