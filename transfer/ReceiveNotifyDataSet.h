// CReceiveNotifyDataSet: the receive notification rules, "Notify.dat".
#pragma once

#include "core/QDDataStrgSet.h"
#include "transfer/ReceiveNotifyData.h"

class CMailMessage;

class CReceiveNotifyDataSet : public CQDDataStrgSet
{
public:
    CReceiveNotifyDataSet() { m_nColumnCount = CReceiveNotifyData::ColumnCount; }

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    CReceiveNotifyData* GetRule(int nIndex) const { return static_cast<CReceiveNotifyData*>(GetRecord(nIndex)); }
    int GetRuleCount() const { return m_records.GetSize(); }

    // Appends the sound file of every rule (not marked deleted) that accepts
    // the mail, in table order; the number appended.
    int CollectSounds(const CMailMessage& header, CStringArray& sounds) const;
};
