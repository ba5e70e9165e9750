#pragma once
// Whether this process runs in a Wine prefix made for the tests. The tests and benchmarks
// delete and rewrite the settings of the prefix they run in (the product's settings and
// the device's button list), so they refuse to start anywhere else.
//
// A scratch prefix is marked by KESTREL_SCRATCH_PREFIX naming the same folder as
// WINEPREFIX: ctest's wrapper (cmake/run_in_scratch_prefix.sh) and start_fresh_wine in
// scripts/env.sh set both. A marker alone is not enough, since a prefix that is not named
// falls back to ~/.wine.
#include <windows.h>

#include <cstdio>
#include <string>

namespace testing_support {
namespace scratch_detail {

inline std::wstring Environment(const wchar_t* name) {
    wchar_t buffer[4096];
    const DWORD length = GetEnvironmentVariableW(name, buffer, ARRAYSIZE(buffer));
    if (length == 0 || length >= ARRAYSIZE(buffer)) {
        return L"";
    }
    return std::wstring(buffer, length);
}

inline std::wstring WithoutTrailingSlashes(std::wstring path) {
    while (path.size() > 1 && (path.back() == L'/' || path.back() == L'\\')) {
        path.pop_back();
    }
    return path;
}

inline bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace scratch_detail

// Empty when this process may run the tests; otherwise why it may not.
inline std::string WhyNotAScratchPrefix() {
    using namespace scratch_detail;
    const std::wstring marker = WithoutTrailingSlashes(Environment(L"KESTREL_SCRATCH_PREFIX"));
    if (!UnderWine()) {
        // On Windows itself the tests would rewrite this account's own settings.
        return marker.empty() ? "not under Wine, and KESTREL_SCRATCH_PREFIX does not declare "
                                "this Windows account disposable"
                              : "";
    }
    const std::wstring prefix = WithoutTrailingSlashes(Environment(L"WINEPREFIX"));
    if (prefix.empty()) {
        return "WINEPREFIX is not set, so Wine would use your own prefix ~/.wine";
    }
    if (marker.empty()) {
        return "WINEPREFIX is not marked as a scratch prefix (KESTREL_SCRATCH_PREFIX is not set)";
    }
    if (marker != prefix) {
        return "KESTREL_SCRATCH_PREFIX names another folder than WINEPREFIX";
    }
    const size_t slash = prefix.find_last_of(L"/\\");
    if (prefix.substr(slash == std::wstring::npos ? 0 : slash + 1) == L".wine") {
        return "WINEPREFIX is a default prefix (.wine)";
    }
    return "";
}

// Prints why `program` refuses and how to run it; returns true when it must stop.
inline bool RefuseOutsideScratchPrefix(const char* program) {
    const std::string why = WhyNotAScratchPrefix();
    if (why.empty()) {
        return false;
    }
    std::fprintf(stderr,
                 "%s refuses to run: it deletes the settings of the Wine prefix it runs in, "
                 "and this is not a scratch prefix: %s.\n"
                 "Run the tests with `bash scripts/test.sh`, or with `ctest` in the build "
                 "folder (it makes a scratch prefix there), the benchmarks with `bash "
                 "scripts/bench.sh`, or start one program inside\n"
                 "  bash -c 'source scripts/env.sh && start_fresh_wine NAME && wine64 "
                 "PROGRAM.exe'\n",
                 program, why.c_str());
    return true;
}

}  // namespace testing_support
