// CDlgDivideupSelect: asks only for a rule set ("振り分け選択"), when a rule
// made from a mail is to be added to one.
#pragma once

#include "classlib/ClassLib.h"

class CDlgDivideupSelect : public CDialog
{
public:
    explicit CDlgDivideupSelect(CWnd* pParent = nullptr);

    // After OK: the chosen row's text.
    CString m_strSetName;

    BOOL OnInitDialog() override;
    void OnOK() override;
};
