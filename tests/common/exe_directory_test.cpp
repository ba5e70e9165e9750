#include "common/exe_directory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/recording_os.h"

using namespace kestrel;

namespace {

// A module path call that fills the whole buffer, as the platform does when the path is
// too long: the text is cut and not terminated.
class TruncatingOs : public testing_support::RecordingOs {
  public:
    DWORD GetModuleFileNameW(HMODULE module, LPWSTR path, DWORD size) override {
        RecordingOs::GetModuleFileNameW(module, path, size);
        for (DWORD i = 0; i < size; ++i) {
            path[i] = i % 10 == 0 ? L'\\' : L'x';
        }
        return size;
    }
};

// The folder is cached for the whole process and never refreshed, so every step of its
// life is one story in one test: nothing else in this program asks for it.
TEST(ExeDirectoryTest, KeepsNoUnusablePathAndAsksOnlyUntilItHasAFolder) {
    {
        TruncatingOs cut;
        EXPECT_STREQ(GetExeDirectory(), L"");
    }
    testing_support::RecordingOs os;
    os.modulePath = std::wstring(300, L'\\');  // does not fit: the call fails
    EXPECT_STREQ(GetExeDirectory(), L"");
    os.modulePath = L"Kestrel.exe";
    EXPECT_STREQ(GetExeDirectory(), L"");
    EXPECT_EQ(os.calls.size(), 2u);

    os.modulePath = L"\\Program Files\\Tools\\prog.exe";
    EXPECT_STREQ(GetExeDirectory(), L"\\Program Files\\Tools\\");
    os.modulePath = L"\\Windows\\other.exe";
    EXPECT_STREQ(GetExeDirectory(), L"\\Program Files\\Tools\\");
    EXPECT_STREQ(GetExeDirectory(), L"\\Program Files\\Tools\\");

    EXPECT_EQ(os.calls.size(), 3u);
}

}  // namespace
