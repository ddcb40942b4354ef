// Resource identifiers of the editor's controls and view dialogs: the
// character count, the paste format and the clipboard picture (editor/).
#pragma once

#define IDD_CHAR_COUNT 291
#define IDD_ATTACH_PICTURE 281
#define IDD_PASTE_FORMAT 324

// The edit menu of the dialogs' rich-edit fields.
#define IDR_EDITOR_DEFAULT_MENU 332

// Character count.
#define IDC_CC_LIST 2150
#define IDC_CC_NOTE 2151

// Paste format.
#define IDC_PF_LIST 2155

// Clipboard picture.
#define IDC_AP_NAME 2160
#define IDC_AP_BITMAP 2161
#define IDC_AP_JPEG 2162
#define IDC_AP_HIGH 2163
#define IDC_AP_MIDDLE 2164
#define IDC_AP_LOW 2165

// Commands of the editor view.
#define ID_EDIT_CHAR_COUNT 33031
#define ID_EDIT_PASTE_FORMAT 33092
#define ID_EDIT_ADDRESS_TO 33159
#define ID_EDIT_ADDRESS_CC 33160
#define ID_EDIT_ADDRESS_BCC 33161
#define ID_EDIT_COMPLETE_ADDRESS 33180
#define ID_EDIT_ADDRESS_LIST 33181
#define ID_EDIT_REDO_CMD 57644
#define ID_EDIT_FIND_NEXT 32897
#define ID_EDIT_FIND_CMD 57636
// Scroll the body one line down / up.
#define ID_EDIT_SCROLL_DOWN 32916
#define ID_EDIT_SCROLL_UP 32917

// Texts of the shared string table used here.
#define IDS_ENTER_FILE_NAME 57639
#define IDS_CLIPBOARD_PICTURE_FAILED 57645
#define IDS_NO_FOLDER_ATTACH 59396

#define ID_EDIT_QUOTED_PASTE 32880

// Focus and caret commands of the editor's keys.
#define ID_EDIT_FOCUS_TO 32911
#define ID_EDIT_FOCUS_CC 32912
#define ID_EDIT_FOCUS_BCC 32914
#define ID_EDIT_FOCUS_SUBJECT 32949
#define ID_EDIT_FOCUS_BODY 32915
#define ID_EDIT_CARET_RIGHT 33001
#define ID_EDIT_CARET_LEFT 33002
#define ID_EDIT_CARET_UP 33003
#define ID_EDIT_CARET_DOWN 33004
#define ID_EDIT_CARET_TOP 33005
#define ID_EDIT_CARET_BOTTOM 33006
#define ID_EDIT_CARET_LINE_START 33008
#define ID_EDIT_CARET_LINE_END 33009
