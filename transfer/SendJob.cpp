#include "transfer/SendJob.h"

#include "core/AccountData.h"
#include "message/MailMessage.h"
#include "net/SmtpSession.h"
#include "store/MailFolderStore.h"
#include "transfer/MailSendThread.h"

#include <string>
#include <vector>

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
    }
    // A mail passed on reaches its blind copies as much as any other.
    pSession->SetBcc(message.GetHeader("Bcc"));
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

CString CSendJob::WithoutAttachments(const CString& mail)
{
    int nHeaderEnd = mail.Find("\r\n\r\n");
    if (nHeaderEnd < 0)
        return mail;
    CMailMessage top;
    top.ParseHeaderText(mail.Left(nHeaderEnd + 2));
    if (top.m_nMainType != kContentMultipart || top.m_strBoundary.IsEmpty())
        return mail;
    const std::string text = mail.Str();
    const std::string delimiter = "\r\n--" + top.m_strBoundary.Str();
    // Where each delimiter line starts (with the line end before it); the
    // header's last line end stands before a delimiter at the body's start.
    std::vector<size_t> starts;
    for (size_t at = text.find(delimiter, static_cast<size_t>(nHeaderEnd));
         at != std::string::npos; at = text.find(delimiter, at + delimiter.size())) {
        size_t after = at + delimiter.size();
        if (after + 2 > text.size())
            break;
        bool bClose = text.compare(after, 2, "--") == 0;
        if (!bClose && text[after] != '\r' && text[after] != ' ' && text[after] != '\t')
            continue;  // a longer boundary that begins with this one
        starts.push_back(at);
        if (bClose)
            break;
    }
    if (starts.size() < 2)
        return mail;
    std::string out = text.substr(0, starts[0]);
    bool bDropped = false;
    for (size_t i = 0; i + 1 < starts.size(); i++) {
        std::string part = text.substr(starts[i], starts[i + 1] - starts[i]);
        size_t lineEnd = part.find("\r\n", 2);
        size_t partHeaderEnd = lineEnd == std::string::npos ? std::string::npos : part.find("\r\n\r\n", lineEnd);
        CMailMessage header;
        if (lineEnd != std::string::npos)
            header.ParseHeaderText(part.substr(lineEnd + 2, partHeaderEnd == std::string::npos
                                                                ? std::string::npos
                                                                : partHeaderEnd - lineEnd).c_str());
        if (header.m_strDispositionWord.CompareNoCase("attachment") == 0) {
            bDropped = true;
            continue;
        }
        out += part;
    }
    if (!bDropped)
        return mail;
    out.append(text, starts.back(), std::string::npos);
    return CString(out);
}
