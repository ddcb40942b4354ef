#include "tasklist/TaskListRecord.h"

#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "core/LogWriter.h"
#include "core/QuendalApp.h"
#include "store/MailFolderStore.h"
#include "tasklist/TaskListData.h"
#include "tasklist/TaskNotice.h"

namespace {

const char kTimeFormat[] = "%Y/%m/%d %H:%M:%S";

CString FormatTaskTime(int64_t t) { return CTime(t).Format(kTimeFormat); }

// The account a sent notice goes out with: the named one, else the default
// account (the one chosen in the main window), else none.
CAccountData* FindNoticeAccount(const CString& name)
{
    CQuendalApp* app = QuendalApp();
    CAccountDataSet* accounts = app ? app->m_pAccountDataSet : nullptr;
    if (!accounts)
        return nullptr;
    if (CAccountData* a = accounts->FindAccountByName(name))
        return a;
    CAccountData* fallback = accounts->GetAccount(accounts->m_nCurrentAccount);
    if (!fallback)
        fallback = accounts->GetAccount(0);
    return fallback;
}

} // namespace

void CTaskListRecord::CopyFieldsFrom(const CTaskListRecord& o)
{
    m_nFolderId = o.m_nFolderId;
    m_strMailKey = o.m_strMailKey;
    m_strSubject = o.m_strSubject;
    m_strFrom = o.m_strFrom;
    m_strTo = o.m_strTo;
    m_strCc = o.m_strCc;
    m_tSend = o.m_tSend;
    m_tReceive = o.m_tReceive;
    m_bHasDeadline = o.m_bHasDeadline;
    m_tDeadline = o.m_tDeadline;
    m_strMemo = o.m_strMemo;
    m_bNotify = o.m_bNotify;
    m_nLeadMinutes = o.m_nLeadMinutes;
    m_nNotified = o.m_nNotified;
    m_nNoticeAction = o.m_nNoticeAction;
    m_strNoticeSubject = o.m_strNoticeSubject;
    m_strNoticeAccount = o.m_strNoticeAccount;
    m_strNoticeTo = o.m_strNoticeTo;
    m_strNoticeBody = o.m_strNoticeBody;
}

bool CTaskListRecord::IsDue(int64_t now) const
{
    if (m_bDeleted || !m_bHasDeadline || !m_bNotify || m_nNotified > 0)
        return false;
    int64_t minutes = (m_tDeadline - now) / 60;
    return minutes <= m_nLeadMinutes;
}

bool CTaskListRecord::CheckDue(CTaskListData* pTable, int64_t now)
{
    if (!IsDue(now))
        return false;
    // Marked only once delivered: a notice that failed is tried again at the
    // next tick instead of being lost.
    bool bDelivered = false;
    bool bNewMail = SendNotice(&bDelivered);
    if (bDelivered) {
        m_nNotified = 1;
        if (pTable)
            pTable->MarkNotified(m_nSerial);
    }
    return bNewMail;
}

CString CTaskListRecord::BuildNoticeBody() const
{
    if (!m_strNoticeBody.IsEmpty())
        return m_strNoticeBody;
    CString body;
    body.AppendFormat("%s\r\n", m_strMemo.GetString());
    body.AppendFormat("期限：%s\r\n", FormatTaskTime(m_tDeadline).GetString());
    if (HasMail()) {
        body.AppendFormat("件名：%s\r\n", m_strSubject.GetString());
        body.AppendFormat("差出人：%s\r\n", m_strFrom.GetString());
        body.AppendFormat("宛先：%s\r\n", m_strTo.GetString());
        if (!m_strCc.IsEmpty())
            body.AppendFormat("宛先：%s\r\n", m_strCc.GetString());
        body.AppendFormat("送信時間：%s\r\n", FormatTaskTime(m_tSend).GetString());
        body.AppendFormat("受信時間：%s\r\n", FormatTaskTime(m_tReceive).GetString());
    }
    return body;
}

bool CTaskListRecord::SendNotice(bool* pDelivered)
{
    if (pDelivered)
        *pDelivered = false;
    CQuendalApp* app = QuendalApp();
    if (!app)
        return false;
    const TaskNoticeHooks& hooks = GetTaskNoticeHooks();
    CString body = BuildNoticeBody();
    CString subject = m_strNoticeSubject.IsEmpty() ? CString("[Corvane Mail] タスクの通知時間です！") : m_strNoticeSubject;
    CString account = m_strNoticeAccount;
    CString sender;
    CMailFolderStore* target = nullptr;
    if (m_nNoticeAction == NoticeSend) {
        CAccountData* a = FindNoticeAccount(m_strNoticeAccount);
        if (!a) {
            WriteLog(FormatString("タスクの通知を送信できません。アカウント[%s]がありません。\r\n",
                                  m_strNoticeAccount.GetString()), TRUE);
            return false;
        }
        if (a->GetAccountName() != m_strNoticeAccount) {
            WriteLog(FormatString("タスクの通知はアカウント[%s]がないため[%s]で送信します。\r\n",
                                  m_strNoticeAccount.GetString(), a->GetAccountName().GetString()), TRUE);
            account = a->GetAccountName();
        }
        sender = a->GetMailAddress();
        target = hooks.pfnGetSendFolder();
    } else {
        sender = "Corvane Mail";
        target = app->GetCurrentFolder();
    }
    if (!target) {
        WriteLog("タスクの通知メールを入れるフォルダがありません。\r\n", TRUE);
        return false;
    }
    int index = -1;
    if (!CreateMailInFolder(account, target, sender, m_strNoticeTo, "", "", subject, body, FALSE, &index)) {
        WriteLog(FormatString("タスクの通知メールを作成できませんでした。[%s]\r\n", subject.GetString()), TRUE);
        return false;
    }
    if (m_nNoticeAction == NoticeSend) {
        // The notice waits in the sending folder until the main window sends it.
        if (pDelivered)
            *pDelivered = hooks.pfnSendFolderMail(target->GetFolderId(), TRUE) != FALSE;
        return false;
    }
    if (pDelivered)
        *pDelivered = true;
    hooks.pfnNewMail(target->GetFolderId(), index);
    return true;
}
