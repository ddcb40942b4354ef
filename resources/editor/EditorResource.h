// Resource identifiers of the mail editor's header templates, templates and
// signatures (editor/).
#pragma once

// Built-in header templates.
#define IDS_DEFAULT_RET_HEADER 59151
#define IDS_DEFAULT_FW_HEADER 59152
#define IDS_DEFAULT_READ_NOTIFY 59186
#define IDS_DEFAULT_READ_NOTIFY_MDN 59188
// Subject of a read notification (in Strings.rc2).
#define IDS_READ_NOTIFY_SUBJECT 59439

// Items of the automatic signature rules.
#define IDS_AUTOSIGN_ITEM_TO_CC 57671
#define IDS_AUTOSIGN_ITEM_TO 57672
#define IDS_AUTOSIGN_ITEM_SUBJECT 57673

// Name checks of templates and signatures ("." and ".." is IDS_DOT_NAMES 57654).
#define IDS_TEMPLATE_NAME_CHARS 57628
#define IDS_TEMPLATE_OVERWRITE 57629
#define IDS_SIGNATURE_NAME_CHARS 57650
#define IDS_SIGNATURE_OVERWRITE 57651

// Template call registration: nine rows of a name combo and two checks.
#define IDD_SHORTCUT_TEMPLATE 1621
#define IDC_SCT_NAME_FIRST 1901   // 1901 .. 1909
#define IDC_SCT_REPLY_FIRST 1911  // 1911 .. 1919
#define IDC_SCT_ALL_FIRST 1921    // 1921 .. 1929

// Reply and forward header editing.
#define IDD_QUOTE_HEADER 1622
#define IDC_QH_REPLY 1931
#define IDC_QH_FORWARD 1932
#define IDC_QH_HELP 1933

// Signature list and signature editing.
#define IDD_SIGNATURE_LIST 1623
#define IDD_SIGNATURE_EDIT 1624
#define IDC_SIGL_LIST 1941
#define IDC_SIGL_ADD 1942
#define IDC_SIGL_EDIT 1943
#define IDC_SIGL_COPY 1944
#define IDC_SIGL_DELETE 1945
#define IDC_SIG_NAME 1946
#define IDC_SIG_BODY 1947

// Automatic signature rules.
#define IDD_AUTO_SIGNATURE 1625
#define IDC_AS_LIST 1951
#define IDC_AS_ITEM 1952
#define IDC_AS_TEXT 1953
#define IDC_AS_SIGN 1954
#define IDC_AS_EDIT_SIGN 1955
#define IDC_AS_ADD 1956
#define IDC_AS_UPDATE 1957
#define IDC_AS_DELETE 1958
#define IDC_AS_UP 1959
#define IDC_AS_DOWN 1960

// Template selection.
#define IDD_TEMPLATE_SELECT 1626
#define IDC_TS_LIST 1971
#define IDC_TS_ADD 1972
#define IDC_TS_EDIT 1973
#define IDC_TS_COPY 1974
#define IDC_TS_DELETE 1975
#define IDC_TS_ALL 1976
