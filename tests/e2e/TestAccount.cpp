#include "e2e/TestAccount.h"

#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "net/NetTestSupport.h"

namespace E2e {

bool WriteTestAccount(const CString& mailBox, int nUser, const char* pszPassword)
{
    CAccountDataSet set;
    set.SetFilePath(mailBox + "\\Account.dat");
    auto* a = static_cast<CAccountData*>(set.CreateNewRecord());
    a->SetAccountName("テスト");
    a->SetUserName("山田 太郎");
    a->SetMailAddress(FormatString("cvmtest%d@cvm.test", nUser));
    a->SetSmtpServer("smtp.cvm.test");
    a->SetSmtpPort(587);
    a->SetReceiveServer(NetTest::kHost);
    a->SetReceiveUser(NetTest::UserName(nUser));
    a->SetPassword(pszPassword ? CString(pszPassword) : NetTest::Password(nUser));
    a->SetUseEsmtp(TRUE);
    a->SetSmtpAuth(TRUE);
    a->SetSendTls(TRUE);
    a->SetTimeout(10);
    return set.WriteToFile(FALSE) != FALSE;
}

} // namespace E2e
