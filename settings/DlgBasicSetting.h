// CDlgBasicSetting: "コルヴェイン・メールの基本設定", five pages of
// program-wide settings, with the mailbox start-up password.
#pragma once

#include "settings/TabbedSettingDialog.h"

class CDlgBasicSetting : public CTabbedSettingDialog
{
public:
    CDlgBasicSetting(CMailApp& app, CWnd* pParent = nullptr);

    // The log file path shown when none is stored (the one in use).
    CString m_strDefaultLogPath;

    BOOL OnInitDialog() override;

protected:
    CSettingsPage* MakePage(int nIndex, const SettingPageTable& table) override;
    void PreparePage(int nIndex, CSettingsPage& page) override;
    bool Validate() override;

private:
    CString m_strStoredPassword;
};

// The start-up password check of OK: 0 accepted, 1 the current password is
// wrong, 2 the new password and its confirmation differ.
int CheckMailBoxPasswordChange(const CString& stored, const CString& current, const CString& newPassword,
                               const CString& confirm);
