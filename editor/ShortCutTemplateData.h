// CShortCutTemplateData: the table "ShortCutTemplate.dat", nine slots of
// template calls in line order, "name TAB reply TAB reply-to-all".
#pragma once

#include "core/QDDataStrgSet.h"
#include "editor/ShortCutTemplateRecord.h"

class CShortCutTemplateData : public CQDDataStrgSet
{
public:
    enum { slotCount = 9 };

    CShortCutTemplateData() { m_nColumnCount = 3; }

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    CShortCutTemplateRecord* GetSlot(int nIndex) const
    {
        return static_cast<CShortCutTemplateRecord*>(GetRecord(nIndex));
    }
    // The mail kind a call of the slot (0 .. 8) opens: 6 reply, 7 reply to
    // all, 5 new mail; 0 for an empty or missing slot, which starts nothing.
    int GetSlotMailKind(int nIndex) const;
    // Replaces every slot by the nine given rows (the registration dialog's
    // OK) and writes the file.
    struct Row
    {
        CString strName;
        bool bReply;
        bool bReplyAll;
    };
    BOOL Register(const Row (&rows)[slotCount]);
};
