#include "editor/ShortCutTemplateData.h"

#include <cstdlib>

CDataStrgRecord* CShortCutTemplateData::CreateNewRecord()
{
    auto* record = new CShortCutTemplateRecord;
    AddRecord(record);
    return record;
}

BOOL CShortCutTemplateData::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    auto* record = static_cast<CShortCutTemplateRecord*>(pRecord);
    if (!record || !pszField)
        return FALSE;
    switch (nColumn) {
    case 0:
        record->m_strName = pszField;
        break;
    case 1:
        record->m_bReply = atoi(pszField) != 0;
        break;
    case 2:
        record->m_bReplyAll = atoi(pszField) != 0;
        break;
    default:
        break;
    }
    return TRUE;
}

void CShortCutTemplateData::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    auto* record = static_cast<CShortCutTemplateRecord*>(pRecord);
    WriteLine(file, FormatString("%s\t%d\t%d\r\n", CleanField(record->m_strName).GetString(),
                                 record->m_bReply ? 1 : 0, record->m_bReplyAll ? 1 : 0));
}

int CShortCutTemplateData::GetSlotMailKind(int nIndex) const
{
    const CShortCutTemplateRecord* slot = HasRecord(nIndex) ? GetSlot(nIndex) : nullptr;
    if (!slot || slot->m_strName.IsEmpty())
        return 0;
    if (slot->m_bReply)
        return 6;
    if (slot->m_bReplyAll)
        return 7;
    return 5;
}

BOOL CShortCutTemplateData::Register(const Row (&rows)[slotCount])
{
    RemoveAll();
    for (const Row& row : rows) {
        auto* record = static_cast<CShortCutTemplateRecord*>(CreateNewRecord());
        record->m_strName = row.strName;
        // The two flags exclude each other, as the dialog's checks do.
        record->m_bReply = row.bReply ? 1 : 0;
        record->m_bReplyAll = !row.bReply && row.bReplyAll ? 1 : 0;
    }
    m_bLoaded = TRUE;
    return WriteToFile();
}
