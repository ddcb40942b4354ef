// CDivideupDataSet: one rule set, an ordered table of filter rules kept in a
// tab-separated file ("Divideup.dat" for receiving, "DivideupS.dat" for sent
// mail, one file per named set in "Divideup.Box"). The first matching rule
// decides, in table order.
#pragma once

#include "core/QDDataStrgSet.h"
#include "transfer/DivideupData.h"

#include <vector>

class CMailMessage;

// What the rules decide for a downloaded mail.
struct DivideupReceiveTarget
{
    BOOL bMatched = FALSE;         // some rule matched
    int nFolderId = 0;             // the target rule's folder; 0 when no rule gave one
    CDivideupData* pRule = nullptr; // the rule whose label and read mark apply, or none
    BOOL bLeaveOnServer = FALSE;   // of the last matching rule met (when bMatched)
    BOOL bDeleteOnServer = FALSE;
};

class CDivideupDataSet : public CQDDataStrgSet
{
public:
    // Decisions before download.
    enum { kDownload = 0, kSkipLeave = 1, kSkipDelete = 2 };

    CDivideupDataSet() { m_nColumnCount = CDivideupData::ColumnCount; }

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    // Reads the file like the base, then drops (and logs) every rule that
    // cannot be applied safely: a line without the target folder column or a
    // condition key that names no header. Returns the base's result.
    BOOL ReadFromFile(BOOL bClear = TRUE);
    // Lines dropped by the last read.
    int GetDroppedCount() const { return m_nDropped; }

    CDivideupData* GetRule(int nIndex) const { return static_cast<CDivideupData*>(GetRecord(nIndex)); }
    int GetRuleCount() const { return m_records.GetSize(); }
    // Appends a copy of a rule.
    CDivideupData* AddRule(const CDivideupData& rule);
    // The file name of the set's file with its extension: the set's name.
    CString GetFileName() const;

    // The indices of the rules that forbid receiving and can match a mail,
    // in table order; true when there is one. Without one no server mail
    // needs its header checked before download.
    BOOL BuildReceiveRuleList();
    // Whether any rule (not marked deleted) can ever accept a mail.
    BOOL AnyRuleCanMatch() const;
    const std::vector<int>& GetReceiveRuleList() const { return m_receiveRules; }

    // The first rule (not marked deleted) that accepts the mail, or none.
    CDivideupData* FindFirstMatch(const CMailMessage& header, int nSize) const;
    // Before download (only when the receive-rule list is not empty): the
    // first matching rule decides whether the mail is fetched.
    int CheckBeforeDownload(const CMailMessage& header, int nSize) const;
    // After download: the target folder and the rule whose label applies.
    // Label-only rules ("no folder move") never give a folder: the first one
    // met is remembered for its label and the search goes on.
    DivideupReceiveTarget FindReceiveTarget(const CMailMessage& header, int nSize) const;

    // Points every rule that targets nOldFolderId at nNewFolderId; the
    // number of rules changed.
    int RetargetFolder(int nOldFolderId, int nNewFolderId);

    // Whether a text may name a rule set (and so its file in
    // "Divideup.Box"): not empty, no path separators, "..", ":", other
    // characters a file name cannot hold, nor a device name.
    static BOOL IsValidSetName(const char* pszName);

private:
    std::vector<int> m_receiveRules;
    std::vector<int> m_lastColumn;  // per record while reading: the highest column seen
    int m_nDropped = 0;
};
