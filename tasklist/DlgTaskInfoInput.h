// CDlgTaskInfoInput: the task input dialog "タスクの情報": the linked mail's
// texts (read only), the deadline, the notice and the memo of one task.
#pragma once

#include "classlib/ClassLib.h"

#include <cstdint>

class CTaskListRecord;
class CTaskListData;
class CMailIndexRecord;
class CMailFolderStore;

class CDlgTaskInfoInput : public CDialog
{
public:
    explicit CDlgTaskInfoInput(CWnd* pParent = nullptr);

    // A new task: deadline and notify on, both pickers at the current time.
    void SetNewTask(int64_t now);
    // The mail's texts as the index holds them.
    void SetMailTexts(const char* pszSubject, const char* pszFrom, const char* pszTo, const char* pszSent,
                      const char* pszReceived);
    // The task's values (and its mail's texts when it has a mail).
    void LoadFrom(const CTaskListRecord& task);
    // The dialog's part of a task: deadline, memo and notice.
    void StoreTo(CTaskListRecord& task) const;

    BOOL OnInitDialog() override;
    void OnOK() override;

    CString m_strSubject, m_strFrom, m_strTo, m_strSent, m_strReceived;
    BOOL m_bHasDeadline = FALSE;
    int64_t m_tDeadline = 0;
    BOOL m_bNotify = FALSE;
    int m_nLeadMinutes = 0;
    BOOL m_bNotified = FALSE;
    int m_nNoticeAction = 0;
    CString m_strNoticeAccount, m_strNoticeTo, m_strNoticeSubject, m_strNoticeBody, m_strMemo;
    BOOL m_bNewTask = FALSE;

protected:
    void UpdateEnabling();
    void OnSwitchChanged();
    void OnBrowseTo();

    DECLARE_MESSAGE_MAP()
};

// Shows the task input dialog, filled from the mail when one is given (else
// a free task with the deadline and notify switches on), and on OK appends a
// new task to the table. False on Cancel. The caller writes the table.
BOOL AddTaskForMail(CMailIndexRecord* pMail, CMailFolderStore* pStore, CTaskListData* pTable, CWnd* pParent);
