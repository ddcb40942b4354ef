// The keys shown on the pages of the basic, editor and body pane settings
// dialogs, one table per page in tab order.
#include "settings/SettingPageTables.h"

#include "resources/settings/SettingsResource.h"

namespace {

// "シングルクリック" is stored as 1, "ダブルクリック" as 0.
const int kSingleClickValues[] = { 1, 0 };

// 画面
const SettingBinding kBasicView[] = {
    { "ViewOption", "ToolBarDesign", SettingBinding::kRadio, IDC_SET_TOOL_BAR_DESIGN, 2, nullptr },
    { "Setting", "TimeFormatType", SettingBinding::kRadio, IDC_SET_TIME_FORMAT_TYPE, 2, nullptr },
    { "Setting", "FormatDate", SettingBinding::kText, IDC_SET_FORMAT_DATE, 0, nullptr },
    { "Setting", "FormatTime", SettingBinding::kText, IDC_SET_FORMAT_TIME, 0, nullptr },
    { "Setting", "ListAddressType", SettingBinding::kRadio, IDC_SET_LIST_ADDRESS_TYPE, 5, nullptr },
    { "Setting", "MailMiniHeader", SettingBinding::kNone, IDC_SET_HEADER_MODE, 3, nullptr },
    { "Setting", "AddressShowAll", SettingBinding::kNone, IDC_SET_HEADER_MODE, 3, nullptr },
    { "Setting", "DisplayPriority", SettingBinding::kCheck, IDC_SET_DISPLAY_PRIORITY, 0, nullptr },
    { "Setting", "NoTaskBar", SettingBinding::kCheck, IDC_SET_NO_TASK_BAR, 0, nullptr },
    { "Setting", "ShowReplyIcon", SettingBinding::kCheck, IDC_SET_SHOW_REPLY_ICON, 0, nullptr },
    { "Setting", "ListSortMemDate", SettingBinding::kCheck, IDC_SET_LIST_SORT_MEM_DATE, 0, nullptr },
    { "Setting", "ToolBarDocking", SettingBinding::kCheck, IDC_SET_TOOL_BAR_DOCKING, 0, nullptr },
    { "Setting", "AllButtonNormal", SettingBinding::kCheck, IDC_SET_ALL_BUTTON_NORMAL, 0, nullptr },
    { "Setting", "SystemButtonNoClose", SettingBinding::kCheck, IDC_SET_SYSTEM_BUTTON_NO_CLOSE, 0, nullptr },
    { "Setting", "ListOwnMailDispTo", SettingBinding::kCheck, IDC_SET_LIST_OWN_MAIL_DISP_TO, 0, nullptr },
};

// オプション
const SettingBinding kBasicOption[] = {
    { "Setting", "RecNotifyDialog", SettingBinding::kCheck, IDC_SET_REC_NOTIFY_DIALOG, 0, nullptr },
    { "Setting", "RecNotifyBeep", SettingBinding::kCheck, IDC_SET_REC_NOTIFY_BEEP, 0, nullptr },
    { "Setting", "RecNotifySound", SettingBinding::kCheck, IDC_SET_REC_NOTIFY_SOUND, 0, nullptr },
    { "Setting", "RecNotifySoundPath", SettingBinding::kText, IDC_SET_REC_NOTIFY_SOUND_PATH, 0, nullptr },
    { "Setting", "LEDBlink", SettingBinding::kCheck, IDC_SET_LED_BLINK, 0, nullptr },
    { "Setting", "LEDBlinkInterval", SettingBinding::kNumber, IDC_SET_LED_BLINK_INTERVAL, 0, nullptr },
    { "Setting", "LEDBlinkType", SettingBinding::kRadio, IDC_SET_LED_BLINK_TYPE, 3, nullptr },
    { "Setting", "IgnoreTrashMailCount", SettingBinding::kCheck, IDC_SET_IGNORE_TRASH_MAIL_COUNT, 0, nullptr },
    { "Setting", "TrashEmptyLast", SettingBinding::kCheck, IDC_SET_TRASH_EMPTY_LAST, 0, nullptr },
    { "Setting", "MailHistoryCount", SettingBinding::kNumber, IDC_SET_MAIL_HISTORY_COUNT, 0, nullptr },
    { "Setting", "CompactAlertCount", SettingBinding::kNumber, IDC_SET_COMPACT_ALERT_COUNT, 0, nullptr },
    { "Setting", "DeleteMailHistoryCount", SettingBinding::kNumber, IDC_SET_DELETE_MAIL_HISTORY_COUNT, 0, nullptr },
    { "Setting", "StartupCheckPassword", SettingBinding::kCheck, IDC_SET_STARTUP_CHECK_PASSWORD, 0, nullptr },
    { "Setting", "CheckPassword", SettingBinding::kCheck, IDC_SET_CHECK_PASSWORD, 0, nullptr },
    { "Setting", "CheckPasswordEditor", SettingBinding::kCheck, IDC_SET_CHECK_PASSWORD_EDITOR, 0, nullptr },
    { nullptr, "*PasswordCurrent", SettingBinding::kText, IDC_SET_PW_CURRENT, 0, nullptr },
    { nullptr, "*PasswordNew", SettingBinding::kText, IDC_SET_PW_NEW, 0, nullptr },
    { nullptr, "*PasswordConfirm", SettingBinding::kText, IDC_SET_PW_CONFIRM, 0, nullptr },
};

// その他
const SettingBinding kBasicEtc[] = {
    { "Setting", "ReadNotifyTo", SettingBinding::kRadio, IDC_SET_READ_NOTIFY_TO, 3, nullptr },
    { "Setting", "DisplayUnReadMail", SettingBinding::kRadio, IDC_SET_DISPLAY_UN_READ_MAIL, 3, nullptr },
    { "Setting", "NoCreateMailViewFrame", SettingBinding::kCheck, IDC_SET_NO_CREATE_MAIL_VIEW_FRAME, 0, nullptr },
    { "Setting", "CVMInfoSaveType", SettingBinding::kRadio, IDC_SET_CVM_INFO_SAVE_TYPE, 2, nullptr },
    { "Setting", "CVMReceiveLogCount", SettingBinding::kNumber, IDC_SET_CVM_RECEIVE_LOG_COUNT, 0, nullptr },
    { "Setting", "CreateMailBodyFromHTML", SettingBinding::kCheck, IDC_SET_CREATE_MAIL_BODY_FROM_HTML, 0, nullptr },
    { "Setting", "NoSplashWindow", SettingBinding::kCheck, IDC_SET_NO_SPLASH_WINDOW, 0, nullptr },
    { "Setting", "UnloadMailIndex", SettingBinding::kCheck, IDC_SET_UNLOAD_MAIL_INDEX, 0, nullptr },
    { "Setting", "UnloadMailIndexTime", SettingBinding::kNumber, IDC_SET_UNLOAD_MAIL_INDEX_TIME, 0, nullptr },
};

// パス
const SettingBinding kBasicPath[] = {
    { "Setting", "OpenAppName1", SettingBinding::kText, IDC_SET_OPEN_APP_NAME1, 0, nullptr },
    { "Setting", "OpenAppPath1", SettingBinding::kText, IDC_SET_OPEN_APP_PATH1, 0, nullptr },
    { "Setting", "OpenAppName2", SettingBinding::kText, IDC_SET_OPEN_APP_NAME2, 0, nullptr },
    { "Setting", "OpenAppPath2", SettingBinding::kText, IDC_SET_OPEN_APP_PATH2, 0, nullptr },
    { "Setting", "OpenAppName3", SettingBinding::kText, IDC_SET_OPEN_APP_NAME3, 0, nullptr },
    { "Setting", "OpenAppPath3", SettingBinding::kText, IDC_SET_OPEN_APP_PATH3, 0, nullptr },
    { "Setting", "OpenBrowserPath", SettingBinding::kText, IDC_SET_OPEN_BROWSER_PATH, 0, nullptr },
    { "Paths", "LogFilePath", SettingBinding::kText, IDC_SET_LOG_FILE_PATH, 0, nullptr },
    { "Paths", "MainAVI", SettingBinding::kText, IDC_SET_MAIN_AVI, 0, nullptr },
    { "Paths", "EditorAVI", SettingBinding::kText, IDC_SET_EDITOR_AVI, 0, nullptr },
    { "Paths", "TempFolderPath", SettingBinding::kText, IDC_SET_TEMP_FOLDER_PATH, 0, nullptr },
};

// バックアップ
const SettingBinding kBasicBackup[] = {
    { "Setting", "ReceiveMailBackup", SettingBinding::kCheck, IDC_SET_RECEIVE_MAIL_BACKUP, 0, nullptr },
    { "Setting", "ReceiveMailBackupDate", SettingBinding::kNumber, IDC_SET_RECEIVE_MAIL_BACKUP_DATE, 0, nullptr },
    { "Setting", "ReceiveMailBackupSize", SettingBinding::kNumber, IDC_SET_RECEIVE_MAIL_BACKUP_SIZE, 0, nullptr },
    { "Setting", "ReceiveMailBackupPath", SettingBinding::kText, IDC_SET_RECEIVE_MAIL_BACKUP_PATH, 0, nullptr },
};

// 画面
const SettingBinding kEditorView[] = {
    { "EditWindow", "RefMarkText", SettingBinding::kText, IDC_SET_REF_MARK_TEXT, 0, nullptr },
    { "Setting", "RefTextColor", SettingBinding::kCheck, IDC_SET_REF_TEXT_COLOR, 0, nullptr },
    { "Setting", "RefDouble", SettingBinding::kCheck, IDC_SET_REF_DOUBLE, 0, nullptr },
    { "Setting", "NoRefBody", SettingBinding::kCheck, IDC_SET_NO_REF_BODY, 0, nullptr },
    { "EditWindow", "WordWrapMode", SettingBinding::kRadio, IDC_SET_WORD_WRAP_MODE, 3, nullptr },
    { "EditWindow", "WordWrapCount", SettingBinding::kNumber, IDC_SET_WORD_WRAP_COUNT, 0, nullptr },
    { "Setting", "AddressDispType", SettingBinding::kRadio, IDC_SET_ADDRESS_DISP_TYPE, 3, nullptr },
    { "Setting", "AddressDispOrgNoChange", SettingBinding::kCheck, IDC_SET_ADDRESS_DISP_ORG_NO_CHANGE, 0, nullptr },
    { "Setting", "EditorTabSize", SettingBinding::kRadio, IDC_SET_EDITOR_TAB_SIZE, 3, nullptr },
    { "EditWindow", "AddressMakeupType", SettingBinding::kRadio, IDC_SET_ADDRESS_MAKEUP_TYPE, 2, nullptr },
    { "Setting", "EditorAutoBackup", SettingBinding::kCheck, IDC_SET_EDITOR_AUTO_BACKUP, 0, nullptr },
    { "Setting", "AutoBackupInterval", SettingBinding::kNumber, IDC_SET_AUTO_BACKUP_INTERVAL, 0, nullptr },
    { "Setting", "EditorFileListBottom", SettingBinding::kCheck, IDC_SET_EDITOR_FILE_LIST_BOTTOM, 0, nullptr },
    { "Setting", "ForwardMailPriorityOn", SettingBinding::kCheck, IDC_SET_FORWARD_MAIL_PRIORITY_ON, 0, nullptr },
};

// オプション
const SettingBinding kEditorOption[] = {
    { "Setting", "SendConfirmDialog", SettingBinding::kCheck, IDC_SET_SEND_CONFIRM_DIALOG, 0, nullptr },
    { "Setting", "SendWaitTime", SettingBinding::kNumber, IDC_SET_SEND_WAIT_TIME, 0, nullptr },
    { "Setting", "NoReceiveAcountInCC", SettingBinding::kCheck, IDC_SET_NO_RECEIVE_ACOUNT_IN_CC, 0, nullptr },
    { "EditWindow", "BodyIMEOn", SettingBinding::kCheck, IDC_SET_BODY_IME_ON, 0, nullptr },
    { "EditWindow", "AddressIMEOff", SettingBinding::kCheck, IDC_SET_ADDRESS_IME_OFF, 0, nullptr },
    { "EditWindow", "SubjectIMEOn", SettingBinding::kCheck, IDC_SET_SUBJECT_IME_ON, 0, nullptr },
    { "EditWindow", "NoAttachComment", SettingBinding::kText, IDC_SET_NO_ATTACH_COMMENT, 0, nullptr },
    { "EditWindow", "NoAttachFileHeader", SettingBinding::kText, IDC_SET_NO_ATTACH_FILE_HEADER, 0, nullptr },
    { "EditWindow", "NoAttachCommentTop", SettingBinding::kCheck, IDC_SET_NO_ATTACH_COMMENT_TOP, 0, nullptr },
    { "EditWindow", "AttachToCommentType", SettingBinding::kRadio, IDC_SET_ATTACH_TO_COMMENT_TYPE, 2, nullptr },
    { "Setting", "HankakuCheck", SettingBinding::kCheck, IDC_SET_HANKAKU_CHECK, 0, nullptr },
    { "Setting", "DefaultRequestReadNotify", SettingBinding::kCheck, IDC_SET_DEFAULT_REQUEST_READ_NOTIFY, 0, nullptr },
    { "Setting", "DefaultContentZipFile", SettingBinding::kCheck, IDC_SET_DEFAULT_CONTENT_ZIP_FILE, 0, nullptr },
    { "Setting", "ContentZipFileComment", SettingBinding::kText, IDC_SET_CONTENT_ZIP_FILE_COMMENT, 0, nullptr },
    { "Setting", "BackupClearContents", SettingBinding::kCheck, IDC_SET_BACKUP_CLEAR_CONTENTS, 0, nullptr },
};

// パス
const SettingBinding kEditorPath[] = {
    { "Setting", "AlwaysUseEditor", SettingBinding::kCheck, IDC_SET_ALWAYS_USE_EDITOR, 0, nullptr },
    { "EditWindow", "EditorPath", SettingBinding::kText, IDC_SET_EDITOR_PATH, 0, nullptr },
    { "EditWindow", "EditorOption", SettingBinding::kText, IDC_SET_EDITOR_OPTION, 0, nullptr },
    { "EditWindow", "EditorTempFileExt", SettingBinding::kText, IDC_SET_EDITOR_TEMP_FILE_EXT, 0, nullptr },
    { "Setting", "HtmlAlwaysUseEditor", SettingBinding::kCheck, IDC_SET_HTML_ALWAYS_USE_EDITOR, 0, nullptr },
    { "EditWindow", "HtmlEditorPath", SettingBinding::kText, IDC_SET_HTML_EDITOR_PATH, 0, nullptr },
    { "EditWindow", "HtmlEditorOption", SettingBinding::kText, IDC_SET_HTML_EDITOR_OPTION, 0, nullptr },
    { "EditWindow", "HtmlEditorTempFileExt", SettingBinding::kText, IDC_SET_HTML_EDITOR_TEMP_FILE_EXT, 0, nullptr },
};

// オプション
const SettingBinding kViewOption[] = {
    { "Setting", "RefTextHeader1", SettingBinding::kText, IDC_SET_REF_TEXT_HEADER1, 0, nullptr },
    { "Setting", "RefTextHeader2", SettingBinding::kText, IDC_SET_REF_TEXT_HEADER2, 0, nullptr },
    { "Setting", "RefTextHeader3", SettingBinding::kText, IDC_SET_REF_TEXT_HEADER3, 0, nullptr },
    { "Setting", "RefTextHeader4", SettingBinding::kText, IDC_SET_REF_TEXT_HEADER4, 0, nullptr },
    { "ViewOption", "LineFeed", SettingBinding::kRadio, IDC_SET_LINE_FEED, 2, nullptr },
    { "ViewOption", "DoNotViewWordBreak", SettingBinding::kCheck, IDC_SET_DO_NOT_VIEW_WORD_BREAK, 0, nullptr },
    { "ViewOption", "OldStyleWordBreak", SettingBinding::kCheck, IDC_SET_OLD_STYLE_WORD_BREAK, 0, nullptr },
    { "ViewOption", "SpaceScroll", SettingBinding::kRadio, IDC_SET_SPACE_SCROLL, 3, nullptr },
    { "ViewOption", "SpaceScrollToNotRead", SettingBinding::kCheck, IDC_SET_SPACE_SCROLL_TO_NOT_READ, 0, nullptr },
    { "ViewOption", "ScrollSmooth", SettingBinding::kCheck, IDC_SET_SCROLL_SMOOTH, 0, nullptr },
    { "ViewOption", "HTMLMail", SettingBinding::kCheck, IDC_SET_HTML_MAIL, 0, nullptr },
    { "ViewOption", "ViewWindowHTMLOn", SettingBinding::kCheck, IDC_SET_VIEW_WINDOW_HTML_ON, 0, nullptr },
    { "ViewOption", "CheckHTMLScript", SettingBinding::kCheck, IDC_SET_CHECK_HTML_SCRIPT, 0, nullptr },
    { "ViewOption", "IEZone", SettingBinding::kNone, IDC_SET_IE_ZONE, 0, nullptr },
    { "ViewOption", "SingleClickAction", SettingBinding::kRadio, IDC_SET_SINGLE_CLICK_ACTION, 2, kSingleClickValues },
    { "ViewOption", "DblOpenURL", SettingBinding::kCheck, IDC_SET_DBL_OPEN_URL, 0, nullptr },
    { "ViewOption", "DblOpenMailEditor", SettingBinding::kCheck, IDC_SET_DBL_OPEN_MAIL_EDITOR, 0, nullptr },
};

// その他
const SettingBinding kViewEtc[] = {
    { "ViewOption", "ShowInlineText", SettingBinding::kCheck, IDC_SET_SHOW_INLINE_TEXT, 0, nullptr },
    { "ViewOption", "ViewFileListBottom", SettingBinding::kCheck, IDC_SET_VIEW_FILE_LIST_BOTTOM, 0, nullptr },
    { "ViewOption", "ScrollEndRead", SettingBinding::kCheck, IDC_SET_SCROLL_END_READ, 0, nullptr },
    { "ViewOption", "PreViewTime", SettingBinding::kNumber, IDC_SET_PRE_VIEW_TIME, 0, nullptr },
    { "ViewOption", "AutoScrollSpeed", SettingBinding::kSlider, IDC_SET_AUTO_SCROLL_SPEED, 0, nullptr },
    { "ViewOption", "TabSize", SettingBinding::kRadio, IDC_SET_TAB_SIZE, 3, nullptr },
};

#define PAGE(caption, id, table) { caption, id, table, static_cast<int>(sizeof(table) / sizeof(table[0])) }

const SettingPageTable kBasicPages[] = {
    PAGE("画面", IDD_BASIC_VIEW, kBasicView),
    PAGE("オプション", IDD_BASIC_OPTION, kBasicOption),
    PAGE("その他", IDD_BASIC_ETC, kBasicEtc),
    PAGE("パス", IDD_BASIC_PATH, kBasicPath),
    PAGE("バックアップ", IDD_BASIC_BACKUP, kBasicBackup),
};
const SettingPageTable kEditorPages[] = {
    PAGE("画面", IDD_EDITOR_VIEW, kEditorView),
    PAGE("オプション", IDD_EDITOR_OPTION, kEditorOption),
    PAGE("パス", IDD_EDITOR_PATH, kEditorPath),
};
const SettingPageTable kViewPages[] = {
    PAGE("オプション", IDD_VIEW_OPTION, kViewOption),
    PAGE("その他", IDD_VIEW_ETC, kViewEtc),
};

#undef PAGE

} // namespace

const SettingPageTable* GetSettingPages(SettingDialogKind kind, int* pnCount)
{
    switch (kind) {
    case SettingDialogKind::basic:
        *pnCount = 5;
        return kBasicPages;
    case SettingDialogKind::editor:
        *pnCount = 3;
        return kEditorPages;
    default:
        *pnCount = 2;
        return kViewPages;
    }
}
