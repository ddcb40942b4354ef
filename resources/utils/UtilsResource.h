// Resource identifiers of the shared small dialogs and controls (core/).
#pragma once

// Dialogs.
#define IDD_MAILBOX_SETTING 210
#define IDD_WAIT 188
#define IDD_BUSY 288
#define IDD_INPUT_NAME 1559
#define IDD_END_WAIT_DIALOG 1560
#define IDD_SELECT_FONT 1572

// Built-in busy animation (type "AVI").
#define IDR_WAIT_AVI 441
#define IDR_BUSY_AVI 442

// Controls.
#define IDC_BUSY_CANCEL 1018
#define IDC_WAIT_ANIMATION 1147
#define IDC_INPUT_NAME 1067
#define IDC_MAILBOX_PATH 1178
#define IDC_MAILBOX_BROWSE 1225
#define IDC_MAILBOX_NAME 1226
#define IDC_MESSAGE_TEXT 1260
#define IDC_BUSY_ANIMATION 1406
#define IDC_BUSY_FOLDER 1477
#define IDC_END_WAIT_MESSAGE 1561

// Strings (their texts are in resources/Strings.rc2).
#define IDS_DEFAULT_MAILBOX_NAME 2004
#define IDS_INVALID_NAME_CHARS 57652
#define IDS_DOT_NAMES 57654
