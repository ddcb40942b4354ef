#include "viewer/CharSetDataSet.h"

#include <cstdlib>

CDataStrgRecord* CCharSetDataSet::CreateNewRecord()
{
    auto* pRecord = new CCharSetData;
    AddRecord(pRecord);
    return pRecord;
}

BOOL CCharSetDataSet::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    auto* p = static_cast<CCharSetData*>(pRecord);
    if (!p || !pszField)
        return FALSE;
    switch (nColumn) {
    case 0:
        p->m_strCharset = pszField;
        break;
    case 1:
        p->m_strFace = pszField;
        break;
    case 2:
        p->m_nHeight = std::atoi(pszField);
        break;
    case 3:
        p->m_nCharSet = static_cast<BYTE>(std::atoi(pszField));
        break;
    default:
        break;
    }
    return TRUE;
}

void CCharSetDataSet::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    auto* p = static_cast<CCharSetData*>(pRecord);
    WriteLine(file, FormatString("%s\t%s\t%d\t%d\r\n", CleanField(p->m_strCharset).GetString(),
                                 CleanField(p->m_strFace).GetString(), p->m_nHeight, p->m_nCharSet));
}
