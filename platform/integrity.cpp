#include "platform/integrity.h"

#include <vector>

namespace platform {

namespace {

// The last sub-authority of the token's mandatory label is its level.
bool TokenLevel(HANDLE token, DWORD* level) {
    DWORD size = 0;
    GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
    if (size < sizeof(TOKEN_MANDATORY_LABEL)) {
        return false;
    }
    std::vector<BYTE> buffer(size);
    auto* label = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data());
    if (!GetTokenInformation(token, TokenIntegrityLevel, label, size, &size) || !label->Label.Sid ||
        !IsValidSid(label->Label.Sid)) {
        return false;
    }
    const UCHAR count = *GetSidSubAuthorityCount(label->Label.Sid);
    if (count == 0) {
        return false;
    }
    *level = *GetSidSubAuthority(label->Label.Sid, count - 1);
    return true;
}

enum class Look { Known, Refused, Unknown };

Look ProcessLevel(HANDLE process, DWORD* level) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) {
        return GetLastError() == ERROR_ACCESS_DENIED ? Look::Refused : Look::Unknown;
    }
    const bool known = TokenLevel(token, level);
    CloseHandle(token);
    return known ? Look::Known : Look::Unknown;
}

}  // namespace

DWORD CurrentIntegrityLevel() {
    DWORD level = SECURITY_MANDATORY_MEDIUM_RID;
    ProcessLevel(GetCurrentProcess(), &level);
    return level;
}

bool ForegroundAboveLevel(DWORD level) {
    HWND front = GetForegroundWindow();
    DWORD processId = 0;
    if (!front || !GetWindowThreadProcessId(front, &processId) || processId == 0 ||
        processId == GetCurrentProcessId()) {
        return false;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) {
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    DWORD frontLevel = 0;
    const Look look = ProcessLevel(process, &frontLevel);
    CloseHandle(process);
    return look == Look::Refused || (look == Look::Known && frontLevel > level);
}

}  // namespace platform
