// DivideupItemValues: what the rule item dialog shows of one rule, and how
// the shown values become the rule again on OK.
#pragma once

#include "transfer/DivideupData.h"

struct DivideupItemValues
{
    // The colour list's row of the custom colour; stored as label 99.
    enum { kCustomColorRow = 17, kCustomColorLabel = 99 };

    CString strHeader1Name, strString1, strHeader2Name, strString2;
    BOOL bNegate1 = FALSE, bNegate2 = FALSE, bOrMode = FALSE;
    int nFolderId = 0;
    BOOL bLeaveOnServer = FALSE, bDeleteOnServer = FALSE, bNotReceive = FALSE;
    BOOL bUseColorLabel = FALSE;
    int nColorRow = 0;           // row of the colour list
    COLORREF crRowColor = 0;     // the custom colour row's colour
    BOOL bNoFolderMove = FALSE, bMarkRead = FALSE;

    static DivideupItemValues FromRule(const CDivideupData& rule);
    // Writes the values into the rule: header names become keys; a rule
    // that moves no mail keeps no server actions; the custom colour row is
    // label 99 with its colour, any other row has no custom colour. The
    // protection mark is left as it is.
    void StoreInto(CDivideupData& rule) const;
    // The colour row of a stored label (99 is the custom row, a negative
    // label the first row).
    static int RowOfLabel(int nLabel);
};
