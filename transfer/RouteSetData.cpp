#include "transfer/RouteSetData.h"

#include "core/AccountDataSet.h"

#include <cstdlib>

CDataStrgRecord* CRouteSetData::CreateNewRecord()
{
    CRouteSetRecord* r = new CRouteSetRecord;
    AddRecord(r);
    m_bReadingAccount = 0;
    m_bReadingEnd = 0;
    return r;
}

BOOL CRouteSetData::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    if (!pRecord || !pszField)
        return FALSE;
    CRouteSetRecord* r = static_cast<CRouteSetRecord*>(pRecord);
    if (nColumn == 0) {
        r->m_nType = static_cast<int>(std::strtol(pszField, nullptr, 10));
        m_bReadingAccount = r->m_nType == CRouteSetRecord::typeAccount;
        m_bReadingEnd = r->m_nType == CRouteSetRecord::typeEnd;
        if (m_bReadingAccount && m_nFormat == 0)
            m_nFormat = 1;
        return TRUE;
    }
    if (m_bReadingAccount) {
        if (nColumn == 1)
            r->m_strAccount = pszField;
        return TRUE;
    }
    if (m_bReadingEnd) {
        if (nColumn == 1)
            m_nFormat = static_cast<int>(std::strtol(pszField, nullptr, 10));
        return TRUE;
    }
    if (nColumn <= 7)
        r->SetValue(nColumn, static_cast<int>(std::strtol(pszField, nullptr, 10)));
    return TRUE;
}

void CRouteSetData::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    const CRouteSetRecord* r = static_cast<const CRouteSetRecord*>(pRecord);
    if (r->m_nType == CRouteSetRecord::typeEnd)
        return;
    CString line;
    if (r->m_nType == CRouteSetRecord::typeAccount)
        line.Format("%d\t%s\r\n", r->m_nType, CleanField(r->m_strAccount).GetString());
    else
        line.Format("%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\r\n", r->m_nType, r->GetValue(1), r->GetValue(2), r->GetValue(3),
                    r->GetValue(4), r->GetValue(5), r->GetValue(6), r->GetValue(7));
    WriteLine(file, line);
}

void CRouteSetData::WriteFooter(CFile& file)
{
    WriteLine(file, "99\t1\r\n");
}

CRouteSetRecord* CRouteSetData::GetGeneral() const
{
    CRouteSetRecord* r = GetRouteRecord(0);
    if (!r || r->m_nType == CRouteSetRecord::typeAccount || r->m_nType == CRouteSetRecord::typeEnd)
        return nullptr;
    return r;
}

CRouteSetRecord* CRouteSetData::GetOrCreateGeneral()
{
    CRouteSetRecord* r = GetGeneral();
    if (r)
        return r;
    r = new CRouteSetRecord;
    r->SetValue(1, 10);
    r->SetValue(7, 1);
    InsertRecord(0, r);
    return r;
}

BOOL CRouteSetData::IsAutoRoute() const
{
    CRouteSetRecord* g = GetGeneral();
    return g && g->m_nType == CRouteSetRecord::typeGeneralOn;
}

BOOL CRouteSetData::IsRouteAtStartup() const
{
    CRouteSetRecord* g = GetGeneral();
    return g && g->GetValue(2) != 0;
}

int CRouteSetData::GetIntervalAt(int nHhmm) const
{
    for (int i = 1; i < GetRouteRecordCount(); ++i) {
        const CRouteSetRecord* r = GetRouteRecord(i);
        if (!r || r->m_bDeleted || r->m_nType != CRouteSetRecord::typeBand)
            continue;
        int start = r->GetValue(2) * 100 + r->GetValue(3);
        int end = r->GetValue(4) * 100 + r->GetValue(5);
        bool holds = end < start ? (nHhmm >= start && nHhmm < 2400) || nHhmm <= end : start <= nHhmm && nHhmm <= end;
        if (!holds)
            continue;
        if (r->GetValue(1) == -1)
            break;
        return r->GetValue(1);
    }
    CRouteSetRecord* g = GetGeneral();
    return g ? g->GetValue(1) : 10;
}

BOOL CRouteSetData::HasAccount(const char* pszAccount) const
{
    for (int i = 0; i < GetRouteRecordCount(); ++i) {
        const CRouteSetRecord* r = GetRouteRecord(i);
        if (r && !r->m_bDeleted && r->m_nType == CRouteSetRecord::typeAccount && r->m_strAccount == pszAccount)
            return TRUE;
    }
    return FALSE;
}

CRouteSetRecord* CRouteSetData::AddAccount(const char* pszAccount)
{
    // Index 0 is the general record, whatever follows.
    GetOrCreateGeneral();
    CRouteSetRecord* r = new CRouteSetRecord;
    r->m_nType = CRouteSetRecord::typeAccount;
    r->SetValue(7, 0);
    r->m_strAccount = pszAccount;
    AddRecord(r);
    return r;
}

void CRouteSetData::SyncAccounts(CAccountDataSet& accounts)
{
    if (m_nFormat == 0) {
        for (int i = 0; i < accounts.GetRecordCount(TRUE); ++i) {
            CAccountData* a = accounts.GetAccount(i);
            if (a && a->GetInt(9) && !HasAccount(a->GetAccountName()))
                AddAccount(a->GetAccountName());
        }
        m_nFormat = 1;
        WriteToFile();
    }
    for (int i = 0; i < accounts.GetRecordCount(TRUE); ++i) {
        CAccountData* a = accounts.GetAccount(i);
        if (a)
            a->SetInt(9, HasAccount(a->GetAccountName()) ? 1 : 0);
    }
}

BOOL CRouteSetData::RenameAccount(const char* pszOld, const char* pszNew)
{
    BOOL changed = FALSE;
    for (int i = 0; i < GetRouteRecordCount(); ++i) {
        CRouteSetRecord* r = GetRouteRecord(i);
        if (r && r->m_nType == CRouteSetRecord::typeAccount && r->m_strAccount == pszOld) {
            r->m_strAccount = pszNew;
            changed = TRUE;
        }
    }
    return changed;
}

void CRouteSetData::GetRouteAccounts(CAccountDataSet& accounts, CStringArray& names) const
{
    for (int i = 0; i < accounts.GetRecordCount(TRUE); ++i) {
        CAccountData* a = accounts.GetAccount(i);
        if (a && HasAccount(a->GetAccountName()))
            names.Add(a->GetAccountName());
    }
}
