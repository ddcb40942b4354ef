// Resource identifiers of the mail viewer (viewer/).
#pragma once

// Dialogs.
#define IDD_MAIL_VIEW 154
#define IDD_READ_NOTIFY_CONFIRM 418

// Mail view pane.
#define IDC_VIEW_SUBJECT 1013
#define IDC_VIEW_FROM 1016
#define IDC_VIEW_DATE 1019
#define IDC_VIEW_ATTACH_LIST 1031
#define IDC_VIEW_BODY 1032
#define IDC_VIEW_BROWSER 1033
#define IDC_VIEW_TO 1034
#define IDC_VIEW_DATE_LABEL 1035
#define IDC_VIEW_CC 1036
#define IDC_VIEW_FRAME_SPIN 1092
#define IDC_VIEW_CC_LABEL 1238
#define IDC_VIEW_SUBJECT_LABEL 1357
#define IDC_VIEW_FROM_LABEL 1410
#define IDC_VIEW_TO_LABEL 1411

// Read-notification question.
#define IDC_READ_NOTIFY_ICON 1259
#define IDC_READ_NOTIFY_TEXT 1260
#define IDC_READ_NOTIFY_LATER 1697

// Strings.
#define IDS_READ_NOTIFY_QUESTION 32840
