#include "common/trace.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>

#include "platform/os_calls.h"

namespace kestrel {

#if KESTREL_TRACE

namespace {

constexpr size_t kMessageChars = 512;
constexpr size_t kStampChars = 40;
constexpr size_t kLineChars = 512;

// How many of the first `limit` characters of `text` can be kept without splitting a
// surrogate pair at the cut.
size_t KeepableChars(const wchar_t* text, size_t length, size_t limit) {
    size_t keep = length < limit ? length : limit;
    if (keep < length && keep > 0 && IS_HIGH_SURROGATE(text[keep - 1])) {
        --keep;
    }
    return keep;
}

// wvsprintfW takes no buffer size, so a long argument would run past the buffer; the
// bounded formatter of the runtime follows the same conventions (%s is a wide string)
// and stops at the end of the buffer.
void FormatMessageText(wchar_t (&message)[kMessageChars], const wchar_t* format, va_list args) {
    wchar_t formatted[kMessageChars + 1] = {};
    _vsnwprintf(formatted, kMessageChars, format, args);
    formatted[kMessageChars] = L'\0';
    const size_t keep = KeepableChars(formatted, wcslen(formatted), kMessageChars - 1);
    wmemcpy(message, formatted, keep);
    message[keep] = L'\0';
}

// "date time message\n"; a message too long for the line is cut, and the line feed is
// kept so that every call still ends its own line.
void BuildLine(wchar_t (&line)[kLineChars], const wchar_t (&date)[kStampChars],
               const wchar_t (&time)[kStampChars], const wchar_t (&message)[kMessageChars]) {
    // One character stays for the line feed, one for the terminator.
    constexpr size_t kTextRoom = kLineChars - 2;
    size_t used = 0;
    auto append = [&](const wchar_t* text, size_t capacity) {
        const size_t length = wcsnlen(text, capacity - 1);
        const size_t keep = KeepableChars(text, length, kTextRoom - used);
        wmemcpy(line + used, text, keep);
        used += keep;
    };
    append(date, kStampChars);
    append(L" ", 2);
    append(time, kStampChars);
    append(L" ", 2);
    append(message, kMessageChars);
    line[used++] = L'\n';
    line[used] = L'\0';
}

}  // namespace

void Trace(const wchar_t* format, ...) {
    if (!format) {
        return;
    }
    wchar_t message[kMessageChars] = {};
    va_list args;
    va_start(args, format);
    FormatMessageText(message, format, args);
    va_end(args);

    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t date[kStampChars] = {};
    wchar_t time[kStampChars] = {};
    GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &now, L"yyyy/MM/dd", date, kStampChars);
    GetTimeFormatW(LOCALE_SYSTEM_DEFAULT, 0, &now, L"HH:mm:ss", time, kStampChars);

    wchar_t line[kLineChars] = {};
    BuildLine(line, date, time, message);
    platform::Os().OutputDebugStringW(line);
}

#else

// The agent's build: the format and the arguments are never looked at.
void Trace(const wchar_t*, ...) {}

#endif

}  // namespace kestrel
