// Cost of building the command catalogue from crowded Start menus: 5,000 shortcuts in 250
// folders below the user's programs folder, and as many below that of all users, half of
// them at the same places as the user's. In each round the walk of the user's Start menu
// alone (the catalogue before the all-users one was walked) runs beside the walk of both,
// each followed by the fixed entries.
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

constexpr int kSharedFolders = kFolders / 2;  // also in the user's Start menu
constexpr int kRounds = 21;

std::wstring BenchRoot(int programsFolderId) {
    wchar_t programs[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, programs, programsFolderId, TRUE);
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

// Folders `first` to `first` + kFolders - 1.
void MakeTree(const std::wstring& root, int first) {
    CreateDirectoryW(root.c_str(), nullptr);
    for (int folder = first; folder < first + kFolders; ++folder) {
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
    for (int folder = 0; folder < 2 * kFolders; ++folder) {
        const std::wstring path = FolderName(root, folder);
        for (int shortcut = 0; shortcut < kShortcutsPerFolder; ++shortcut) {
            DeleteFileW(ShortcutName(path, shortcut).c_str());
        }
        RemoveDirectoryW(path.c_str());
    }
    RemoveDirectoryW(root.c_str());
}

double TimeOne(void (*walk)(), size_t& entries) {
    commandCatalogue.clear();
    const double start = bench::NowMicroseconds();
    walk();
    AddFixedCommands();
    const double ms = (bench::NowMicroseconds() - start) / 1000.0;
    entries = commandCatalogue.size();
    return ms;
}

void WalkUsersStartMenu() {
    AddProgramEntries(FindProgramFolder());
}

}  // namespace

int main() {
    const std::wstring own = BenchRoot(CSIDL_PROGRAMS);
    const std::wstring common = BenchRoot(CSIDL_COMMON_PROGRAMS);
    RemoveTree(own);
    RemoveTree(common);
    MakeTree(own, 0);
    // The first kFolders - kSharedFolders folders lie only in the user's Start menu, the
    // next kSharedFolders in both, and those from kFolders on only in that of all users.
    MakeTree(common, kFolders - kSharedFolders);

    std::vector<double> ownSamples;
    std::vector<double> bothSamples;
    size_t ownEntries = 0;
    size_t bothEntries = 0;
    for (int round = 0; round < kRounds; ++round) {
        ownSamples.push_back(TimeOne(&WalkUsersStartMenu, ownEntries));
        bothSamples.push_back(TimeOne(&AddStartMenuPrograms, bothEntries));
    }
    RemoveTree(own);
    RemoveTree(common);

    const size_t shortcuts = kFolders * kShortcutsPerFolder;
    const size_t sharedShortcuts = kSharedFolders * kShortcutsPerFolder;
    if (ownEntries < shortcuts + 16 || bothEntries < 2 * shortcuts - sharedShortcuts + 16) {
        std::printf("catalogues hold only %u and %u entries\n", static_cast<unsigned>(ownEntries),
                    static_cast<unsigned>(bothEntries));
        return 1;
    }
    bench::Report("Command catalogue, the user's Start menu: 5000 shortcuts in 250 folders",
                  bench::Summarize(ownSamples), "ms", "< 500 ms");
    bench::Report(
        "Command catalogue, both Start menus: 5000 + 5000 shortcuts, 2500 of them in both",
        bench::Summarize(bothSamples), "ms", "< 500 ms");
    return 0;
}
