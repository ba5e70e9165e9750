// The framework's owning wide string.
#include <gtest/gtest.h>

#include <string>

#include "platform/framework/cstring.h"

namespace {

TEST(CStringTest, FormatWritesNumbersAndWideStringsOfAnyLength) {
    CString text;
    text.Format(L"%d", 150);
    EXPECT_STREQ(text, L"150");

    text.Format(L"Mode_%d/%ls", 2, L"ﾎｰﾙﾄﾞ");
    EXPECT_STREQ(text, L"Mode_2/ﾎｰﾙﾄﾞ");

    std::wstring longPart(1000, L'x');
    text.Format(L"[%ls]", longPart.c_str());
    EXPECT_EQ(text.GetLength(), 1002);
    EXPECT_EQ(text.Std(), L"[" + longPart + L"]");
}

TEST(CStringTest, ANullPointerReadsAsEmptyText) {
    CString fromNull(static_cast<const wchar_t*>(nullptr));
    EXPECT_TRUE(fromNull.IsEmpty());
    CString text(L"abc");
    text = static_cast<const wchar_t*>(nullptr);
    EXPECT_TRUE(text.IsEmpty());
    text += static_cast<const wchar_t*>(nullptr);
    EXPECT_EQ(text.Compare(nullptr), 0);
}

TEST(CStringTest, AssigningAPartOfItselfKeepsTheText) {
    CString text(L"Software\\Kestrel");
    text = text.GetString() + 9;
    EXPECT_STREQ(text, L"Kestrel");
}

TEST(CStringTest, BufferTakesTheTextUpToItsTerminatorOrTheGivenLength) {
    CString text;
    wchar_t* buffer = text.GetBuffer(10);
    wcscpy(buffer, L"abc");
    text.ReleaseBuffer();
    EXPECT_EQ(text.GetLength(), 3);

    buffer = text.GetBuffer(8);
    wcscpy(buffer, L"abcdef");
    text.ReleaseBuffer(2);
    EXPECT_STREQ(text, L"ab");
}

TEST(CStringTest, PartsOutsideTheTextAreEmptyOrCutToIt) {
    CString text(L"Notes.lnk");
    EXPECT_STREQ(text.Left(5), L"Notes");
    EXPECT_STREQ(text.Left(-1), L"");
    EXPECT_STREQ(text.Left(50), L"Notes.lnk");
    EXPECT_STREQ(text.Mid(6), L"lnk");
    EXPECT_STREQ(text.Mid(20), L"");
    EXPECT_STREQ(text.Mid(-3, 2), L"No");
    EXPECT_EQ(text.ReverseFind(L'.'), 5);
}

TEST(CStringTest, ComparisonsAndJoining) {
    CString text(L"Notes");
    EXPECT_TRUE(text == L"Notes");
    EXPECT_TRUE(text != L"notes");
    EXPECT_EQ(text + L"/" + CString(L"x"), CString(L"Notes/x"));
}

}  // namespace
