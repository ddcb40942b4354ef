#include "transfer/SendJob.h"

#include "core/AccountData.h"
#include "message/MailMessage.h"
#include "net/SmtpSession.h"
#include "store/MailFolderStore.h"
#include "transfer/MailSendThread.h"

bool CSendJob::PrepareSession(CMailSendThread* pThread, const CAccountData* pAccount, int nIndex,
                              CMailFolderStore* pFolder)
{
    CSmtpSession* pSession = pThread ? pThread->GetSession() : nullptr;
    if (!pSession || !pAccount || !pFolder)
        return false;
    pSession->ResetComposition();
    pThread->m_strReadyText.Empty();
    CMailListData* pList = pFolder->GetMailList();
    CMailIndexRecord* pRecord = pList ? pList->GetMailRecord(nIndex) : nullptr;
    CString text;
    if (!pRecord || !pFolder->ReadMailText(pRecord, text))
        return false;
    // The stored entry: its file-name line, the mail (dot-stuffed as the
    // session sends it) and the terminating dot line.
    int nLineEnd = text.Find("\r\n");
    if (nLineEnd < 0)
        return false;
    CString mail = text.Mid(nLineEnd + 2);
    if (mail.GetLength() >= 5 && mail.Right(5) == "\r\n.\r\n")
        mail = mail.Left(mail.GetLength() - 3);
    int nHeaderEnd = mail.Find("\r\n\r\n");
    CString header = nHeaderEnd >= 0 ? mail.Left(nHeaderEnd + 2) : mail;
    CMailMessage message;
    message.ParseHeaderText(header);
    if (message.m_strSendAccount != pAccount->GetAccountName())
        return false;
    if (pAccount->GetSmtpServer().IsEmpty())
        return false;

    pSession->SetAccountName(pAccount->GetAccountName());
    pSession->SetAccountAddress(pAccount->GetMailAddress());
    pSession->SetFrom(pAccount->GetSendAddress());
    pSession->SetFromName(pAccount->GetSendName());
    CString resentTo = message.GetHeader("Resent-To");
    if (!resentTo.IsEmpty()) {
        pSession->SetSendMode(CSmtpSession::SendModeResend);
        pSession->SetResentTo(resentTo);
        pSession->SetResentCc(message.GetHeader("Resent-CC"));
        pSession->SetTo(resentTo);
        pSession->SetCc(message.GetHeader("Resent-CC"));
    } else {
        pSession->SetTo(message.GetHeader("To"));
        pSession->SetCc(message.GetHeader("Cc"));
        pSession->SetBcc(message.GetHeader("Bcc"));
    }
    pSession->SetSubject(message.m_strSubject);
    pSession->SetMessageId(message.m_strMessageId);
    pSession->SetInReplyTo(message.GetHeader("In-Reply-To"));
    pSession->SetReferences(message.m_strReferences);
    CString handle = message.GetHeader("X-Refer-Mail-Handle");
    if (!handle.IsEmpty())
        pSession->SetReferMail(atoi(message.GetHeader("X-Refer-Mail-Folder")), handle);
    pSession->SetAttachToOnly(!message.GetHeader("X-Attach_To_Only").IsEmpty());
    pThread->m_strReadyText = mail;
    return true;
}
