// CDivideupData: one filter rule: two conditions on header items joined by
// And or Or, a target folder and the actions (server handling, colour label,
// no move, mark read). One line of a rule-set file, 17 columns.
#pragma once

#include "core/DataStrgRecord.h"

class CMailMessage;
struct StoreFilterResult;

class CDivideupData : public CDataStrgRecord
{
public:
    enum { ColumnCount = 17 };
    // Column numbers in file order.
    enum Column {
        colHeader1, colString1, colHeader2, colString2, colFolderId, colLeaveOnServer, colOrMode, colNegate1,
        colNegate2, colDeleteOnServer, colNotReceive, colUseColorLabel, colColorLabel, colCustomColor,
        colNoFolderMove, colMarkRead, colProtected
    };

    CDivideupData() = default;
    CDivideupData(const CDivideupData&) = delete;
    CDivideupData& operator=(const CDivideupData&) = delete;

    // Copies the 17 fields (not the deletion mark or the index).
    void CopyTo(CDivideupData& other) const;

    // Display names of the condition items (the key itself when the item
    // table does not know it); storing a display name stores its key.
    CString GetHeader1Name() const;
    CString GetHeader2Name() const;
    void SetHeader1Name(const char* pszName);
    void SetHeader2Name(const char* pszName);
    // Name and directory of the open folder FolderId names; empty when no
    // such folder is open.
    CString GetFolderName() const;
    CString GetFolderPath() const;

    // Whether condition 1 or 2 holds for a mail: its parsed header and its
    // size in bytes (-1 when not known; a size condition then fails).
    // Without a key the condition holds in And mode and fails in Or mode,
    // before the negation.
    BOOL MatchCondition(int nCondition, const CMailMessage& header, int nSize) const;
    // Whether the rule accepts the mail: both conditions in And mode,
    // either in Or mode.
    BOOL Match(const CMailMessage& header, int nSize) const;
    // False when no mail can ever be accepted: a condition that never holds
    // (a group reference to a group without member addresses, not negated,
    // or no key in Or mode) fails an And rule, and two fail an Or rule.
    BOOL CanMatch() const;
    // What filing a mail under this rule does to it: the colour label and
    // the forced read mark.
    void GetFilterResult(StoreFilterResult& result) const;
    // The drawing colour of the rule's label: the fixed colours of labels 1
    // to 15, the custom colour for 99, none (0) for 0 and black otherwise.
    COLORREF GetLabelColor() const;
    static COLORREF GetFixedLabelColor(int nLabel, COLORREF crCustom);

    CString m_strHeader1, m_strString1, m_strHeader2, m_strString2;
    int m_nFolderId = 0;
    BOOL m_bLeaveOnServer = FALSE;
    BOOL m_bOrMode = FALSE;
    BOOL m_bNegate1 = FALSE;
    BOOL m_bNegate2 = FALSE;
    BOOL m_bDeleteOnServer = FALSE;
    BOOL m_bNotReceive = FALSE;
    BOOL m_bUseColorLabel = FALSE;
    int m_nColorLabel = 0;
    COLORREF m_crCustomColor = 0;
    BOOL m_bNoFolderMove = FALSE;
    BOOL m_bMarkRead = FALSE;
    int m_nProtected = 0;

private:
    BOOL CanConditionHold(int nCondition) const;
};
