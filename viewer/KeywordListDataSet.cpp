#include "viewer/KeywordListDataSet.h"

#include <cstdlib>

CDataStrgRecord* CKeywordListDataSet::CreateNewRecord()
{
    auto* pRecord = new CKeywordData;
    AddRecord(pRecord);
    return pRecord;
}

BOOL CKeywordListDataSet::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    auto* p = static_cast<CKeywordData*>(pRecord);
    if (!p || !pszField)
        return FALSE;
    switch (nColumn) {
    case 0:
        p->m_crColor = static_cast<COLORREF>(std::strtoul(pszField, nullptr, 10));
        break;
    case 1:
        p->m_strKeyword = pszField;
        break;
    case 2:
        p->m_bBold = std::atoi(pszField) != 0;
        break;
    default:
        break;
    }
    return TRUE;
}

void CKeywordListDataSet::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    auto* p = static_cast<CKeywordData*>(pRecord);
    WriteLine(file, FormatString("%d\t%s\t%d\r\n", static_cast<int>(p->m_crColor), CleanField(p->m_strKeyword).GetString(),
                                 p->m_bBold ? 1 : 0));
}

std::vector<KeywordEntry> CKeywordListDataSet::CollectKeywords() const
{
    std::vector<KeywordEntry> out;
    for (int i = 0; i < m_records.GetSize(); ++i) {
        const CKeywordData* p = GetKeyword(i);
        if (!p || p->m_bDeleted || p->m_strKeyword.IsEmpty())
            continue;
        out.push_back({p->m_strKeyword.Str(), p->m_bBold != FALSE, p->m_crColor});
    }
    return out;
}
