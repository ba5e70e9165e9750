#include "common/trace.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "support/recording_os.h"

using namespace kestrel;

namespace {

std::string Narrow(const std::wstring& text) {
    return testing_support::RecordingOs::Narrow(text.c_str());
}

std::wstring Stamp(const SYSTEMTIME& t) {
    wchar_t text[32];
    wsprintfW(text, L"%04u/%02u/%02u %02u:%02u:%02u ", t.wYear, t.wMonth, t.wDay, t.wHour,
              t.wMinute, t.wSecond);
    return text;
}

class TraceTest : public ::testing::Test {
  protected:
    // The one line written for Trace's call, with its time stamp checked and removed.
    std::wstring TracedMessage() {
        EXPECT_EQ(os.debugOutput.size(), 1u);
        if (os.debugOutput.empty()) {
            return L"";
        }
        const std::wstring line = os.debugOutput.back();
        EXPECT_TRUE(std::regex_match(Narrow(line),
                                     std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d [^\n]*\n)")))
            << Narrow(line);
        const std::wstring stamp = line.substr(0, 20);
        EXPECT_TRUE(stamp == Stamp(before) || stamp == Stamp(after)) << Narrow(stamp);
        return line.substr(20);
    }
    void TraceNow(const wchar_t* format) {
        GetLocalTime(&before);
        Trace(format);
        GetLocalTime(&after);
    }

    testing_support::RecordingOs os;
    SYSTEMTIME before = {};
    SYSTEMTIME after = {};
};

TEST_F(TraceTest, OneTimeStampedLinePerCall) {
    TraceNow(L"PROC1");
    EXPECT_EQ(TracedMessage(), L"PROC1\n");
    EXPECT_THAT(os.calls, ::testing::ElementsAre(::testing::StartsWith("OutputDebugString(")));
}

TEST_F(TraceTest, FormatsArgumentsAsTheWindowsFormatterDoes) {
    GetLocalTime(&before);
    Trace(L"ID %x : tyoe %x %s %d%%", 3, 0xC1, L"\u30DC\u30BF\u30F3", -5);
    GetLocalTime(&after);
    EXPECT_EQ(TracedMessage(), L"ID 3 : tyoe c1 \u30DC\u30BF\u30F3 -5%\n");
}

TEST_F(TraceTest, ALongMessageIsCutAndTheLineStillEndsWithItsLineFeed) {
    const std::wstring longText(2000, L'm');
    GetLocalTime(&before);
    Trace(L"%s", longText.c_str());
    GetLocalTime(&after);

    const std::wstring message = TracedMessage();
    // 511 characters fit the line, 20 of them are the stamp, one is the line feed.
    EXPECT_EQ(message, std::wstring(490, L'm') + L"\n");
}

TEST_F(TraceTest, ACutNeverSplitsASurrogatePair) {
    // The pair would straddle the end of the 490 characters the line has for a message.
    const std::wstring text = std::wstring(489, L'a') + L"\U0001F600" + L"zz";
    GetLocalTime(&before);
    Trace(L"%s", text.c_str());
    GetLocalTime(&after);

    EXPECT_EQ(TracedMessage(), std::wstring(489, L'a') + L"\n");
}

TEST_F(TraceTest, ANullFormatWritesNothing) {
    Trace(nullptr);
    EXPECT_TRUE(os.debugOutput.empty());
}

}  // namespace
