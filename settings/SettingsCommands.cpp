#include "settings/SettingsCommands.h"

#include "core/QuendalApp.h"
#include "core/AccountDataSet.h"
#include "settings/DlgAccountSetting.h"
#include "settings/DlgAcountSetupWiz.h"
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

void ShowAccountSettings(CWnd* pParent)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    int current = app->m_pAccountDataSet ? app->m_pAccountDataSet->m_nCurrentAccount : 0;
    CDlgAccountSetting dlg(app->GetAccountFilePath(), app->GetSignatureBoxPath(), app->GetTemplateBoxPath(), current,
                           pParent);
    dlg.m_pfnRenameRouteAccount = [](const char* pszOld, const char* pszNew) {
        QuendalApp()->RenameRouteAccount(pszOld, pszNew);
    };
    dlg.m_pfnAddRouteAccount = [](const char* pszName) { QuendalApp()->AddRouteAccount(pszName); };
    dlg.m_pfnRunWizard = RunAccountSetupWizard;
    dlg.DoModal();
}
