#include "settings/SettingsCommands.h"

#include "core/QuendalApp.h"
#include "core/AccountDataSet.h"
#include "core/AppMessages.h"
#include "core/FileUtil.h"
#include "core/SettingDefaults.h"
#include "settings/DlgProfileSelect.h"
#include "settings/DlgProfileSetting.h"
#include "settings/ProfileSwitch.h"
#include "store/FolderData.h"
#include "mainwnd/FolderTree.h"
#include "mainwnd/FontSetting.h"
#include "mainwnd/MainFrame.h"
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
    // Whatever the dialog wrote (OK, or Apply before Cancel) is used at once.
    ReloadAccounts(*app);
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
    // The fonts written are rebuilt and shown at once.
    dlg.m_pfnReloadFonts = [] {
        if (CQuendalApp* a = QuendalApp())
            ::PostThreadMessageA(a->m_nThreadID, WM_QD_APPLY_VIEW_SETTINGS, 1, 0);
    };
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
        dlg.m_pfnCompactAlertCount = [](int nCount) {
            CQuendalApp* a = QuendalApp();
            if (a && a->m_pMainFrame)
                a->m_pMainFrame->SetCompactAlertCount(nCount);
        };
        dlg.DoModal();
    }
}

void ShowProfileSettings(CWnd* pParent)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    std::vector<CDlgProfileSetting::FolderItem> folders;
    CFolderData data;
    if (app->LoadFolderList(data)) {
        for (int i = 0; i < data.GetRecordCount(TRUE); ++i) {
            CFolderRecord* r = data.GetFolder(i);
            if (r && !r->m_bDeleted)
                folders.push_back({ r->m_nId, r->m_nParentId, r->m_strName });
        }
    }
    CString mailboxAccounts = CombinePath(app->GetMailBoxFolder(), "Account.dat");
    CDlgProfileSetting dlg(app->GetProfileName(), app->GetProfileBoxPath(), mailboxAccounts, folders, pParent);
    dlg.DoModal();
    // The profile in use may have been edited, renamed or deleted.
    if (!app->GetProfileName().IsEmpty()) {
        ReapplyProfile(*app);
    } else if (app->m_pMainFrame && app->m_pMainFrame->m_hWnd && app->m_pMainFrame->GetFolderTree()) {
        // The box over the tree lists the profiles as they are now.
        app->m_pMainFrame->GetFolderTree()->FillAccountCombo();
    }
}

void ShowProfileSelect(CWnd* pParent)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    CDlgProfileSelect dlg(app->GetProfileBoxPath(), pParent);
    dlg.m_strProfileName = app->GetProfileName();
    dlg.m_bChangeMainFrame = GetSettingInt(*app, "Etc", "ProfileChangeMainFrame");
    dlg.m_strDefaultProfileName = GetSettingText(*app, "Etc", "DefaultProfileName");
    int changeBefore = dlg.m_bChangeMainFrame;
    CString defaultBefore = dlg.m_strDefaultProfileName;
    if (dlg.DoModal() != IDOK)
        return;
    if (dlg.m_bChangeMainFrame != changeBefore)
        app->WriteProfileInt("Etc", "ProfileChangeMainFrame", dlg.m_bChangeMainFrame);
    if (dlg.m_strDefaultProfileName != defaultBefore)
        app->WriteProfileString("Etc", "DefaultProfileName", dlg.m_strDefaultProfileName);
    app->m_bProfileChangeMainFrame = dlg.m_bChangeMainFrame;
    app->SetProfileName(dlg.m_strProfileName);
}
