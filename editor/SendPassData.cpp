#include "editor/SendPassData.h"

#include "core/FileUtil.h"
#include "core/PasswordScrambler.h"
#include "core/QuendalApp.h"

CString CSendPassData::DefaultFilePath()
{
    CQuendalApp* app = QuendalApp();
    return app ? CombinePath(app->GetMailBoxFolder(), "CVMSendPass.dat") : CString("CVMSendPass.dat");
}

CDataStrgRecord* CSendPassData::CreateNewRecord()
{
    auto* record = new CSendPassRecord;
    AddRecord(record);
    return record;
}

BOOL CSendPassData::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    auto* record = static_cast<CSendPassRecord*>(pRecord);
    if (!record || !pszField)
        return FALSE;
    if (nColumn == 0) {
        record->m_strName = pszField;
    } else if (nColumn == 1) {
        CPasswordScrambler scrambler;
        record->m_strPassword = scrambler.Unscramble(pszField);
    }
    return TRUE;
}

void CSendPassData::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    auto* record = static_cast<CSendPassRecord*>(pRecord);
    CPasswordScrambler scrambler;
    WriteLine(file, FormatString("%s\t%s\r\n", CleanField(record->m_strName).GetString(),
                                 CleanField(scrambler.Scramble(record->m_strPassword)).GetString()));
}

bool CSendPassData::HasName(const char* pszName) const
{
    for (int i = 0; i < m_records.GetSize(); ++i) {
        const CSendPassRecord* record = GetPassword(i);
        if (record && record->m_strName.Compare(pszName ? pszName : "") == 0)
            return true;
    }
    return false;
}

void CSendPassData::MoveRecord(CSendPassRecord* pRecord, bool bUp)
{
    int at = -1;
    for (int i = 0; i < m_records.GetSize(); ++i)
        if (GetRecord(i) == pRecord)
            at = i;
    int to = bUp ? at - 1 : at + 1;
    if (at < 0 || to < 0 || to >= m_records.GetSize())
        return;
    CObject* other = m_records[to];
    m_records[to] = m_records[at];
    m_records[at] = other;
    for (int i = 0; i < m_records.GetSize(); ++i)
        GetRecord(i)->m_nIndex = i;
}
