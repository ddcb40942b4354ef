// CResourceDataSet: "Resource.dat" in the folder "Resource" beside the
// program: per kind of toolbar the user's bitmap file for its images.
#pragma once

#include "core/QDDataStrgSet.h"
#include "mainwnd/ResourceData.h"

class CResourceDataSet : public CQDDataStrgSet
{
public:
    CResourceDataSet() { m_nColumnCount = 5; }

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    // The last line of a kind (1 to 4), or null.
    const CResourceData* FindKind(int nKind) const;
    // The toolbar bitmap resource a kind stands for: 145, 134, 140, 195 give
    // 1 to 4; 0 for any other.
    static int KindOfResource(UINT nID);
};
