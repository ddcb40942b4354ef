// CDlgAccountSetting: "アカウントの設定", the list of accounts and five
// pages of the shown account. It works on its own copy of the account table
// and writes "Account.dat" itself.
#pragma once

#include "classlib/Dialog.h"
#include "core/AccountDataSet.h"
#include "settings/AccountFieldMap.h"
#include "settings/PageTabCtrl.h"

class CPropertyAccountInfo;
class CPropertyAccountConnect;
class CPropertyAccountReceive;
class CPropertyAccountSend;
class CPropertyAccountCreate;

class CDlgAccountSetting : public CDialog
{
public:
    // The table's file and the folders the creation page lists.
    CDlgAccountSetting(const CString& accountFile, const CString& signatureFolder, const CString& templateFolder,
                       int nCurrentAccount, CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnCancel() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    void FillAccountList();
    void RecordToPages(const CAccountData* pRecord);
    // bStore: the values of an existing account are being stored, so a
    // changed name renames the account in the route.
    void PagesToRecord(CAccountData& record, bool bStore);
    bool ConfirmSave();
    bool SaveCurrentAccount();
    void OnNewAccount();
    void OnCopyAccount();
    void OnDelete();
    void SwapAccounts(int nDirection);

    CAccountDataSet m_accounts;
    // The account shown, as it was shown or last stored.
    CAccountData m_working;
    int m_nRow = -1;
    CString m_strAccountName;
    AccountFieldValues m_fields;
    CPageTabCtrl m_tab;

    // Seams to the application, so the dialog runs without one.
    void (*m_pfnRenameRouteAccount)(const char* pszOld, const char* pszNew) = nullptr;
    void (*m_pfnAddRouteAccount)(const char* pszName) = nullptr;
    bool (*m_pfnRunWizard)(CAccountData& account, bool& bJoinRoute) = nullptr;

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    void TakeVisibleValues();
    void SelectRow(int nRow);
    int AddRow(const char* pszName, int nIndex);
    int RowIndexData(int nRow) const;
    int GetSelectedRow() const;
    void ShowRow(int nRow);

    CString m_strSignatureFolder, m_strTemplateFolder;
    int m_nCurrentAccount;
    bool m_bReady = false;
    HWND m_hList = nullptr;
    HIMAGELIST m_hImages = nullptr;
    CPropertyAccountInfo* m_pInfo = nullptr;
    CPropertyAccountConnect* m_pConnect = nullptr;
    CPropertyAccountReceive* m_pReceive = nullptr;
    CPropertyAccountSend* m_pSend = nullptr;
    CPropertyAccountCreate* m_pCreate = nullptr;

public:
    ~CDlgAccountSetting() override;
};
