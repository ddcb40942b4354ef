// CDlgPrintRange: "印刷範囲": all of the text or the selected part.
#pragma once

#include "classlib/Dialog.h"

class CDlgPrintRange : public CDialog
{
public:
    explicit CDlgPrintRange(CWnd* pParent = nullptr);

    int m_nRange = 0;  // 0 all, 1 the selected part

    BOOL OnInitDialog() override;
    void OnOK() override;
};
