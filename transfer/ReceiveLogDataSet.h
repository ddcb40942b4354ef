// CReceiveLogDataSet: the receive log "$$Receive.Log", newest entry first,
// kept at a configured number of entries.
#pragma once

#include "core/QDDataStrgSet.h"
#include "transfer/ReceiveLogRecord.h"

class CReceiveLogDataSet : public CQDDataStrgSet
{
public:
    CReceiveLogDataSet() { m_nColumnCount = 4; }

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    CReceiveLogRecord* GetEntry(int nIndex) const { return static_cast<CReceiveLogRecord*>(GetRecord(nIndex)); }
    int GetEntryCount() const { return m_records.GetSize(); }

    // Puts an entry (taken over) in front, drops the oldest entries until
    // at most nLimit remain, and rewrites the file. With a limit below 1
    // nothing is logged and the entry is deleted.
    BOOL AddEntry(CReceiveLogRecord* pEntry, int nLimit);
};
