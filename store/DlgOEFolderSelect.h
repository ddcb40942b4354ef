// CDlgOEFolderSelect: the choice of the Outlook Express identity and of the
// folders to import ("読込フォルダの選択").
#pragma once

#include "classlib/Dialog.h"

class COEMailImporter;

class CDlgOEFolderSelect : public CDialog
{
public:
    CDlgOEFolderSelect(COEMailImporter* pImporter, CWnd* pParent = nullptr);

    int m_nMode = 0;    // 0 every folder, 1 the checked folders
    int m_nChosen = 0;  // after OK: the number of folders marked chosen

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    void OnModeClicked();
    void OnUserChanged();
    void FillFolderList();

    COEMailImporter* m_pImporter;

    DECLARE_MESSAGE_MAP()
};
