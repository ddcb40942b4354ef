#include "settings/PropertyAccountSend.h"

#include "resources/settings/SettingsResource.h"

CPropertyAccountSend::CPropertyAccountSend(AccountFieldValues* pFields)
    : CAccountPage(IDD_ACCOUNT_SEND, 3, pFields)
{
}

void CPropertyAccountSend::UpdateEnabling()
{
    BOOL auth = IsChecked(IDC_ACC_SMTP_AUTH);
    EnableControl(IDC_ACC_SMTP_USER, auth);
    EnableControl(IDC_ACC_SMTP_PASSWORD, auth);
}

void CPropertyAccountSend::OnControl(int nId, int nCode)
{
    if (nId == IDC_ACC_SMTP_AUTH && nCode == BN_CLICKED)
        UpdateEnabling();
}
