// Resource ids of setup.exe.
#pragma once

// Dialog templates
#define IDD_SETUP 102
#define IDD_COPY 110
#define IDD_FINISH 112

// Pictures and icon
#define IDB_LOGO 109
#define IDB_FINISH 118
#define IDI_SETUP 120
#define IDB_BACKGROUND 125

// The payload container
#define IDR_CMPFILE 121
#define RT_CMPFILE "CMPFILE"
// The payload's check value: its length and CRC-32 (see container.h). A
// resource of its own, so that readers that know only 121 never see it.
#define IDR_CMPCHECK 122

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Setup dialog
#define IDC_BTN_EXIT 1000
#define IDC_LBL_WELCOME 1006
#define IDC_BTN_INSTALL 1016
#define IDC_GRP_APATH 1017
#define IDC_BTN_CHANGE_APATH 1018
#define IDC_GRP_DPATH 1020
#define IDC_BTN_CHANGE_DPATH 1021
#define IDC_BTN_CHANGE_CPATH 1022
#define IDC_EDT_DPATH 1042
#define IDC_EDT_APATH 1043
#define IDC_IMG_LOGO 1044
#define IDC_GRP_CPATH 1045
#define IDC_EDT_CPATH 1046
#define IDC_LBL_STATE 1048

// Copy dialog
#define IDC_CDLG_GRP_FRAME 1023
#define IDC_CDLG_PRG_CPFILE 1024
#define IDC_CDLG_LBL_COPYING 1025
#define IDC_CDLG_LBL_FNAME 1026
#define IDC_CDLG_BTN_CANCEL 1028

// Finish dialog
#define IDC_FDLG_BTN_OK 1040
#define IDC_FDLG_LBL_MESSAGE 1049

// The uninstaller, Uninst72.exe, in a container of its own (type CMPFILE)
#define IDR_UNINSTALL 131
