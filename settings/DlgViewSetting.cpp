#include "settings/DlgViewSetting.h"

#include "core/QuendalApp.h"

CDlgViewSetting::CDlgViewSetting(CMailApp& app, CWnd* pParent)
    : CTabbedSettingDialog(SettingDialogKind::view, "メール本文欄の設定", app, pParent)
{
}

bool CDlgViewSetting::IsModified()
{
    for (const char* key : { "HTMLMail", "ShowInlineText", "ViewFileListBottom", "LineFeed", "TabSize" }) {
        if (m_values.IsChanged(key))
            return true;
    }
    return false;
}

void CDlgViewSetting::OnSaved()
{
    if (auto* app = dynamic_cast<CQuendalApp*>(&m_app))
        app->m_bShowInlineText = m_values.Int("ShowInlineText");
}
