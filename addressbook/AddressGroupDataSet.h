// CAddressGroupDataSet: the group list "Group.lst". A file of version 1
// begins with the line "FILE_VERSION<TAB>1" and carries the LDAP settings;
// a file without that line (as a new mailbox writes it) is version 0 and
// keeps the LDAP defaults. Group file paths are stored relative to the
// address-book folder when they lie in it.
#pragma once

#include "addressbook/AddressGroupData.h"
#include "core/QDDataStrgSet.h"

class CAddressGroupDataSet : public CQDDataStrgSet
{
public:
    static constexpr int kFileVersion = 1;

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;
    void WriteHeader(CFile& file) override;

    CAddressGroupData* GetGroup(int nIndex) const { return static_cast<CAddressGroupData*>(GetRecord(nIndex)); }

    void SetBaseFolder(const char* pszFolder) { m_strBaseFolder = pszFolder; }
    const CString& GetBaseFolder() const { return m_strBaseFolder; }
    // The version of the file last read (-1 before a read, 0 without header).
    int GetFileVersion() const { return m_nFileVersion; }

    // The group's file path made absolute (and stored back in the record).
    CString GetAbsolutePath(CAddressGroupData* pGroup) const;
    // The group's file path as it is stored: relative below the base folder.
    CString MakeRelativePath(CAddressGroupData* pGroup) const;
    // The smallest positive id no group has.
    int GetNextGroupId() const;

    // Reads the list (always through here, so the version is read anew);
    // read once more when the file exists but could not be opened.
    BOOL ReadWithRetry();

private:
    int m_nFileVersion = -1;
    CString m_strBaseFolder;
};
