// CDlgNotifyDialogPos: where and how the new-mail notification window
// appears ("位置設定"). The dialog has the window's size; the user drags it
// to the place the window shall open at.
#pragma once

#include "classlib/Dialog.h"

class CDlgNotifyDialogPos : public CDialog
{
public:
    explicit CDlgNotifyDialogPos(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    int m_nOpenStyle = 0;  // 0 from the top down, 1 from the bottom up
    int m_nOpenTime = 10;  // seconds
};
