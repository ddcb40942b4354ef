#include "settings/SettingsCommands.h"

#include "core/QuendalApp.h"
#include "settings/DlgBasicSetting.h"
#include "settings/DlgEditorSetting.h"
#include "settings/DlgViewSetting.h"

void ShowBasicSettings(CWnd* pParent)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    CDlgBasicSetting dlg(*app, pParent);
    dlg.m_strDefaultLogPath = app->GetLogFilePath();
    dlg.DoModal();
}

void ShowEditorSettings(CWnd* pParent)
{
    if (CQuendalApp* app = QuendalApp()) {
        CDlgEditorSetting dlg(*app, pParent);
        dlg.DoModal();
    }
}

bool ShowViewSettings(CWnd* pParent)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return false;
    CDlgViewSetting dlg(*app, pParent);
    return dlg.DoModal() == IDOK && dlg.IsModified();
}
