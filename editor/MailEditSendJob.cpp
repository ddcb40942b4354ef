#include "editor/MailEditSendJob.h"

#include "core/AccountData.h"
#include "core/FileUtil.h"
#include "html/HtmlUtil.h"
#include "message/AddressList.h"
#include "message/JapaneseCode.h"
#include "message/MailMessage.h"
#include "net/SmtpSession.h"

namespace {

void AppendAddress(CString& list, const CString& address)
{
    if (!list.IsEmpty())
        list += ",";
    list += address;
}

} // namespace

void CMailEditSendJob::SettleSender(const char* pszFolderName, const char* pszFolderAddress,
                                    const char* pszOverrideName, const char* pszOverrideAddress)
{
    CString name = pszFolderName ? pszFolderName : "";
    CString address = pszFolderAddress ? pszFolderAddress : "";
    if (!m_strKeptSender.IsEmpty()) {
        name = ExtractDisplayName(m_strKeptSender);
        address = ExtractMailAddress(m_strKeptSender);
    }
    m_bExplicitSender = !address.IsEmpty() && (m_strKeptSender.IsEmpty() || m_bFixedSender);
    if (m_pAccount && m_strKeptSender.IsEmpty()) {
        if (name.IsEmpty())
            name = m_pAccount->GetSendName();
        if (address.IsEmpty())
            address = m_pAccount->GetSendAddress();
    }
    if (pszOverrideName && *pszOverrideName)
        name = pszOverrideName;
    if (pszOverrideAddress && *pszOverrideAddress)
        address = pszOverrideAddress;
    m_strSenderName = name;
    m_strSenderAddress = address;
}

void CMailEditSendJob::KeepSourceSender(const CMailMessage& source, bool bFixedSender)
{
    if (m_nForwardMethod == 1 || m_nForwardMethod == 2) {
        m_strKeptSender = source.GetHeader("From");
    } else if (bFixedSender) {
        m_strKeptSender = source.GetHeader("From");
        m_bFixedSender = !m_strKeptSender.IsEmpty();
    }
}

void CMailEditSendJob::TakeResentSource(const CMailMessage& source)
{
    if (m_nForwardMethod != 2)
        return;
    m_strMessageId = source.GetHeader("Message-ID");
    m_strReplyTo = source.GetHeader("Reply-To");
    m_strInReplyTo = source.GetHeader("In-Reply-To");
    m_strReferences = source.GetHeader("References");
    m_strOriginalDate = source.GetHeader("Date");
    m_strOriginalTo = source.GetHeader("To");
    m_strOriginalCc = source.GetHeader("Cc");
}

void CMailEditSendJob::AddAccountBcc()
{
    if (!m_pAccount)
        return;
    const CString& own = m_pAccount->GetMailAddress();
    if (m_pAccount->GetBccToSelf() && !own.IsEmpty() && !AddressListContains(m_strBcc, own))
        AppendAddress(m_strBcc, own);
    CString fixed = m_pAccount->GetText(41);
    fixed.Trim();
    if (!fixed.IsEmpty() && fixed != "0")
        AppendAddress(m_strBcc, fixed);
}

CMailEditSendJob::Check CMailEditSendJob::CheckFields(CString& message)
{
    m_strSubject.Trim();
    message.Empty();
    if (m_nMode != modeSend && m_nMode != modeOutbox)
        return checkOk;
    CString host = m_pAccount ? m_pAccount->GetSmtpServer() : CString();
    host.Trim();
    CString to = m_strTo;
    to.Trim();
    if (host.IsEmpty())
        message = "SMTPサーバが設定されていません。";
    else if (m_strSenderAddress.IsEmpty())
        message = "送信者が設定されていません。";
    else if (to.IsEmpty() || to.SpanIncluding(", \t") == to)
        message = "宛先が設定されていません。";
    if (!message.IsEmpty())
        return checkStop;
    if (m_strSubject.IsEmpty()) {
        message = "件名が入力されていませんが、\r\n送信してよろしいですか？";
        return checkAskSubject;
    }
    return checkOk;
}

CString CMailEditSendJob::FindMissingAttachment() const
{
    for (int i = 0; i < m_attachFiles.GetSize(); ++i)
        if (!FileExists(m_attachFiles[i]))
            return m_attachFiles[i];
    return CString();
}

void CMailEditSendJob::SplitBodyLines(const char* pszBody, CStringArray& lines)
{
    lines.RemoveAll();
    const char* p = pszBody ? pszBody : "";
    if (!*p) {
        lines.Add("\r\n");
        return;
    }
    while (*p) {
        const char* end = p;
        while (*end && *end != '\r' && *end != '\n')
            ++end;
        CString line(p, static_cast<int>(end - p));
        lines.Add(line + "\r\n");
        if (*end == '\r' && end[1] == '\n')
            end += 2;
        else if (*end)
            ++end;
        p = end;
    }
}

CString CMailEditSendJob::MakeJobFolder(const char* pszBase)
{
    if (!pszBase || !*pszBase)
        return CString();
    CreateDirectoryPath(pszBase);
    DWORD attributes = GetFileAttributesA(pszBase);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return CString();
    // A unique name from the system, turned into a folder: two editors
    // sending at once never share their files.
    char name[MAX_PATH + 1];
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (!GetTempFileNameA(pszBase, "$B", 0, name))
            return CString();
        DeleteFileA(name);
        if (CreateDirectoryA(name, nullptr))
            return CString(name);
    }
    return CString();
}

CString CMailEditSendJob::WriteBodyFile(const char* pszBase, const CStringArray& lines)
{
    CString folder = MakeJobFolder(pszBase);
    if (folder.IsEmpty())
        return CString();
    CString path = CombinePath(folder, "本文.txt");
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite))
        return CString();
    try {
        for (int i = 0; i < lines.GetSize(); ++i)
            file.Write(lines[i].GetString(), static_cast<UINT>(lines[i].GetLength()));
        file.Close();
    } catch (CFileException&) {
        file.Abort();
        return CString();
    }
    return path;
}

bool CMailEditSendJob::Fill(CSmtpSession& session) const
{
    const CAccountData* a = m_pAccount;
    if (a) {
        int port = a->GetSmtpPort();
        session.SetServer(a->GetSmtpServer(), port == 0 ? 25 : port);
        session.SetUseEhlo(a->GetUseEsmtp() != 0);
        session.SetSsl(a->GetSendTls() != 0);
        if (a->GetSmtpAuth()) {
            CString user = a->GetSmtpUser().IsEmpty() ? a->GetReceiveUser() : a->GetSmtpUser();
            CString password = a->GetSmtpPassword().IsEmpty() ? a->GetPassword() : a->GetSmtpPassword();
            session.SetAuthUser(user, password);
        }
        session.SetAuthMethods(a->GetSmtpLogin() != 0, a->GetSmtpCramMd5() != 0, a->GetSmtpPlain() != 0);
        session.SetAccountName(a->GetAccountName());
        session.SetAccountAddress(a->GetMailAddress());
        session.SetAddressDispType(a->GetFromForm());
    } else {
        session.SetServer("", -1);
    }
    auto kana = [this](const CString& text) { return m_bConvertKana ? HalfWidthKanaToFullWidth(text) : text; };
    session.SetSubject(kana(m_strSubject));
    session.SetCreateFolderId(m_nCreateFolderId);
    session.SetFromName(kana(m_strSenderName));
    session.SetFrom(m_strSenderAddress);
    session.SetTo(kana(m_strTo));
    session.SetCc(kana(m_strCc));
    session.SetBcc(m_strBcc);
    session.SetSignName(m_strSignName);
    session.SetKeepFromAddress(m_bExplicitSender);
    session.SetReplyTo(m_strReplyTo);
    session.SetInReplyTo(m_strInReplyTo);
    session.SetReferences(m_strReferences);
    session.SetPriorityHeaders(m_strPriorityHeaders);
    if (m_nForwardMethod >= 0) {
        // The forward method is the build's send mode: 2 writes the
        // source's Date, To and Cc and keeps its Message-ID.
        session.SetResentFrom(a ? a->GetMailAddress().GetString() : m_strSenderAddress.GetString());
        session.SetResentTo(kana(m_strTo));
        session.SetResentCc(kana(m_strCc));
        session.SetSendMode(m_nForwardMethod);
        session.SetOriginalTo(m_strOriginalTo);
        session.SetOriginalCc(m_strOriginalCc);
        session.SetOriginalDate(m_strOriginalDate);
        if (m_nForwardMethod == 2)
            session.SetMessageId(m_strMessageId);
    }
    if (!m_strReferHandle.IsEmpty())
        session.SetReferMail(m_nReferFolderId, m_strReferHandle);
    session.SetReadReceipt(m_nMailKind != 11 && m_bReadReceipt, a ? a->GetMailAddress().GetString() : nullptr);
    if (m_nMailKind == 11) {
        session.SetSendMode(CSmtpSession::SendModeReadReceipt);
        session.SetNotificationText(m_strNotificationText);
    }
    session.SetArchivePassword(m_strArchivePassword);
    CStringArray lines;
    SplitBodyLines(kana(m_strBody), lines);
    CString bodyFile;
    if (m_bBodyAsArchive && m_nMode != modeDraft && m_nMode != modeBackup) {
        bodyFile = WriteBodyFile(m_strBodyFileBase, lines);
        if (bodyFile.IsEmpty())
            return false;
        if (m_bKeepClearBody) {
            for (int i = 0; i < lines.GetSize(); ++i)
                session.AddSecondBodyLine(lines[i]);
            session.SetArchiveWithCompanion(true);
        }
        CStringArray comment;
        SplitBodyLines(m_strBodyComment, comment);
        lines.Copy(comment);
    }
    // Lines stay whole however long: the message chooses a transfer
    // encoding that carries them.
    for (int i = 0; i < lines.GetSize(); ++i)
        session.AddBodyLine(lines[i]);
    if (m_bHtml) {
        session.SetHtmlMail(true);
        session.SetHtmlText(
            ConvertHtmlLinksToCid(m_strHtml, m_strHtmlPath, session.GetRelatedPartList(), m_bHtmlPathIsUsers));
    }
    if (m_nMode != modeBackup) {
        for (int i = 0; i < m_attachFiles.GetSize(); ++i)
            session.AddAttachment(m_attachFiles[i]);
        if (!bodyFile.IsEmpty())
            session.AddAttachment(bodyFile);
        session.SetAttachToOnly(m_bAttachToOnly && m_attachFiles.GetSize() > 0);
        session.SetAttachComment(m_bAttachComment);
    }
    return true;
}
