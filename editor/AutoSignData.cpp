#include "editor/AutoSignData.h"

#include "resources/editor/EditorResource.h"

#include <cstdlib>
#include <cstring>
#include <utility>

CDataStrgRecord* CAutoSignData::CreateNewRecord()
{
    auto* record = new CAutoSignRecord;
    AddRecord(record);
    return record;
}

BOOL CAutoSignData::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    auto* record = static_cast<CAutoSignRecord*>(pRecord);
    if (!record || !pszField)
        return FALSE;
    switch (nColumn) {
    case 0:
        record->m_strSignName = pszField;
        break;
    case 1:
        record->m_nItem = atoi(pszField);
        break;
    case 2:
        record->m_strText = pszField;
        break;
    default:
        break;
    }
    return TRUE;
}

void CAutoSignData::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    auto* record = static_cast<CAutoSignRecord*>(pRecord);
    WriteLine(file, FormatString("%s\t%d\t%s\r\n", CleanField(record->m_strSignName).GetString(), record->m_nItem,
                                 CleanField(record->m_strText).GetString()));
}

CString CAutoSignData::FindSignature(const char* pszTo, const char* pszCc, const char* pszSubject)
{
    if (!IsLoaded() && !GetFilePath().IsEmpty())
        ReadFromFile(TRUE);
    const char* to = pszTo ? pszTo : "";
    const char* cc = pszCc ? pszCc : "";
    const char* subject = pszSubject ? pszSubject : "";
    for (int i = 0; i < m_records.GetSize(); ++i) {
        const CAutoSignRecord* rule = GetRule(i);
        if (!rule || rule->m_bDeleted)
            continue;
        const char* text = rule->m_strText;
        bool match = false;
        if (rule->m_nItem == CAutoSignRecord::itemToAndCc || rule->m_nItem == CAutoSignRecord::itemTo)
            match = strstr(to, text) != nullptr;
        if (!match && rule->m_nItem == CAutoSignRecord::itemToAndCc)
            match = strstr(cc, text) != nullptr;
        if (!match && rule->m_nItem == CAutoSignRecord::itemSubject)
            match = strstr(subject, text) != nullptr;
        if (match)
            return rule->m_strSignName;
    }
    return CString();
}

BOOL CAutoSignData::SwapRules(int nIndex1, int nIndex2)
{
    CAutoSignRecord* a = GetRule(nIndex1);
    CAutoSignRecord* b = GetRule(nIndex2);
    if (!a || !b || a == b)
        return FALSE;
    std::swap(a->m_strSignName, b->m_strSignName);
    std::swap(a->m_nItem, b->m_nItem);
    std::swap(a->m_strText, b->m_strText);
    std::swap(a->m_bDeleted, b->m_bDeleted);
    return WriteToFile();
}

CString GetAutoSignItemText(int nItem)
{
    static const UINT ids[] = {IDS_AUTOSIGN_ITEM_TO_CC, IDS_AUTOSIGN_ITEM_TO, IDS_AUTOSIGN_ITEM_SUBJECT};
    CString text;
    if (nItem >= 0 && nItem < 3)
        text.LoadString(ids[nItem]);
    return text;
}
