// CMailListData: one folder's "Index.lst" in memory: every record in file
// order, the display array the mail list shows (flat or as reply threads),
// the counts, and the in-place updates of single records.
#pragma once

#include "classlib/ClassLib.h"
#include "core/QDDataStrgSet.h"
#include "store/IndexFileBytes.h"
#include "store/MailIndexRecord.h"

#include <memory>
#include <string>
#include <vector>

class CMailFolderStore;

class CMailListData : public CQDDataStrgSet
{
public:
    explicit CMailListData(CMailFolderStore* pOwner = nullptr);
    ~CMailListData() override;

    // Record-file slots.
    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    // Reads "Index.lst" (binary records; deleted ones are skipped). A missing
    // file is an empty, successful load; a live record whose position, offset
    // and length are all 0 fails it. A torn last record is left out.
    BOOL ReadFromFile(BOOL bClear = TRUE);
    // The same from the bytes of the index file, already read; the records
    // keep them for their texts.
    BOOL ReadFromBytes(std::shared_ptr<CIndexFileBytes> data);
    // Lets go of the file: its handle, and the view of it that the records'
    // texts may still be read from (their bytes are copied first).
    void CloseFile() override;
    // Rewrites the whole index (through a temporary file replaced at once).
    BOOL SaveIndex();
    // Appends a record to "Index.lst" (cutting a torn tail first) and, when
    // the list is loaded, to the records and the display. False on failure
    // (the record is then still the caller's). With bTakeOwnership the list
    // owns the record afterwards when it is loaded.
    BOOL AppendRecord(CMailIndexRecord* pRecord);
    // While held, appends go through the list's own open file, which stays
    // open from one append to the next (shared with every reader and
    // writer); releasing closes it.
    void HoldFileOpen(BOOL bHold);
    BOOL IsFileHeld() const { return m_bHoldFile && IsOpenOnOwnFile(); }
    // Add a new record: created, written and shown.
    CMailIndexRecord* AddNewRecord();

    CMailFolderStore* GetOwner() const { return m_pOwner; }
    CMailIndexRecord* GetMailRecord(int nIndex) const { return static_cast<CMailIndexRecord*>(GetRecord(nIndex)); }
    int GetAllRecordCount() const { return m_records.GetSize(); }
    int GetMailCount() const { return m_nLiveCount; }
    int GetUnreadCount() const { return m_nUnreadCount; }
    void SetUnreadCount(int n) { m_nUnreadCount = n < 0 ? 0 : n; }
    int GetChangedCount() const { return m_nChangedCount; }
    void SetChangedCount(int n) { m_nChangedCount = n; }
    int GetDeletedOnLoadCount() const { return m_nDeletedOnLoad; }
    // The format of the date columns. The mail list sets it from the user's
    // choice, on every loaded index and as the one an index takes when
    // made; viewers on other threads read it meanwhile.
    CString GetDateFormat() const;
    void SetDateFormat(const char* pszFormat);
    static void SetDefaultDateFormat(const char* pszFormat);
    CCriticalSection& RecordLock() { return m_recordLock; }
    CCriticalSection& ViewLock() { return m_viewLock; }

    // In-place updates: each writes only its own run of the record.
    BOOL SetOpen(CMailIndexRecord* pRecord);
    BOOL SetUnOpen(CMailIndexRecord* pRecord);
    BOOL SetDeleted(CMailIndexRecord* pRecord, BOOL bDelete);
    BOOL SetAttachInfo(CMailIndexRecord* pRecord, BOOL bAttach, int nTotalSize);
    BOOL SetColorLabel(CMailIndexRecord* pRecord, int nLabel, COLORREF crColor);
    BOOL SetBookmark(CMailIndexRecord* pRecord, int nBookmark, BOOL bWrite);
    BOOL SetMailFlags(CMailIndexRecord* pRecord, int nFlags, BOOL bWrite);
    // Rewrites the whole record at its position (its text must not grow).
    BOOL GetRecordCopy(int nIndex, CMailIndexRecord& copy);
    void SetAllOpen(BOOL bOpen);
    // First 19 characters of column 4 or 5 replaced; the record is rewritten.
    BOOL SetSendDateText(CMailIndexRecord* pRecord, const char* pszText);
    BOOL SetReceiveDateText(CMailIndexRecord* pRecord, const char* pszText);
    void ResetDateCache();

    // Display rows.
    void AddRecordToView(CMailIndexRecord* pRecord);
    // A restored record's row again, when the display dropped it; the next
    // sort places it.
    void ShowRecordAgain(CMailIndexRecord* pRecord);
    int GetViewCount() const { return static_cast<int>(m_view.size()); }
    int GetLastViewPos() const { return GetViewCount() - 1; }
    CMailIndexRecord* GetViewRecord(int nPos) const;
    int GetViewIndex(int nPos) const;
    int FindViewPos(int nIndex) const;
    int GetViewLevel(int nPos) const;
    void ClearView();
    // Rebuilds the display from every live record in file order.
    void ResetView();

    void RemoveDeletedRecords();
    // nColumn 0-13; bAscending; bSubjectMode (column 9 uses the sort subject);
    // nFromMode for column 13.
    void Sort(int nColumn, BOOL bAscending, BOOL bSubjectMode, int nFromMode, BOOL bForce = FALSE);
    BOOL IsViewOrderValid() const { return m_nCachedCount >= 0; }

    // Reply threads.
    void SetThreadMode(BOOL bThread) { m_bThreadMode = bThread; }
    BOOL IsThreadMode() const { return m_bThreadMode; }
    BOOL AreThreadsBuilt() const { return m_bThreadsBuilt; }
    BOOL LinkThread(CMailIndexRecord* pRecord);
    void UnlinkThread(CMailIndexRecord* pRecord);
    void ExpandThread(int nPos);
    void CollapseThread(int nPos);
    // Every thread root of the view opened or closed (thread display only).
    void SetAllThreadsCollapsed(BOOL bCollapse);
    void BuildThreadView(BOOL bCollapsed);

    // Where an in-place update writes; tests and tools use it.
    CString GetIndexPath() const { return m_strFilePath; }

private:
    BOOL WriteRun(CMailIndexRecord* pRecord, int nOffset, int nSize);
    void WriteRunIgnoringErrors(CMailIndexRecord* pRecord, int nOffset, int nSize);
    BOOL RewriteRecord(CMailIndexRecord* pRecord);
    void NotifyCounts();
    void LinkAllThreads(std::vector<CMailIndexRecord*>& records);
    void PlaceThreads(const std::vector<CMailIndexRecord*>& roots, bool bUseCollapsed, bool bForceCollapsed,
                      BOOL bCollapsedValue);
    void AppendSubtree(CMailIndexRecord* pRoot, int nBaseLevel, std::vector<CMailIndexRecord*>& rows,
                       std::vector<int>& levels);
    bool IsAncestorOrSelf(CMailIndexRecord* pCandidate, CMailIndexRecord* pRecord) const;
    // Caller holds the view lock.
    void DropSubtreeRows(int nPos, int nBaseLevel);
    // Length of the leading run of sound records of the index file.
    LONGLONG ScanGoodLength(const std::string& data) const;
    BOOL CutTornTail(CFile& file);
    // Moves the bytes the records' texts are read from out of the file.
    void KeepSourceInMemory();

    CCriticalSection m_recordLock;
    CCriticalSection m_viewLock;
    // Guards the date format alone.
    mutable CCriticalSection m_formatLock;
    CMailFolderStore* m_pOwner;
    int m_nLiveCount = 0;
    int m_nUnreadCount = 0;
    int m_nChangedCount = 0;
    int m_nDeletedOnLoad = 0;
    CString m_strDateFormat = "%Y/%m/%d %H:%M:%S";
    std::vector<CMailIndexRecord*> m_view;
    std::vector<int> m_levels;
    int m_nCachedColumn = -1;
    int m_nCachedAscending = -1;
    int m_nCachedCount = -1;
    int m_nCachedSubjectMode = 0;
    int m_nCachedFromMode = 0;
    BOOL m_bThreadMode = FALSE;
    BOOL m_bThreadsBuilt = FALSE;
    // Length of "Index.lst" known to end on a whole record (-1 unknown).
    LONGLONG m_nGoodLength = -1;
    BOOL m_bHoldFile = FALSE;
    // The bytes of the last load, while records still use them.
    std::weak_ptr<CIndexFileBytes> m_source;
};
