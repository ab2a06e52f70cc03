/* Identifiers and texts shared by the program's code and its resources (panel.rc). */
#ifndef KESTREL_RESOURCE_H
#define KESTREL_RESOURCE_H

/* Name of the main window's class and of the single-instance mutex. In code:
   L"" KESTREL_INSTANCE_ID. */
#define KESTREL_INSTANCE_ID "{9B7CBD2A-28DF-445b-89C4-CD6D7CDBA667}"
/* Program title (narrow text) and maker, also in the version block. */
#define KESTREL_PRODUCT_NAME "Norvane Docklet - Control Panel"
#define KESTREL_COMPANY_NAME "Norvane Diagnostics GmbH"

/* Program icon. */
#define IDR_MAINFRAME 128

/* Dialog templates. */
#define IDD_ABOUTBOX 100
#define IDD_MAINDLG 129
#define IDD_CONNECTIONDLG 201
#define IDD_GLOBALDLG 202

/* Controls. */
#define IDC_ABOUT_TEXT 1004
#define IDC_PORT_LIST 1005
#define IDC_PREFERENCES 1007
#define IDC_USE_DEFAULT 1009
#define IDC_USE_SPECIFIC 1010
#define IDC_COM_ACTIVE 1011
#define IDC_DMS_HOST 1012
#define IDC_DMS_PORT 1013
#define IDC_DMS_RETRY 1014
#define IDC_LOG_FOLDER 1015
#define IDC_BROWSE 1017
#define IDC_LOG_LEVEL 1018
#define IDC_USE_SSL 1020

/* Commands. */
#define ID_VIEW_COMMPORTS 32772
#define ID_TRAY_QUIT 32773
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665

/* String table: the system menu's About item and the port list's column headers. */
#define IDS_ABOUT_MENU 129
#define IDS_COLUMN_COMPORT 130
#define IDS_COLUMN_SERIAL 131
#define IDS_COLUMN_INFO 133
#define IDS_COLUMN_MODE 134
#define IDS_COLUMN_CHECK 135
#define IDS_COLUMN_RX 136
#define IDS_COLUMN_TX 137
#define IDS_COLUMN_STATUS 138
#define IDS_COLUMN_CONNECTION 139
#define IDS_COLUMN_BUTTON 140

/* Private window messages (WM_APP comes from windows.h). */
#define WM_NOTIFYICON (WM_APP + 1)
#define WM_EDITPORT (WM_APP + 2)

#endif
