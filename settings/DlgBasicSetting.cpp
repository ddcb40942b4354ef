#include "settings/DlgBasicSetting.h"

#include "core/MailApp.h"
#include "core/PasswordScrambler.h"
#include "resources/settings/SettingsResource.h"
#include "settings/PropertyAppOption.h"

int CheckMailBoxPasswordChange(const CString& stored, const CString& current, const CString& newPassword,
                               const CString& confirm)
{
    if (stored != newPassword && stored != current)
        return 1;
    if (newPassword != confirm)
        return 2;
    return 0;
}

CDlgBasicSetting::CDlgBasicSetting(CMailApp& app, CWnd* pParent)
    : CTabbedSettingDialog(SettingDialogKind::basic, "コルヴェイン・メールの基本設定", app, pParent)
{
    m_strStoredPassword = CPasswordScrambler().Unscramble(app.GetProfileString("Setting", "MailBoxPassword", ""));
    // At open the new password and its confirmation hold the stored one, so
    // that an unchanged password passes the check.
    m_values.Text("*PasswordNew") = m_strStoredPassword;
    m_values.Text("*PasswordConfirm") = m_strStoredPassword;
}

BOOL CDlgBasicSetting::OnInitDialog()
{
    // An empty stored log path shows the path in use; it is written only
    // when the user makes it something else.
    CSettingValues::Value* log = m_values.Find("LogFilePath");
    if (log && log->strLoaded.IsEmpty())
        log->strLoaded = log->strValue = m_strDefaultLogPath;
    return CTabbedSettingDialog::OnInitDialog();
}

CSettingsPage* CDlgBasicSetting::MakePage(int nIndex, const SettingPageTable& table)
{
    if (nIndex == 1)
        return new CPropertyAppOption(&m_values, table.pTable, table.nCount);
    return CTabbedSettingDialog::MakePage(nIndex, table);
}

void CDlgBasicSetting::PreparePage(int nIndex, CSettingsPage& page)
{
    switch (nIndex) {
    case 1:
        page.AddEnableRule(IDC_SET_REC_NOTIFY_SOUND, { IDC_SET_REC_NOTIFY_SOUND_PATH });
        page.AddEnableRule(IDC_SET_LED_BLINK, { IDC_SET_LED_BLINK_INTERVAL, IDC_SET_LED_BLINK_TYPE,
                                                IDC_SET_LED_BLINK_TYPE_1, IDC_SET_LED_BLINK_TYPE_2 });
        page.AddBrowseRule(IDC_SET_SOUND_BROWSE, IDC_SET_REC_NOTIFY_SOUND_PATH, "受信音の選択",
                           "AVI/WAV/MIDI (*.avi; *.wav; *.mid)", "AVI;WAV;MID", true);
        break;
    case 2:
        page.AddEnableRule(IDC_SET_UNLOAD_MAIL_INDEX, { IDC_SET_UNLOAD_MAIL_INDEX_TIME });
        break;
    case 3:
        page.AddBrowseRule(IDC_SET_APP1_BROWSE, IDC_SET_OPEN_APP_PATH1, "アプリケーションの選択",
                           "プログラムファイル (*.exe)", ".exe");
        page.AddBrowseRule(IDC_SET_APP2_BROWSE, IDC_SET_OPEN_APP_PATH2, "アプリケーションの選択",
                           "プログラムファイル (*.exe)", ".exe");
        page.AddBrowseRule(IDC_SET_APP3_BROWSE, IDC_SET_OPEN_APP_PATH3, "アプリケーションの選択",
                           "プログラムファイル (*.exe)", ".exe");
        page.AddBrowseRule(IDC_SET_BROWSER_BROWSE, IDC_SET_OPEN_BROWSER_PATH, "アプリケーションの選択",
                           "プログラムファイル (*.exe)", ".exe");
        page.AddBrowseRule(IDC_SET_MAINAVI_BROWSE, IDC_SET_MAIN_AVI, "AVIファイルの選択", "AVIファイル (*.avi)", ".avi");
        page.AddBrowseRule(IDC_SET_EDITORAVI_BROWSE, IDC_SET_EDITOR_AVI, "AVIファイルの選択", "AVIファイル (*.avi)",
                           ".avi");
        page.AddBrowseRule(IDC_SET_LOG_BROWSE, IDC_SET_LOG_FILE_PATH, "ログファイルの選択", "ログファイル (*.log)",
                           ".log");
        page.AddBrowseRule(IDC_SET_TEMP_BROWSE, IDC_SET_TEMP_FOLDER_PATH, "フォルダの選択");
        break;
    case 4:
        page.AddEnableRule(IDC_SET_RECEIVE_MAIL_BACKUP, { IDC_SET_RECEIVE_MAIL_BACKUP_DATE,
                                                          IDC_SET_RECEIVE_MAIL_BACKUP_SIZE,
                                                          IDC_SET_RECEIVE_MAIL_BACKUP_PATH, IDC_SET_BACKUP_BROWSE });
        page.AddBrowseRule(IDC_SET_BACKUP_BROWSE, IDC_SET_RECEIVE_MAIL_BACKUP_PATH, "バックアップフォルダの選択");
        break;
    default:
        break;
    }
}

bool CDlgBasicSetting::Validate()
{
    const CString& current = m_values.Text("*PasswordCurrent");
    const CString& newPassword = m_values.Text("*PasswordNew");
    int check = CheckMailBoxPasswordChange(m_strStoredPassword, current, newPassword, m_values.Text("*PasswordConfirm"));
    if (check != 0) {
        AfxMessageBox(check == 1 ? "現在のパスワードが間違っています。"
                                 : "入力されたパスワードと確認用パスワードが異なっています。\r\n"
                                   "パスワードと確認用のパスワードを入力し直してください。",
                      MB_ICONEXCLAMATION);
        m_tab.SelectPage(1);
        if (CWnd* page = m_tab.GetCurrentPage())
            ::SetFocus(page->GetDlgItemHwnd(check == 1 ? IDC_SET_PW_CURRENT : IDC_SET_PW_CONFIRM));
        return false;
    }
    if (newPassword != m_strStoredPassword)
        m_app.WriteProfileString("Setting", "MailBoxPassword", CPasswordScrambler().Scramble(newPassword));
    return true;
}
