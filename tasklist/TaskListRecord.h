// CTaskListRecord: one task of "TaskList.dat": a note with an optional
// deadline, free-standing or linked to a stored mail, and the notice mail
// that announces the deadline.
#pragma once

#include "core/DataStrgRecord.h"

#include <cstdint>

class CMailFolderStore;
class CTaskListData;

class CTaskListRecord : public CDataStrgRecord
{
public:
    enum { ColumnCount = 19 };
    enum NoticeAction { NoticeStore = 0, NoticeSend = 1 };

    // Every stored column (not the deletion mark, index, serial or cache).
    void CopyFieldsFrom(const CTaskListRecord& other);
    bool HasMail() const { return !m_strMailKey.IsEmpty(); }

    // Whether the reminder is due at now: a task with a deadline and the
    // notify switch on, not notified yet, whose deadline lies no more than
    // the lead minutes ahead (whole minutes, truncated toward zero).
    bool IsDue(int64_t now) const;
    // The reminder: when due, delivers the notice and, only once it was
    // delivered, marks the task of the same serial in the table notified and
    // writes the table. True when a notice mail was put into the current
    // folder (a new mail to announce).
    bool CheckDue(CTaskListData* pTable, int64_t now);
    // Builds and delivers the notice mail; see TaskNotice.h.
    bool SendNotice(bool* pDelivered = nullptr);
    // The notice body: the stored body, else the memo, deadline and mail lines.
    CString BuildNoticeBody() const;

    int m_nFolderId = 0;
    CString m_strMailKey;
    CString m_strSubject;
    CString m_strFrom;
    CString m_strTo;
    CString m_strCc;
    int64_t m_tSend = 0;
    int64_t m_tReceive = 0;
    BOOL m_bHasDeadline = FALSE;
    int64_t m_tDeadline = 0;
    CString m_strMemo;
    BOOL m_bNotify = FALSE;
    int m_nLeadMinutes = 0;
    int m_nNotified = 0;
    int m_nNoticeAction = NoticeStore;
    CString m_strNoticeSubject;
    CString m_strNoticeAccount;
    CString m_strNoticeTo;
    CString m_strNoticeBody;  // lines end CR LF in memory

    // Not stored: a number that finds the task again after the table lock
    // was let go, and the open store of the folder (owned by the application).
    unsigned m_nSerial = 0;
    CMailFolderStore* m_pFolder = nullptr;
};
