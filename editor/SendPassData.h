// CSendPassData: the table "CVMSendPass.dat" of named send passwords in the
// mailbox folder, "name TAB scrambled password", in the order the user set.
#pragma once

#include "core/QDDataStrgSet.h"
#include "editor/SendPassRecord.h"

class CSendPassData : public CQDDataStrgSet
{
public:
    CSendPassData() { m_nColumnCount = 2; }

    // The table of the application's mailbox folder.
    static CString DefaultFilePath();

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    CSendPassRecord* GetPassword(int nIndex) const { return static_cast<CSendPassRecord*>(GetRecord(nIndex)); }
    // True when a record has exactly that name.
    bool HasName(const char* pszName) const;
    // One place towards the start (up) or the end; every record renumbered.
    void MoveRecord(CSendPassRecord* pRecord, bool bUp);
};
