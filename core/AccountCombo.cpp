#include "core/AccountCombo.h"

#include "core/AccountDataSet.h"
#include "core/QuendalApp.h"

namespace {

CAccountDataSet* LoadedAccounts(bool bReload)
{
    CQuendalApp* app = QuendalApp();
    CAccountDataSet* accounts = app ? app->m_pAccountDataSet : nullptr;
    if (!accounts)
        return nullptr;
    if (bReload) {
        accounts->RemoveAll();
        accounts->SetFilePath(app->GetAccountFilePath());
    }
    if (!accounts->IsLoaded()) {
        if (accounts->GetFilePath().IsEmpty())
            accounts->SetFilePath(app->GetAccountFilePath());
        accounts->ReadFromFile(TRUE);
    }
    return accounts;
}

void AddNames(HWND hCombo, CAccountDataSet* accounts)
{
    for (int i = 0; i < accounts->GetRecordCount(TRUE); ++i) {
        if (CAccountData* account = accounts->GetAccount(i))
            SendMessageA(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(account->GetAccountName().GetString()));
    }
}

} // namespace

void FillAccountNameCombo(HWND hCombo)
{
    CAccountDataSet* accounts = LoadedAccounts(true);
    if (!hCombo || !accounts)
        return;
    SendMessageA(hCombo, CB_RESETCONTENT, 0, 0);
    AddNames(hCombo, accounts);
}

void AddAccountNamesToCombo(HWND hCombo)
{
    CAccountDataSet* accounts = LoadedAccounts(false);
    if (hCombo && accounts)
        AddNames(hCombo, accounts);
}

void FillAccountAddressCombo(HWND hCombo)
{
    CAccountDataSet* accounts = LoadedAccounts(false);
    if (!hCombo || !accounts)
        return;
    CStringArray added;
    for (int i = 0; i < accounts->GetRecordCount(TRUE); ++i) {
        CAccountData* account = accounts->GetAccount(i);
        if (!account)
            continue;
        const CString& address = account->GetMailAddress();
        bool known = false;
        for (int j = 0; j < added.GetSize() && !known; ++j)
            known = added[j].Left(address.GetLength()).CompareNoCase(address) == 0;
        if (known)
            continue;
        added.Add(address);
        SendMessageA(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(address.GetString()));
    }
}
