// CMailFolderStore: one open mail folder: its settings record, its in-memory
// index, and the files of its directory: "Index.lst", the append-only mail
// data file "MailData.Qmd" and the "Attach" tree with one sub-folder per mail.
#pragma once

#include "classlib/ClassLib.h"
#include "store/AttachNameSet.h"
#include "store/FolderRecord.h"
#include "store/MailListData.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CMailFileReader;
class CMailMessage;

// What a filter rule decided for a mail being filed (label, forced read).
struct StoreFilterResult
{
    BOOL bMarked = FALSE;
    BOOL bUseLabel = FALSE;
    int nLabel = 0;
    COLORREF crLabel = 0;
    BOOL bForceRead = FALSE;
};

class CMailFolderStore
{
public:
    CMailFolderStore();
    CMailFolderStore(const CMailFolderStore&) = delete;
    CMailFolderStore& operator=(const CMailFolderStore&) = delete;
    ~CMailFolderStore();

    // ---- Folder record and settings ----
    CFolderRecord& GetFolderRecord() { return m_record; }
    const CFolderRecord& GetFolderRecord() const { return m_record; }
    int GetFolderId() const { return m_record.m_nId; }
    int GetParentId() const { return m_record.m_nParentId; }
    int GetKind() const { return m_record.m_nKind; }
    const CString& GetFolderName() const { return m_record.m_strName; }
    const CString& GetFolderPath() const { return m_record.m_strPath; }
    // Names from the top ancestor down, joined with a backslash.
    CString GetFolderPathName() const;
    // Takes the whole record (a store being opened): path and settings.
    void SetFolderRecord(const CFolderRecord& record);
    // Takes new settings, keeping parent id, folder id and directory.
    void ApplyFolderRecord(const CFolderRecord& record);
    void SetFolderName(const char* pszName) { m_record.m_strName = pszName; }
    // Moves the store to another directory; false when it cannot be used.
    BOOL SetFolderPath(const char* pszPath);
    // "FolderData.Dat" in the folder's directory.
    BOOL WriteFolderSettings();
    // The nearest ancestor whose settings apply below it, or none.
    CMailFolderStore* GetSettingsParent() const;
    CString GetInheritedSound() const;
    BOOL GetInheritedHideTag() const;
    BOOL GetInheritedFlag1() const;  // not in optimise-all
    BOOL GetInheritedFlag2() const;  // not in duplicate deletion of all
    BOOL GetInheritedFlag3() const;  // strip the subject tag on reply
    CString GetInheritedText(int nColumn) const;  // columns 11 to 23
    CString GetInheritedText23() const { return GetInheritedText(23); }
    CString GetRuleSetName() const { return GetInheritedText(22); }
    BOOL IsInWritingFolder() const;

    // ---- Use and idle unloading ----
    void Touch();
    int64_t GetLastUseTime() const { return m_tLastUse; }
    void* m_hTreeItem = nullptr;
    int m_nCounter = 0;

    // ---- Index ----
    CString GetIndexPath() const { return m_strIndexPath; }
    CString GetDataPath() const { return m_strDataPath; }
    BOOL LoadIndex();
    CMailListData* GetMailList();
    CMailListData* GetMailListNoLoad() { return &m_mailList; }
    BOOL IsIndexLoaded();
    CMailIndexRecord* GetRecord(int nIndex) const { return m_mailList.GetMailRecord(nIndex); }
    int GetUnreadCount() const { return m_mailList.GetUnreadCount(); }
    int GetMailCount() const { return m_nMailCount; }
    void UnloadIndex();

    // ---- Filing and reading ----
    // Files a mail file into the folder: data entry, attachment folder, index
    // record. Returns 1 on success, 0 on failure.
    int AddNewMailData(const char* pszMailPath, const char* pszReceivedTime, BOOL bRead,
                       BOOL bUseDateForReceived = FALSE, HWND hWndList = nullptr, int* pnIndex = nullptr,
                       const StoreFilterResult* pFilter = nullptr, BOOL bStoreParts = TRUE, int nCodePage = -1,
                       int nForcedEncoding = -1);
    // The same for the bytes of a mail file held in memory, filed under the
    // name its file would have had (a received mail: no file is written and
    // read again). The text is taken over.
    int AddNewMailText(std::string& mail, const char* pszMailName, const char* pszReceivedTime, BOOL bRead,
                       BOOL bUseDateForReceived = FALSE, int* pnIndex = nullptr,
                       const StoreFilterResult* pFilter = nullptr);
    // Forces what the filings since the last call wrote onto the disk:
    // "MailData.Qmd", "Index.lst" and the files of their attachment folders,
    // each once. A receiver calls it once before it asks the server to
    // delete the mails it filed. False when a file could not be flushed.
    BOOL FlushFiledMails();
    // A receive pass files many mails in a row: between these calls the
    // store keeps "MailData.Qmd" and "Index.lst" open from one filing to the
    // next instead of opening and closing them for every mail. Readers still
    // open the files; anything that must have them to itself (optimising,
    // rebuilding, emptying, closing the folder) lets them go first, and the
    // next filing opens them again. Calls nest; each Begin needs its End.
    // The count messages of the run's unread mails are posted once, at its
    // end.
    void BeginFilingRun();
    void EndFilingRun();
    // Whether mail can be appended to the data file: true while a filing run
    // holds it open for writing, else tried with a write handle of its own.
    BOOL CanAppendData();
    // Whether the reader could not decode the last mail filed (it was kept
    // whole all the same); a receiver must then keep it on the server.
    BOOL LastFilingDecodeFailed() const { return m_bLastDecodeFailed; }
    // The name line and the header block of a stored mail.
    CString ReadMailHeader(int nOffset, int nLength);
    // Reads nLength bytes at nOffset into the buffer (nLength + 1 bytes) and
    // ends them with a NUL.
    BOOL ReadMailData(char* pBuffer, int nOffset, int nLength);
    // The stored entry of a mail as a string (convenience over ReadMailData).
    BOOL ReadMailText(const CMailIndexRecord* pRecord, CString& text);
    const CString& GetLastMessageId() const { return m_strLastMessageId; }
    // Whether a mail filed under this mail file name is in the folder.
    BOOL HasMailNamed(const char* pszMailName);

    // ---- Changing mails ----
    BOOL DeleteMail(int nIndex);
    BOOL RestoreMail(CMailIndexRecord* pRecord);
    BOOL SetMailFlag1(const char* pszMailFileName, BOOL bSet);
    BOOL SetMailFlag2(const char* pszMailFileName, BOOL bSet);
    BOOL SetMailFlag8(const char* pszMailFileName, BOOL bSet);
    int DeleteDuplicateMails();
    // Appends a copy of a mail of another folder (see
    // CMailIndexRecord::AddCopyToFolder). New index, -1 when the index is not
    // loaded, -2 on failure.
    int AddCopyOfMail(const CMailIndexRecord& source, const char* pszSourceFolderDir, const char* pszMailText,
                      int nTextLength, BOOL bCopyAttach, CMailIndexRecord* pCopiedState);

    // ---- Conditions ----
    // A filter condition on a mail: "Size <=" and "<= Size" compare its total
    // size with the number in the text; any other key tests the parsed
    // header. An empty key is true in And mode, false in Or mode.
    BOOL MatchCondition(const char* pszKey, const CMailMessage* pMessage, const CMailIndexRecord* pRecord,
                        const char* pszText, BOOL bOrMode, BOOL bNegate) const;
    // Whether the mail's sending account ("X-SendAcount") is the named one.
    BOOL MatchMailSendAccount(int nIndex, const char* pszAccountName);

    // ---- Attachments ----
    CString GetAttachFolder(const CMailIndexRecord* pRecord) const;
    BOOL GetAttachFileList(int nIndex, CStringArray& files);
    BOOL HasHtmlFile(int nIndex);
    BOOL DeleteAttachFolder(int nIndex);

    // ---- Counts ----
    // Posts 1351 and 1352 to the application thread (or to the thread set
    // here, when one is).
    void PostCountMessages();
    static void SetNotifyThreadId(DWORD dwThreadId);

    // ---- Whole folder ----
    BOOL EmptyFolder();
    // Optimises the data file and releases the folder's index and files
    // (the application's current folder keeps its list).
    BOOL Close();
    void Unload();
    // Writes a new data file and index holding only live mails.
    BOOL Optimize();
    // Rebuilds "Index.lst" from the data file.
    BOOL RebuildIndex();
    // Finishes or discards an interrupted optimisation; called when the
    // folder is opened. False (after saying so) when the swap could not be
    // finished: the folder's files must not be used then.
    BOOL RecoverInterruptedSwap();
    // Whether every record of the loaded index lies inside the data file; a
    // record that points past its end makes the index damaged.
    BOOL RecordsFitDataFile();
    // Whether the data file holds entries the index does not know (more
    // than one interrupted filing leaves, or ones that no record covers
    // amid the others) or entries set aside for the rebuild: the open then
    // offers the rebuild.
    BOOL HasUnindexedData() const { return m_bUnindexedData || HasSetAsideData(); }
    BOOL HasSetAsideData() const;
    // Whether the last load of the index took the folder's files as they
    // were known (the stamp of the last clean close, or this store's own
    // check and filings since), without reading the data file or the
    // attachment folders.
    BOOL LoadSkippedChecks() const { return m_bLoadSkippedChecks; }

    CCriticalSection& FileLock() { return m_fileLock; }
    CCriticalSection& IndexLock() { return m_indexLock; }

private:
    void UpdatePaths();
    // Closes the files a filing run holds open (the run goes on: its next
    // filing opens them again).
    void ReleaseHeldFiles();
    // Whether the files of a filing run are open as the last filing left
    // them, so that the checks before a filing can be skipped: nothing else
    // can have appended or swapped the files while they were held.
    bool HoldsFilesAsLeft();
    // Files a mail file (pText null) or the bytes of one (pszMailPath then
    // names the mail).
    int FileMail(const char* pszMailPath, std::string* pText, const char* pszReceivedTime, BOOL bRead,
                 BOOL bUseDateForReceived, int* pnIndex, const StoreFilterResult* pFilter, BOOL bStoreParts,
                 int nCodePage, int nForcedEncoding);
    BOOL FillRecord(CMailIndexRecord* pRecord, CMailFileReader* pReader, const char* pszReceivedTime,
                    BOOL bRead, BOOL bUseDateForReceived, const StoreFilterResult* pFilter,
                    BOOL bNewAttachFolder = FALSE);
    // Marks the files as not known to be in order after a filing or copy
    // that stopped half-way: no stamp until the folder is checked again.
    void NoteFailedWrite();
    // Whether a folder of this name may exist under "Attach", from the
    // names the store has seen and given, so that filing into a large folder
    // need not look each name up (a lookup that misses scans the whole
    // directory on some file systems).
    bool MayHaveAttachFolder(const CString& name);
    void NoteAttachFolder(const CString& name);
    void SetFromAccountFlag(CMailIndexRecord* pRecord);
    BOOL SetMailFlagBit(const char* pszMailFileName, int nBit, BOOL bSet);
    // Checks the end of the data file against "Index.lst" and cuts what an
    // interrupted filing left there: a torn entry, and the one whole entry
    // after the last one the index knows (with its attachment folder), so
    // that the next entry starts on a clean boundary and no rebuild brings
    // the unfinished filing back. More whole entries than that are mails the
    // index lost: they are never cut but noted as unindexed, and with
    // bSetAside moved to the set-aside file (false when that failed: the
    // folder must not be written then).
    // bFull checks the files even when the data file ends where this store
    // last left it, and whatever a stamp says.
    BOOL RepairDataTail(BOOL bSetAside, const std::string_view* pIndexBytes = nullptr, BOOL bFull = FALSE);
    // Whether a whole entry after the last one the index knows is what a
    // filing stopped before its record leaves, and may go: a mail not
    // received from a server, or one its account's received-id list noted
    // for this folder and never recorded as received (the server still has
    // it). A mail the list holds as received may be gone from the server.
    bool IsUnfinishedFiling(const CString& name, const std::string& header) const;
    // Moves the unindexed entries to the set-aside file, where the next
    // rebuild finds them; those amid the data file are copied (the
    // optimisation drops them there), once.
    BOOL SetAsideUnindexedData();
    // Appends whole entries to the set-aside file: the bytes [nFrom, nTo)
    // of the data file, leaving out entries the file holds already.
    void CopyEntriesAside(CFile& data, CFile& aside, ULONGLONG nFrom, ULONGLONG nTo, bool bSkipKnown);
    CString GetSetAsidePath() const;
    // Appends the set-aside entries to the data file again (for the rebuild).
    BOOL TakeBackSetAsideData();
    // Deletes the "QM" folders under "Attach" that no index text names.
    void RemoveUnnamedAttachFolders(const std::set<CString>& named);
    // The same for the names the lines of an index file give.
    void RemoveAttachFoldersNotIn(std::string_view indexBytes);
    std::vector<CString> ListAttachFolders() const;
    void RemoveAttachFolders(const std::vector<CString>& folders, const std::set<CString>& named);
    // Every text field of the lines of an index file, lower case; with pOnly,
    // only those of its names.
    static std::set<CString> NamesInIndex(std::string_view bytes, const std::set<CString>* pOnly = nullptr);
    // Makes an empty "Index.lst" for a folder that has no mail yet, so that
    // an entry filed without its record is known for what it is.
    void EnsureIndexFile();

    // The stamp of a clean close: the data file's size and time and the
    // index's size and checksum, written when the store knows the two files
    // agree (every entry covered by a record, nothing half written), and
    // withdrawn before a filing or copy writes anything. A folder whose
    // files still match it opens without the checks of the data file's end,
    // of each record against the data file and of the attachment folders.
    CString GetStampPath() const;
    // The stamp line for the files as they are; empty when the data file
    // cannot be looked at.
    std::string MakeStamp(std::string_view indexBytes) const;
    bool StampMatches(std::string_view indexBytes) const;
    // Takes the files as checked when the stamp matches them.
    bool AcceptStamp(std::string_view indexBytes);
    // Writes the stamp when the files agree (the index's bytes, when the
    // caller has them in hand).
    void WriteStamp(const std::string_view* pIndexBytes = nullptr);
    void WithdrawStamp();
    // Whether the lines of an index file end whole and their records cover
    // a data file of the size from its first byte to its last, each entry
    // once.
    static bool IndexCoversExactly(std::string_view bytes, ULONGLONG nDataSize);
    // The data file stretches that the lines of an index file cover, in the
    // order of their offsets; false when a line points nowhere.
    static bool IndexSpans(std::string_view bytes, std::vector<std::pair<ULONGLONG, ULONGLONG>>& spans);
    BOOL GetInheritedSwitch(BOOL CFolderRecord::*pSwitch) const;
    // Calls fn for each whole line of an index file's bytes with the record
    // of its binary head, where the line starts and where its CR LF stands.
    using IndexLineFn = std::function<void(const CMailIndexRecord& probe, size_t pos, size_t crlf)>;
    static void ForEachIndexLine(std::string_view bytes, const IndexLineFn& fn);

    CCriticalSection m_fileLock;
    CCriticalSection m_indexLock;
    CMailListData m_mailList;
    CString m_strIndexPath;
    CString m_strDataPath;
    CString m_strLastMessageId;
    CMailFileReader* m_pReader = nullptr;
    BOOL m_bSpecialSender = FALSE;
    BOOL m_bModified = FALSE;
    BOOL m_bLastDecodeFailed = FALSE;
    CFolderRecord m_record;
    int m_nMailCount = 0;
    int64_t m_tLastUse = 0;
    // Attachment folders of the mails filed since the last flush, and
    // whether anything was filed at all.
    std::vector<CString> m_unflushedAttach;
    BOOL m_bUnflushed = FALSE;
    // Folder names under "Attach", read once from the directory and then
    // kept as mails are filed and copied in.
    CAttachNameSet m_attachNames;
    bool m_bAttachNamesRead = false;
    // Length of the data file when it was last found in order (-1: unknown).
    LONGLONG m_nCheckedDataEnd = -1;
    // Whole entries after the last indexed one (at m_nIndexedEnd) that
    // more than an interrupted filing left.
    BOOL m_bUnindexedData = FALSE;
    ULONGLONG m_nIndexedEnd = 0;
    // Stretches of the data file amid the indexed entries that no record
    // covers; those that do not begin and end on entry boundaries cannot be
    // set aside, and the data file is then not optimised.
    std::vector<std::pair<ULONGLONG, ULONGLONG>> m_uncovered;
    bool m_bUnalignedGap = false;
    // Whether a stamp may be on the disk (-1: not known yet), and whether a
    // filing or copy failed after it may have written something, so that
    // no stamp claims the folder clean until it is checked again.
    int m_nStampOnDisk = -1;
    bool m_bStampBlocked = false;
    // The two files as the stamp on the disk found them (data size, index
    // size and time), so that a close with nothing changed since leaves it
    // as it is without reading the index again.
    ULONGLONG m_nStampDataSize = 0;
    ULONGLONG m_nStampIndexSize = 0;
    ULONGLONG m_nStampIndexTime = 0;
    // The current sizes and the index's time, when both files are there.
    bool GetFileStates(ULONGLONG& nDataSize, ULONGLONG& nIndexSize, ULONGLONG& nIndexTime) const;
    void NoteStampedFiles();
    // Whether the files are as this store last checked them, changed since
    // only by its own filings and copies, each of which ended whole.
    bool m_bFilesKnown = false;
    BOOL m_bLoadSkippedChecks = FALSE;
    // The data file a filing run holds open (write, shared for reading).
    int m_nFilingRuns = 0;
    BOOL m_bCountsPending = FALSE;  // count messages of the run's mails not posted yet
    CFile m_heldData;
};
