// CCharSetDataSet: "CharSet.dat", the user's language fonts: per charset
// name a face name, a height in twips and a font character-set byte.
#pragma once

#include "core/QDDataStrgSet.h"

class CCharSetData : public CDataStrgRecord
{
public:
    CString m_strCharset;
    CString m_strFace;
    int m_nHeight = 0;  // twips
    BYTE m_nCharSet = SHIFTJIS_CHARSET;  // also for a line without the column
};

class CCharSetDataSet : public CQDDataStrgSet
{
public:
    CCharSetDataSet() { m_nColumnCount = 4; }

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    CCharSetData* GetCharSet(int nIndex) const { return static_cast<CCharSetData*>(GetRecord(nIndex)); }
};
