// Stands in for a program that Kestrel starts. Each start appends one line to the file
// "<its own path>.started": the process id and the command line.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    wchar_t path[MAX_PATH + 16] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return 1;
    }
    wcscat(path, L".started");
    FILE* proof = _wfopen(path, L"a");
    if (!proof) {
        return 1;
    }
    fwprintf(proof, L"%lu %ls\n", GetCurrentProcessId(), commandLine);
    fclose(proof);
    return 0;
}
