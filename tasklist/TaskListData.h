// CTaskListData: the task table "TaskList.dat" of the mailbox (19 columns,
// no header or footer line). The application thread's window and the
// reminder thread share it: whoever reads or changes records holds Lock().
#pragma once

#include "classlib/ClassLib.h"
#include "core/QDDataStrgSet.h"
#include "tasklist/TaskListRecord.h"

#include <cstdint>

class CMailFolderStore;
class CMailIndexRecord;

class CTaskListData : public CQDDataStrgSet
{
public:
    CTaskListData() { m_nColumnCount = CTaskListRecord::ColumnCount; }

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    CTaskListRecord* GetTask(int nIndex) const { return static_cast<CTaskListRecord*>(GetRecord(nIndex)); }
    CTaskListRecord* FindBySerial(unsigned nSerial) const;

    // The display name of the task's folder (the store is looked up once and
    // kept in the record); empty for a free task or an unknown folder.
    CString GetFolderName(CTaskListRecord* pRecord);
    // Shows the task input dialog for the task; on OK stores the values back.
    // The caller writes the table. False on Cancel or a vanished task.
    BOOL EditTask(int nIndex, CWnd* pParent);
    void MarkTaskOfMailDeleted(CMailFolderStore* pStore, CMailIndexRecord* pMail);
    // The task of the old mail now names the new one; false when no task
    // was linked to the old mail.
    bool RelinkMail(CMailFolderStore* pOldStore, CMailIndexRecord* pOldMail, CMailFolderStore* pNewStore,
                    CMailIndexRecord* pNewMail);
    // Sets the notified mark of the task of that serial (when it still
    // exists) and writes the table.
    BOOL MarkNotified(unsigned nSerial);

    CCriticalSection& Lock() { return m_lock; }

    // Times are written as 64-bit decimals; see the reader for old files.
    static CString FormatTime(int64_t t);
    static int64_t ParseTime(const char* pszField);
    // Column 18 keeps its line breaks as the byte 0x1E.
    static CString EncodeBody(const char* pszText);
    static CString DecodeBody(const char* pszField);

private:
    CCriticalSection m_lock;
    unsigned m_nNextSerial = 1;
};
