// The deleted-mail history: the mails deleted lately, entered by the delete
// commands of the mail list and the viewer windows (their own threads), and
// brought back into their folders on thread message 1430.
#include "core/QuendalApp.h"

#include "core/FileUtil.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"

namespace {

// The record at nIndex when it is in the wanted state and carries the
// name; else the newest record of the folder that does. Optimising a folder
// drops its deleted records and moves the others up, so a position alone
// could name another mail.
CMailIndexRecord* FindByName(CMailListData* pList, int nIndex, const CString& name, bool bDeleted)
{
    if (!pList)
        return nullptr;
    auto fits = [&](CMailIndexRecord* r) {
        return r && (r->m_bDeleted != 0) == bDeleted &&
               (name.IsEmpty() || r->GetText(CMailIndexRecord::colFileName) == name);
    };
    CMailIndexRecord* r = pList->GetMailRecord(nIndex);
    if (fits(r))
        return r;
    if (name.IsEmpty())
        return nullptr;
    for (int i = pList->GetAllRecordCount() - 1; i >= 0; --i) {
        if (fits(pList->GetMailRecord(i)))
            return pList->GetMailRecord(i);
    }
    return nullptr;
}

} // namespace

void CQuendalApp::AddDeletedMailHistory(CMailFolderStore* pStore, int nIndex, CMailFolderStore* pTrash,
                                        int nTrashIndex)
{
    if (!pStore || pStore->GetKind() == CFolderRecord::kindTrash)
        return;
    CMailIndexRecord* r = pStore->GetRecord(nIndex);
    if (!r)
        return;
    DeletedMail entry;
    entry.nFolderId = pStore->GetFolderId();
    entry.nIndex = nIndex;
    entry.strMailName = r->GetText(CMailIndexRecord::colFileName);
    if (pTrash && nTrashIndex >= 0) {
        entry.nTrashFolderId = pTrash->GetFolderId();
        entry.nTrashIndex = nTrashIndex;
    }
    CSingleLock lock(&m_deleteHistoryLock, TRUE);
    m_deleteHistory.Add(entry);
    TrimDeleteHistory();
}

void CQuendalApp::TrimDeleteHistory()
{
    if (m_nDeleteHistoryHolds > 0)
        return;
    int excess = m_deleteHistory.GetSize() - (m_nDeleteMailHistoryCount > 0 ? m_nDeleteMailHistoryCount : 0);
    if (excess > 0)
        m_deleteHistory.RemoveAt(0, excess);
}

CQuendalApp::DeleteHistory CQuendalApp::GetDeleteHistory()
{
    CSingleLock lock(&m_deleteHistoryLock, TRUE);
    return m_deleteHistory;
}

void CQuendalApp::HoldDeleteHistory(BOOL bHold)
{
    CSingleLock lock(&m_deleteHistoryLock, TRUE);
    m_nDeleteHistoryHolds += bHold ? 1 : -1;
    TrimDeleteHistory();
}

CMailIndexRecord* CQuendalApp::FindDeletedMail(const DeletedMail& entry, CMailFolderStore** ppStore)
{
    CMailFolderStore* store = FindFolder(entry.nFolderId);
    if (ppStore)
        *ppStore = store;
    return store ? FindByName(store->GetMailList(), entry.nIndex, entry.strMailName, true) : nullptr;
}

BOOL CQuendalApp::RestoreDeletedMail(int nPos)
{
    DeletedMail entry;
    {
        CSingleLock lock(&m_deleteHistoryLock, TRUE);
        int count = m_deleteHistory.GetSize();
        if (nPos == -1)
            nPos = count - 1;
        if (nPos < 0 || nPos >= count)
            return FALSE;
        entry = m_deleteHistory[nPos];
        m_deleteHistory.RemoveAt(nPos);
    }
    CMailFolderStore* store = nullptr;
    CMailIndexRecord* record = FindDeletedMail(entry, &store);
    if (!record || !store->RestoreMail(record))
        return FALSE;
    store->GetMailList()->ShowRecordAgain(record);
    // Otherwise the mail would be both back in its folder and in the trash.
    CMailFolderStore* trash = entry.nTrashFolderId ? FindFolder(entry.nTrashFolderId) : nullptr;
    CMailListData* trashList = trash ? trash->GetMailList() : nullptr;
    CMailIndexRecord* copy = FindByName(trashList, entry.nTrashIndex, entry.strMailName, false);
    if (!copy)
        return TRUE;
    // The deletion dropped the mail's attachment folder; the copy in the
    // trash still has one.
    CString own = store->GetAttachFolder(record);
    CString copied = trash->GetAttachFolder(copy);
    if (!own.IsEmpty() && !copied.IsEmpty() && !DirectoryExists(own) && DirectoryExists(copied)) {
        if (!MoveFileExA(copied, own, 0) && CopyFolderTree(copied, own))
            DeleteDirectoryTree(copied, true);
    }
    trash->DeleteMail(copy->m_nIndex);
    return TRUE;
}
