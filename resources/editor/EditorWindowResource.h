// Resource identifiers of the mail editor window: its menu, its form and
// the dialogs of its frame (editor/).
#pragma once

#define IDR_MAILEDIT 140
#define IDD_MAILEDIT_FORM 165
#define IDD_SAVE_CONFIRM 233
#define IDD_SEND_PROGRESS 395
#define IDD_SEND_INFO 1564

// Commands of the editor frame.
#define ID_EDIT_SEND 32790
#define ID_EDIT_TO_OUTBOX 32919
#define ID_EDIT_SAVE 32814
#define ID_EDIT_SAVE_AS 32815
#define ID_EDIT_SEND_CANCEL 32930
#define ID_EDIT_CLOSE 1145
#define ID_EDIT_SHOW_BCC 32792
#define ID_EDIT_SEND_INFO 32837
#define ID_EDIT_ATTACH 32988
#define ID_EDIT_READ_RECEIPT 33208
#define ID_EDIT_BODY_ARCHIVE 33288
#define ID_EDIT_EXTERNAL_EDITOR 32950
#define ID_EDIT_SELECT_ACCOUNT 32788
#define ID_EDIT_UNDO_CMD 57643
#define ID_EDIT_CUT_CMD 57635
#define ID_EDIT_COPY_CMD 57634
#define ID_EDIT_PASTE_CMD 57637
#define ID_EDIT_SELECT_ALL_CMD 57642

// The form of the editor view.
#define IDC_ME_TO 1001
#define IDC_ME_CC 1002
#define IDC_ME_SUBJECT 1003
#define IDC_ME_TO_BUTTON 1004
#define IDC_ME_CC_BUTTON 1005
#define IDC_ME_BCC 1006
#define IDC_ME_BODY 1007
#define IDC_ME_BCC_BUTTON 1009
#define IDC_ME_SUBJECT_LABEL 1011
#define IDC_ME_SIGN 1012
#define IDC_ME_PRIORITY_LABEL 1014
#define IDC_ME_SIGN_LABEL 1015
#define IDC_ME_REPLYTO_LABEL 1016
#define IDC_ME_ATTACH_FRAME 1017
#define IDC_ME_SIZE 1018
#define IDC_ME_ACCOUNT_LABEL 1019
#define IDC_ME_ATTACH_LIST 1031
#define IDC_ME_PRIORITY 1230
#define IDC_ME_COMPACT 1231
#define IDC_ME_TO_ONLY 1232
#define IDC_ME_REPLYTO 1242
#define IDC_ME_ATTACH 1346
#define IDC_ME_ACCOUNT 1527

// Save prompt: "破棄する" ends the dialog with 3.
#define IDC_SC_DISCARD 3

// Sending progress.
#define IDC_SP_PROGRESS 2101
#define IDC_SP_TEXT 2102

// Send information.
#define IDC_SI_SUBJECT 2111
#define IDC_SI_TO 2112
#define IDC_SI_CC 2113
#define IDC_SI_BCC 2114
#define IDC_SI_SENDER_NAME 2115
#define IDC_SI_SENDER_ADDRESS 2116
#define IDC_SI_SIGN 2117


// Texts of the editor window.
#define IDS_SEND_FAILED 57675
#define IDS_OUT_OF_MEMORY 57676
#define IDS_SEND_ADDRESS_LABEL 59400
#define IDS_SENDING_ABORT_QUESTION 59427
