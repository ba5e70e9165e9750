#pragma once
// The input panel calls of the handheld shell, which desktop Win32 lacks. Where Windows has
// an on-screen keyboard they show and hide that; where it has none (Wine), our stand-in
// keeps a real top-level panel window whose visibility is the panel's state, so that other
// processes can see it.
#include <windows.h>

#ifndef SIPF_OFF
#define SIPF_OFF 0x00000000
#define SIPF_ON 0x00000001
#endif

// Laid out as on the handheld (48 bytes): the stand-in never touches the input method
// data, so its pointer is kept at the handheld's 32-bit width.
struct SIPINFO {
    DWORD cbSize;
    DWORD fdwFlags;
    RECT rcVisibleDesktop;
    RECT rcSipRect;
    DWORD dwImDataSize;
    DWORD pvImData;
};
static_assert(sizeof(SIPINFO) == 48, "SIPINFO keeps the handheld's size");

// Class and title of the stand-in panel window, so tests and tools can find it.
#define KESTREL_SIP_CLASS L"SipWndClass"
#define KESTREL_SIP_TITLE L"Input Panel"

BOOL SipGetInfo(SIPINFO* info);
BOOL SipShowIM(DWORD flags);
