#include "customizer/catalogues.h"

#include <windows.h>
#include <shlobj.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/settings_key.h"
#include "support/device_profile.h"
#include "support/recording_os.h"
#include "support/registry.h"
#include "support/start_menu.h"

using namespace kestrel;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::Pair;
using ::testing::UnorderedElementsAre;
using testing_support::ProgramsFolder;
using testing_support::StartMenuFolder;

namespace {

// ---------------------------------------------------------------------------------------
// Files and folders in the prefix's real Start menu. Paths may pass the classic length
// limit, so everything is made and removed through the "\\?\" form.

std::wstring Extended(const std::wstring& path) {
    return L"\\\\?\\" + path;
}

void MakeFolder(const std::wstring& path) {
    CreateDirectoryW(Extended(path).c_str(), nullptr);
}

void MakeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot make " << path.size() << " chars";
    CloseHandle(file);
}

void Hide(const std::wstring& path) {
    ASSERT_TRUE(SetFileAttributesW(Extended(path).c_str(), FILE_ATTRIBUTE_HIDDEN));
}

void RemoveTree(const std::wstring& path) {
    const std::wstring extended = Extended(path);
    SetFileAttributesW(extended.c_str(), FILE_ATTRIBUTE_NORMAL);
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileW((extended + L"\\*").c_str(), &found);
    if (listing != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(Extended(child).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(Extended(child).c_str());
            }
        } while (FindNextFileW(listing, &found));
        FindClose(listing);
    }
    RemoveDirectoryW(extended.c_str());
}

// The names one folder lists, in the platform's order.
std::vector<std::wstring> ListingOf(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (listing != INVALID_HANDLE_VALUE) {
        do {
            names.emplace_back(found.cFileName);
        } while (FindNextFileW(listing, &found));
        FindClose(listing);
    }
    return names;
}

// A name of `length` characters: the letter, padding, then the tail (e.g. ".lnk").
std::wstring NameOfLength(wchar_t letter, size_t length, const std::wstring& tail = L"") {
    return letter + std::wstring(length - 1 - tail.size(), L'x') + tail;
}

// A scratch tree directly in the Start menu folder, empty at the start of every test.
class StartMenuTreeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        commandCatalogue.clear();
        root = StartMenuFolder() + L"\\KestrelCatalogueTest";
        RemoveTree(root);
        MakeFolder(root);
    }
    void TearDown() override {
        RemoveTree(root);
        commandCatalogue.clear();
    }

    std::wstring At(const std::wstring& relative) const { return root + L"\\" + relative; }

    void Files(std::initializer_list<const wchar_t*> relatives) {
        for (const wchar_t* relative : relatives) {
            MakeFile(At(relative));
        }
    }
    void Folders(std::initializer_list<const wchar_t*> relatives) {
        for (const wchar_t* relative : relatives) {
            MakeFolder(At(relative));
        }
    }

    // (display name, command below the scratch root) of every catalogue entry.
    std::vector<std::pair<std::wstring, std::wstring>> Entries() const {
        std::vector<std::pair<std::wstring, std::wstring>> entries;
        const std::wstring prefix = root + L"\\";
        for (const CommandEntry& entry : commandCatalogue) {
            std::wstring command = entry.command;
            if (command.rfind(prefix, 0) == 0) {
                command.erase(0, prefix.size());
            }
            entries.emplace_back(entry.displayName, command);
        }
        return entries;
    }

    std::wstring root;
};

// ---------------------------------------------------------------------------------------

class ProgramWalkTest : public StartMenuTreeTest {};

TEST_F(ProgramWalkTest, EntriesOfAFolderLandWhereTheFolderWasMet) {
    Folders({L"Games", L"Games\\Puzzles", L"Office"});
    Files({L"Alpha.lnk", L"Games\\Chess.exe", L"Games\\Puzzles\\Sudoku.lnk", L"Games\\Readme.txt",
           L"Games\\Zork.lnk", L"Mail.exe", L"Office\\Calc.lnk", L"Zeta.lnk"});
    // The expectation below follows the platform's listing order; check that order first.
    ASSERT_THAT(ListingOf(root), ElementsAre(L".", L"..", L"Alpha.lnk", L"Games", L"Mail.exe",
                                             L"Office", L"Zeta.lnk"));
    ASSERT_THAT(ListingOf(At(L"Games")),
                ElementsAre(L".", L"..", L"Chess.exe", L"Puzzles", L"Readme.txt", L"Zork.lnk"));

    EXPECT_TRUE(AddProgramEntries(root));

    EXPECT_THAT(Entries(),
                ElementsAre(Pair(L"Alpha", L"Alpha.lnk"), Pair(L"Chess", L"Games\\Chess.exe"),
                            Pair(L"Sudoku", L"Games\\Puzzles\\Sudoku.lnk"),
                            Pair(L"Zork", L"Games\\Zork.lnk"), Pair(L"Mail", L"Mail.exe"),
                            Pair(L"Calc", L"Office\\Calc.lnk"), Pair(L"Zeta", L"Zeta.lnk")));
    for (const CommandEntry& entry : commandCatalogue) {
        EXPECT_EQ(entry.type, kActionProgram);
    }
}

TEST_F(ProgramWalkTest, SameDisplayNameInTwoFoldersGivesTwoEntriesInWalkOrder) {
    Folders({L"Apps", L"Tools"});
    Files({L"Apps\\Notes.exe", L"Tools\\Notes.lnk"});

    AddProgramEntries(root);
    AddFixedCommands();

    ASSERT_EQ(commandCatalogue.size(), 2u + 17u);
    EXPECT_THAT(Entries()[0], Pair(L"Notes", L"Apps\\Notes.exe"));
    EXPECT_THAT(Entries()[1], Pair(L"Notes", L"Tools\\Notes.lnk"));
}

TEST_F(ProgramWalkTest, TakesOnlyNamesWhoseLastExtensionIsLnkOrExe) {
    Folders({L"Folder.lnk"});
    Files({L"Upper.LNK", L"Mixed.ExE", L"Two.dots.exe", L"Backup.lnk.bak", L"NoDot", L"lnk",
           L"Readme.txt", L"Near.lnkx", L"Folder.lnk\\Inner.exe"});

    AddProgramEntries(root);

    // A folder is walked whatever its name; it never becomes an entry itself.
    EXPECT_THAT(Entries(),
                UnorderedElementsAre(Pair(L"Upper", L"Upper.LNK"), Pair(L"Mixed", L"Mixed.ExE"),
                                     Pair(L"Two.dots", L"Two.dots.exe"),
                                     Pair(L"Inner", L"Folder.lnk\\Inner.exe")));
}

TEST_F(ProgramWalkTest, HiddenFilesAndEverythingInHiddenFoldersAreLeftOut) {
    Folders({L"Covert", L"Covert\\Sub", L"Open", L"Shy.lnk"});
    Files({L"Visible.lnk", L"Hidden.lnk", L"Covert\\Inside.lnk", L"Covert\\Sub\\Deep.exe",
           L"Open\\Shown.exe", L"Open\\Secret.exe", L"Shy.lnk\\Within.exe"});
    Hide(At(L"Hidden.lnk"));
    Hide(At(L"Covert"));
    Hide(At(L"Open\\Secret.exe"));
    Hide(At(L"Shy.lnk"));

    AddProgramEntries(root);

    EXPECT_THAT(Entries(), UnorderedElementsAre(Pair(L"Visible", L"Visible.lnk"),
                                                Pair(L"Shown", L"Open\\Shown.exe")));
}

TEST_F(ProgramWalkTest, PathsBeyondTheWalkBuffersAreSkippedAndTheWalkGoesOn) {
    const size_t base = root.size() + 1;  // the folder and its backslash
    ASSERT_LT(base + 60, 250u);
    const std::wstring fits = NameOfLength(L'F', 255 - base, L".lnk");     // path of 255
    const std::wstring tooLong = NameOfLength(L'G', 256 - base, L".lnk");  // path of 256
    const std::wstring deep = NameOfLength(L'H', 250 - base - 10);         // path of 240
    const std::wstring deeper = NameOfLength(L'I', 150);
    const std::wstring unlisted = NameOfLength(L'J', 254 - base);  // "\*" would not fit
    Folders({deep.c_str()});
    MakeFolder(At(deep + L"\\" + deeper));
    MakeFolder(At(unlisted));
    Files({fits.c_str(), tooLong.c_str(), L"Zz.lnk"});
    MakeFile(At(deep + L"\\Near.exe"));  // a path of 249
    MakeFile(At(deep + L"\\" + deeper + L"\\Lost.lnk"));
    MakeFile(At(unlisted + L"\\Beyond.lnk"));

    EXPECT_TRUE(AddProgramEntries(root));

    const std::wstring fitsName = fits.substr(0, fits.size() - 4);
    EXPECT_THAT(Entries(),
                UnorderedElementsAre(Pair(fitsName, fits), Pair(L"Near", deep + L"\\Near.exe"),
                                     Pair(L"Zz", L"Zz.lnk")));
    for (const CommandEntry& entry : commandCatalogue) {
        EXPECT_LE(entry.command.size(), 255u);
    }
}

TEST_F(ProgramWalkTest, AFolderThatCannotBeListedAddsNothing) {
    const std::wstring longest = At(NameOfLength(L'L', 253 - root.size() - 1));
    const std::wstring tooLong = At(NameOfLength(L'M', 254 - root.size() - 1));
    MakeFolder(longest);
    MakeFolder(tooLong);
    Files({L"Plain.txt"});

    EXPECT_TRUE(AddProgramEntries(longest));  // its pattern just fits
    EXPECT_FALSE(AddProgramEntries(tooLong));
    EXPECT_FALSE(AddProgramEntries(At(L"Missing")));
    EXPECT_FALSE(AddProgramEntries(At(L"Plain.txt")));
    EXPECT_FALSE(AddProgramEntries(root + std::wstring(300, L'x')));
    // Empty would mean "\*", the root of the current drive.
    EXPECT_FALSE(AddProgramEntries(L""));
    EXPECT_TRUE(commandCatalogue.empty());
}

TEST_F(ProgramWalkTest, NoAssignmentEntryDirectlyFollowsTheLastProgram) {
    Folders({L"Sub"});
    Files({L"First.lnk", L"Sub\\Last.exe"});

    AddProgramEntries(root);
    AddFixedCommands();

    ASSERT_EQ(commandCatalogue.size(), 19u);
    EXPECT_THAT(Entries()[1], Pair(L"Last", L"Sub\\Last.exe"));
    EXPECT_EQ(commandCatalogue[2].type, kActionProgram);
    EXPECT_EQ(commandCatalogue[2].command, L"\\");
    EXPECT_EQ(commandCatalogue[2].displayName, L"");
}

// ---------------------------------------------------------------------------------------

class ProgramFolderTest : public StartMenuTreeTest {
  protected:
    void TearDown() override {
        RemoveTree(ProgramsFolder() + L"\\KestrelCatalogueTest");
        StartMenuTreeTest::TearDown();
    }
};

TEST_F(ProgramFolderTest, WalkCoversTheStartMenuItselfAndTheProgramsTree) {
    const std::wstring programs = ProgramsFolder();
    const std::wstring startMenu = FindProgramFolder();
    EXPECT_EQ(startMenu + L"\\" + L"Programs", programs);

    Files({L"Top.lnk"});
    MakeFolder(programs + L"\\KestrelCatalogueTest");
    MakeFile(programs + L"\\KestrelCatalogueTest\\Deep.exe");

    EXPECT_TRUE(AddProgramEntries(startMenu));
    std::vector<std::wstring> commands;
    for (const CommandEntry& entry : commandCatalogue) {
        commands.push_back(entry.command);
    }
    EXPECT_THAT(commands, ::testing::Contains(At(L"Top.lnk")));
    EXPECT_THAT(commands, ::testing::Contains(programs + L"\\KestrelCatalogueTest\\Deep.exe"));
}

// Through the seam, since Wine's shell has no applications folder: of its items only the
// apps of packages are offered, after the shortcuts, by the shell's names.
TEST_F(ProgramFolderTest, PackageAppsOfTheShellFollowTheShortcutsByTheShellsNames) {
    testing_support::RecordingOs os;
    os.shellApps = {{L"電卓", L"Microsoft.WindowsCalculator_8wekyb3d8bbwe!App"},
                    {L"Notepad", L"{1AC14E77-02E7-4E5D-B744-2EB1AE5198B7}\\notepad.exe"},
                    {L"", L"Nameless_1!App"},
                    {L"Too long", std::wstring(240, L'x') + L"!App"}};
    Files({L"Top.lnk"});

    AddStartMenuPrograms();

    std::vector<std::wstring> apps;
    for (const CommandEntry& entry : commandCatalogue) {
        if (entry.command.rfind(L"shell:", 0) == 0) {
            EXPECT_EQ(entry.type, kActionProgram);
            apps.push_back(entry.displayName + L"=" + entry.command);
        }
    }
    EXPECT_THAT(
        apps, ElementsAre(L"電卓=shell:AppsFolder\\Microsoft.WindowsCalculator_8wekyb3d8bbwe!App"));
    ASSERT_FALSE(commandCatalogue.empty());
    EXPECT_EQ(commandCatalogue.back().displayName, L"電卓");
    EXPECT_THAT(Entries(), ::testing::Contains(Pair(L"Top", L"Top.lnk")));
}

TEST_F(ProgramFolderTest, StartMenuFolderIsThePathCutAtItsLastBackslash) {
    EXPECT_EQ(StartMenuFolderOf(L"C:\\Windows\\Start Menu\\Programs"), L"C:\\Windows\\Start Menu");
    EXPECT_EQ(StartMenuFolderOf(L"C:\\Programs\\"), L"C:\\Programs");
    EXPECT_EQ(StartMenuFolderOf(L"Programs"), L"Programs");
    EXPECT_EQ(StartMenuFolderOf(L""), L"");
}

// ---------------------------------------------------------------------------------------

class CommandEntryTest : public ::testing::Test {};

TEST_F(CommandEntryTest, ProgramJoinsFolderAndNameAndDropsTheExtension) {
    const CommandEntry shortcut(kActionProgram, L"C:\\Start Menu\\Tools", L"Notes.lnk");
    EXPECT_EQ(shortcut.command, L"C:\\Start Menu\\Tools\\Notes.lnk");
    EXPECT_EQ(shortcut.displayName, L"Notes");

    const CommandEntry dotted(kActionProgram, L"F", L"Two.dots.EXE");
    EXPECT_EQ(dotted.displayName, L"Two.dots");

    // Nothing but the dot and the extension leaves an empty name, the same as no assignment.
    const CommandEntry bare(kActionProgram, L"F", L".lnk");
    EXPECT_EQ(bare.command, L"F\\.lnk");
    EXPECT_EQ(bare.displayName, L"");

    const CommandEntry shortName(kActionProgram, L"F", L"abc");
    EXPECT_EQ(shortName.displayName, L"abc");

    const CommandEntry nothing(kActionProgram, L"", L"");
    EXPECT_EQ(nothing.command, L"\\");
    EXPECT_EQ(nothing.displayName, L"");
}

TEST_F(CommandEntryTest, OtherTypesKeepCommandAndNameAsGiven) {
    const CommandEntry keys(kActionKeySequence, L"#AC", L"\uFF3BCtrl+A\uFF3D");
    EXPECT_EQ(keys.type, kActionKeySequence);
    EXPECT_EQ(keys.command, L"#AC");
    EXPECT_EQ(keys.displayName, L"\uFF3BCtrl+A\uFF3D");

    const CommandEntry standard(kActionStandardButton, L"", L"name.lnk");
    EXPECT_EQ(standard.command, L"");
    EXPECT_EQ(standard.displayName, L"name.lnk");
}

class HasExtensionTest : public ::testing::Test {};

TEST_F(HasExtensionTest, LooksOnlyAfterTheLastDotIgnoringCase) {
    EXPECT_TRUE(HasExtension(L"Notes.lnk", L"lnk"));
    EXPECT_TRUE(HasExtension(L"NOTES.LNK", L"lnk"));
    EXPECT_TRUE(HasExtension(L"a.b.exe", L"exe"));
    EXPECT_TRUE(HasExtension(L".lnk", L"lnk"));
    EXPECT_FALSE(HasExtension(L"Notes.lnk.bak", L"lnk"));
    EXPECT_FALSE(HasExtension(L"Notes.lnk", L"exe"));
    EXPECT_FALSE(HasExtension(L"lnk", L"lnk"));
    EXPECT_FALSE(HasExtension(L"x.lnkx", L"lnk"));
    EXPECT_FALSE(HasExtension(L"x.ln", L"lnk"));
    EXPECT_FALSE(HasExtension(L"x.", L"lnk"));
    EXPECT_FALSE(HasExtension(nullptr, L"lnk"));
    EXPECT_FALSE(HasExtension(L"x.lnk", nullptr));
}

// ---------------------------------------------------------------------------------------

class IconSpecTest : public ::testing::Test {
  protected:
    static ButtonInfo Button(const std::wstring& iconSpec) {
        return ButtonInfo(L"40C1", L"\u30DC\u30BF\u30F3 1", iconSpec);
    }
};

TEST_F(IconSpecTest, PathCommaIndexGivesFileAndIndex) {
    const ButtonInfo button = Button(L"\\Windows\\calendar.exe,3");
    EXPECT_EQ(button.keyName, L"40C1");
    EXPECT_EQ(button.displayName, L"\u30DC\u30BF\u30F3 1");
    EXPECT_EQ(button.iconSpec, L"\\Windows\\calendar.exe,3");
    EXPECT_EQ(button.iconFile, L"\\Windows\\calendar.exe");
    EXPECT_EQ(button.iconIndex, 3);
    EXPECT_TRUE(button.hasIcon);
    for (const SlotAssignment& slot : button.slots) {
        EXPECT_FALSE(slot.enabled);
        EXPECT_EQ(slot.assignment, L"");
    }
}

TEST_F(IconSpecTest, IndexIsASignedDecimalReadUpToTheFirstNonDigit) {
    EXPECT_EQ(Button(L"app.exe,-7").iconIndex, -7);
    EXPECT_EQ(Button(L"app.exe,  12px").iconIndex, 12);
    EXPECT_EQ(Button(L"app.exe,x5").iconIndex, 0);
    EXPECT_EQ(Button(L"app.exe,99999999999").iconIndex, INT32_MAX);
    EXPECT_EQ(Button(L"app.exe,-99999999999").iconIndex, INT32_MIN);
}

TEST_F(IconSpecTest, RunsOfCommasCountAsOneAndLaterTokensAreIgnored) {
    const ButtonInfo button = Button(L",,app.exe,,,12,99");
    EXPECT_EQ(button.iconFile, L"app.exe");
    EXPECT_EQ(button.iconIndex, 12);
}

TEST_F(IconSpecTest, MissingIndexMeansTheFilesFirstIcon) {
    for (const wchar_t* iconValue : {L"app.exe", L"app.exe,", L"app.exe,,,"}) {
        const ButtonInfo button = Button(iconValue);
        EXPECT_TRUE(button.hasIcon) << iconValue;
        EXPECT_EQ(button.iconFile, L"app.exe") << iconValue;
        EXPECT_EQ(button.iconIndex, 0) << iconValue;
    }
}

TEST_F(IconSpecTest, EmptyOrCommasOnlyGivesNoIconAndNoFile) {
    for (const wchar_t* iconValue : {L"", L",", L",,,"}) {
        const ButtonInfo button = Button(iconValue);
        EXPECT_FALSE(button.hasIcon) << iconValue;
        EXPECT_EQ(button.iconFile, L"") << iconValue;
        EXPECT_EQ(button.iconIndex, -1) << iconValue;
        EXPECT_EQ(button.iconSpec, iconValue);
    }
}

// ---------------------------------------------------------------------------------------

class FixedCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override { commandCatalogue.clear(); }
    void TearDown() override { commandCatalogue.clear(); }
};

// What a browsed file or a recorded combination is assigned as: the entry whose name the
// page would write back as exactly that pair, or none.
TEST_F(FixedCommandsTest, APairIsStoodForOnlyByTheEntryWhoseNameWritesIt) {
    commandCatalogue.emplace_back(kActionProgram, L"C:\\A", L"Notes.lnk");
    commandCatalogue.emplace_back(kActionProgram, L"C:\\B", L"Notes.exe");
    AddFixedCommands();
    ASSERT_NE(EntryWritingPair(kActionKeySequence, L"#CC"), nullptr);
    EXPECT_EQ(EntryWritingPair(kActionKeySequence, L"#CC")->displayName, L"［Ctrl+C］");
    EXPECT_EQ(EntryWritingPair(kActionProgram, L"C:\\B\\Notes.exe"), &commandCatalogue[1]);
    EXPECT_EQ(EntryWritingPair(kActionProgram, L"C:\\A\\Notes.lnk"), nullptr);
    EXPECT_EQ(EntryWritingPair(kActionKeySequence, L"+11+10$54"), nullptr);
    EXPECT_EQ(EntryWritingPair(kActionProgram, L"#CC"), nullptr);
}

TEST_F(FixedCommandsTest, FixedEntriesFollowWhatIsAlreadyThere) {
    commandCatalogue.emplace_back(kActionProgram, L"C:\\Start Menu", L"Notes.lnk");
    AddFixedCommands();

    struct Expected {
        int32_t type;
        std::wstring command;
        std::wstring displayName;
    };
    // Full-width brackets, half-width katakana, and an ordinary space in the Start menu's.
    const Expected expected[] = {
        {0, L"\\", L""},
        {1, L"0", L"\uFF1CToday\uFF1E"},
        {1, L"1", L"\uFF1C\uFF7D\uFF80\uFF70\uFF84 \uFF92\uFF86\uFF6D\uFF70\uFF1E"},
        {1, L"2", L"\uFF1C\u5165\u529B\uFF8A\uFF9F\uFF88\uFF99\uFF1E"},
        {2, L"#AC", L"\uFF3BCtrl+A\uFF3D"},
        {2, L"#CC", L"\uFF3BCtrl+C\uFF3D"},
        {2, L"#VC", L"\uFF3BCtrl+V\uFF3D"},
        {2, L"#ZC", L"\uFF3BCtrl+Z\uFF3D"},
        {2, L"#QC", L"\uFF3BCtrl+Q\uFF3D"},
        {2, L"#OC", L"\uFF3BCtrl+O\uFF3D"},
        {2, L"#*#", L"\uFF3BEnter\uFF3D"},
        {2, L"#&#", L"\uFF3BESC\uFF3D"},
        {2, L"#_#", L"\uFF3BSpace\uFF3D"},
        {2, L"#>S", L"\uFF3BShift+\u2192\uFF3D"},
        {2, L"#<S", L"\uFF3BShift+\u2190\uFF3D"},
        {3, L"", L"\uFF1C\u6A19\u6E96\u30DC\u30BF\u30F3\uFF1E"},
        {1, L"3", L"\uFF1CKestrel\u306E\u4E00\u6642\u505C\u6B62/\u518D\u958B\uFF1E"},
    };
    ASSERT_EQ(commandCatalogue.size(), 18u);
    EXPECT_EQ(commandCatalogue[0].displayName, L"Notes");
    for (size_t i = 0; i < std::size(expected); ++i) {
        const CommandEntry& entry = commandCatalogue[i + 1];
        EXPECT_EQ(entry.type, expected[i].type) << "entry " << i + 1;
        EXPECT_EQ(entry.command, expected[i].command) << "entry " << i + 1;
        EXPECT_EQ(entry.displayName, expected[i].displayName) << "entry " << i + 1;
    }
}

// ---------------------------------------------------------------------------------------

// The platform's list is replaced per test and the typical one put back afterwards, for
// the other tests sharing this prefix.
class ButtonCatalogueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        buttonCatalogue.clear();
        testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, kPlatformButtonsPath);
    }
    void TearDown() override {
        buttonCatalogue.clear();
        testing_support::SeedDeviceProfile();
    }

    static void SetButtonValue(const wchar_t* keyName, const wchar_t* name,
                               const std::wstring& text) {
        testing_support::SetString(HKEY_LOCAL_MACHINE, testing_support::DeviceButtonPath(keyName),
                                   name, text);
    }

    testing_support::RecordingOs os;
};

TEST_F(ButtonCatalogueTest, TakesEveryButtonOfTheListInItsOrder) {
    testing_support::SeedDeviceProfile();

    EXPECT_TRUE(LoadButtonCatalogue());

    const int32_t indices[] = {3, 4, 15, 16, 22, 40};
    ASSERT_EQ(buttonCatalogue.size(), std::size(testing_support::kDeviceButtons));
    for (size_t i = 0; i < buttonCatalogue.size(); ++i) {
        const ButtonInfo& button = buttonCatalogue[i];
        const testing_support::DeviceButton& device = testing_support::kDeviceButtons[i];
        EXPECT_EQ(button.keyName, device.keyName);
        EXPECT_EQ(button.displayName, device.name);
        EXPECT_EQ(button.iconSpec, device.icon);
        EXPECT_EQ(button.iconFile, L"C:\\windows\\system32\\shell32.dll");
        EXPECT_EQ(button.iconIndex, indices[i]);
        EXPECT_TRUE(button.hasIcon);
    }
    EXPECT_TRUE(os.calls.empty());
    EXPECT_FALSE(SettingsKey::IsOpen());
}

TEST_F(ButtonCatalogueTest, MissingOrUnreadableValuesReadAsEmpty) {
    SetButtonValue(L"40C1", kValueName, L"\u30DC\u30BF\u30F3 1");
    SetButtonValue(L"40C2", kValueIcon, L"app.exe,2");
    testing_support::CreateKey(HKEY_LOCAL_MACHINE, testing_support::DeviceButtonPath(L"40C3"));
    SetButtonValue(L"40C4", kValueName, std::wstring(300, L'n'));  // too long for 520 bytes
    SetButtonValue(L"40C4", kValueIcon, L"app.exe,1");

    EXPECT_TRUE(LoadButtonCatalogue());

    ASSERT_EQ(buttonCatalogue.size(), 4u);
    EXPECT_EQ(buttonCatalogue[0].displayName, L"\u30DC\u30BF\u30F3 1");
    EXPECT_FALSE(buttonCatalogue[0].hasIcon);
    EXPECT_EQ(buttonCatalogue[0].iconIndex, -1);
    EXPECT_EQ(buttonCatalogue[1].displayName, L"");
    EXPECT_EQ(buttonCatalogue[1].iconIndex, 2);
    EXPECT_EQ(buttonCatalogue[2].keyName, L"40C3");
    EXPECT_EQ(buttonCatalogue[2].displayName, L"");
    EXPECT_EQ(buttonCatalogue[2].iconSpec, L"");
    EXPECT_EQ(buttonCatalogue[3].displayName, L"");
    EXPECT_EQ(buttonCatalogue[3].iconFile, L"app.exe");
}

// The user's own keys follow the platform's, each once, whatever else the product key
// holds: every code of the added keys' form, unmarked and wrongly marked subkeys, names of
// any length, a second spelling of a platform button, and names too long to read.
TEST_F(ButtonCatalogueTest, UserKeysFollowThePlatformsOnceAndOnlyWhenMarkedAndWellNamed) {
    testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath);
    SetButtonValue(L"40C1", kValueName, L"platform");
    const std::wstring product = kProductKeyPath;
    auto mark = [&](const std::wstring& keyName, DWORD value) {
        testing_support::SetDword(HKEY_CURRENT_USER, product + L"\\" + keyName, kValueUserButton,
                                  value);
    };
    for (int vk = 0; vk <= 0xFF; ++vk) {
        wchar_t keyName[8] = {};
        swprintf(keyName, 8, L"40%02x", vk);  // lower case: "40c1" is the platform's 40C1
        mark(keyName, 1);
    }
    testing_support::SetString(HKEY_CURRENT_USER, product + L"\\4013", kValueName,
                               std::wstring(600, L'n'));
    mark(L"4014", 2);
    testing_support::SetString(HKEY_CURRENT_USER, product + L"\\4015", kValueUserButton, L"1");
    for (const std::wstring& odd :
         {std::wstring(L"40"), std::wstring(L"4013x"), std::wstring(L"40-1"),
          std::wstring(L"40\uFF11\uFF11"), std::wstring(200, L'4')}) {
        mark(odd, 1);
    }

    EXPECT_TRUE(LoadButtonCatalogue());

    // Codes 1 to 0xFE, less the platform's 0xC1, 0x14 and 0x15.
    ASSERT_EQ(buttonCatalogue.size(), 1u + 0xFE - 3);
    EXPECT_EQ(buttonCatalogue[0].displayName, L"platform");
    EXPECT_FALSE(buttonCatalogue[0].userButton);
    EXPECT_EQ(buttonCatalogue[1].keyName, L"4001");
    EXPECT_TRUE(buttonCatalogue[1].userButton);
    const int pause = FindButton(L"4013");
    ASSERT_GE(pause, 0);
    EXPECT_EQ(buttonCatalogue[static_cast<size_t>(pause)].displayName, L"4013");
    EXPECT_EQ(FindButton(L"4014"), -1);
    EXPECT_EQ(FindButton(L"4015"), -1);
    EXPECT_EQ(FindButton(L"40ff"), -1);
    EXPECT_FALSE(SettingsKey::IsOpen());
    testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath);
}

TEST_F(ButtonCatalogueTest, AListWithoutButtonsGivesNoneAndNoMessage) {
    testing_support::CreateKey(HKEY_LOCAL_MACHINE, kPlatformButtonsPath);

    EXPECT_TRUE(LoadButtonCatalogue());

    EXPECT_TRUE(buttonCatalogue.empty());
    EXPECT_TRUE(os.calls.empty());
}

// Notes every registry open made through the seam, and makes it.
class RegistryOpensOs : public testing_support::RecordingOs {
  public:
    struct Open {
        HKEY root;
        std::wstring path;
        REGSAM access;
    };
    LONG RegOpenKeyExW(HKEY root, LPCWSTR path, DWORD options, REGSAM access, HKEY* key) override {
        opens.push_back({root, path ? path : L"", access});
        return OsCalls::RegOpenKeyExW(root, path, options, access, key);
    }
    std::vector<Open> opens;
};

// A standard user may read the platform's list but not change it: an open that asks for
// any write right is refused on Windows, and the button would be missing from the page.
TEST_F(ButtonCatalogueTest, ThePlatformListAndEachButtonAreOpenedWithReadRightsOnly) {
    testing_support::SeedDeviceProfile();
    RegistryOpensOs opensOs;

    EXPECT_TRUE(LoadButtonCatalogue());

    ASSERT_EQ(buttonCatalogue.size(), std::size(testing_support::kDeviceButtons));
    std::vector<std::wstring> paths;
    for (const RegistryOpensOs::Open& open : opensOs.opens) {
        SCOPED_TRACE(RegistryOpensOs::Narrow(open.path.c_str()));
        EXPECT_EQ(open.root, HKEY_LOCAL_MACHINE);
        EXPECT_EQ(open.access, static_cast<REGSAM>(KEY_READ));
        paths.push_back(open.path);
    }
    std::vector<std::wstring> expected = {kPlatformButtonsPath};
    for (const testing_support::DeviceButton& button : testing_support::kDeviceButtons) {
        expected.push_back(testing_support::DeviceButtonPath(button.keyName));
    }
    EXPECT_EQ(paths, expected);
}

TEST_F(ButtonCatalogueTest, AMissingListShowsErrorWithOnlyAnOkButton) {
    EXPECT_FALSE(LoadButtonCatalogue());

    EXPECT_THAT(os.calls, ElementsAre("MessageBox(Error!!, (null), 0x0)"));
    EXPECT_TRUE(buttonCatalogue.empty());
    EXPECT_FALSE(testing_support::KeyExists(HKEY_LOCAL_MACHINE, kPlatformButtonsPath));
}

// ---------------------------------------------------------------------------------------

// What a helper thread saw of the message box it closed.
struct SeenBox {
    std::atomic<bool> closed{false};
    std::wstring title;
    std::vector<int> buttonIds;  // visible buttons
};

BOOL CALLBACK CollectButton(HWND child, LPARAM param) {
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (lstrcmpiW(className, L"Button") == 0 && IsWindowVisible(child)) {
        reinterpret_cast<SeenBox*>(param)->buttonIds.push_back(GetDlgCtrlID(child));
    }
    return TRUE;
}

BOOL CALLBACK CloseErrorBox(HWND window, LPARAM param) {
    SeenBox& seen = *reinterpret_cast<SeenBox*>(param);
    if (!FindWindowExW(window, nullptr, L"Static", L"Error!!")) {
        return TRUE;
    }
    wchar_t title[128] = {};
    GetWindowTextW(window, title, 128);
    seen.title = title;
    EnumChildWindows(window, CollectButton, param);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    seen.closed = true;
    return FALSE;
}

BOOL CALLBACK CloseAnyDialog(HWND window, LPARAM) {
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (lstrcmpW(className, L"#32770") == 0) {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    return TRUE;
}

class ErrorBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        buttonCatalogue.clear();
        testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, kPlatformButtonsPath);
    }
    void TearDown() override { testing_support::SeedDeviceProfile(); }
};

TEST_F(ErrorBoxTest, AppearsForRealAndClosesWithOk) {
    const DWORD thread = GetCurrentThreadId();
    SeenBox seen;
    // The first window of a Wine process may take many seconds to appear.
    std::thread closer([&] {
        for (int attempt = 0; attempt < 1200 && !seen.closed; ++attempt) {
            Sleep(50);
            EnumThreadWindows(thread, CloseErrorBox, reinterpret_cast<LPARAM>(&seen));
        }
        // Whatever else came up must not leave the test waiting for ever.
        if (!seen.closed) {
            EnumThreadWindows(thread, CloseAnyDialog, 0);
        }
    });

    const bool loaded = LoadButtonCatalogue();
    closer.join();

    EXPECT_FALSE(loaded);
    EXPECT_TRUE(seen.closed);
    EXPECT_THAT(seen.buttonIds, ElementsAre(IDOK)) << "title: " << seen.title;
    EXPECT_TRUE(buttonCatalogue.empty());
}

// ---------------------------------------------------------------------------------------

class DeviceProfileTest : public ButtonCatalogueTest {};

TEST_F(DeviceProfileTest, RegFileImportsTheSameListAsTheTestMirror) {
    std::wstring file = L"Z:" KESTREL_SOURCE_DIR "/profiles/device-buttons.reg";
    for (wchar_t& c : file) {
        c = c == L'/' ? L'\\' : c;
    }
    std::wstring commandLine = L"reg.exe import \"" + file + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                               CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process));
    WaitForSingleObject(process.hProcess, 30000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_EQ(exitCode, 0u);

    EXPECT_TRUE(LoadButtonCatalogue());

    std::vector<std::wstring> loaded, mirrored;
    for (const ButtonInfo& button : buttonCatalogue) {
        loaded.push_back(button.keyName + L"|" + button.displayName + L"|" + button.iconSpec);
    }
    for (const testing_support::DeviceButton& button : testing_support::kDeviceButtons) {
        mirrored.push_back(std::wstring(button.keyName) + L"|" + button.name + L"|" + button.icon);
    }
    EXPECT_THAT(loaded, ElementsAreArray(mirrored));
}

}  // namespace
