#pragma once
// Key codes stand in settings as hex digits: in subkey names ("40C1") and key sequences.
#include <cwchar>

namespace kestrel {

// The value of one hex digit, -1 for anything else. Plain ASCII digits only: a library
// scanner would take blanks, signs or other scripts' digits too.
inline int HexDigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    return -1;
}

}  // namespace kestrel
