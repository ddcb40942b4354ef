#include "tasklist/TaskNotice.h"

#include "core/AppMessages.h"
#include "core/DateTimeUtil.h"
#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "message/AddressList.h"
#include "net/SmtpSession.h"
#include "plugin/AppThreadCall.h"
#include "plugin/SendFolderRequest.h"
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

void DefaultNewMail(int nFolderId, int nIndex)
{
    // The frame lists the mail in the notification window and shows it in
    // the folder; the reminder pass counts its notices once when it ends.
    if (CQuendalApp* app = QuendalApp())
        ::PostThreadMessageA(app->m_nThreadID, WM_QD_FOLDER_MAIL_FILED, static_cast<WPARAM>(nIndex + 1), nFolderId);
}

BOOL DefaultSendFolderMail(int nFolderId, BOOL bFlag)
{
    return PostSendFolderMail(nFolderId, bFlag);
}

CMailFolderStore* DefaultGetSendFolder()
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return nullptr;
    // The folder registry belongs to the application thread.
    int id = 0;
    CAppThreadCall::Run([app, &id] { id = app->GetSendTempFolder(); });
    return id > 0 ? app->FindFolder(id) : nullptr;
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
