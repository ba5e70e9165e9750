#include "customizer/catalogues.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>
#include <cwctype>
#include <unordered_set>

#include "common/hex_digit.h"
#include "common/key_sequence.h"
#include "common/settings_key.h"
#include "common/while_held.h"
#include "customizer/while_held_choice.h"
#include "platform/os_calls.h"

namespace kestrel {

ButtonCatalogue buttonCatalogue;
CommandCatalogue commandCatalogue;

namespace {

// The walk builds every path in buffers of this many characters, terminator included, so a
// program's full path always fits the 259 characters a stored command can hold.
constexpr size_t kWalkPathChars = 256;
constexpr size_t kExtensionChars = 4;  // the dot and "lnk" or "exe"
// What the agent's program start hands to the shell for an app of a package: the shell's
// applications folder, a backslash and the app's id.
constexpr wchar_t kAppsFolder[] = L"shell:AppsFolder";
// An app of a package has the id "<package family>!<app>"; the other items of the folder
// are programs that have their shortcuts in the Start menu already.
constexpr wchar_t kPackagedAppMark = L'!';

bool FitsWalkBuffer(size_t length) {
    return length < kWalkPathChars;
}

// The listing also reports the folder itself and its parent; walking into either would
// never end.
bool IsSelfOrParent(const wchar_t* name) {
    return std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0;
}

bool IsProgramFile(const wchar_t* name) {
    return HasExtension(name, L"lnk") || HasExtension(name, L"exe");
}

// Signed decimal with leading blanks skipped, stopping at the first non-digit; a value
// beyond 32 bits is held at the nearest end rather than wrapped.
int32_t ParseIconIndex(const std::wstring& token) {
    size_t at = 0;
    while (at < token.size() && std::iswspace(token[at])) {
        ++at;
    }
    bool negative = false;
    if (at < token.size() && (token[at] == L'-' || token[at] == L'+')) {
        negative = token[at] == L'-';
        ++at;
    }
    int64_t magnitude = 0;
    for (; at < token.size() && token[at] >= L'0' && token[at] <= L'9'; ++at) {
        magnitude = magnitude * 10 + (token[at] - L'0');
        if (magnitude > INT32_MAX) {
            magnitude = static_cast<int64_t>(INT32_MAX) + 1;
        }
    }
    if (negative) {
        return static_cast<int32_t>(-magnitude);
    }
    return static_cast<int32_t>(magnitude > INT32_MAX ? INT32_MAX : magnitude);
}

// The next run of non-comma characters from `at`, commas before it skipped; empty when
// only commas are left.
std::wstring NextToken(const std::wstring& text, size_t& at) {
    while (at < text.size() && text[at] == L',') {
        ++at;
    }
    const size_t start = at;
    while (at < text.size() && text[at] != L',') {
        ++at;
    }
    return text.substr(start, at - start);
}

// Every subkey of the product key that carries the user's mark and a name of the added
// keys' form, after the platform's buttons and never twice. Whatever else another program
// left there is not listed, and a name that cannot be read shows the subkey's name.
void AddUserButtons() {
    HKEY product = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kProductKeyPath, 0, KEY_READ, &product) != ERROR_SUCCESS) {
        return;
    }
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256] = {};
        DWORD length = 256;
        if (RegEnumKeyExW(product, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        if (UserButtonKeyCode(std::wstring(name, length)) != 0) {
            names.emplace_back(name, length);
        }
    }
    RegCloseKey(product);

    for (const std::wstring& name : names) {
        const std::wstring path = std::wstring(kProductKeyPath) + L"\\" + name;
        if (FindButton(name) >= 0 || !SettingsKey::OpenKeyToRead(HKEY_CURRENT_USER, path.c_str())) {
            continue;
        }
        DWORD mark = 0;
        wchar_t buttonName[kStringChars] = {};
        wchar_t iconSpec[kStringChars] = {};
        const bool marked = SettingsKey::ReadDword(kValueUserButton, mark) && mark == 1;
        SettingsKey::ReadString(kValueName, buttonName);
        SettingsKey::ReadString(kValueIcon, iconSpec);
        SettingsKey::CloseKey();
        if (!marked) {
            continue;
        }
        buttonCatalogue.emplace_back(name, buttonName[0] ? buttonName : name.c_str(), iconSpec);
        buttonCatalogue.back().userButton = true;
    }
}

}  // namespace

CommandEntry::CommandEntry(int32_t type, const std::wstring& first, const std::wstring& second)
    : type(type) {
    if (type == kActionProgram) {
        command = first + L"\\" + second;
        displayName = second.size() < kExtensionChars
                          ? second
                          : second.substr(0, second.size() - kExtensionChars);
    } else {
        command = first;
        displayName = second;
    }
}

ButtonInfo::ButtonInfo(const std::wstring& keyName, const std::wstring& displayName,
                       const std::wstring& iconSpec)
    : keyName(keyName), displayName(displayName), iconSpec(iconSpec) {
    size_t at = 0;
    std::wstring file = NextToken(iconSpec, at);
    // A value of commas alone names no file; reading an icon from an empty path would
    // reach for whatever the platform makes of it.
    if (file.empty()) {
        return;
    }
    iconFile = file;
    hasIcon = true;
    // Without an index the file's first icon is meant.
    const std::wstring index = NextToken(iconSpec, at);
    iconIndex = index.empty() ? 0 : ParseIconIndex(index);
}

bool LoadButtonCatalogue() {
    HKEY list = nullptr;
    // The list is the platform's: a standard user may read it but not change it, so no
    // open of it asks for more.
    if (platform::Os().RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPlatformButtonsPath, 0, KEY_READ,
                                     &list) != ERROR_SUCCESS) {
        platform::Os().MessageBoxW(nullptr, L"Error!!", nullptr, MB_OK);
        return false;
    }
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256] = {};
        DWORD length = 256;
        if (RegEnumKeyExW(list, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    RegCloseKey(list);

    for (const std::wstring& name : names) {
        const std::wstring path = std::wstring(kPlatformButtonsPath) + L"\\" + name;
        if (!SettingsKey::OpenKeyToRead(HKEY_LOCAL_MACHINE, path.c_str())) {
            continue;
        }
        wchar_t buttonName[kStringChars] = {};
        wchar_t iconSpec[kStringChars] = {};
        SettingsKey::ReadString(kValueName, buttonName);
        SettingsKey::ReadString(kValueIcon, iconSpec);
        SettingsKey::CloseKey();
        buttonCatalogue.emplace_back(name, buttonName, iconSpec);
    }
    AddUserButtons();
    return true;
}

std::wstring UserButtonKeyName(uint32_t vk) {
    if (vk < 1 || vk > 0xFE) {
        return std::wstring();
    }
    wchar_t name[8] = {};
    swprintf(name, 8, kUserButtonKeyFormat, vk);
    return name;
}

uint32_t UserButtonKeyCode(const std::wstring& keyName) {
    if (keyName.size() != 4 || keyName[0] != L'4' || keyName[1] != L'0') {
        return 0;
    }
    const int high = HexDigitValue(keyName[2]);
    const int low = HexDigitValue(keyName[3]);
    if (high < 0 || low < 0) {
        return 0;
    }
    const uint32_t vk = static_cast<uint32_t>(high * 16 + low);
    return vk >= 1 && vk <= 0xFE ? vk : 0;
}

int FindButton(const std::wstring& keyName) {
    for (size_t i = 0; i < buttonCatalogue.size(); ++i) {
        if (_wcsicmp(buttonCatalogue[i].keyName.c_str(), keyName.c_str()) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::wstring StartMenuFolderOf(const std::wstring& programsFolder) {
    const size_t cut = programsFolder.rfind(L'\\');
    if (cut == std::wstring::npos) {
        return programsFolder;
    }
    return programsFolder.substr(0, cut);
}

namespace {

std::wstring StartMenuFolderFor(int programsFolderId) {
    wchar_t programs[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, programs, programsFolderId, TRUE)) {
        return std::wstring();
    }
    const std::wstring folder = StartMenuFolderOf(programs);
    return FitsWalkBuffer(folder.size()) ? folder : std::wstring();
}

}  // namespace

std::wstring FindProgramFolder() {
    return StartMenuFolderFor(CSIDL_PROGRAMS);
}

std::wstring FindCommonProgramFolder() {
    return StartMenuFolderFor(CSIDL_COMMON_PROGRAMS);
}

namespace {

// Shortcuts already offered, by their place below their Start menu folder, in lower case
// as the file system compares names.
using OfferedPlaces = std::unordered_set<std::wstring>;

std::wstring PlaceKey(const std::wstring& path, size_t rootLength) {
    std::wstring place = path.substr(rootLength);
    CharLowerBuffW(&place[0], static_cast<DWORD>(place.size()));
    return place;
}

// The walk below `folder`; `rootLength` is the length of the Start menu folder it began
// at. With `offered`, every entry taken is noted there, or, when `skipOffered`, an entry
// noted there already is left out.
bool Walk(const std::wstring& folder, size_t rootLength, OfferedPlaces* offered, bool skipOffered) {
    // An empty folder would make the pattern "\*", the root of the current drive.
    if (folder.empty() || !FitsWalkBuffer(folder.size() + 2)) {
        return false;
    }
    const std::wstring pattern = folder + L"\\*";
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileW(pattern.c_str(), &found);
    if (listing == INVALID_HANDLE_VALUE) {
        return false;
    }
    do {
        const wchar_t* name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) || IsSelfOrParent(name) ||
            !FitsWalkBuffer(folder.size() + 1 + std::wcslen(name))) {
            continue;
        }
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Walk(folder + L"\\" + name, rootLength, offered, skipOffered);
        } else if (IsProgramFile(name)) {
            if (offered) {
                const std::wstring place = PlaceKey(folder + L"\\" + name, rootLength);
                if (skipOffered ? offered->count(place) != 0 : !offered->insert(place).second) {
                    continue;
                }
            }
            commandCatalogue.emplace_back(kActionProgram, folder, name);
        }
    } while (FindNextFileW(listing, &found));
    FindClose(listing);
    return true;
}

// A command longer than a stored string holds would be cut short, and open something else.
void AddShellApps() {
    for (const platform::ShellApp& app : platform::Os().ListShellApps()) {
        if (app.name.empty() || app.parsingName.find(kPackagedAppMark) == std::wstring::npos) {
            continue;
        }
        CommandEntry entry(kActionProgram, kAppsFolder, app.parsingName);
        if (entry.command.size() >= static_cast<size_t>(kStringChars)) {
            continue;
        }
        entry.displayName = app.name;
        commandCatalogue.push_back(entry);
    }
}

}  // namespace

bool AddProgramEntries(const std::wstring& folder) {
    return Walk(folder, folder.size(), nullptr, false);
}

void AddStartMenuPrograms() {
    OfferedPlaces offered;
    const std::wstring own = FindProgramFolder();
    Walk(own, own.size(), &offered, false);
    const std::wstring common = FindCommonProgramFolder();
    // Where both are one folder, its shortcuts are offered once already.
    if (!common.empty() && _wcsicmp(common.c_str(), own.c_str()) != 0) {
        Walk(common, common.size(), &offered, true);
    }
    AddShellApps();
}

bool HasExtension(const wchar_t* fileName, const wchar_t* extension) {
    if (!fileName || !extension) {
        return false;
    }
    const wchar_t* dot = std::wcsrchr(fileName, L'.');
    return dot && _wcsicmp(dot + 1, extension) == 0;
}

void AddFixedCommands() {
    struct Fixed {
        int32_t type;
        const wchar_t* command;
        const wchar_t* displayName;
    };
    static const Fixed kFixed[] = {
        {kActionDeviceCommand, L"0", L"＜Today＞"},
        {kActionDeviceCommand, L"1", L"＜ｽﾀｰﾄ ﾒﾆｭｰ＞"},
        {kActionDeviceCommand, L"2", L"＜入力ﾊﾟﾈﾙ＞"},
        {kActionKeySequence, L"#AC", L"［Ctrl+A］"},
        {kActionKeySequence, L"#CC", L"［Ctrl+C］"},
        {kActionKeySequence, L"#VC", L"［Ctrl+V］"},
        {kActionKeySequence, L"#ZC", L"［Ctrl+Z］"},
        {kActionKeySequence, L"#QC", L"［Ctrl+Q］"},
        {kActionKeySequence, L"#OC", L"［Ctrl+O］"},
        {kActionKeySequence, L"#*#", L"［Enter］"},
        {kActionKeySequence, L"#&#", L"［ESC］"},
        {kActionKeySequence, L"#_#", L"［Space］"},
        {kActionKeySequence, L"#>S", L"［Shift+→］"},
        {kActionKeySequence, L"#<S", L"［Shift+←］"},
        {kActionStandardButton, L"", L"＜標準ボタン＞"},
        {kActionDeviceCommand, kDeviceCommandPauseText, L"＜Kestrelの一時停止/再開＞"},
    };
    // The no-assignment entry: built like a program from nothing, so its command is "\".
    commandCatalogue.emplace_back(kActionProgram, L"", L"");
    for (const Fixed& entry : kFixed) {
        commandCatalogue.emplace_back(entry.type, entry.command, entry.displayName);
    }
}

const CommandEntry* EntryWritingPair(int32_t type, const std::wstring& command) {
    const CommandEntry* match = nullptr;
    for (const CommandEntry& entry : commandCatalogue) {
        if (entry.type == type && entry.command == command) {
            match = &entry;
        }
    }
    if (!match) {
        return nullptr;
    }
    // Among entries that share the display name, the page writes the last one.
    const CommandEntry* written = nullptr;
    for (const CommandEntry& entry : commandCatalogue) {
        if (entry.displayName == match->displayName) {
            written = &entry;
        }
    }
    return written->type == type && written->command == command ? written : nullptr;
}

std::wstring KeptPairText(uint32_t type, const std::wstring& command) {
    if (type == kActionProgram) {
        const size_t cut = command.find_last_of(L"\\/");
        const std::wstring fileName = cut == std::wstring::npos ? command : command.substr(cut + 1);
        return fileName.empty() ? command : fileName;
    }
    KeyCombination combination;
    if (type == kActionKeySequence && ParseCombination(command, combination)) {
        return CombinationText(combination);
    }
    // The agent toggles a latch by the first character alone, capital only.
    if (type == kActionLatch && !command.empty() && command[0] == L'S') {
        return L"Shiftラッチ";
    }
    if (type == kActionLatch && !command.empty() && command[0] == L'C') {
        return L"Ctrlラッチ";
    }
    if (type == kActionWhileHeld && WhileHeldModifiers(command) != 0) {
        return WhileHeldText(WhileHeldModifiers(command));
    }
    return command;
}

}  // namespace kestrel
