#include "core/SettingDefaults.h"

#include "core/MailApp.h"

namespace {

#define RGBV(r, g, b) static_cast<int>(RGB(r, g, b))

// Where two readers once assumed different defaults, the value kept here is
// the one the program acted on before any dialog was opened, so that
// opening a settings dialog and pressing OK changes no behaviour:
// HtmlAlwaysUseEditor 0 (no external HTML editor unless asked for),
// AddressMakeupType 0 (completion on command), FormatDate and FormatTime
// the usual layouts (an empty layout would print empty dates), and
// HtmlEditorTempFileExt "html" (an HTML editor needs the extension).
// EditorTabSize counts steps of the editor font's height, which is two
// half-width characters: 0 is 2 characters, 1 is 4, 2 is 8.
const SettingDefault kDefaults[] = {
    // Basic settings.
    { "ViewOption", "ToolBarDesign", SettingDefault::kInt, 0, nullptr },
    { "Setting", "TimeFormatType", SettingDefault::kInt, 0, nullptr },
    { "Setting", "FormatDate", SettingDefault::kText, 0, "%Y/%m/%d" },
    { "Setting", "FormatTime", SettingDefault::kText, 0, "%H:%M:%S" },
    { "Setting", "ListAddressType", SettingDefault::kInt, 0, nullptr },
    { "Setting", "MailMiniHeader", SettingDefault::kInt, 0, nullptr },
    { "Setting", "AddressShowAll", SettingDefault::kInt, 0, nullptr },
    // On by default, as the mail list shows the priority icons without the key.
    { "Setting", "DisplayPriority", SettingDefault::kInt, 1, nullptr },
    { "Setting", "NoTaskBar", SettingDefault::kInt, 0, nullptr },
    { "Setting", "ShowReplyIcon", SettingDefault::kInt, 1, nullptr },
    { "Setting", "ListSortMemDate", SettingDefault::kInt, 0, nullptr },
    { "Setting", "ToolBarDocking", SettingDefault::kInt, 0, nullptr },
    { "Setting", "AllButtonNormal", SettingDefault::kInt, 0, nullptr },
    { "Setting", "SystemButtonNoClose", SettingDefault::kInt, 0, nullptr },
    { "Setting", "ListOwnMailDispTo", SettingDefault::kInt, 0, nullptr },
    { "Setting", "RecNotifyDialog", SettingDefault::kInt, 0, nullptr },
    { "Setting", "RecNotifyBeep", SettingDefault::kInt, 1, nullptr },
    { "Setting", "RecNotifySound", SettingDefault::kInt, 0, nullptr },
    { "Setting", "RecNotifySoundPath", SettingDefault::kText, 0, "" },
    { "Setting", "LEDBlink", SettingDefault::kInt, 0, nullptr },
    { "Setting", "LEDBlinkInterval", SettingDefault::kInt, 1000, nullptr },
    { "Setting", "LEDBlinkType", SettingDefault::kInt, 0, nullptr },
    { "Setting", "IgnoreTrashMailCount", SettingDefault::kInt, 0, nullptr },
    { "Setting", "TrashEmptyLast", SettingDefault::kInt, 0, nullptr },
    { "Setting", "MailHistoryCount", SettingDefault::kInt, 30, nullptr },
    { "Setting", "CompactAlertCount", SettingDefault::kInt, 100, nullptr },
    { "Setting", "DeleteMailHistoryCount", SettingDefault::kInt, 30, nullptr },
    { "Setting", "StartupCheckPassword", SettingDefault::kInt, 1, nullptr },
    { "Setting", "CheckPassword", SettingDefault::kInt, 0, nullptr },
    { "Setting", "CheckPasswordEditor", SettingDefault::kInt, 0, nullptr },
    { "Setting", "MailBoxPassword", SettingDefault::kText, 0, "" },
    { "Setting", "ReadNotifyTo", SettingDefault::kInt, 0, nullptr },
    { "Setting", "DisplayUnReadMail", SettingDefault::kInt, 0, nullptr },
    { "Setting", "NoCreateMailViewFrame", SettingDefault::kInt, 0, nullptr },
    { "Setting", "CVMInfoSaveType", SettingDefault::kInt, 0, nullptr },
    { "Setting", "CVMReceiveLogCount", SettingDefault::kInt, 100, nullptr },
    { "Setting", "CreateMailBodyFromHTML", SettingDefault::kInt, 1, nullptr },
    { "Setting", "NoSplashWindow", SettingDefault::kInt, 0, nullptr },
    { "Setting", "UnloadMailIndex", SettingDefault::kInt, 0, nullptr },
    { "Setting", "UnloadMailIndexTime", SettingDefault::kInt, 3, nullptr },
    { "Setting", "OpenAppName1", SettingDefault::kText, 0, "" },
    { "Setting", "OpenAppPath1", SettingDefault::kText, 0, "" },
    { "Setting", "OpenAppName2", SettingDefault::kText, 0, "" },
    { "Setting", "OpenAppPath2", SettingDefault::kText, 0, "" },
    { "Setting", "OpenAppName3", SettingDefault::kText, 0, "" },
    { "Setting", "OpenAppPath3", SettingDefault::kText, 0, "" },
    { "Setting", "OpenBrowserPath", SettingDefault::kText, 0, "" },
    { "Paths", "MainAVI", SettingDefault::kText, 0, "" },
    { "Paths", "EditorAVI", SettingDefault::kText, 0, "" },
    { "Paths", "TempFolderPath", SettingDefault::kText, 0, "" },
    { "Setting", "ReceiveMailBackup", SettingDefault::kInt, 1, nullptr },
    { "Setting", "ReceiveMailBackupDate", SettingDefault::kInt, 3, nullptr },
    { "Setting", "ReceiveMailBackupSize", SettingDefault::kInt, 0, nullptr },
    { "Setting", "ReceiveMailBackupPath", SettingDefault::kText, 0, "" },
    // Editor settings.
    { "EditWindow", "RefMarkText", SettingDefault::kText, 0, ">" },
    { "Setting", "RefTextColor", SettingDefault::kInt, 1, nullptr },
    { "Setting", "RefDouble", SettingDefault::kInt, 0, nullptr },
    { "Setting", "NoRefBody", SettingDefault::kInt, 0, nullptr },
    { "EditWindow", "WordWrapMode", SettingDefault::kInt, 2, nullptr },
    { "EditWindow", "WordWrapCount", SettingDefault::kInt, 80, nullptr },
    { "Setting", "AddressDispType", SettingDefault::kInt, 0, nullptr },
    { "Setting", "AddressDispOrgNoChange", SettingDefault::kInt, 1, nullptr },
    { "Setting", "EditorTabSize", SettingDefault::kInt, 1, nullptr },
    { "EditWindow", "AddressMakeupType", SettingDefault::kInt, 0, nullptr },
    { "Setting", "EditorAutoBackup", SettingDefault::kInt, 1, nullptr },
    { "Setting", "AutoBackupInterval", SettingDefault::kInt, 30, nullptr },
    { "Setting", "EditorFileListBottom", SettingDefault::kInt, 0, nullptr },
    { "Setting", "ForwardMailPriorityOn", SettingDefault::kInt, 0, nullptr },
    { "Setting", "SendConfirmDialog", SettingDefault::kInt, 1, nullptr },
    { "Setting", "SendWaitTime", SettingDefault::kInt, 0, nullptr },
    { "Setting", "NoReceiveAcountInCC", SettingDefault::kInt, 1, nullptr },
    { "EditWindow", "BodyIMEOn", SettingDefault::kInt, 1, nullptr },
    { "EditWindow", "AddressIMEOff", SettingDefault::kInt, 1, nullptr },
    { "EditWindow", "SubjectIMEOn", SettingDefault::kInt, 1, nullptr },
    { "EditWindow", "NoAttachComment", SettingDefault::kText, 0, "# Toの方のみ以下のファイルが添付されています。 " },
    { "EditWindow", "NoAttachFileHeader", SettingDefault::kText, 0, "# " },
    { "EditWindow", "NoAttachCommentTop", SettingDefault::kInt, 0, nullptr },
    { "EditWindow", "AttachToCommentType", SettingDefault::kInt, 0, nullptr },
    { "Setting", "HankakuCheck", SettingDefault::kInt, 0, nullptr },
    { "Setting", "DefaultRequestReadNotify", SettingDefault::kInt, 0, nullptr },
    { "Setting", "DefaultContentZipFile", SettingDefault::kInt, 0, nullptr },
    { "Setting", "ContentZipFileComment", SettingDefault::kText, 0,
      "このメールの本文は、コルヴェイン・メールの自動暗号化により「本文.zip」として添付されています。\r\n"
      "閲覧するにはパスワードが必要です。" },
    { "Setting", "BackupClearContents", SettingDefault::kInt, 0, nullptr },
    { "Setting", "AlwaysUseEditor", SettingDefault::kInt, 0, nullptr },
    { "EditWindow", "EditorPath", SettingDefault::kText, 0, "" },
    { "EditWindow", "EditorOption", SettingDefault::kText, 0, "" },
    { "EditWindow", "EditorTempFileExt", SettingDefault::kText, 0, "" },
    { "Setting", "HtmlAlwaysUseEditor", SettingDefault::kInt, 0, nullptr },
    { "EditWindow", "HtmlEditorPath", SettingDefault::kText, 0, "" },
    { "EditWindow", "HtmlEditorOption", SettingDefault::kText, 0, "" },
    { "EditWindow", "HtmlEditorTempFileExt", SettingDefault::kText, 0, "html" },
    // Body pane settings.
    { "Setting", "RefTextHeader1", SettingDefault::kText, 0, ">, >,|, |" },
    { "Setting", "RefTextHeader2", SettingDefault::kText, 0, ">>, >>,||, ||,> >, > >" },
    { "Setting", "RefTextHeader3", SettingDefault::kText, 0, "#, #," },
    { "Setting", "RefTextHeader4", SettingDefault::kText, 0, "" },
    { "ViewOption", "LineFeed", SettingDefault::kInt, 0, nullptr },
    { "ViewOption", "DoNotViewWordBreak", SettingDefault::kInt, 0, nullptr },
    { "ViewOption", "OldStyleWordBreak", SettingDefault::kInt, 0, nullptr },
    { "ViewOption", "SpaceScroll", SettingDefault::kInt, 1, nullptr },
    { "ViewOption", "SpaceScrollToNotRead", SettingDefault::kInt, 0, nullptr },
    { "ViewOption", "ScrollSmooth", SettingDefault::kInt, 0, nullptr },
    { "ViewOption", "HTMLMail", SettingDefault::kInt, 0, nullptr },
    { "ViewOption", "ViewWindowHTMLOn", SettingDefault::kInt, 0, nullptr },
    { "ViewOption", "CheckHTMLScript", SettingDefault::kInt, 1, nullptr },
    { "ViewOption", "IEZone", SettingDefault::kInt, 3, nullptr },
    { "ViewOption", "SingleClickAction", SettingDefault::kInt, 0, nullptr },
    { "ViewOption", "DblOpenURL", SettingDefault::kInt, 1, nullptr },
    { "ViewOption", "DblOpenMailEditor", SettingDefault::kInt, 1, nullptr },
    { "ViewOption", "ShowInlineText", SettingDefault::kInt, 0, nullptr },
    { "ViewOption", "ViewFileListBottom", SettingDefault::kInt, 0, nullptr },
    { "ViewOption", "ScrollEndRead", SettingDefault::kInt, 0, nullptr },
    { "ViewOption", "PreViewTime", SettingDefault::kInt, 0, nullptr },
    { "ViewOption", "AutoScrollSpeed", SettingDefault::kInt, 12, nullptr },
    { "ViewOption", "TabSize", SettingDefault::kInt, 1, nullptr },
    // Colours.
    { "Color", "TreeBkColor", SettingDefault::kInt, RGBV(200, 243, 255), nullptr },
    { "Color", "TreeTextColor", SettingDefault::kSysColor, COLOR_WINDOWTEXT, nullptr },
    { "Color", "TreeNotReadColor", SettingDefault::kSysColor, COLOR_WINDOWTEXT, nullptr },
    { "Color", "TreeNotReadColor2", SettingDefault::kSameAs, 0, "TreeNotReadColor" },
    { "Color", "TreeMailCount", SettingDefault::kSysColor, COLOR_GRAYTEXT, nullptr },
    { "Color", "ListBkColor", SettingDefault::kInt, RGBV(166, 188, 246), nullptr },
    { "Color", "ListTextColor", SettingDefault::kSysColor, COLOR_WINDOWTEXT, nullptr },
    { "Color", "ListTextColorNoRead", SettingDefault::kSameAs, 0, "ListTextColor" },
    { "Color", "EditorBkColor", SettingDefault::kSysColor, COLOR_WINDOW, nullptr },
    { "Color", "EditorTextColor", SettingDefault::kSysColor, COLOR_WINDOWTEXT, nullptr },
    { "Color", "EditorFileTrayColor", SettingDefault::kInt, RGBV(255, 200, 80), nullptr },
    { "Color", "ViewBkColor", SettingDefault::kInt, RGBV(232, 232, 232), nullptr },
    { "Color", "ViewTextColor", SettingDefault::kSysColor, COLOR_WINDOWTEXT, nullptr },
    { "Color", "RefTextColor1", SettingDefault::kInt, RGBV(0, 0, 255), nullptr },
    { "Color", "RefTextColor2", SettingDefault::kInt, RGBV(0, 0, 127), nullptr },
    { "Color", "RefTextColor3", SettingDefault::kInt, RGBV(0, 0, 0), nullptr },
    { "Color", "RefTextColor4", SettingDefault::kInt, RGBV(0, 0, 0), nullptr },
    { "Color", "URLTextColor", SettingDefault::kInt, RGBV(0, 64, 0), nullptr },
    { "Color", "AddressTextColor", SettingDefault::kInt, RGBV(128, 128, 64), nullptr },
    { "Color", "ViewFileTrayColor", SettingDefault::kInt, RGBV(255, 200, 80), nullptr },
    // Profiles.
    { "Etc", "ProfileChangeMainFrame", SettingDefault::kInt, 0, nullptr },
    { "Etc", "DefaultProfileName", SettingDefault::kText, 0, "" },
};

#undef RGBV

} // namespace

const SettingDefault* GetSettingDefaults(int* pnCount)
{
    if (pnCount)
        *pnCount = static_cast<int>(sizeof(kDefaults) / sizeof(kDefaults[0]));
    return kDefaults;
}

const SettingDefault* FindSettingDefault(const char* pszSection, const char* pszKey)
{
    for (const SettingDefault& d : kDefaults) {
        if (lstrcmpiA(d.pszSection, pszSection) == 0 && lstrcmpiA(d.pszKey, pszKey) == 0)
            return &d;
    }
    return nullptr;
}

int GetDefaultSettingInt(CMailApp& app, const char* pszSection, const char* pszKey)
{
    const SettingDefault* d = FindSettingDefault(pszSection, pszKey);
    if (!d)
        return 0;
    switch (d->kind) {
    case SettingDefault::kInt:
        return d->nValue;
    case SettingDefault::kSysColor:
        return static_cast<int>(::GetSysColor(d->nValue));
    case SettingDefault::kSameAs:
        return GetSettingInt(app, pszSection, d->pszText);
    default:
        return 0;
    }
}

CString GetDefaultSettingText(const char* pszSection, const char* pszKey)
{
    const SettingDefault* d = FindSettingDefault(pszSection, pszKey);
    return d && d->kind == SettingDefault::kText ? CString(d->pszText) : CString();
}

int GetSettingInt(CMailApp& app, const char* pszSection, const char* pszKey)
{
    return app.GetProfileInt(pszSection, pszKey, GetDefaultSettingInt(app, pszSection, pszKey));
}

CString GetSettingText(CMailApp& app, const char* pszSection, const char* pszKey)
{
    return app.GetProfileString(pszSection, pszKey, GetDefaultSettingText(pszSection, pszKey));
}
