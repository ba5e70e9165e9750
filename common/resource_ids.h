/* Resource and command ids of both programs. Plain #defines, because the resource
   compiler reads this file as well as the C++ code. */
#pragma once

/* Agent */
#define IDI_AGENT 101
#define IDR_TRAY_MENU 102
#define IDD_ABOUT 103
#define IDR_ACCELERATORS 3
#define IDM_SETTINGS 40005
#define IDM_EXIT 40006
#define IDM_ABOUT 40007
#define IDM_PAUSE 40008
#define IDM_ACCEL_SELECT_ALL 40003
/* Ctrl+Q; like Ctrl+A it has no handler and ends in default processing. */
#define IDM_ACCEL_QUIT 1
/* Controls that are never addressed (the about box's icon and texts). */
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* Customizer */
#define IDI_CUSTOMIZER 128
#define IDI_BUTTON_DEFAULT 131
#define IDD_PAGE_BUTTONS 103
#define IDD_PAGE_TIMING 104
#define IDC_LIST_BUTTONS 1009
#define IDC_COMBO_PROGRAM 1010
#define IDC_LIST_MODES 1011
#define IDC_SLIDER_DOUBLE 1011
#define IDC_LABEL_DOUBLE 1012
#define IDC_LABEL_DOUBLE_UNIT 1013
#define IDC_SLIDER_HOLD 1014
#define IDC_LABEL_HOLD 1015
#define IDC_LABEL_HOLD_UNIT 1016
#define IDC_RESTORE_DEFAULTS 1002
/* The Button page's choices beside the program box, and the key recorder's dialog. */
#define IDC_BROWSE 1020
#define IDC_RECORD_KEYS 1021
#define IDD_KEY_RECORDER 140
#define IDC_KEY_COMBINATION 1022
/* Adding a key by pressing it, and removing it again. */
#define IDD_ADD_KEY 150
#define IDI_MOUSE_BUTTON 151
#define IDC_ADD_KEY 1040
#define IDC_REMOVE_KEY 1041
#define IDC_ADD_KEY_PROMPT 1042
#define IDC_ADD_KEY_STATUS 1043
/* Settings per program: the selector above the button list, its two push buttons, the
   program's off switch and a button's rule in it; the dialog that adds a program. */
#define IDC_COMBO_APP 1070
#define IDC_ADD_APP 1071
#define IDC_REMOVE_APP 1072
#define IDC_APP_OFF 1073
#define IDC_COMBO_RULE 1074
#define IDD_ADD_APP 170
#define IDC_LIST_OPEN_APPS 1075
#define IDC_BROWSE_APP 1076

/* The handheld's caption OK button; desktop Win32 has no such extended style. */
#ifndef WS_EX_CAPTIONOKBTN
#define WS_EX_CAPTIONOKBTN 0x80000000L
#endif
