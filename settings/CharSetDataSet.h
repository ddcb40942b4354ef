// CCharSetDataSet: "CharSet.dat", the font of each character-set name the
// mail view shows mails of other character sets with. One line per entry:
// name, face, size in twentieths of a point, font character set.
#pragma once

#include "core/DataStrgRecord.h"
#include "core/QDDataStrgSet.h"

class CCharSetData : public CDataStrgRecord
{
public:
    CString m_strName;  // trimmed and in upper case
    CString m_strFace;
    int m_nSize = 0;
    int m_nCharSet = 128;
};

class CCharSetDataSet : public CQDDataStrgSet
{
public:
    CCharSetDataSet() { m_nColumnCount = 4; }

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    CCharSetData* GetEntry(int nIndex) const { return static_cast<CCharSetData*>(GetRecord(nIndex)); }
    // The first record of that name, deleted ones included.
    CCharSetData* FindByName(const char* pszName) const;
    // Whether a record not marked deleted has the name, once normalised.
    bool Exists(const char* pszName) const;

    // Both ends trimmed of blanks (the double-byte blank too), letters in
    // upper case; double-byte characters are left whole.
    static CString NormalizeName(const char* pszName);
};

// "CharSet.dat" of the mailbox folder; the program folder's copy is copied
// there when the mailbox has none.
CString PrepareCharSetFile(const CString& mailboxFolder, const CString& programFolder);
