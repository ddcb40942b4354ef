// CDlgMailExport: the choice of export format ("メールのエクスポート"): eml,
// text or HTML files of one mail each, UNIX From, or a separator text.
#pragma once

#include "classlib/Dialog.h"

class CDlgMailExport : public CDialog
{
public:
    enum { typeEml = 0, typeText = 1, typeHtml = 2, typeUnixFrom = 3, typeSeparator = 4 };

    explicit CDlgMailExport(CWnd* pParent = nullptr);

    // Read from the settings when the dialog opens, written back on OK.
    int m_nType = typeEml;
    CString m_strSeparator;

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    void OnTypeClicked();
    void UpdateEnabling();

    DECLARE_MESSAGE_MAP()
};
