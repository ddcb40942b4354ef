// CKeywordListDataSet: "KeywordList.dat" in the mailbox folder: one keyword
// per line as colour, keyword and bold flag, separated by TAB.
#pragma once

#include "core/QDDataStrgSet.h"
#include "viewer/KeywordData.h"
#include "viewer/TextColorizer.h"

#include <vector>

class CKeywordListDataSet : public CQDDataStrgSet
{
public:
    CKeywordListDataSet() { m_nColumnCount = 3; }

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    // The keywords to highlight, in file order; an empty keyword is kept in
    // the file but never highlighted.
    std::vector<KeywordEntry> CollectKeywords() const;

    CKeywordData* GetKeyword(int nIndex) const { return static_cast<CKeywordData*>(GetRecord(nIndex)); }
};
