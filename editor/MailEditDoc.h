// CMailEditDoc: what an editor window knows of the stored mails it works
// on: the mail it started from, and the stored copy it replaces when it
// stores the mail again (only a mail of the outbox or of the drafts).
#pragma once

class CMailFolderStore;

class CMailEditDoc
{
public:
    // Sets the source; the stored copy only for the outbox and the drafts.
    void SetSource(int nIndex, CMailFolderStore* pStore);
    // The stored copy now lies in this folder at this index (after a save).
    void SetStoredCopy(int nIndex, CMailFolderStore* pStore);
    void ClearStoredCopy();
    // Whether this editor holds that stored copy.
    bool IsStoredCopy(int nFolderId, int nIndex) const;

    // Whether a folder keeps copies that an editor replaces.
    static bool IsCopyFolder(const CMailFolderStore* pStore);

    // The latest automatic backup, kept beside the stored copy until the
    // user saves or sends; discarding the edits deletes only the backup.
    void SetBackup(int nIndex, CMailFolderStore* pStore)
    {
        m_pBackup = pStore;
        m_nBackupIndex = pStore ? nIndex : -1;
    }
    CMailFolderStore* GetBackupStore() const { return m_pBackup; }
    int GetBackupIndex() const { return m_nBackupIndex; }

    CMailFolderStore* GetSourceStore() const { return m_pSource; }
    int GetSourceIndex() const { return m_nSourceIndex; }
    CMailFolderStore* GetCopyStore() const { return m_pCopy; }
    int GetCopyIndex() const { return m_nCopyIndex; }
    // Folder id of the stored copy, 0 for none (read by other threads).
    int GetCopyFolderId() const { return m_nCopyFolderId; }

private:
    CMailFolderStore* m_pSource = nullptr;
    int m_nSourceIndex = -1;
    CMailFolderStore* m_pCopy = nullptr;
    int m_nCopyIndex = -1;
    volatile int m_nCopyFolderId = 0;
    CMailFolderStore* m_pBackup = nullptr;
    int m_nBackupIndex = -1;
};
