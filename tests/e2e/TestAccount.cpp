#include "e2e/TestAccount.h"

#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "net/NetTestSupport.h"

namespace E2e {

namespace {

bool AppendAccount(const CString& mailBox, bool bKeepOthers, int nUser, const char* pszName, const char* pszUserName,
                   const char* pszPassword)
{
    CAccountDataSet set;
    set.SetFilePath(mailBox + "\\Account.dat");
    if (bKeepOthers && !set.ReadFromFile(TRUE))
        return false;
    auto* a = static_cast<CAccountData*>(set.CreateNewRecord());
    a->SetAccountName(pszName);
    a->SetUserName(pszUserName);
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

} // namespace

bool WriteTestAccount(const CString& mailBox, int nUser, const char* pszPassword)
{
    return AppendAccount(mailBox, false, nUser, "テスト", "山田 太郎", pszPassword);
}

bool AddTestAccount(const CString& mailBox, int nUser, const char* pszName, const char* pszUserName)
{
    return AppendAccount(mailBox, true, nUser, pszName, pszUserName, nullptr);
}

} // namespace E2e
