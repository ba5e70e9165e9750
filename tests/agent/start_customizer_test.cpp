// Where the agent starts the customizer from.
#include "agent/start_customizer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/recording_os.h"

using namespace kestrel;

namespace {

// The agent's folder is read once per process and kept, and the other tests of this program
// have read it long since: each case runs in a process of its own, whose exit code is the
// number of program starts it asked the shell for.
void StartFromModulePath(const std::wstring& modulePath, const std::string& expectedStart) {
    testing_support::RecordingOs os;
    os.modulePath = modulePath;
    StartCustomizer();
    StartCustomizer();
    const auto starts = os.CallsStartingWith("ShellExecuteEx");
    for (const std::string& start : starts) {
        if (start != expectedStart) {
            std::exit(100);
        }
    }
    std::exit(static_cast<int>(starts.size()));
}

// Without its own folder the bare file name would be looked for in the current folder and
// on the path, where a program of that name may have been planted.
TEST(StartCustomizerTest, AnAgentThatCannotReadItsFolderStartsNothing) {
    EXPECT_EXIT(StartFromModulePath(std::wstring(300, L'x'), ""), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(StartFromModulePath(L"Kestrel.exe", ""), testing::ExitedWithCode(0), "");
}

TEST(StartCustomizerTest, TheCustomizerIsStartedFromTheAgentsFolder) {
    EXPECT_EXIT(StartFromModulePath(L"D:\\Tools\\Kestrel\\Kestrel.exe",
                                    "ShellExecuteEx(D:\\Tools\\Kestrel\\KestrelConfig.exe)"),
                testing::ExitedWithCode(2), "");
}

}  // namespace
