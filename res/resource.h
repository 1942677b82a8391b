// Resource identifiers of the program.
#pragma once

#define IDC_STATIC (-1)

// Dialogs.
#define IDD_ABOUT 100
#define IDD_MAIN 102
#define IDD_PROGRESS 130
#define IDD_NEW_PROFILE 136

// Strings.
#define IDS_ABOUTBOX 101

// Icon, menu and bitmaps.
#define IDR_MAINFRAME 128
#define IDR_LIST_MENU 129
#define IDB_BANNER 132
#define IDB_ABOUT_BACKGROUND 133
#define IDB_LIST_ICON 135

// System menu command (the low four bits are the system's).
#define IDM_ABOUTBOX 0x0010

// Menu commands.
#define ID_LIST_COPY 32771
#define ID_LIST_REMOVE 32772

// Controls.
#define IDC_GENERATE 1000
#define IDC_SERVER 1001
#define IDC_USERNAME 1002
#define IDC_PASSWORD 1003
#define IDC_VERIFY 1004
#define IDC_RESULT_TAB 1005
#define IDC_LIST_OST 1006
#define IDC_LIST_NONOST 1008
#define IDC_LIST_ERRORS 1009
#define IDC_CLEAR 1011
#define IDC_SAVE 1012
#define IDC_BANNER 1013
#define IDC_LINK_WEBSITE 1014
#define IDC_LINK_SUPPORT 1015
#define IDC_LINK_SALES 1016
#define IDC_PAUSE 1017
#define IDC_STOP 1018
#define IDC_PROGRESS_TEXT 1019
#define IDC_PROFILE_NAME 1020
#define IDC_VERSION_TEXT 1021
#define IDC_ABOUT 1022
#define IDC_NOTICE_TEXT 1022
