// CDlgInputFolderName: asks for a folder name (renaming a folder).
#pragma once

#include "classlib/ClassLib.h"

class CDlgInputFolderName : public CDialog
{
public:
    explicit CDlgInputFolderName(CWnd* pParent = nullptr);

    CString m_strName;

    BOOL OnInitDialog() override;
    void OnOK() override;
};
