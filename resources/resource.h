// Resource identifiers of CVMail.exe.
#pragma once

#define IDS_APP_TITLE 1

// Main frame: title string, menu, accelerators and icon share this id.
#define IDR_MAINFRAME 128
// Communication log state icons (status bar): on / off.
#define IDI_LOG_ON 310
#define IDI_LOG_OFF 128
// Default toolbar layouts (resource type "FILE": 32-bit command ids, -1 a
// separator): the main window's, the viewer window's, and the editor
// window's main and format toolbars.
#define IDR_TOOLBAR_DEFAULT 301
#define IDR_VIEWER_TOOLBAR_DEFAULT 302
#define IDR_EDITOR_TOOLBAR_DEFAULT 303
#define IDR_EDITOR_FORMAT_TOOLBAR_DEFAULT 304
// The toolbars' built-in pictures: one 16-pixel square per command of the
// layout above, in the layout's order; magenta shows the button face.
#define IDB_MAIN_TOOLBAR 145
#define IDB_VIEWER_TOOLBAR 134
#define IDB_EDITOR_TOOLBAR 140
#define IDB_EDITOR_FORMAT_TOOLBAR 453
#define TOOLBAR_PICTURE_SIZE 16
#define TOOLBAR_FACE_COLOR RGB(255, 0, 255)

// Dialogs.
#define IDD_ABOUTBOX 100
#define IDD_INPUT_PASSWORD 223
#define IDD_START_PASSWORD_SETTING 447
#define IDD_END_WAIT 448

// Controls.
#define IDC_ABOUT_VERSION 1359
#define IDC_ABOUT_URL 1061
#define IDC_ABOUT_LEGAL 1634
#define IDC_ABOUT_PICTURE 1419
#define IDC_PASSWORD 1249
#define IDC_PASSWORD_CONFIRM 1062
#define IDC_SAVE_PASSWORD 1257
#define IDC_PASSWORD_PROMPT 1799
#define IDC_END_WAIT_TEXT 1000

// Strings.
#define IDS_OLE_INIT_FAILED 100
#define IDS_PRODUCT_NAME 101
#define IDS_SOCKETS_INIT_FAILED 104
#define IDS_START_PASSWORD_PROMPT 105
#define IDS_MAILTO_FRIENDLY_NAME 202
#define IDS_MAKER_URL 1501
#define IDS_RECEIVE_TIMEOUT 59442
// Ends of a receive or a dial-up (lParam of thread message 1360).
#define IDS_CONNECT_FAILED 57616
#define IDS_POP3_USER_NOT_FOUND 57617
#define IDS_RECEIVE_ERROR 57619
#define IDS_SOCKET_CREATE_FAILED 57621
#define IDS_DIAL_FAILED 57622
#define IDS_LINE_DROPPED 57626
#define IDS_LOGIN_FAILED 57631
#define IDS_NEED_ACCOUNT 59172
// Refused names of folders and rule sets.
#define IDS_NAME_EMPTY 2120
#define IDS_NAME_TRAILING 2121
#define IDS_DEVICE_NAMES 57655
// The status bar's prompt while nothing else is shown.
#define IDS_IDLE_PROMPT 57345

// Commands.
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_FILE_PRINT_DIRECT 57608
#define ID_ROUTE_RECEIVE 32775
#define ID_TASKLIST_OPEN 33239
#define ID_COMM_LOG 33053
