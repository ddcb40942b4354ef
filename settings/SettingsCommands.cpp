#include "settings/SettingsCommands.h"

#include "core/QuendalApp.h"
#include "core/AccountDataSet.h"
#include "core/AppMessages.h"
#include "mainwnd/FontSetting.h"
#include "settings/DlgCustomize.h"
#include "settings/DlgFontColor.h"
#include "settings/DlgKeywordColor.h"
#include "settings/DlgLanguageFont.h"
#include "viewer/MailFontSets.h"
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

bool ShowKeywordColors(CWnd* pParent)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return false;
    CDlgKeywordColor dlg(app->GetKeywordListPath(), pParent);
    if (dlg.DoModal() != IDOK)
        return false;
    ::PostThreadMessageA(app->m_nThreadID, WM_QD_KEYWORDS_CHANGED, 0, 0);
    return true;
}

bool ShowLanguageFonts(CWnd* pParent, const char* pszCharSet)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return false;
    CDlgLanguageFont dlg(CMailFontSets::GetCharSetFilePath(app->GetMailBoxFolder(), app->GetProgramFolder()), pParent);
    dlg.m_strRequestName = pszCharSet ? pszCharSet : "";
    return dlg.DoModal() == IDOK;
}

void ShowFontColorSettings(CWnd* pParent)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    LOGFONTA before[CDlgFontColor::fontCount];
    for (int i = 0; i < CDlgFontColor::fontCount; ++i)
        before[i] = GetFontSetting(CDlgFontColor::s_fontSections[i]);
    CDlgFontColor dlg(before[0], before[1], before[2], before[3], before[4], *app, pParent);
    dlg.m_pfnKeywordColors = ShowKeywordColors;
    dlg.m_pfnLanguageFonts = [](CWnd* parent) { return ShowLanguageFonts(parent, nullptr); };
    if (dlg.DoModal() != IDOK)
        return;
    for (int i = 0; i < CDlgFontColor::fontCount; ++i)
        WriteFontSetting(*app, CDlgFontColor::s_fontSections[i], dlg.m_fonts[i], before[i]);
    dlg.m_colors.Save(*app);
    ::PostThreadMessageA(app->m_nThreadID, WM_QD_APPLY_VIEW_SETTINGS, dlg.m_bLanguageFontsChanged ? 1 : 0, 0);
}

void ShowCustomize(CWnd* pParent)
{
    if (CQuendalApp* app = QuendalApp()) {
        CDlgCustomize dlg(*app, pParent);
        dlg.DoModal();
    }
}
