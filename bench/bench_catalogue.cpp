// Cost of building the command catalogue from a crowded Start menu: 5,000 shortcuts in 250
// folders below the programs folder, walked from the Start menu folder as the customizer
// does, then the fixed entries.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_common.h"
#include "customizer/catalogues.h"

using namespace kestrel;

namespace {

constexpr int kFolders = 250;
constexpr int kShortcutsPerFolder = 20;

std::wstring BenchRoot() {
    wchar_t programs[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, programs, CSIDL_PROGRAMS, TRUE);
    return std::wstring(programs) + L"\\KestrelBench";
}

std::wstring FolderName(const std::wstring& root, int folder) {
    wchar_t name[32];
    wsprintfW(name, L"\\Group %03d", folder);
    return root + name;
}

std::wstring ShortcutName(const std::wstring& folder, int shortcut) {
    wchar_t name[32];
    wsprintfW(name, L"\\Program %02d.lnk", shortcut);
    return folder + name;
}

void MakeTree(const std::wstring& root) {
    CreateDirectoryW(root.c_str(), nullptr);
    for (int folder = 0; folder < kFolders; ++folder) {
        const std::wstring path = FolderName(root, folder);
        CreateDirectoryW(path.c_str(), nullptr);
        for (int shortcut = 0; shortcut < kShortcutsPerFolder; ++shortcut) {
            HANDLE file = CreateFileW(ShortcutName(path, shortcut).c_str(), GENERIC_WRITE, 0,
                                      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            CloseHandle(file);
        }
    }
}

void RemoveTree(const std::wstring& root) {
    for (int folder = 0; folder < kFolders; ++folder) {
        const std::wstring path = FolderName(root, folder);
        for (int shortcut = 0; shortcut < kShortcutsPerFolder; ++shortcut) {
            DeleteFileW(ShortcutName(path, shortcut).c_str());
        }
        RemoveDirectoryW(path.c_str());
    }
    RemoveDirectoryW(root.c_str());
}

}  // namespace

int main() {
    const std::wstring root = BenchRoot();
    RemoveTree(root);
    MakeTree(root);

    std::vector<double> samples;
    size_t entries = 0;
    for (int run = 0; run < 21; ++run) {
        commandCatalogue.clear();
        const double start = bench::NowMicroseconds();
        AddProgramEntries(FindProgramFolder());
        AddFixedCommands();
        samples.push_back((bench::NowMicroseconds() - start) / 1000.0);
        entries = commandCatalogue.size();
    }
    RemoveTree(root);

    if (entries < kFolders * kShortcutsPerFolder + 16) {
        std::printf("catalogue holds only %u entries\n", static_cast<unsigned>(entries));
        return 1;
    }
    bench::Report("Command catalogue, 5000 shortcuts in 250 folders", bench::Summarize(samples),
                  "ms", "< 500 ms");
    return 0;
}
