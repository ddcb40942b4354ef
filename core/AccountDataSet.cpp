#include "core/AccountDataSet.h"

#include "core/PasswordScrambler.h"

#include <cstdlib>

CDataStrgRecord* CAccountDataSet::CreateNewRecord()
{
    CAccountData* r = new CAccountData;
    AddRecord(r);
    return r;
}

BOOL CAccountDataSet::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    if (!pRecord || !pszField)
        return FALSE;
    if (nColumn < 0 || nColumn >= CAccountData::ColumnCount)
        return TRUE;  // columns of later versions are accepted and ignored
    CAccountData* a = static_cast<CAccountData*>(pRecord);
    switch (CAccountData::GetColumnType(nColumn)) {
    case CAccountData::colText:
        a->SetText(nColumn, pszField);
        break;
    case CAccountData::colPassword:
        a->SetText(nColumn, CPasswordScrambler().Unscramble(pszField));
        break;
    case CAccountData::colInt:
    case CAccountData::colFlag:
        // The stored value of column 30 is never taken back.
        a->SetInt(nColumn, nColumn == 30 ? 0 : static_cast<int>(std::strtol(pszField, nullptr, 10)));
        break;
    }
    return TRUE;
}

void CAccountDataSet::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    CAccountData* a = static_cast<CAccountData*>(pRecord);
    CPasswordScrambler scrambler;
    CString line;
    for (int i = 0; i < CAccountData::ColumnCount; ++i) {
        if (i)
            line += '\t';
        switch (CAccountData::GetColumnType(i)) {
        case CAccountData::colText:
            line += CleanField(a->GetText(i));
            break;
        case CAccountData::colPassword:
            line += scrambler.Scramble(a->GetText(i));
            break;
        default:
            line.AppendFormat("%d", a->GetInt(i));
            break;
        }
    }
    line += "\r\n";
    WriteLine(file, line);
}

CAccountData* CAccountDataSet::FindAccountByName(const char* pszName) const
{
    for (int i = 0; i < m_records.GetSize(); ++i) {
        CAccountData* a = GetAccount(i);
        if (a && a->GetAccountName() == pszName)
            return a;
    }
    return nullptr;
}
