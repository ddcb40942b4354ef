// CDlgGotoLine: "行番号の指定": a line number to move to; 0 is the start
// of the text and -1 its end.
#pragma once

#include "classlib/Dialog.h"

class CDlgGotoLine : public CDialog
{
public:
    explicit CDlgGotoLine(CWnd* pParent = nullptr);

    int m_nLine = 0;

    BOOL OnInitDialog() override;
    void OnOK() override;
};
