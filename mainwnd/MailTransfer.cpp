#include "mainwnd/MailTransfer.h"

#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "mainwnd/MailMarks.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"

using MailObjectBlock::MailRef;

namespace {

const int kDeleteProtected = MailMarks::kDeleteProtected;

CMailTransfer::MailDeletedHook g_pfnDeleted = nullptr;
CMailTransfer::MailMovedHook g_pfnMoved = nullptr;

} // namespace

void CMailTransfer::SetHooks(MailDeletedHook pfnDeleted, MailMovedHook pfnMoved)
{
    g_pfnDeleted = pfnDeleted;
    g_pfnMoved = pfnMoved;
}

bool CMailTransfer::CanWriteFolder(CMailFolderStore* pTarget)
{
    if (!pTarget || pTarget->GetFolderPath().IsEmpty())
        return false;
    if (!DirectoryExists(pTarget->GetFolderPath()))
        return false;
    // The data file must be open for appending (a receive may hold it so).
    return pTarget->CanAppendData() != FALSE;
}

int CMailTransfer::CopyOne(CMailFolderStore* pSource, int nIndex, CMailFolderStore* pTarget)
{
    CMailListData* list = pSource ? pSource->GetMailList() : nullptr;
    CMailIndexRecord* r = list ? list->GetMailRecord(nIndex) : nullptr;
    if (!r || r->m_bDeleted || !pTarget)
        return -2;
    CString text;
    if (!pSource->ReadMailText(r, text))
        return -2;
    return r->AddCopyToFolder(pTarget, list, text, text.GetLength(), TRUE, pSource->GetFolderPath());
}

void CMailTransfer::RemoveOne(CMailFolderStore* pSource, int nIndex)
{
    pSource->DeleteAttachFolder(nIndex);
    pSource->DeleteMail(nIndex);
}

CMailTransfer::Result CMailTransfer::CopyMails(CQuendalApp& app, const std::vector<MailRef>& mails,
                                               CMailFolderStore* pTarget, bool bMove)
{
    Result result;
    for (const MailRef& ref : mails) {
        CMailFolderStore* source = app.FindFolder(ref.nFolderId);
        // A mail moved onto its own folder would be copied and then deleted.
        if (!source || (bMove && source == pTarget)) {
            result.failed.push_back(ref);
            continue;
        }
        int copied = CopyOne(source, ref.nIndex, pTarget);
        if (copied < -1) {
            result.failed.push_back(ref);
            continue;
        }
        if (bMove) {
            RemoveOne(source, ref.nIndex);
            if (g_pfnMoved)
                g_pfnMoved(ref.nFolderId, ref.nIndex, pTarget->GetFolderId(), copied);
        }
        result.done.push_back(ref);
        result.nDone++;
    }
    return result;
}

CMailTransfer::Result CMailTransfer::DeleteMails(CQuendalApp& app, CMailFolderStore* pStore,
                                                 const std::vector<int>& indices, bool bPermanent)
{
    Result result;
    CMailListData* list = pStore ? pStore->GetMailList() : nullptr;
    if (!list)
        return result;
    CMailFolderStore* trash = app.GetDefaultFolder(CFolderRecord::kindTrash);
    bool toTrash = !bPermanent && trash && trash != pStore && pStore->GetKind() != CFolderRecord::kindTrash;
    for (int index : indices) {
        MailRef ref = {pStore->GetFolderId(), index};
        CMailIndexRecord* r = list->GetMailRecord(index);
        if (!r || r->m_bDeleted) {
            result.failed.push_back(ref);
            continue;
        }
        if (r->m_nFlags & kDeleteProtected) {
            result.skipped.push_back(ref);
            continue;
        }
        int copy = toTrash ? CopyOne(pStore, index, trash) : -1;
        if (copy < -1) {
            result.failed.push_back(ref);
            continue;
        }
        RemoveOne(pStore, index);
        if (g_pfnDeleted)
            g_pfnDeleted(ref.nFolderId, index);
        result.done.push_back(ref);
        result.trashCopies.push_back(copy);
        result.nDone++;
    }
    return result;
}

void CMailTransfer::AddToDeleteHistory(CQuendalApp& app, CMailFolderStore* pStore, const Result& result)
{
    CMailFolderStore* trash = app.GetDefaultFolder(CFolderRecord::kindTrash);
    for (size_t i = 0; i < result.done.size() && i < result.trashCopies.size(); i++)
        app.AddDeletedMailHistory(pStore, result.done[i].nIndex, trash, result.trashCopies[i]);
}
