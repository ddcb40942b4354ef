// CQuendalApp: the one application object of CVMail. Its members are
// implemented across several files of core/ by topic (QuendalApp*.cpp):
// start-up and shut-down, thread-message dispatch, mailbox paths and logs,
// the folder registry, ...
#pragma once

#include "core/MailApp.h"

class CAccountDataSet;
class CMailFolderStore;
class CFolderRecord;
class CFolderData;

class CQuendalApp : public CMailApp
{
public:
    CQuendalApp();
    ~CQuendalApp() override;

    // ---- Mailbox layout, paths and logs (QuendalAppPaths.cpp) ----
    // Works out the mailbox path and name from the overrides or the settings.
    void ReadMailBoxPath();
    CString GetMailBoxFolder();
    CString GetKeywordListPath();
    CString GetTaskListPath();
    CString GetFilterRulePath(BOOL bSend);
    CString GetNotifyPath();
    CString GetShortCutTemplatePath();
    CString GetAutoSignPath();
    CString GetKeyFilePath(int nWindowKind);  // 0 main window, 1 viewer, 2 editor
    CString GetAccountFilePath();
    CString GetRouteFilePath();
    CString GetFolderDataPath();
    CString GetTemplateBoxPath();
    CString GetTemplateFilePath(const char* pszFileName);
    CString GetProfileBoxPath();
    CString GetAddressBoxPath();
    CString GetSignatureBoxPath();
    CString GetDivideupBoxPath();
    CString GetFoldersPath();
    CString GetLogFilePath();
    CString GetDownloadLogPath();
    CString GetReceiveLogPath();
    CString GetHelpFilePath();
    BOOL DeleteDownloadLog();
    BOOL AppendDownloadLog(const char* pszText);
    // Work folders of the special folders (QuendalAppWorkPaths.cpp): under
    // "Setting"/TempFolderPath when it is set, else the default folder's own
    // directory from the folder registry (GetDefaultFolderPath).
    CString GetInboxWorkPath();      // "In.Box", kind 1
    CString GetOutboxWorkPath();     // "Out.Box", kind 2
    CString GetDraftsWorkPath();     // "Writing.Box", kind 3
    CString GetSentWorkPath();       // "Send.Box", kind 5 (mails waiting to be sent)
    CString GetSendTempPath();       // the sent folder's directory + "\Temp"
    CString GetDownloadDataPath();
    // Directory of the remembered default folder of a kind (1-5), or "" (folder registry).
    CString GetDefaultFolderPath(int nKind);
    void UpdateUnreadMailRegistry();
    // The entries to publish: mode 1 one total named "Corvane Mail" over the
    // receiving folders, mode 2 one per receiving folder with unread mail
    // (folder registry).
    void CollectUnreadCounts(int nMode, CStringArray& names, CDWordArray& counts);

    // Overrides from the command line (switches M, D, A, J).
    CString m_strMailBoxPathOverride;
    CString m_strMailBoxNameOverride;
    CString m_strAddressBoxOverride;
    CString m_strAccountFileOverride;
    CString m_strRouteFileOverride;
    int m_nSendTempFolderId = -1;

    // ---- Accounts ----
    CAccountDataSet* m_pAccountDataSet = nullptr;

    // ---- Folder registry and mailbox creation (QuendalAppFolders.cpp; store) ----
    // Every folder store of the mailbox, owned, in folder-tree order (each
    // folder followed by all of its descendants).
    BOOL LoadFolderList(CFolderData& data);
    // Reads "Folder.dat" (falling back to "Folder.$$$" or "Folder.bak" when it
    // is missing) and opens one store per folder in tree order.
    BOOL OpenFolderList();
    CMailFolderStore* FindFolder(int nFolderId, int* pnPos = nullptr);
    int GetFolderCount() const { return m_folderStores.GetSize(); }
    CMailFolderStore* GetFolderAt(int nPos) const;
    int GetNewFolderId();
    BOOL IsFolderPathUsed(int nFolderId, const char* pszPath);
    BOOL IsFolderPathHoldingOther(CMailFolderStore* pStore);
    int GetPrevSiblingFolderId(int nFolderId);
    CMailFolderStore* AddFolder(int nAfterId, int nParentId, void* hTreeItem, const CFolderRecord& record);
    BOOL MoveFolder(int nFolderId, int nTargetId, int nAnchorId);
    void CollectSubFolders(int nFolderId, CPtrArray& list);
    void CollectMailFolders(CPtrArray& list);
    void RefreshSubjectTagFlag(int nFolderId);
    BOOL RemoveFolder(int nFolderId);
    void CloseAllFolders();
    void SetCurrentFolder(int nFolderId);
    int GetCurrentFolderId() const { return m_nCurrentFolderId; }
    CMailFolderStore* GetCurrentFolder() const { return m_pCurrentFolder; }
    int GetCurrentFolderPos();
    CString GetCurrentFolderPath();
    // The remembered default folder of a kind (1 inbox .. 5 waiting to be
    // sent, 6 the group folder), or none.
    CMailFolderStore* GetDefaultFolder(int nKind);
    int GetDefaultFolderId(int nKind) const;
    BOOL SaveFolderList();
    // 1 when the program may go on, else the mailbox dialog's result.
    int PrepareMailBox(BOOL bForce);
    BOOL CreateDefaultMailBox();
    BOOL CreateDefaultAddressBook();

    CPtrArray m_folderStores;  // owned CMailFolderStore*
    int m_nInboxId = 0, m_nSentId = 0, m_nWritingId = 0, m_nTrashId = 0, m_nSendId = 0, m_nGroupId = 0;
    int m_nCurrentFolderId = 0;
    CMailFolderStore* m_pCurrentFolder = nullptr;
    CCriticalSection m_folderListLock;
    BOOL m_bMailBoxPathRead = FALSE;
    // ---- end of folder registry ----

    // The time-zone bias in seconds, worked out once at start-up.
    long m_lTimeZoneBias = 0;
};

// The application object (null before it is constructed).
CQuendalApp* QuendalApp();

// Shell unread-mail publishing goes through this function so that tests can
// replace it (Wine's SHSetUnreadMailCountW is a stub).
typedef HRESULT (*UnreadMailPublisher)(const wchar_t* pszAddress, DWORD dwCount, const wchar_t* pszCommand);
UnreadMailPublisher SetUnreadMailPublisher(UnreadMailPublisher publisher);
