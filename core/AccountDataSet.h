// CAccountDataSet: the account table "Account.dat".
#pragma once

#include "core/AccountData.h"
#include "core/QDDataStrgSet.h"

class CAccountDataSet : public CQDDataStrgSet
{
public:
    CAccountDataSet() { m_nColumnCount = CAccountData::ColumnCount; }

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    CAccountData* GetAccount(int nIndex) const { return static_cast<CAccountData*>(GetRecord(nIndex)); }
    CAccountData* FindAccountByName(const char* pszName) const;

    // The account chosen in the main window's account combo.
    int m_nCurrentAccount = 0;
};
