// CDlgTextFind: "テキストの検索": the search text with its history, the case
// option and the direction. The caller keeps the history; OK appends the
// text to it.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/Dialog.h"

class CDlgTextFind : public CDialog
{
public:
    explicit CDlgTextFind(CWnd* pParent = nullptr);

    CString m_strText;
    BOOL m_bMatchCase = FALSE;
    BOOL m_bDown = TRUE;
    CStringArray* m_pHistory = nullptr;

    BOOL OnInitDialog() override;
    void OnOK() override;
};
