// CDlgReadNotifyConfirm: asks whether to send the read notification a mail
// requests. Results: 1 send, 2 do not send, 4 later.
#pragma once

#include "classlib/ClassLib.h"

class CDlgReadNotifyConfirm : public CDialog
{
public:
    CDlgReadNotifyConfirm(const char* pszText, CWnd* pParent);

    BOOL OnInitDialog() override;

protected:
    void OnLater();

    DECLARE_MESSAGE_MAP()

private:
    CString m_strText;
};
