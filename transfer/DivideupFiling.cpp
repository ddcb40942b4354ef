#include "transfer/DivideupFiling.h"

#include "core/QuendalApp.h"
#include "message/MailLineEnds.h"
#include "message/MailMessage.h"
#include "transfer/DivideupDataSet.h"
#include "transfer/ReceiveNotifyDataSet.h"

namespace {

// The size of a mail file in bytes; -1 when it cannot be read.
int FileSizeOf(const char* pszPath)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(pszPath, GetFileExInfoStandard, &data))
        return -1;
    return data.nFileSizeHigh || data.nFileSizeLow > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(data.nFileSizeLow);
}

} // namespace

BOOL BeginReceiveFiltering(CQuendalApp& app)
{
    CDivideupDataSet* set = app.GetReceiveRuleSet();
    if (!set)
        return FALSE;
    BOOL any = set->BuildReceiveRuleList();
    return any && app.GetProfileInt("Setting", "DivideUpAtReceive", 1) != 0;
}

int CheckServerMail(CQuendalApp& app, const CMailMessage& header, int nSize)
{
    if (!app.GetProfileInt("Setting", "DivideUpAtReceive", 1))
        return CDivideupDataSet::kDownload;
    CDivideupDataSet* set = app.GetReceiveRuleSet();
    return set ? set->CheckBeforeDownload(header, nSize) : CDivideupDataSet::kDownload;
}

BOOL ChooseReceiveFolder(CQuendalApp& app, const CMailMessage& header, int nSize, ReceiveFilingChoice& choice)
{
    choice = ReceiveFilingChoice();
    choice.pFolder = app.GetDefaultFolder(CFolderRecord::kindInbox);
    CDivideupDataSet* set = app.GetProfileInt("Setting", "DivideUpAtReceive", 1) ? app.GetReceiveRuleSet() : nullptr;
    if (set) {
        DivideupReceiveTarget t = set->FindReceiveTarget(header, nSize);
        choice.bRuleMet = t.bMatched;
        choice.bLeaveOnServer = t.bLeaveOnServer;
        choice.bDeleteOnServer = t.bDeleteOnServer;
        if (t.nFolderId) {
            CMailFolderStore* target = app.FindFolder(t.nFolderId);
            if (target && !target->GetFolderPath().IsEmpty())
                choice.pFolder = target;
        }
        if (t.pRule)
            t.pRule->GetFilterResult(choice.filter);
    }
    return choice.pFolder != nullptr;
}

int CheckServerMailHeader(CQuendalApp& app, const char* pszHeaderText, int nSize)
{
    CMailMessage header;
    header.ParseHeaderText(pszHeaderText ? pszHeaderText : "");
    return CheckServerMail(app, header, nSize);
}

BOOL ChooseReceiveFolderForText(CQuendalApp& app, const std::string& mail, ReceiveFilingChoice& choice)
{
    // As a mail file is read: its header block up to the blank line, or up
    // to the terminator of a mail without a body.
    std::string crlf;
    const std::string* text = &mail;
    if (mail.find("\r\n") == std::string::npos) {
        crlf = CMailLineEnds::ToCrLf(mail);
        text = &crlf;
    }
    size_t cut = text->find("\r\n\r\n");
    if (cut == std::string::npos)
        cut = text->find("\r\n.\r\n");
    CMailMessage header;
    if (cut == std::string::npos || !header.Parse(text->data(), static_cast<int>(cut))) {
        choice = ReceiveFilingChoice();
        choice.pFolder = app.GetDefaultFolder(CFolderRecord::kindInbox);
        return choice.pFolder != nullptr;
    }
    int nSize = mail.size() > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(mail.size());
    return ChooseReceiveFolder(app, header, nSize, choice);
}

BOOL ChooseReceiveFolderForFile(CQuendalApp& app, const char* pszMailPath, ReceiveFilingChoice& choice)
{
    CMailMessage header;
    if (!pszMailPath || !header.ParseFile(pszMailPath)) {
        choice = ReceiveFilingChoice();
        choice.pFolder = app.GetDefaultFolder(CFolderRecord::kindInbox);
        return choice.pFolder != nullptr;
    }
    return ChooseReceiveFolder(app, header, FileSizeOf(pszMailPath), choice);
}

CMailFolderStore* ChooseSentFolder(CQuendalApp& app, const char* pszMailFile)
{
    CMailFolderStore* sent = app.GetDefaultFolder(CFolderRecord::kindSent);
    if (!app.GetProfileInt("Setting", "DivideUpAtSend", 0) || !pszMailFile)
        return sent;
    CDivideupDataSet* set = app.GetProfileInt("Setting", "DivideUpUseReceiveSet", 0) ? app.GetReceiveRuleSet()
                                                                                     : app.GetSendRuleSet();
    CMailMessage message;
    if (!set || !message.ParseFile(pszMailFile))
        return sent;
    CDivideupData* rule = set->FindFirstMatch(message, FileSizeOf(pszMailFile));
    CMailFolderStore* target = rule ? app.FindFolder(rule->m_nFolderId) : nullptr;
    return target ? target : sent;
}

int CollectNotifySounds(CQuendalApp& app, const CMailMessage& header, CStringArray& sounds)
{
    CReceiveNotifyDataSet* rules = app.GetNotifyRules();
    return rules ? rules->CollectSounds(header, sounds) : 0;
}
