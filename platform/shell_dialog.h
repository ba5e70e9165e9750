#pragma once
// The handheld shell's dialog helper, which desktop Win32 lacks: SHInitDialog sizes a
// dialog to the screen, gives it a done button and puts the input panel down. Our
// stand-in does the same with desktop means: the work area for the screen, an OK push
// button (id IDOK) at the top right of the dialog for the done button in the caption.
#include <windows.h>

#ifndef SHIDIM_FLAGS
#define SHIDIM_FLAGS 0x0001

#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004
#define SHIDIF_SIPDOWN 0x0008
#endif

struct SHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
};

// Applies the flags of `info` (when its mask holds SHIDIM_FLAGS) to the dialog. False for
// a missing record or a handle that is no window. A full-screen dialog fills the work area
// only on a screen of handheld size; on a larger one it keeps its own size, centred.
BOOL SHInitDialog(SHINITDLGINFO* info);
