#include "settings/DlgEditorSetting.h"

#include "core/QuendalApp.h"
#include "resources/settings/SettingsResource.h"

CDlgEditorSetting::CDlgEditorSetting(CMailApp& app, CWnd* pParent)
    : CTabbedSettingDialog(SettingDialogKind::editor, "メールエディタの設定", app, pParent)
{
}

void CDlgEditorSetting::PreparePage(int nIndex, CSettingsPage& page)
{
    if (nIndex == 0)
        page.AddEnableRule(IDC_SET_EDITOR_AUTO_BACKUP, { IDC_SET_AUTO_BACKUP_INTERVAL });
    if (nIndex == 2) {
        page.AddBrowseRule(IDC_SET_EDITOR_BROWSE, IDC_SET_EDITOR_PATH, "エディタの選択", "プログラムファイル (*.exe)",
                           ".exe");
        page.AddBrowseRule(IDC_SET_HTMLEDITOR_BROWSE, IDC_SET_HTML_EDITOR_PATH, "HTMLエディタの選択",
                           "プログラムファイル (*.exe)", ".exe");
    }
}

void CDlgEditorSetting::OnSaved()
{
    if (auto* app = dynamic_cast<CQuendalApp*>(&m_app)) {
        app->m_nAddressDispType = m_values.Int("AddressDispType");
        app->m_bAddressDispOrgNoChange = m_values.Int("AddressDispOrgNoChange");
    }
}
