#include "platform/open_programs.h"

#include <cwchar>
#include <iterator>
#include <vector>

namespace platform {

namespace {

// Store apps are shown in windows of this host; the app's own process owns a child window.
constexpr wchar_t kFrameHostFileName[] = L"ApplicationFrameHost.exe";
constexpr int kTitleChars = 256;

bool SameFileName(const std::wstring& first, const std::wstring& second) {
    return CompareStringOrdinal(first.c_str(), static_cast<int>(first.size()), second.c_str(),
                                static_cast<int>(second.size()), TRUE) == CSTR_EQUAL;
}

std::wstring ProcessPath(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) {
        return std::wstring();
    }
    wchar_t path[MAX_PATH * 4] = {};
    DWORD chars = static_cast<DWORD>(std::size(path));
    const BOOL read = QueryFullProcessImageNameW(process, 0, path, &chars);
    CloseHandle(process);
    return read ? std::wstring(path, chars) : std::wstring();
}

struct ChildSearch {
    DWORD hostId;
    DWORD foundId;
};

BOOL CALLBACK FindHostedProcess(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<ChildSearch*>(data);
    DWORD processId = 0;
    GetWindowThreadProcessId(child, &processId);
    if (processId != search->hostId) {
        search->foundId = processId;
        return FALSE;
    }
    return TRUE;
}

// The process whose program a top-level window stands for, and its path.
DWORD ProgramProcessOf(HWND window, std::wstring& path) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    path = ProcessPath(processId);
    if (!path.empty() && SameFileName(FileNameOf(path), kFrameHostFileName)) {
        ChildSearch search = {processId, 0};
        EnumChildWindows(window, FindHostedProcess, reinterpret_cast<LPARAM>(&search));
        if (search.foundId != 0) {
            processId = search.foundId;
            path = ProcessPath(processId);
        }
    }
    return processId;
}

bool IsProgramWindow(HWND window) {
    return IsWindowVisible(window) && !GetWindow(window, GW_OWNER) &&
           !(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) &&
           GetWindowTextLengthW(window) > 0;
}

struct Listing {
    std::vector<OpenProgram> programs;
    DWORD ownId;
};

BOOL CALLBACK AddProgramWindow(HWND window, LPARAM data) {
    auto* listing = reinterpret_cast<Listing*>(data);
    if (!IsProgramWindow(window)) {
        return TRUE;
    }
    std::wstring path;
    if (ProgramProcessOf(window, path) == listing->ownId || path.empty()) {
        return TRUE;
    }
    const std::wstring fileName = FileNameOf(path);
    for (const OpenProgram& listed : listing->programs) {
        if (SameFileName(listed.fileName, fileName)) {
            return TRUE;
        }
    }
    OpenProgram program{path, fileName, ProgramDescription(path)};
    if (program.name.empty()) {
        wchar_t title[kTitleChars] = {};
        GetWindowTextW(window, title, kTitleChars);
        program.name = title;
    }
    listing->programs.push_back(std::move(program));
    return TRUE;
}

}  // namespace

std::vector<OpenProgram> ListOpenProgramsNow() {
    Listing listing{{}, GetCurrentProcessId()};
    EnumWindows(AddProgramWindow, reinterpret_cast<LPARAM>(&listing));
    return listing.programs;
}

std::wstring ProgramPathOfWindow(HWND window) {
    std::wstring path;
    ProgramProcessOf(window, path);
    return path;
}

std::wstring FileNameOf(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring ProgramDescription(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) {
        return std::wstring();
    }
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) {
        return std::wstring();
    }
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    UINT bytes = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &bytes) ||
        bytes < sizeof(Translation)) {
        return std::wstring();
    }
    wchar_t query[64] = {};
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileDescription", translations[0].language,
             translations[0].codePage);
    wchar_t* text = nullptr;
    UINT chars = 0;
    if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&text), &chars) || !text ||
        chars == 0) {
        return std::wstring();
    }
    // The length counts the terminator where there is one; a description is one line.
    return std::wstring(text, wcsnlen(text, chars));
}

}  // namespace platform
