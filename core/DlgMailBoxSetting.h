// CDlgMailBoxSetting: chooses the folder and the name of the mailbox
// ("メールボックスの設定") and stores them under "Paths" as MailBoxPath and
// MailBoxName.
#pragma once

#include "classlib/Dialog.h"

class CDlgMailBoxSetting : public CDialog
{
public:
    explicit CDlgMailBoxSetting(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    CString m_strPath;
    CString m_strName;

protected:
    void OnBrowse();
    void OnEditChange();
    void UpdateOkButton();

    DECLARE_MESSAGE_MAP()
};

// The dialog run modally for the mailbox preparation; IDOK when a mailbox was stored.
int RunMailBoxSettingDialog();
