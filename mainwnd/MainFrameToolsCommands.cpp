// The main window's settings and tools commands: each opens its dialog
// modally over the main window, and the frame takes over what changed.
#include "mainwnd/MainFrame.h"

#include "core/QuendalApp.h"
#include "editor/DlgAutoSignature.h"
#include "editor/DlgQuoteHeader.h"
#include "editor/DlgSendPasswordList.h"
#include "editor/DlgShortCutTemplate.h"
#include "editor/DlgSignatureList.h"
#include "editor/DlgTemplateSelect.h"
#include "mainwnd/FolderTree.h"
#include "mainwnd/MailViewSeam.h"
#include "resources/mainwnd/KeysResource.h"
#include "resources/mainwnd/ToolsCommandsResource.h"
#include "settings/ProfileSwitch.h"
#include "settings/SettingsCommands.h"
#include "transfer/DlgReceiveNotify.h"
#include "transfer/DlgRouteSetting.h"
#include "viewer/DlgPrintSetting.h"

void CMainFrame::OnToolsCommand(UINT nID)
{
    switch (nID) {
    case ID_TOOLS_ACCOUNTS:
        ShowAccountSettings(this);
        if (m_pFolderTree)
            m_pFolderTree->FillAccountCombo();
        break;
    case ID_TOOLS_BASIC_SETTINGS:
        ShowBasicSettings(this);
        ApplyBasicSettings();
        break;
    case ID_TOOLS_EDITOR_SETTINGS:
        ShowEditorSettings(this);
        break;
    case ID_TOOLS_FONT_COLOR:
        ShowFontColorSettings(this);
        break;
    case ID_TOOLS_ADDRESS_BOOK:
        // The window opened from here is brought to the front when it is open.
        QuendalApp()->OpenAddressBook(this, 1);
        break;
    case ID_TOOLS_SIGNATURES: {
        CDlgSignatureList dlg(this);
        dlg.DoModal();
        break;
    }
    case ID_TOOLS_TEMPLATES: {
        CDlgTemplateSelect dlg(1, this);
        dlg.DoModal();
        break;
    }
    case ID_TOOLS_QUOTE_HEADERS: {
        CDlgQuoteHeader dlg(this);
        dlg.DoModal();
        break;
    }
    case ID_TOOLS_AUTO_SIGNATURE: {
        CDlgAutoSignature dlg(this);
        dlg.DoModal();
        break;
    }
    case ID_TOOLS_SHORTCUT_TEMPLATES: {
        CDlgShortCutTemplate dlg(this);
        dlg.DoModal();
        break;
    }
    case ID_TOOLS_ROUTE_SETTINGS: {
        CQuendalApp* app = QuendalApp();
        CDlgRouteSetting dlg(app->GetRouteInterval(), "", app->GetAccountFilePath(), 0, this);
        dlg.DoModal();
        UpdateRouteTimer(FALSE);
        break;
    }
    case ID_TOOLS_RECEIVE_NOTIFY: {
        CDlgReceiveNotify dlg(this);
        dlg.DoModal();
        break;
    }
    case ID_TOOLS_MAILBOX:
        ChangeMailBox();
        break;
    case ID_TOOLS_SEND_PASSWORDS:
        ShowSendPasswords();
        break;
    // A profile brings its own account table, which a running transfer reads.
    case ID_TOOLS_PROFILE_SETTINGS:
        if (!IsReceiving() && !IsSending())
            ShowProfileSettings(this);
        break;
    case ID_TOOLS_PROFILE_SELECT:
        if (!IsReceiving() && !IsSending())
            ShowProfileSelect(this);
        break;
    case ID_HELP_FINDER:
        if (CQuendalApp* app = QuendalApp())
            app->OpenHelp();
        break;
    case ID_TOOLS_PRINT_SETTINGS: {
        CDlgPrintSetting dlg(this);
        dlg.DoModal();
        break;
    }
    default:
        break;
    }
}

void CMainFrame::ChangeMailBox()
{
    CQuendalApp* app = QuendalApp();
    if (!app || IsReceiving())
        return;
    WaitCursor(TRUE);
    if (m_pFolderTree)
        m_pFolderTree->SaveTreeState();
    const int result = app->PrepareMailBox(TRUE);
    if (result == 1) {
        // The profiles are the new mailbox's own.
        ReapplyProfile(*app);
        if (m_pFolderTree)
            m_pFolderTree->FillAccountCombo();
        MailViewSeam& seam = GetMailViewSeam();
        if (seam.pfnShowMail && m_pMailView)
            seam.pfnShowMail(m_pMailView, nullptr, -1);
        ReloadCurrentFolderList(0, TRUE);
    }
    WaitCursor(FALSE);
}

void CMainFrame::ShowSendPasswords()
{
    CQuendalApp* app = QuendalApp();
    // The passwords are guarded by the start-up password when one is set.
    if (app && app->GetProfileInt("Setting", "ProtectPasswordCVMSetting", 1) && !app->CheckMailBoxPassword(TRUE, TRUE))
        return;
    CDlgSendPasswordList dlg(this);
    dlg.DoModal();
}
