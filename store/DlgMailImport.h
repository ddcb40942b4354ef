// CDlgMailImport: the choice of import format ("メールのインポート"): eml
// files (optionally a whole folder of them), UNIX From, Outlook Express or
// a separator text, and whether received times follow the sending times.
#pragma once

#include "classlib/Dialog.h"

class CDlgMailImport : public CDialog
{
public:
    enum { typeEml = 0, typeUnixFrom = 1, typeOutlookExpress = 2, typeSeparator = 3 };

    explicit CDlgMailImport(CWnd* pParent = nullptr);

    // Read from the settings when the dialog opens, written back on OK.
    int m_nType = typeEml;
    CString m_strSeparator;
    int m_bReceiveDate = 1;
    int m_bFolderMail = 0;

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    void OnTypeClicked();
    void UpdateEnabling();

    DECLARE_MESSAGE_MAP()
};
