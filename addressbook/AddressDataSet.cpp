#include "addressbook/AddressDataSet.h"

CDataStrgRecord* CAddressDataSet::CreateNewRecord()
{
    CAddressData* r = new CAddressData;
    AddRecord(r);
    return r;
}

BOOL CAddressDataSet::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    if (!pszField || !pRecord)
        return FALSE;
    CAddressData* a = static_cast<CAddressData*>(pRecord);
    if (m_bImportMode) {
        if (nColumn > 2)
            return TRUE;
        if (pszField[0] == '.' && pszField[1] == '\0')
            return TRUE;
    }
    switch (nColumn) {
    case 0: a->m_strAddress = pszField; break;
    case 1: a->m_strName = pszField; break;
    case 2: a->m_strMemo = pszField; break;
    case 3: a->m_strIconName = pszField; break;
    case 4: a->SetPropertyText(pszField); break;
    default: break;  // columns of later versions are accepted and ignored
    }
    return TRUE;
}

void CAddressDataSet::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    const CAddressData* a = static_cast<const CAddressData*>(pRecord);
    CString line;
    line.Format("%s\t%s\t%s\t%s\t%s\r\n", CleanField(a->m_strAddress).GetString(),
                CleanField(a->m_strName).GetString(), CleanField(a->m_strMemo).GetString(),
                CleanField(a->m_strIconName).GetString(), CleanField(a->GetPropertyText()).GetString());
    WriteLine(file, line);
}

BOOL CAddressDataSet::ReadWithRetry()
{
    return ReadFromFile() || ReadFromFile();
}
