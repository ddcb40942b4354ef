// CDlgMailSearch: the search window ("メールの検索"). It runs as the main
// window of its own thread (CMailSearchThread); the search itself runs on a
// worker thread it starts, which hands its hits back by posted messages, so
// neither this window nor the main window waits for a search.
#pragma once

#include "classlib/ClassLib.h"
#include "core/KeyAssignDataSet.h"
#include "mainwnd/MailSearchCondition.h"

#include <mutex>
#include <vector>

class CMailFolderStore;
class CQMailSearchListView;

class CDlgMailSearch : public CDialog
{
public:
    explicit CDlgMailSearch(CWnd* pParent = nullptr);
    ~CDlgMailSearch() override;

    BOOL OnInitDialog() override;
    void OnOK() override;      // start
    void OnCancel() override;  // close
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The thread's 2024: takes the hits the worker has handed over.
    void TakeFoundMails();
    // Whether a search is running.
    bool IsSearching() const { return m_hWorker != nullptr; }
    // Set when the window is up (the thread is then registered).
    HANDLE m_hReady = nullptr;

    CQMailSearchListView* GetResultList() const { return m_pList; }

protected:
    void OnStop();
    void OnClear();
    void OnSelectInMain();
    void OnColorButton();
    void OnTimer(UINT_PTR nIDEvent);
    void OnSize(UINT nType, int cx, int cy);
    LRESULT OnStatusText(WPARAM, LPARAM);
    LRESULT OnSearchEnd(WPARAM, LPARAM);
    LRESULT OnListChanged(WPARAM, LPARAM);
    LRESULT OnActivateMessage(WPARAM, LPARAM);
    void OnListCommand(UINT nID);
    void OnLabelCommand(UINT nID);
    LRESULT OnContextMenuMessage(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    void ReadConditions(CMailSearchCondition& condition);
    void FillFolderCombo();
    void CheckWorker();
    void SetSearchingState(bool bSearching);
    void ShowLabelChoice();
    static unsigned __stdcall WorkerEntry(void* pParam);
    void RunWorker();

    CQMailSearchListView* m_pList = nullptr;  // deletes itself with its window
    CMailSearchCondition m_condition;
    std::vector<int> m_folderIds;             // searched in order
    bool m_bSingleFolder = false;
    volatile LONG m_abort = 1;
    HANDLE m_hWorker = nullptr;
    // Hits handed from the worker to this thread.
    std::mutex m_foundLock;
    std::vector<std::pair<CMailFolderStore*, int>> m_found;
    CString m_strStatus;
    CKeyAssignDataSet m_keys;
    BOOL m_bLabelAuto = TRUE;
    COLORREF m_crLabel = 0;
    // Where the list stands in the template (its margins are kept on sizing).
    RECT m_listRect = {};
    SIZE m_initialClient = {};
};
