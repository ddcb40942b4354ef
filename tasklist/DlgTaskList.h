// CDlgTaskList: the modeless task list window "タスクリスト": the tasks of
// the application's task table, sorted by a column, with buttons to edit,
// add, remove and find the mail of a task.
#pragma once

#include "classlib/ClassLib.h"
#include "tasklist/TaskListCtrl.h"

class CTaskListData;

class CDlgTaskList : public CDialog
{
public:
    enum { kRepaintTimer = 300, kRepaintMs = 60000, WM_TASK_REFILL = 1474 };

    explicit CDlgTaskList(CTaskListData* pTable);

    // Opens a stored mail (folder id, mail key) in place of the plug-in
    // API's opening (an editor or a viewer window), which serves otherwise.
    typedef void (*OpenMailHandler)(int nFolderId, const char* pszMailKey);
    static OpenMailHandler SetOpenMailHandler(OpenMailHandler handler);

    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnOK() override {}
    // Empties the list and adds every task not marked deleted, then sorts.
    void Refill();
    void SortBy(int nColumn, BOOL bDescending);
    int GetSortColumn() const { return m_nSortColumn; }
    BOOL IsSortDescending() const { return m_bSortDescending; }

protected:
    void PostNcDestroy() override;
    void OnSize(UINT nType, int cx, int cy);
    void OnTimer(UINT_PTR nIDEvent);
    LRESULT OnMeasureItem(WPARAM, LPARAM lParam);
    LRESULT OnRefillMsg(WPARAM, LPARAM);
    void OnEdit();
    void OnSelectMail();
    void OnDelete();
    void OnAdd();
    void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDblClick(NMHDR* pNMHDR, LRESULT* pResult);
    void ShowSortMark();
    void SavePlacement();
    void WriteTable();

    CTaskListData* m_pTable;
    CTaskListCtrl m_list;
    int m_nSortColumn = 0;
    BOOL m_bSortDescending = FALSE;
    // Distances of the list and the buttons from the right and bottom edges.
    int m_nListRight = 0, m_nListBottom = 0, m_nButtonBottom = 0, m_nCloseRight = 0;

    DECLARE_MESSAGE_MAP()
};
