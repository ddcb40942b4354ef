#include "transfer/DivideupFiling.h"

#include "core/QuendalApp.h"
#include "message/MailMessage.h"
#include "transfer/DivideupDataSet.h"
#include "transfer/ReceiveNotifyDataSet.h"

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
    int size = -1;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(pszMailFile, GetFileExInfoStandard, &data))
        size = data.nFileSizeHigh ? 0x7FFFFFFF : static_cast<int>(data.nFileSizeLow & 0x7FFFFFFF);
    CDivideupData* rule = set->FindFirstMatch(message, size);
    CMailFolderStore* target = rule ? app.FindFolder(rule->m_nFolderId) : nullptr;
    return target ? target : sent;
}

int CollectNotifySounds(CQuendalApp& app, const CMailMessage& header, CStringArray& sounds)
{
    CReceiveNotifyDataSet* rules = app.GetNotifyRules();
    return rules ? rules->CollectSounds(header, sounds) : 0;
}
