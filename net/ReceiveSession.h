// CReceiveSession: the base of the POP3 and IMAP4 receiving sessions. Holds
// the account's connection data, the socket, the state of the step machine,
// the result, the received-id lists and what the pass filed or left behind.
// A session lives on its session thread; other threads reach it only through
// thread messages (the abort flag is the one exception).
#pragma once

#include "classlib/ClassLib.h"
#include "net/ReceivedIdList.h"
#include "net/UndeliveredMail.h"

#include <string>
#include <vector>

class CMailSocket;
class CMailFolderStore;
class CReceiveProgressSink;
class CDlgRemoteMail;

// One entry of the list of mails to fetch chosen in the selective-receive window.
struct CReceiveSelection
{
    int nNumber = 0;
    BYTE bNoReceive = 0;
    BYTE bDelete = 0;
    // Leave the mail unread on the server (IMAP); POP3 has no such mark.
    BYTE bKeepUnread = 0;
    // The id the mail had when it was listed: a mail whose number now names
    // another mail is neither fetched nor deleted. Empty: not checked.
    CString strId;
};

class CReceiveSession
{
public:
    // Reply lines are read in pieces of kLineSize bytes; two more hold a
    // line end and the terminating zero.
    enum { kLineSize = 5120, kReplyBufferSize = 5140 };

    CReceiveSession();
    CReceiveSession(const CReceiveSession&) = delete;
    CReceiveSession& operator=(const CReceiveSession&) = delete;
    virtual ~CReceiveSession();

    virtual bool Run() = 0;
    // Runs steps one after another, as long as each asks for the next and
    // for at most nBudgetMs, then leaves the next step to the owner's
    // message loop (one step message instead of one per command, while the
    // loop still serves its other messages several times a second). The
    // result of the last Run.
    bool RunSteps(DWORD nBudgetMs = 50);
    // pSelection: the mails to fetch (null for an ordinary pass).
    virtual bool Start(CDlgRemoteMail* pDialog, std::vector<CReceiveSelection>* pSelection);
    virtual void Cancel();
    virtual bool Finish();
    virtual bool IsRunning();

    // ---- Set-up ----
    void SetInboxPath(const char* pszPath);
    void SetDownloadDataPath(const char* pszPath) { m_strDownloadDataPath = pszPath; }
    // Each received mail is also kept as it came, under its mail file name,
    // in this folder (none when empty), unless it has nLimitMb megabytes or
    // more (0 or less: no limit).
    void SetReceiveBackup(const char* pszFolder, int nLimitMb)
    {
        m_strBackupFolder = pszFolder;
        m_nBackupLimitMb = nLimitMb;
    }
    static bool IsBackupSize(size_t nBytes, int nLimitMb);
    void SetServer(const char* pszHost, int nPort) { m_strServer = pszHost; m_nPort = nPort; }
    void SetUser(const char* pszUser, const char* pszPassword) { m_strUser = pszUser; m_strPassword = pszPassword; }
    void SetMailAddress(const char* pszAddress) { m_strMailAddress = pszAddress; }
    void SetAccountName(const char* pszName) { m_strAccountName = pszName; }
    void SetAccountId(int nId) { m_nAccountId = nId; }
    // Folder that holds the received-id files (the mailbox folder).
    void SetIdListFolder(const char* pszFolder) { m_strIdListFolder = pszFolder; }
    void SetTls(bool bTls) { m_bTls = bTls; }
    void SetLeaveOnServer(bool bLeave) { m_bLeaveOnServer = bLeave; }
    void SetDeleteAfterDays(int nDays) { m_nDeleteAfterDays = nDays; }
    void SetDeleteMode(int nMode) { m_nDeleteMode = nMode; }
    // Kilobytes; -1 or 0 for no limit.
    void SetSizeLimit(int nKiloBytes) { m_nSizeLimit = nKiloBytes; }
    void SetFiltering(bool bAvailable, bool bDivideUpAtReceive)
    {
        m_bFilterAvailable = bAvailable;
        m_bDivideUpAtReceive = bDivideUpAtReceive;
    }
    // Only log in (POP before SMTP): no id files, no mail, no deletion.
    void SetLoginOnly(bool bLoginOnly) { m_bLoginOnly = bLoginOnly; }
    void SetTimeOut(int nTimeOut) { m_nTimeOut = nTimeOut; }
    void SetOwnerThreadId(DWORD dwThreadId) { m_dwOwnerThreadId = dwThreadId; }
    void SetMainThreadId(DWORD dwThreadId) { m_dwMainThreadId = dwThreadId; }
    void SetWatchdogThreadId(DWORD dwThreadId) { m_dwWatchdogThreadId = dwThreadId; }
    // The folder that receives the mail (the account's receive folder).
    void SetTargetStore(CMailFolderStore* pStore) { m_pTargetStore = pStore; }
    void SetKeepOnce() { m_bKeepOnce = TRUE; }
    // Where the pass reports its mail count and each mail's progress.
    void SetProgressSink(CReceiveProgressSink* pSink) { m_pProgress = pSink; }
    void SetDeleteOnce() { m_bDeleteOnce = TRUE; }

    // ---- Control and results ----
    void SetAbort(bool bAbort = true) { m_bAbort = bAbort ? 1 : 0; }
    bool IsAbort() const { return m_bAbort != 0; }
    // Signals the socket's event and marks the pass aborted.
    void Abort();
    int GetErrorResult() const { return m_nErrorResult; }
    void SetErrorResult(int nResult) { m_nErrorResult = nResult; }
    UINT GetErrorMessageId() const { return m_nErrorMessageId; }
    // Why a connection failed, when more is known than the message id says
    // (a refused server certificate).
    const CString& GetErrorText() const { return m_strErrorText; }
    int GetReceivedCount() const { return m_nReceivedCount; }
    int GetMessageCount() const { return m_nMessageCount; }
    int GetState() const { return m_nState; }
    // A mail could not be filed: the session still deletes on the server
    // what it filed before and then logs out, and reports its end (with the
    // filing error) itself. Its owner must not cut the connection meanwhile.
    bool IsEndingAfterError() const { return m_bEndingAfterError; }
    CMailSocket* GetSocket() const { return m_pSocket; }
    // Drops the mail being received (also the watchdog's last resort, once
    // the session thread is gone).
    void DiscardPartialMail();
    // Names of the folders that received mail in this pass, without duplicates.
    void CollectTargetFolderNames(CStringArray& names) const;
    const std::vector<CUndeliveredMail>& GetUndeliveredMails() const { return m_undelivered; }
    // Ids of the mails the pass has received and kept (list C).
    CReceivedIdList& GetReceivedIdList() { return m_listC; }
    CString GetIdListPath() const;
    // The value of a header field (folded lines joined), or empty.
    static CString GetHeaderField(const CString& header, const char* pszName);

protected:
    // Sends one command; false when it could not be sent.
    bool SendCommand(const char* pszText, int nLength, bool bShowProgress, const char* pszLogText = nullptr);
    // Files a received mail (the bytes its mail file would hold, named
    // strName) into the target folder; the text may be taken over. Returns
    // false when it could not be filed; bKeepOnServer is set when it was
    // filed but must not be deleted from the server (it could not be
    // decoded).
    virtual bool FileReceivedMail(std::string& mail, const CString& strName, bool& bKeepOnServer);
    // Receive filter decision for a header: 0 receive, 1 do not receive,
    // 2 do not receive and delete on the server.
    virtual int CheckReceiveFilter(const CString& strHeader);
    // A new name for a received mail (its attachment folder's name).
    CString NewMailName();
    // Notes a folder the pass filed into; from its next mail on it keeps
    // its files open for the rest of the pass.
    void AddTargetFolder(CMailFolderStore* pStore);
    // Lets the folders of the pass close their files (at the end of a pass).
    void EndFilingRuns();
    void LogReceiveError(DWORD dwError);
    void PostToOwner(UINT nMessage, WPARAM wParam, LPARAM lParam);
    // The server number of the next mail due for deletion after N days (a
    // record of list C whose stamp is old enough and whose id the server
    // listed in this pass), marked in list C; 0 when none is due.
    int FindExpiredMail();
    // Writes list C back (not for a login-only pass).
    void WriteIdListBack();
    // Tells the progress how many bytes of the mail have come.
    void ReportMailBytes();
    // Clears what the previous pass left: results, error, counts, position.
    void BeginPass(CDlgRemoteMail* pDialog, std::vector<CReceiveSelection>* pSelection);
    // Closes and deletes the socket, when there is one.
    void CloseSocket();
    // Empties lists B and C and detaches them from the id file.
    void ForgetIdLists();
    // Selective receiving, or only listing the server's mails for the window.
    bool IsSelectionMode() const { return m_pSelection != nullptr || m_pDialog != nullptr; }
    // The id of the server's mail with that number in this pass; empty when
    // it is not known.
    virtual CString ServerIdOf(int) { return CString(); }
    // Listing for the window, once the message count and the ids are known:
    // decides the number after which the listing starts. False when the
    // mailbox no longer matches what the window shows (fewer mails than it
    // knew of, or another mail where its last one was): the pass ends with
    // the mailbox-changed message.
    bool StartListing();
    // The number of the mail to list at the current index; 0 past the end.
    int ListingNumber() const;
    // Hands a listed mail's header to the window.
    void ListServerMail(const CString& strHeader, const CString& strId, int nNumber, int nSize);
    // A selection whose numbers no longer name the mails the user chose is
    // refused as a whole (nothing fetched, nothing deleted).
    bool SelectionMatchesServer();
    void ReportMailboxChanged();
    // Empties the id lists and, for an ordinary pass, reads list B from the
    // account's id file. Returns that file's path (empty without a folder).
    CString LoadIdLists();
    // Sets list C up for the pass: the id file itself for a selective pass,
    // else a copy of list B.
    void StartIdListPass(const CString& strIdPath);
    // The header line that names the receiving account in a received mail.
    CString AccountHeaderLine() const;
    // The receive filter's decision for the current mail's header (0 when
    // filtering at receive time is off).
    int ReceiveFilterDecision();
    // Notes the current mail (its header in m_strHeader) as not received.
    void RecordUndelivered(int nKind);
    // Starts the next mail: its name, and its text with the account header
    // line. The mail is held in memory until it is filed.
    void BeginMail();
    // Files the mail received since BeginMail (whose id is strId) into the
    // target folder; it is dropped afterwards in every case. False when it
    // could not be filed.
    bool FileMail(const CString& strId, bool& bKeepOnServer);
    void WriteReceiveBackup(const CString& strName);
    // Notes in the id file that the current mail (its id in m_strFilingId)
    // is about to be filed into the folder under the name: a stop before
    // its id is recorded can then be told from one before it was filed.
    void NoteFilingIntent(CMailFolderStore* pTarget, const CString& strName);
    // Records the id of the mail just filed in list C (and, in an ordinary
    // pass, in the id file once the mail is on the disk). True when the
    // mail is to be deleted from the server.
    bool RecordFiledMail(const CString& strId, bool bKeepOnServer);
    // Deleting from the server waits until the pass has received what it
    // will: what the store wrote for the mails is then forced onto the disk
    // once for all of them, before the first is deleted, so that a power
    // cut cannot take mail that the server no longer has.
    void QueueDelete(int nNumber, const CString& strId);
    // The next queued deletion; the folders that received mail are flushed
    // before the first. False when none is left, or when the flush failed
    // (then nothing is deleted and the mails stay on the server).
    bool NextQueuedDelete(int& nNumber, CString& strId);
    void ReportTransferError(int nErrorResult, UINT nMessageId);
    // Forces what the folders of the pass filed onto the disk; false when a
    // file could not be flushed.
    bool FlushTargetFolders();
    // Reports a mail that could not be filed (it stays on the server) and
    // marks the pass as ending: the caller moves on to the deletions queued
    // so far and the log-out.
    void EndAfterFilingError(int nErrorResult);
    // The system's text for an error code, without its line end.
    static CString SystemMessage(DWORD dwError);

    char* m_pReplyBuffer = nullptr;  // kReplyBufferSize bytes
    CString m_strMailName;  // of the mail being received; empty when none is
    CString m_strReply;
    CString m_strServer;
    CString m_strUser;
    CString m_strPassword;
    CString m_strMailAddress;
    CString m_strAccountName;
    CString m_strDownloadDataPath;
    CString m_strInboxPath;
    CString m_strBackupFolder;
    int m_nBackupLimitMb = 0;
    CString m_strIdListFolder;
    CString m_strLastId;
    CString m_strErrorText;
    int m_nPort = -1;
    int m_nState = 0;
    int m_nCurrentSize = 0;
    int m_nSizeLimit = -1;
    bool m_bFilterAvailable = false;
    bool m_bDivideUpAtReceive = true;
    bool m_bLeaveOnServer = false;
    BOOL m_bKeepOnce = FALSE;
    BOOL m_bDeleteOnce = FALSE;
    int m_nDeleteAfterDays = 0;
    int m_nDeleteMode = 0;
    bool m_bLoginOnly = false;
    CReceivedIdList m_listA;  // the server's ids in this pass, with this pass's numbers
    CReceivedIdList m_listB;  // ids received in earlier passes (read only)
    CReceivedIdList m_listC;  // working copy, written back
    CString m_strHeader;      // header of the current mail
    CString m_strFilingId;    // id of the mail being filed, empty when none
    std::string m_mailBuffer; // the mail being received, as its mail file would hold it
    CPtrArray m_targetFolders;
    std::vector<CMailFolderStore*> m_filingRuns;  // folders holding their files for this pass
    CStringArray m_targetFolderNames;
    std::vector<CUndeliveredMail> m_undelivered;
    std::vector<std::pair<int, CString>> m_queuedDeletes;  // server number, id
    size_t m_nNextQueuedDelete = 0;
    CDlgRemoteMail* m_pDialog = nullptr;
    int m_nListAfter = 0;  // the listing goes on after this message number
    std::vector<CReceiveSelection>* m_pSelection = nullptr;
    CMailSocket* m_pSocket = nullptr;
    CMailFolderStore* m_pTargetStore = nullptr;
    CReceiveProgressSink* m_pProgress = nullptr;
    int m_nMailBytes = 0;
    bool m_bTls = false;
    bool m_bRunning = false;
    BYTE m_bAbort = 0;
    bool m_bQuitting = false;
    bool m_bEndingAfterError = false;
    bool m_bInlineSteps = false;  // inside RunSteps: a step is noted, not posted
    bool m_bStepDue = false;
    int m_nErrorResult = 0;
    UINT m_nErrorMessageId = 0;
    int m_nTimeOut = 10;
    DWORD m_dwOwnerThreadId = 0;
    DWORD m_dwMainThreadId = 0;
    DWORD m_dwWatchdogThreadId = 0;
    int m_nAccountId = 0;
    int m_nIndex = 0;
    int m_nCurrentNumber = 0;
    int m_nMessageCount = 0;
    int m_nReceivedCount = 0;
    int m_nFileCounter = 0;
};
