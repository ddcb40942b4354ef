#include "mainwnd/ResourceDataSet.h"

#include <cstdlib>

CDataStrgRecord* CResourceDataSet::CreateNewRecord()
{
    CResourceData* r = new CResourceData;
    AddRecord(r);
    return r;
}

BOOL CResourceDataSet::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    CResourceData* r = static_cast<CResourceData*>(pRecord);
    const int n = static_cast<int>(std::strtol(pszField, nullptr, 10));
    switch (nColumn) {
    case 0: r->m_nKind = n; break;
    case 1: r->m_strFileName = pszField; break;
    case 2: r->m_nRed = n; break;
    case 3: r->m_nGreen = n; break;
    case 4: r->m_nBlue = n; break;
    default: break;
    }
    return TRUE;
}

void CResourceDataSet::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    const CResourceData* r = static_cast<const CResourceData*>(pRecord);
    CString line;
    line.Format("%d\t%s\t%d\t%d\t%d\r\n", r->m_nKind, static_cast<const char*>(CleanField(r->m_strFileName)),
                r->m_nRed, r->m_nGreen, r->m_nBlue);
    WriteLine(file, line);
}

const CResourceData* CResourceDataSet::FindKind(int nKind) const
{
    const CResourceData* found = nullptr;
    for (int i = 0; HasRecord(i); ++i) {
        const CResourceData* r = static_cast<const CResourceData*>(GetRecord(i));
        if (r && r->m_nKind == nKind && !IsRecordDeleted(const_cast<CResourceData*>(r)))
            found = r;
    }
    return found;
}

int CResourceDataSet::KindOfResource(UINT nID)
{
    switch (nID) {
    case 145: return 1;
    case 134: return 2;
    case 140: return 3;
    case 195: return 4;
    default: return 0;
    }
}
