// CAddressDataSet: one group's address file, five columns a line: address,
// name, memo, icon name, property text. No header line.
#pragma once

#include "addressbook/AddressData.h"
#include "core/QDDataStrgSet.h"

class CAddressDataSet : public CQDDataStrgSet
{
public:
    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    CAddressData* GetAddress(int nIndex) const { return static_cast<CAddressData*>(GetRecord(nIndex)); }

    // Reads the file; when it exists but could not be opened (another
    // program holds it for a moment) it is read once more.
    BOOL ReadWithRetry();

    // Set while an imported ".adr" file is read: a column that holds only
    // "." stands for an empty one, and columns past the memo are ignored.
    BOOL m_bImportMode = FALSE;
};
