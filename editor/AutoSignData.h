// CAutoSignData: the automatic signature rules "AutoSign.dat", one rule a
// line "signature TAB item TAB text"; the first matching rule wins.
#pragma once

#include "core/QDDataStrgSet.h"
#include "editor/AutoSignRecord.h"

class CAutoSignData : public CQDDataStrgSet
{
public:
    CAutoSignData() { m_nColumnCount = 3; }

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    CAutoSignRecord* GetRule(int nIndex) const { return static_cast<CAutoSignRecord*>(GetRecord(nIndex)); }
    // The signature of the first rule, not marked deleted, whose text occurs
    // (byte for byte) in the mail's To (items 0 and 1), Cc (item 0) or
    // Subject (item 2); empty when none matches. Loads the table first when
    // it is not loaded.
    CString FindSignature(const char* pszTo, const char* pszCc, const char* pszSubject);
    // Exchanges the contents of two rules (moving a rule up or down) and
    // writes the table at once.
    BOOL SwapRules(int nIndex1, int nIndex2);
};

// The display text of a rule's item; empty for an unknown item.
CString GetAutoSignItemText(int nItem);
