#include "transfer/ReceiveNotifyDataSet.h"

CDataStrgRecord* CReceiveNotifyDataSet::CreateNewRecord()
{
    CReceiveNotifyData* r = new CReceiveNotifyData;
    AddRecord(r);
    return r;
}

BOOL CReceiveNotifyDataSet::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    if (!pRecord || !pszField)
        return FALSE;
    CReceiveNotifyData* r = static_cast<CReceiveNotifyData*>(pRecord);
    switch (nColumn) {
    case 0: r->m_strHeader1 = pszField; break;
    case 1: r->m_strString1 = pszField; break;
    case 2: r->m_strHeader2 = pszField; break;
    case 3: r->m_strString2 = pszField; break;
    case 4: r->m_strSoundFile = pszField; break;
    default: break;
    }
    return TRUE;
}

void CReceiveNotifyDataSet::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    const CReceiveNotifyData* r = static_cast<const CReceiveNotifyData*>(pRecord);
    CString line;
    line.Format("%s\t%s\t%s\t%s\t%s\r\n", CleanField(r->m_strHeader1).GetString(),
                CleanField(r->m_strString1).GetString(), CleanField(r->m_strHeader2).GetString(),
                CleanField(r->m_strString2).GetString(), CleanField(r->m_strSoundFile).GetString());
    WriteLine(file, line);
}

int CReceiveNotifyDataSet::CollectSounds(const CMailMessage& header, CStringArray& sounds) const
{
    int added = 0;
    for (int i = 0; i < GetRuleCount(); ++i) {
        const CReceiveNotifyData* r = GetRule(i);
        if (!r || r->m_bDeleted || !r->Match(header))
            continue;
        sounds.Add(r->m_strSoundFile);
        ++added;
    }
    return added;
}
