// CDlgExportFileName: how exported files are named
// ("出力するファイル名の指定"): a name asked for each file, or names made
// from the titles in an output folder; and whether each file takes the
// mail's sending time.
#pragma once

#include "classlib/Dialog.h"

class CDlgExportFileName : public CDialog
{
public:
    explicit CDlgExportFileName(CWnd* pParent = nullptr);

    // Read from the settings when the dialog opens, written back on OK.
    CString m_strFolder;
    int m_nAutoType = 0;  // 0 ask for each file, 1 name files from their titles
    int m_bFileTime = 0;

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    void OnTypeClicked();
    void OnBrowse();
    void UpdateEnabling();

    DECLARE_MESSAGE_MAP()
};
