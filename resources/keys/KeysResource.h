// Resource ids of the keys, menus, toolbars and new-mail notification area.
#pragma once

// Texts of the new-mail notification window's links.
#define IDS_NOTIFY_BRING_TO_FRONT 59455
#define IDS_NOTIFY_CLOSE 59456

// Commands of the tray menu and the main window that belong to this area.
#define ID_SHOW_NEW_MAIL_NOTICE 33268
#define ID_MINIMIZE_MAIN_WINDOW 33019

// The key assignment dialog and the key selection dialog.
#define IDD_KEY_ASSIGN 262
#define IDD_KEY_SELECT 263
#define ID_KEY_ASSIGN_OPEN 32996
#define IDC_KEY_WINDOW_KIND 1360
#define IDC_KEY_COMMANDS 1361
#define IDC_KEY_ADD 1363
#define IDC_KEY_CHANGE 1364
#define IDC_KEY_DELETE 1365
#define IDC_KEY_LIST 1366
#define IDC_KEY_DEFAULTS 1367
#define IDC_KEY_NOTE 1369
// In the key selection dialog.
#define IDC_KEY_SHIFT 1365
#define IDC_KEY_CTRL 1367
#define IDC_KEY_ALT 1368

#define IDS_KEY_SETTINGS_CHANGED 59162
#define IDS_KEY_SELECT_TO_DELETE 59416
#define IDS_KEY_SELECT_A_KEY 57649

// The notification window's position and settings dialogs.
#define IDD_NOTIFY_POSITION 436
#define IDD_NOTIFY_SETTING 438
#define IDC_NOTIFY_FROM_TOP 1779
#define IDC_NOTIFY_FROM_BOTTOM 1780
#define IDC_NOTIFY_SECONDS 1061
#define IDC_NOTIFY_DETAILS 1771
#define IDC_NOTIFY_PICTURE 1345
#define IDC_NOTIFY_PICTURE_BROWSE 1343
#define IDC_NOTIFY_FONT 1061
#define IDC_NOTIFY_FONT_BROWSE 1792
#define IDC_NOTIFY_COLOR1 1791
#define IDC_NOTIFY_COLOR2 1234
#define IDC_NOTIFY_MESSAGE 1758
