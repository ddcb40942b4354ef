#include "editor/MailEditDoc.h"

#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"

bool CMailEditDoc::IsCopyFolder(const CMailFolderStore* pStore)
{
    return pStore && (pStore->GetKind() == CFolderRecord::kindSend || pStore->IsInWritingFolder());
}

void CMailEditDoc::SetSource(int nIndex, CMailFolderStore* pStore)
{
    m_pSource = pStore;
    m_nSourceIndex = pStore ? nIndex : -1;
    if (IsCopyFolder(pStore) && nIndex >= 0)
        SetStoredCopy(nIndex, pStore);
    else
        ClearStoredCopy();
}

void CMailEditDoc::SetStoredCopy(int nIndex, CMailFolderStore* pStore)
{
    m_pCopy = pStore;
    m_nCopyIndex = pStore ? nIndex : -1;
    m_nCopyFolderId = pStore ? pStore->GetFolderId() : 0;
}

void CMailEditDoc::ClearStoredCopy()
{
    SetStoredCopy(-1, nullptr);
}

bool CMailEditDoc::IsStoredCopy(int nFolderId, int nIndex) const
{
    return m_nCopyFolderId != 0 && m_nCopyFolderId == nFolderId && m_nCopyIndex == nIndex;
}
