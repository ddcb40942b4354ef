// CFolderData: the folder list of a mailbox ("Folder.dat"), one CFolderRecord
// per line; also reads and writes a folder's own "FolderData.Dat" and the
// address book's "Group.lst", which share the line format.
#pragma once

#include "core/QDDataStrgSet.h"
#include "store/FolderRecord.h"

class CFolderData : public CQDDataStrgSet
{
public:
    explicit CFolderData(const char* pszBaseFolder = nullptr);

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    void SetBaseFolder(const char* pszBaseFolder) { m_strBaseFolder = pszBaseFolder; }
    const CString& GetBaseFolder() const { return m_strBaseFolder; }
    BOOL IsPathsChanged() const { return m_bPathsChanged; }

    using CQDDataStrgSet::ReadFromFile;
    // Reads a "FolderData.Dat" into one record.
    BOOL ReadFromFile(const char* pszPath, CFolderRecord* pRecord);
    // Writes one record alone into a file ("FolderData.Dat").
    BOOL WriteSingleRecord(const char* pszPath, CFolderRecord* pRecord);

    CFolderRecord* GetFolder(int nIndex) const { return static_cast<CFolderRecord*>(GetRecord(nIndex)); }
    // The record's directory as a full path; a relative one is made full
    // (under the base folder, else under the current mailbox folder) and
    // stored back into the record.
    CString ResolveFolderPath(CFolderRecord* pRecord);
    int GetFirstFreeId() const;
    // Drops records that would make the tree unsound: duplicate ids, ids
    // below 1, a parent that is not listed (made top-level), and directories
    // that leave the mailbox ("..", or a full path elsewhere, for a list read
    // from the mailbox). Returns the number of records changed or dropped.
    int Validate();

private:
    CString m_strBaseFolder;
    BOOL m_bPathsChanged = FALSE;
};
