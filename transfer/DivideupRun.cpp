#include "transfer/DivideupRun.h"

#include "core/QuendalApp.h"
#include "message/MailMessage.h"
#include "store/MailFolderStore.h"
#include "store/MailListData.h"
#include "transfer/DivideupDataSet.h"

namespace {

// The header of a stored mail: the entry starts with its file-name line,
// and the header ends at the first empty line. False for a mail without one.
bool ParseStoredHeader(const CString& entry, CMailMessage& message)
{
    int eol = entry.Find("\r\n");
    if (eol < 0)
        return false;
    CString text = entry.Mid(eol + 2);
    int end = text.Find("\r\n\r\n");
    if (end < 0)
        return false;
    message.ParseHeaderText(text.Left(end + 2));
    return true;
}

} // namespace

DivideupRunResult RunDivideupOverFolder(CQuendalApp& app, CMailFolderStore& folder, const CDivideupDataSet& rules,
                                        const DivideupRunOptions& options, const std::vector<int>* pSelection)
{
    DivideupRunResult result;
    CMailListData* list = folder.GetMailList();
    if (!list)
        return result;
    std::vector<int> visit;
    if (options.nTarget == 3) {
        if (pSelection)
            visit = *pSelection;
    } else {
        for (int i = 0; i < list->GetAllRecordCount(); ++i)
            visit.push_back(i);
    }

    list->OpenFile();
    for (int index : visit) {
        CMailIndexRecord* r = list->GetMailRecord(index);
        if (!r || r->m_bDeleted || r->m_nDataLength == 0 || r->m_nTotalSize == 0)
            continue;
        if ((options.nTarget == 0 && r->m_bRead) || (options.nTarget == 1 && !r->m_bRead))
            continue;
        CString entry;
        CMailMessage header;
        if (!folder.ReadMailText(r, entry) || !ParseStoredHeader(entry, header))
            continue;
        ++result.nVisited;
        for (int k = 0; k < rules.GetRuleCount(); ++k) {
            const CDivideupData* rule = rules.GetRule(k);
            if (!rule || rule->m_bDeleted || !rule->Match(header, r->m_nTotalSize))
                continue;
            if (rule->m_bUseColorLabel && !options.bNoColorLabel && (!options.bKeepExistingLabel || r->m_nLabel == 0)) {
                list->SetColorLabel(r, rule->m_nColorLabel, rule->m_crCustomColor);
                ++result.nLabelled;
            }
            // A label-only rule lets the next rules decide the folder.
            if (rule->m_bNoFolderMove)
                continue;
            CMailFolderStore* target = app.FindFolder(rule->m_nFolderId);
            if (target && target != &folder && !target->GetFolderPath().IsEmpty()) {
                int copied = r->AddCopyToFolder(target, list, entry, entry.GetLength(), TRUE, folder.GetFolderPath());
                if (copied >= -1) {
                    folder.DeleteAttachFolder(index);
                    folder.DeleteMail(index);
                    ++result.nMoved;
                }
            }
            break;
        }
    }
    list->CloseFile();
    list->RemoveDeletedRecords();
    return result;
}
