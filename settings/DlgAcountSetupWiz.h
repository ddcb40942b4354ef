// CDlgAcountSetupWiz: the account set-up wizard, five pages that ask for the
// essentials of one account. It stores nothing: after Finish the caller
// reads the account and whether it joins the route.
#pragma once

#include "classlib/PropertySheet.h"
#include "settings/AccountFieldMap.h"
#include "settings/AcountSetupFinishWizard.h"
#include "settings/ConnectInfoForWizard.h"
#include "settings/DownloadSettingForWizard.h"
#include "settings/ServerInfoForWizard.h"
#include "settings/UserInfoForWizard.h"

class CDlgAcountSetupWiz : public CPropertySheet
{
public:
    CDlgAcountSetupWiz(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    CDlgAcountSetupWiz(const char* pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);

    // ID_WIZFINISH when the account is filled.
    INT_PTR RunWizard();

    // The pages' shared fields, and the account built from them on Finish.
    AccountFieldValues m_fields;
    CAccountData m_account;
    bool JoinsRoute() const { return m_finishPage.m_bJoinRoute != 0; }

    // Called by the pages.
    void OnProtocolChanged();
    void TakeResult();

private:
    void Init();

    CUserInfoForWizard m_userPage;
    CServerInfoForWizard m_serverPage;
    CConnectInfoForWizard m_connectPage;
    CDownloadSettingForWizard m_downloadPage;
    CAcountSetupFinishWizard m_finishPage;
};

// The wizard at a first start: true on Finish with the account and whether
// it joins the route.
bool RunAccountSetupWizard(CAccountData& account, bool& bJoinRoute);
