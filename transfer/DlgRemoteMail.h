// CDlgRemoteMail: the selective-receive window. It lists the mails waiting
// on one account's server without fetching them, lets the user mark each for
// receiving, receiving and leaving unread, receiving and deleting, or
// deleting, and asks the main thread to run the marked requests as a
// selective-receive job. Modeless, owned by the main window, on the UI
// thread; the receiving session fills its list from the session thread
// through the thread-safe calls below.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/ComboBox.h"
#include "classlib/ImageList.h"
#include "classlib/ListCtrl.h"
#include "transfer/RemoteMailList.h"

#include <vector>

class CDlgRemoteMail : public CDialog
{
public:
    // Window messages: 1387 refreshes the controls from the list; the job's
    // worker tells the window of its start and end.
    enum : UINT { WM_REMOTE_REFRESH = 1387, WM_REMOTE_JOB_BEGIN = WM_APP + 0x340, WM_REMOTE_JOB_END };
    // Thread messages to the main thread: run the requests; list again.
    enum : UINT { TM_SELECT_RUN = 1366, TM_SELECT_LIST = 1367 };

    CDlgRemoteMail();
    ~CDlgRemoteMail() override;

    // ---- The main window ----
    BOOL CreateWindowFor(CWnd* pOwner);
    // bNewestOnly: the first listing takes only the newest mails.
    void ResetAndShow(bool bNewestOnly = false);
    void SelectAccount(int nIndex);
    int GetAccountIndex() const { return m_nAccount; }
    bool IsOpen() const { return m_bOpen; }
    // True from the start of a job to the window's handling of its end.
    bool IsBusy() const { return m_bBusy != 0; }

    // ---- The selective-receive job (its worker thread) ----
    void NotifyJobBegin();
    // bApply: the run ended without error and had requests.
    void NotifyJobEnd(bool bApply);
    std::vector<CReceiveSelection> GetRequests() { return m_list.GetRequests(); }
    bool HasRequests() { return m_list.HasRequests(); }

    // ---- The receiving session (session thread) ----
    void AddServerMail(const CString& header, const CString& strId, int nNumber, int nSize);
    CString GetLastMailId() { return m_list.GetLastMailId(); }
    int GetLastMailNumber() { return m_list.GetLastMailNumber(); }
    int GetServerCount() { return m_list.GetServerCount(); }
    void SetServerCount(int nCount) { m_list.SetServerCount(nCount); }
    bool IsNewestOnly() const { return m_bNewestOnly != 0; }
    // The newest-only option of the next listing (the window's check box
    // and count set it when the user lists).
    void SetNewestOnly(bool bOn, int nCount)
    {
        m_bNewestOnly = bOn ? 1 : 0;
        m_nNewestCount = nCount;
    }
    int GetNewestCount() const { return m_nNewestCount; }

    // ---- Called on the UI thread ----
    void EnableControls(bool bOn);
    void ApplyResults();
    CRemoteMailList& GetList() { return m_list; }
    // The operation of every selected row (0-4).
    void SetSelectedOperation(int nOperation);
    void SortBy(int nColumn);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void OnRefresh();
    void OnReceive() { SetSelectedOperation(CRemoteMailItem::opReceive); }
    void OnReceiveUnread() { SetSelectedOperation(CRemoteMailItem::opReceiveUnread); }
    void OnReceiveDelete() { SetSelectedOperation(CRemoteMailItem::opReceiveDelete); }
    void OnDelete() { SetSelectedOperation(CRemoteMailItem::opDelete); }
    void OnBack() { SetSelectedOperation(CRemoteMailItem::opNone); }
    void OnBackAll();
    void OnSelectAll();
    void OnSize(UINT nType, int cx, int cy);
    void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    LRESULT OnRefreshControls(WPARAM, LPARAM);
    LRESULT OnJobBegin(WPARAM, LPARAM);
    LRESULT OnJobEnd(WPARAM wParam, LPARAM);

    // Rows for the items listed since the last refresh, and the labels.
    void SyncRows();
    void UpdateLabels();
    void ClearAll();
    void ReadOptions();
    void SaveSettings();
    void ShowSortMark();
    void PostToMainThread(UINT nMessage);
    int FindRow(const CRemoteMailItem* pItem) const;

    CRemoteMailList m_list;
    CListCtrl m_listCtrl;
    CComboBox m_accounts;
    CImageList m_images;
    int m_nRowsShown = 0;  // items that have their row
    int m_nAccount = -1;
    CString m_strAccountName;
    volatile BYTE m_bNewestOnly = 0;
    volatile int m_nNewestCount = 10;
    bool m_bListedNewest = false;  // the last listing started in newest-only mode
    BOOL m_bExecIcon = TRUE;
    int m_nSortColumn = -1;
    bool m_bSortAscending = true;
    bool m_bOpen = false;
    volatile BYTE m_bBusy = 0;
    // Distances of the list and the buttons from the right and bottom edges.
    int m_nListRight = 0, m_nListBottom = 0, m_nButtonBottom = 0, m_nExecRight = 0, m_nCloseRight = 0;
    int m_nBottomRowBottom = 0;

    DECLARE_MESSAGE_MAP()
};
