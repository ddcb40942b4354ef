// CRouteSetData: the route settings "RouteSet.dat": the general record
// (automatic route, default interval, route at start-up, hang-up after a
// route), time bands with their own intervals, and the accounts taken into
// the route. The file ends with the line "99\t1".
#pragma once

#include "core/QDDataStrgSet.h"
#include "transfer/RouteSetRecord.h"

class CAccountDataSet;

class CRouteSetData : public CQDDataStrgSet
{
public:
    CRouteSetData() { m_nColumnCount = 8; }

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;
    void WriteFooter(CFile& file) override;

    CRouteSetRecord* GetRouteRecord(int nIndex) const { return static_cast<CRouteSetRecord*>(GetRecord(nIndex)); }
    int GetRouteRecordCount() const { return m_records.GetSize(); }
    // The general record (index 0), or none when the table is empty.
    CRouteSetRecord* GetGeneral() const;
    // The general record, created first when the table is empty.
    CRouteSetRecord* GetOrCreateGeneral();
    BOOL IsAutoRoute() const;
    BOOL IsRouteAtStartup() const;

    // The interval in minutes in force at a local time of day (hour x 100 +
    // minute): the first time band that holds it (a band whose end is
    // before its start wraps midnight; an interval of -1 ends the search),
    // else the general record's default, else 10.
    int GetIntervalAt(int nHhmm) const;

    // Whether an account record names the account.
    BOOL HasAccount(const char* pszAccount) const;
    // Brings the accounts' route flags (column 9) in line with the table:
    // an old table without account records first takes every flagged
    // account (and is written); then each flag says whether the account is
    // in the table.
    void SyncAccounts(CAccountDataSet& accounts);
    // Appends an account record (the general record made first when the
    // table has none).
    CRouteSetRecord* AddAccount(const char* pszAccount);
    // Renames the account records of an account; true when one changed.
    BOOL RenameAccount(const char* pszOld, const char* pszNew);
    // The names of the accounts in the route, in account-table order.
    void GetRouteAccounts(CAccountDataSet& accounts, CStringArray& names) const;

    int m_nFormat = 0;  // value of the end line; 1 once an account line was read

private:
    // Reading state: the line being read is an account or the end line.
    BYTE m_bReadingAccount = 0;
    BYTE m_bReadingEnd = 0;
};
