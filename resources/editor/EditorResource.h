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
#define IDC_SCT_NAME_FIRST 1701   // 1701 .. 1709
#define IDC_SCT_REPLY_FIRST 1711  // 1711 .. 1719
#define IDC_SCT_ALL_FIRST 1721    // 1721 .. 1729

// Reply and forward header editing.
#define IDD_QUOTE_HEADER 1622
#define IDC_QH_REPLY 1731
#define IDC_QH_FORWARD 1732
#define IDC_QH_HELP 1733

// Signature list and signature editing.
#define IDD_SIGNATURE_LIST 1623
#define IDD_SIGNATURE_EDIT 1624
#define IDC_SIGL_LIST 1741
#define IDC_SIGL_ADD 1742
#define IDC_SIGL_EDIT 1743
#define IDC_SIGL_COPY 1744
#define IDC_SIGL_DELETE 1745
#define IDC_SIG_NAME 1746
#define IDC_SIG_BODY 1747

// Automatic signature rules.
#define IDD_AUTO_SIGNATURE 1625
#define IDC_AS_LIST 1751
#define IDC_AS_ITEM 1752
#define IDC_AS_TEXT 1753
#define IDC_AS_SIGN 1754
#define IDC_AS_EDIT_SIGN 1755
#define IDC_AS_ADD 1756
#define IDC_AS_UPDATE 1757
#define IDC_AS_DELETE 1758
#define IDC_AS_UP 1759
#define IDC_AS_DOWN 1760

// Template selection.
#define IDD_TEMPLATE_SELECT 1626
#define IDC_TS_LIST 1771
#define IDC_TS_ADD 1772
#define IDC_TS_EDIT 1773
#define IDC_TS_COPY 1774
#define IDC_TS_DELETE 1775
#define IDC_TS_ALL 1776
