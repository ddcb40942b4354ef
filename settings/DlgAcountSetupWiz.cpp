#include "settings/DlgAcountSetupWiz.h"

#include "resources/settings/SettingsResource.h"

CDlgAcountSetupWiz::CDlgAcountSetupWiz(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(nIDCaption, pParentWnd, iSelectPage), m_userPage(this), m_serverPage(this),
      m_connectPage(this), m_downloadPage(this), m_finishPage(this)
{
    Init();
}

CDlgAcountSetupWiz::CDlgAcountSetupWiz(const char* pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(pszCaption, pParentWnd, iSelectPage), m_userPage(this), m_serverPage(this),
      m_connectPage(this), m_downloadPage(this), m_finishPage(this)
{
    Init();
}

void CDlgAcountSetupWiz::Init()
{
    // The fields start from a new record, with the receive choices a new
    // user most likely wants.
    AccountToFields(&m_account, m_fields);
    m_fields.Value(IDC_ACC_LEAVE_ON_SERVER) = 1;
    m_fields.Value(IDC_ACC_UNREAD_ONLY) = 1;
    m_fields.Value(IDC_ACC_PROTECT_OTHER) = 1;
}

INT_PTR CDlgAcountSetupWiz::RunWizard()
{
    AddPage(&m_userPage);
    AddPage(&m_serverPage);
    AddPage(&m_connectPage);
    AddPage(&m_downloadPage);
    AddPage(&m_finishPage);
    SetWizardMode();
    return DoModal();
}

void CDlgAcountSetupWiz::OnProtocolChanged()
{
    m_connectPage.ApplyProtocol(m_fields.Value(IDC_ACC_POP3));
    if (m_downloadPage.m_hWnd)
        ::EnableWindow(m_downloadPage.GetDlgItemHwnd(IDC_ACC_IMAP_DIR), m_fields.Value(IDC_ACC_POP3) != 0);
}

void CDlgAcountSetupWiz::TakeResult()
{
    // Pages never shown still hold their first values in the fields.
    FieldsToAccount(m_fields, m_account, true);
}

bool RunAccountSetupWizard(CAccountData& account, bool& bJoinRoute)
{
    CDlgAcountSetupWiz wizard("アカウントの作成");
    if (wizard.RunWizard() != ID_WIZFINISH)
        return false;
    CopyAccountData(&wizard.m_account, &account);
    bJoinRoute = wizard.JoinsRoute();
    return true;
}
