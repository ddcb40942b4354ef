#include "tasklist/TaskNotice.h"

#include "core/AppMessages.h"
#include "core/DateTimeUtil.h"
#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "mainwnd/MainFrame.h"
#include "message/AddressList.h"
#include "net/SmtpSession.h"
#include "store/MailFolderStore.h"

namespace {

CString MakeNoticeFileName()
{
    static volatile LONG s_counter = 0;
    SYSTEMTIME st;
    GetLocalTime(&st);
    CString name;
    name.Format("QMG%lld%03u%04ld", static_cast<long long>(CTime::GetCurrentTime().GetTime()),
                static_cast<unsigned>(st.wMilliseconds), InterlockedIncrement(&s_counter) % 10000);
    return name;
}

void DefaultNewMail(int nFolderId, int /*nIndex*/)
{
    // The main window's new-mail list, counter and notification window are
    // reached through the folder refresh until it installs its own hook.
    if (CQuendalApp* app = QuendalApp())
        ::PostThreadMessageA(app->m_nThreadID, WM_QD_FOLDER_MAIL_FILED, 0, nFolderId);
}

BOOL DefaultSendFolderMail(int nFolderId, BOOL bFlag)
{
    CQuendalApp* app = QuendalApp();
    if (!app || !app->m_pMainFrame || !app->m_pMainFrame->m_hWnd)
        return FALSE;
    return ::PostMessageA(app->m_pMainFrame->m_hWnd, 1402, bFlag ? 1 : 0, nFolderId);
}

CMailFolderStore* DefaultGetSendFolder()
{
    CQuendalApp* app = QuendalApp();
    if (!app || app->m_nSendTempFolderId < 0)
        return nullptr;
    return app->FindFolder(app->m_nSendTempFolderId);
}

TaskNoticeHooks& Hooks()
{
    static TaskNoticeHooks hooks = { DefaultNewMail, DefaultSendFolderMail, DefaultGetSendFolder };
    return hooks;
}

} // namespace

TaskNoticeHooks SetTaskNoticeHooks(const TaskNoticeHooks& hooks)
{
    TaskNoticeHooks old = Hooks();
    Hooks().pfnNewMail = hooks.pfnNewMail ? hooks.pfnNewMail : DefaultNewMail;
    Hooks().pfnSendFolderMail = hooks.pfnSendFolderMail ? hooks.pfnSendFolderMail : DefaultSendFolderMail;
    Hooks().pfnGetSendFolder = hooks.pfnGetSendFolder ? hooks.pfnGetSendFolder : DefaultGetSendFolder;
    return old;
}

const TaskNoticeHooks& GetTaskNoticeHooks() { return Hooks(); }

BOOL CreateMailInFolder(const char* pszAccount, CMailFolderStore* pFolder, const char* pszSender, const char* pszTo,
                        const char* pszCc, const char* pszBcc, const char* pszSubject, const char* pszBody,
                        BOOL /*bFlag*/, int* pnIndex)
{
    if (pnIndex)
        *pnIndex = -1;
    if (!pFolder)
        return FALSE;
    CSmtpSession composer;
    composer.SetAccountName(pszAccount ? pszAccount : "");
    CString sender(pszSender ? pszSender : "");
    if (sender.Find('@') >= 0) {
        composer.SetFromName(ExtractDisplayName(sender));
        composer.SetFrom(ExtractMailAddress(sender));
    } else {
        // A plain name such as "Corvane Mail" for a notice kept at home: split
        // as an address it would lose all but its first word.
        composer.SetFrom(sender);
    }
    composer.SetTo(pszTo ? pszTo : "");
    composer.SetCc(pszCc ? pszCc : "");
    composer.SetBcc(pszBcc ? pszBcc : "");
    composer.SetSubject(pszSubject ? pszSubject : "");
    composer.AddBodyText(pszBody ? pszBody : "");
    CString name = MakeNoticeFileName();
    composer.SetMessageId("<" + name + ">");

    CString dir;
    if (CQuendalApp* app = QuendalApp())
        dir = app->GetInboxWorkPath();
    if (dir.IsEmpty() || !DirectoryExists(dir))
        dir = pFolder->GetFolderPath();
    CString path = CombinePath(dir, name);
    BOOL ok = FALSE;
    if (composer.BuildMessage(path, false, true)) {
        CString received = FormatDateWithZone(CTime::GetCurrentTime().GetTime());
        ok = pFolder->AddNewMailData(path, received, FALSE, FALSE, nullptr, pnIndex) == 1;
    }
    DeleteFileA(path);
    return ok;
}
