// CQuendalApp: the one application object of CVMail. Its members are
// implemented across several files of core/ by topic (QuendalApp*.cpp):
// start-up and shut-down, thread-message dispatch, mailbox paths and logs,
// the folder registry, ...
#pragma once

#include "core/MailApp.h"
#include "core/MailHistory.h"
#include "plugin/PlugInInterface.h"

#include <cstdint>
#include <vector>

class CAccountDataSet;
class CMainFrame;
class CDlgInputPassword;
class CFolderData;
class CFolderRecord;
class CAutoSignData;
class CMailFolderStore;
class CDivideupDataSet;
class CReceiveNotifyDataSet;
class CReceiveLogDataSet;
class CRouteSetData;
class CFilterGroupPatterns;
class CShortCutTemplateData;
class CMailIndexRecord;
class CMailMessage;
class CDlgAddressNote;
class CKeyAssignDataSet;
struct CAddressRecipientTargets;
class CTaskListData;
class CDlgTaskList;

class CQuendalApp : public CMailApp
{
public:
    CQuendalApp();
    ~CQuendalApp() override;

    // ---- Opening files and links with the shell (QuendalAppShell.cpp) ----
    // Opens the file or URL with the verb on a worker thread (files of Word
    // at once); callable from any thread. Always TRUE: the shell's own
    // failures are its to show.
    BOOL ShellOpenFile(const char* pszVerb, const char* pszFile, const char* pszParameters);

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
    // The help file in the shell's viewer; nothing without the file.
    void OpenHelp();
    BOOL DeleteDownloadLog();
    BOOL AppendDownloadLog(const char* pszText);
    // Work folders of the special folders (QuendalAppWorkPaths.cpp): under
    // "Paths"/TempFolderPath when it is set, else the default folder's own
    // directory from the folder registry (GetDefaultFolderPath).
    CString GetInboxWorkPath();      // "In.Box", kind 1
    CString GetOutboxWorkPath();     // "Out.Box", kind 2
    CString GetDraftsWorkPath();     // "Writing.Box", kind 3
    CString GetSentWorkPath();       // "Send.Box", kind 5 (mails waiting to be sent)
    CString GetSendTempPath();       // the sent folder's directory + "\Temp"
    CString GetDownloadDataPath();
    // The folder that keeps a copy of each received mail
    // (QuendalAppReceiveBackup.cpp): "Setting"/ReceiveMailBackupPath, else
    // "Backup" in the mailbox folder; empty when backups are switched off.
    CString GetReceiveMailBackupPath();
    void DeleteOldReceiveMailBackup();
    // The backed-up copy of the mail file in the re-reading dialog.
    void OpenReceiveMailBackup(const char* pszMailFileName, CWnd* pParent);
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
    // A profile switch changes these three while other threads (the
    // address-book thread first) read the paths: both sides hold the lock.
    void SetProfilePaths(const char* pszAccountFile, const char* pszRouteFile, const char* pszAddressFolder);
    CCriticalSection m_pathLock;
    // ---- Hidden folders (plugin/QuendalAppTempFolders.cpp) ----
    // Opens a folder of kind 7 over the directory (made when missing), never
    // written to the folder list; its id, or 0 when the directory belongs to
    // a folder of the list or cannot be made.
    int CreateTempFolder(const char* pszName, const char* pszDir);
    // The hidden folder "SendTempFolder" over the send temp path, made on
    // first use; its id, or 0.
    int GetSendTempFolder();
    // Files a copy of the source folder's mail into the target folder with
    // the header "X-SendAcount" naming the account in front; the text filter
    // may change or refuse the text, the flag filter decides whether the
    // mail's attachment folder goes with it. False when a folder or the
    // mail is unknown, the filter refused or the filing failed.
    BOOL StoreMailWithAccount(int nIndex, int nTargetId, const char* pszAccount, CMailFolderStore* pSource,
                              QdCopyTextFilter pfnText, QdCopyFlagFilter pfnFlag, QdCopyDone pfnDone, LPARAM lUser);

    // ---- Accounts ----
    CAccountDataSet* m_pAccountDataSet = nullptr;

    // ---- Profiles (settings) ----
    // The profile in use (empty: none) and the folders it shows. (The
    // program's own settings key is the base class's m_strProfileName.)
    CString m_strCurrentProfile;
    CDWordArray m_profileFolderIds;
    CString GetProfileName() const { return m_strCurrentProfile; }
    // Makes the named profile of "Profile.Box" the one in use (empty: none)
    // and has the folder tree show its folders.
    void SetProfileName(const char* pszName);
    // A new folder joins the profile in use (nothing without one), or every
    // profile that lists one of the reference folders (every profile when
    // there are none).
    void AddIdToProfile(int nFolderId);
    void AddIdToAllProfiles(const std::vector<int>* pRefIds, int nFolderId);

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

    // ---- Filter rules, notification rules, receive log, route (transfer/QuendalAppRules.cpp) ----
    // Reads the receive set "Divideup.dat" (adding and writing the default
    // junk rule when it holds none), the send set "DivideupS.dat" and every
    // file of "Divideup.Box" as a named set.
    BOOL LoadFilterRules();
    // The sets, loaded first when they are not.
    CDivideupDataSet* GetReceiveRuleSet();
    CDivideupDataSet* GetSendRuleSet();
    // The named set of that name (any case), or none.
    CDivideupDataSet* FindRuleSet(const char* pszName);
    int GetNamedRuleSetCount() const { return m_namedRuleSets.GetSize(); }
    CDivideupDataSet* GetNamedRuleSet(int nIndex) const;
    // A new named set for the file of that name in "Divideup.Box" (read
    // when it exists); none when the name cannot be a file name or is taken.
    CDivideupDataSet* AddNamedRuleSet(const char* pszName);
    // Renames a named set's file; false when the new name is refused.
    BOOL RenameNamedRuleSet(const char* pszOldName, const char* pszNewName);
    BOOL DeleteNamedRuleSet(const char* pszName);
    // Points the rules of both sets that target a removed folder at the
    // inbox and writes the sets that changed.
    void RetargetFilterRules(int nRemovedFolderId, int nInboxId);
    // The receive-notification rules "Notify.dat".
    BOOL LoadNotifyRules();
    CReceiveNotifyDataSet* GetNotifyRules();
    // One entry of the receive log "$$Receive.Log", newest first, kept at
    // "Setting"/CVMReceiveLogCount entries.
    void AddReceiveLog(const char* pszAccount, const char* pszResult, int nCount);
    CReceiveLogDataSet* GetReceiveLog();
    // The route settings "RouteSet.dat" (loaded first when they are not).
    CRouteSetData* GetRouteSet();
    int GetRouteInterval();
    void SyncRouteAccounts();
    BOOL RenameRouteAccount(const char* pszOldName, const char* pszNewName);
    // Takes an account into the route and writes the table.
    void AddRouteAccount(const char* pszAccountName);
    // The download log is deleted only after its reports were shown: the
    // viewer marks the log as shown, and a later append makes it unshown.
    void MarkDownloadLogShown();
    BOOL DeleteShownDownloadLog();
    void FreeRuleTables();

    CDivideupDataSet* m_pReceiveRules = nullptr;
    CDivideupDataSet* m_pSendRules = nullptr;
    CPtrArray m_namedRuleSets;  // owned CDivideupDataSet*, sorted by name
    CFilterGroupPatterns* m_pGroupPatterns = nullptr;
    CReceiveNotifyDataSet* m_pNotifyRules = nullptr;
    CReceiveLogDataSet* m_pReceiveLog = nullptr;
    CRouteSetData* m_pRouteSet = nullptr;
    CCriticalSection m_ruleTableLock;
    CCriticalSection m_receiveLogLock;
    int64_t m_nShownDownloadLogSize = -1;
    FILETIME m_shownDownloadLogTime = {};
    // ---- end of filter rules ----

    // ---- Requests to write a mail (QuendalAppMailEditor.cpp; import) ----
    // Opens an editor for a request: the mode (4 carries lExtra), the mail it
    // refers to (none and -1 for a new mail), the address text (a mailto text
    // or a list of files, unless bNoParse), the second address text, the
    // editor's own text, body, subject, two values passed through, the editor
    // flag. Only bTrusted callers (the command line, a second start's
    // hand-over, the Simple MAPI library) may attach local files. True when
    // an editor was started or brought to the front.
    BOOL OpenMailEditor(int nMode, CMailFolderStore* pStore, int nIndex, LPARAM lExtra, const char* pszAddress,
                        const char* pszSecond, const char* pszOwnText, const char* pszBody, const char* pszSubject,
                        int nValue1, int nValue2, BOOL bNoParse, int nEditorFlag, BOOL bTrusted = FALSE);
    // ---- end of requests to write a mail ----

    // ---- Deleted-mail history (QuendalAppDeleteHistory.cpp) ----
    // Deleted mails that can be restored, oldest first: the folder and index
    // of the deleted mail and, when the deletion left a copy in the trash,
    // the trash folder and the copy's index there. The mail's file name
    // finds the mail and its copy again when an optimised folder moved them.
    struct DeletedMail
    {
        int nFolderId;
        int nIndex;
        int nTrashFolderId = 0;  // 0: no copy in the trash
        int nTrashIndex = -1;
        CString strMailName;     // empty: the positions alone count
    };
    typedef CArray<DeletedMail, const DeletedMail&> DeleteHistory;
    // Enters a mail just deleted from its folder (from any thread); pTrash
    // and nTrashIndex name the copy the deletion left in the trash, if any.
    // A mail deleted in the trash is not entered. Beyond
    // "Setting"/DeleteMailHistoryCount the oldest entries go, but not while
    // the history's rows are shown by their positions (HoldDeleteHistory).
    void AddDeletedMailHistory(CMailFolderStore* pStore, int nIndex, CMailFolderStore* pTrash, int nTrashIndex);
    // A copy of the history, for showing it.
    DeleteHistory GetDeleteHistory();
    void HoldDeleteHistory(BOOL bHold);
    // The deleted mail of an entry and its folder; null when it is gone.
    CMailIndexRecord* FindDeletedMail(const DeletedMail& entry, CMailFolderStore** ppStore);
    // Restores the mail of history entry nPos (-1 the newest) into its folder,
    // deletes the copy the deletion left in the trash and drops the entry
    // (thread message 1430).
    BOOL RestoreDeletedMail(int nPos);
    DeleteHistory m_deleteHistory;
    CCriticalSection m_deleteHistoryLock;
    int m_nDeleteHistoryHolds = 0;
    // Drops the oldest entries beyond the count (holding the lock).
    void TrimDeleteHistory();
    // ---- end of the deleted-mail history ----

    // ---- Header templates and macros (editor/QuendalAppHeaderTemplates.cpp) ----
    // The four header templates of "Headers.Box"; the folder is created when
    // missing. Load gives the built-in text when the file cannot be opened.
    CString GetRetHeaderFilePath();
    CString GetFwHeaderFilePath();
    CString GetReadNotifyFilePath();
    CString GetReadNotifyMdnFilePath();
    CString LoadRetHeader();
    CString LoadFwHeader();
    CString LoadReadNotify();
    CString LoadReadNotifyMdn();
    BOOL SaveRetHeader(const char* pszText);
    BOOL SaveFwHeader(const char* pszText);
    BOOL SaveReadNotify(const char* pszText);
    BOOL SaveReadNotifyMdn(const char* pszText);
    // Expands the macros of a template for one mail (record and parsed header
    // may be null). Every macro of the template is expanded once; what a
    // macro inserts is never expanded again.
    CString ReplaceTemplateMacros(const char* pszTemplate, const CMailIndexRecord* pRecord, const char* pszBody,
                                  const char* pszRefBody, int nMailKind, const CMailMessage* pMessage);
    // "prefix" format "$%" markers formatted with the time (removed without one).
    void ReplaceFormattedDateMacro(CString& text, const char* pszPrefix, const int64_t* pTime);
    // "%$NAME$%" markers: the value of the header of that upper-case name, else removed.
    void ReplaceHeaderMarkers(CString& text, const CMailMessage* pMessage);
    // The display form of every entry of an address list, joined with ",";
    // unchanged while received addresses are kept as they are.
    CString FormatAddressList(const char* pszList);
    // The address of the account a mail was received with, when the text
    // names an account; else the text.
    CString GetReceiveAddress(const char* pszAccountText);
    // Tables of the mail editor, owned by the application and read on first
    // use (editor/QuendalAppEditorTables.cpp): "AutoSign.dat" and
    // "ShortCutTemplate.dat" of the mailbox.
    void LoadAutoSignRules();
    CAutoSignData* GetAutoSignData();
    CShortCutTemplateData* GetShortCutTemplateData();
    CAutoSignData* m_pAutoSignData = nullptr;
    CShortCutTemplateData* m_pShortCutTemplateData = nullptr;
    // ---- end of header templates ----
    // ---- The address book window (addressbook/QuendalAppAddressBook.cpp) ----
    // Kinds 1-4: the modeless window of the caller (opened, or the caller's
    // open one brought to the front) with the caller's recipient targets
    // and the rectangle it keeps; given texts open its add-address dialog
    // filled with them. Kind 5: the plain modal dialog (returns null).
    CDlgAddressNote* OpenAddressBook(CWnd* pParent, int nKind, const CAddressRecipientTargets* pTargets = nullptr,
                                     RECT* pKeepRect = nullptr, const char* pszName = nullptr,
                                     const char* pszAddress = nullptr, const char* pszMemo = nullptr);
    // Appends a sender to the junk-mail group's address file (an empty
    // address is ignored) and tells the address-book thread; false when the
    // group or its file cannot be reached.
    BOOL AddJunkMailAddress(const char* pszAddress, const char* pszName, const char* pszMemo);

    // ---- The task list (tasklist/QuendalAppTaskList.cpp) ----
    // The task table "TaskList.dat", read on first use; shared with the
    // task-list thread under the table's own lock.
    CTaskListData* GetTaskListData();
    // Lets the task list follow mails that are deleted or moved.
    void InstallTaskListMailHooks();
    // Creates the task list window on first use, else brings it to the top.
    void ShowTaskList();
    struct TaskListColor
    {
        int nHours;
        COLORREF color;
        int nImage;
    };
    // The urgency colours by hours left, sorted by time.
    void LoadTaskListColors();
    // The first step whose time exceeds the hours left, or none.
    const TaskListColor* FindTaskListColor(int64_t nHoursLeft);
    // Closes the task list window (keeping its placement); at shut-down.
    void CloseTaskList();
    void FreeTaskList();
    CTaskListData* m_pTaskListData = nullptr;
    CDlgTaskList* m_pTaskListDlg = nullptr;
    CArray<TaskListColor, const TaskListColor&> m_taskListColors;
    CCriticalSection m_taskListLock;
    // ---- end of the task list ----

    // ---- Start-up, thread messages, shut-down, settings and registration ----
    // (QuendalAppStartup.cpp, QuendalAppDispatch.cpp, QuendalAppThreads.cpp,
    // QuendalAppShutdown.cpp, QuendalAppSettings.cpp)
    BOOL InitInstance() override;
    int ExitInstance() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL ProcessMessageFilter(int code, MSG* pMsg) override;
    BOOL OnIdle(LONG lCount) override;
    BOOL SaveAllModified() override;
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo) override;
    // A print request's mail file (QuendalAppPrintRequest.cpp): filed into a
    // hidden folder of its own, shown in the main window's mail view (the
    // pane made for the time when the window has none) and printed there by
    // the direct-print command; the folder and its files go again. False
    // when the file could not be filed or shown.
    BOOL PrintMailFile(const char* pszPath);
    BOOL CheckMailBoxPassword(BOOL bAlways, BOOL bForce);
    // True (consumed) for every private number the application thread serves.
    BOOL DispatchThreadMessage(MSG* pMsg);
    // Whether the dispatcher has a row for the number, and whether that row
    // hands it on to the main window.
    static BOOL IsApplicationThreadMessage(UINT message);
    static BOOL IsFrameThreadMessage(UINT message);
    // The shut-down routine; runs once.
    void ShutDown();
    // Idle unloading of folder indexes; nNow is the time to measure against.
    void UnloadIdleFolders(const CTime& now);

    // Thread registry of viewer, editor and search windows.
    void AddEditThread(CWinThread* pThread);
    void AddViewThread(CWinThread* pThread);
    void AddSearchThread(CWinThread* pThread);
    void CleanupEditThreads();
    void CleanupViewThreads();
    void CleanupSearchThreads();
    BOOL IsFolderInEditor(int nFolderId);
    BOOL IsFolderInViewer(int nFolderId);
    BOOL CheckSearchThreads(BOOL bStop);
    BOOL HasViewThread();
    BOOL HasEditThread();
    // Brings the open editor windows to the front in turn (one per call);
    // false when no editor is open.
    BOOL ActivateEditThread();
    BOOL HasSearchThread();
    void RemoveEditThread(DWORD dwThreadId);
    void RemoveViewThread(DWORD dwThreadId);
    void RemoveSearchThread(DWORD dwThreadId);
    BOOL CloseAllThreads();
    // Posts a thread message to every open viewer window thread, and to
    // every editor thread when bEditors (settings that their windows show
    // were changed).
    void PostToWindowThreads(UINT message, WPARAM wParam, LPARAM lParam, BOOL bEditors);
    // Asks every viewer, editor and search window to centre itself on the
    // screen (1424).
    void CenterThreadWindows();
    // Fonts and colours written by the settings dialogs (1478): the mail
    // font sets are rebuilt (the language fonts too when bLanguageFonts),
    // then the main window and every viewer and editor show them.
    void ApplyViewSettings(BOOL bLanguageFonts);
    // The keyword list written by its dialog (1418), shown by every open
    // mail view (the main window's and the viewers').
    void ApplyKeywordList();

    // Settings, side files, registration, toolbar layout.
    int LoadSettings();
    BOOL RegisterMailClient(const char* pszPath, const char* pszShortPath);
    void LoadDefaultToolBarSettings();
    void ExportToolBarSettings();
    // A toolbar's images from the user's bitmap named in "Resource.dat"
    // (resource 145, 134, 140 or 195), or null for the built-in images.
    HBITMAP LoadResourceBitmap(CWnd* pWnd, UINT nID);
    void ImportToolBarSettings();
    BOOL LoadResourceTable();
    CString GetProgramFolder() const;

    void OnAppAbout();
    // Opens a mail editor for a mailto text or a file (empty: a new mail)
    // from the command line or a second start's hand-over: files may be
    // named as words, but "attach=" and "tempattach=" are ignored.
    void OpenMailEditor(const char* pszText);
    // Files a whole mail text, handed over by another window or program, as
    // a new mail of the current folder (core/QuendalAppHandOver.cpp); false
    // when there is no current folder or it does not take the mail.
    BOOL ImportMailText(const char* pszText);
    // Tells the communication thread that the hand-over text of this token
    // was taken.
    void ReleaseHandOverText(LPARAM lParam);
    // Deletes the stored copy an editor replaced (thread message 1389).
    void DeleteEditedMail(int nFolderId, int nIndex);
    // The read notification a viewer's answer asked for (thread message
    // 1439): an editor of mail kind 11 for that mail.
    void SendReadNotify(int nFolderId, int nIndex);
    // Appends a time-stamped line to the application log, whatever the log setting.
    void AppendAppLog(const char* pszLine);
    void ReleaseInstanceMutex();
    // Tells later starts that this instance is ending, so that they wait for
    // it instead of handing their command line to it.
    void MarkInstanceEnding();

    // The first instance owns this mutex from start-up to the end of shut-down.
    static constexpr const char* kInstanceMutexName = "Corvane Mail";
    // Exists while an instance is ending.
    static constexpr const char* kInstanceEndingName = "Corvane Mail Ending";

protected:
    BOOL StartUp();
    bool TakeOverFromEndingInstance();
    void ReportStartUpFailure(const char* pszDetail);
    void ReadProgramVersion();
    void BuildImageLists();
    BOOL IsRouteReceiveAtStartup();

    DECLARE_MESSAGE_MAP()

public:
    CDlgInputPassword* m_pPasswordDialog = nullptr;  // the open start-up password prompt
    bool m_bSocketsStarted = false, m_bOleStarted = false;
    int m_nExitCode = 0;  // non-zero: the process's exit code (a failed hand-over)
    HMODULE m_hRichEdit = nullptr;

    WORD m_wVersion[4] = { 0, 0, 0, 0 };
    HANDLE m_hInstanceMutex = nullptr;  // null in a second instance
    HANDLE m_hEndingEvent = nullptr;    // set once shut-down is decided
    CCriticalSection m_shutdownLock;
    bool m_bShutDown = false;
    HMODULE m_hVonlink = nullptr, m_hZip32j = nullptr, m_hUnlha32 = nullptr;
    HMODULE m_hUxTheme = nullptr, m_hShell32 = nullptr, m_hWtsapi32 = nullptr;
    HRESULT(WINAPI* m_pfnSHSetUnreadMailCountW)(LPCWSTR, DWORD, LPCWSTR) = nullptr;
    HRESULT(WINAPI* m_pfnSHGetUnreadMailCountW)(HKEY, LPCWSTR, DWORD*, FILETIME*, LPWSTR, int) = nullptr;
    BOOL(WINAPI* m_pfnWTSRegisterSessionNotification)(HWND, DWORD) = nullptr;

    CPtrArray m_editThreads, m_viewThreads, m_searchThreads;  // owned CThreadEntry*
    CCriticalSection m_editThreadLock;
    int m_nNextEditorToActivate = 0;

    // Long-lived service threads, each with a duplicate of its handle.
    CWinThread* m_pCommThread = nullptr;
    HANDLE m_hCommThread = nullptr;
    CWinThread* m_pAddressThread = nullptr;
    HANDLE m_hAddressThread = nullptr;
    CWinThread* m_pTaskListThread = nullptr;
    HANDLE m_hTaskListThread = nullptr;
    CWinThread* m_pEndWaitThread = nullptr;
    HANDLE m_hEndWaitThread = nullptr;
    CMainFrame* m_pMainFrame = nullptr;

    int m_nStartFolderId = 0;
    BOOL m_bNoUsePlugIn = FALSE;
    BOOL m_bCommLog = FALSE;
    CString m_strCmdLineText;  // the joined command-line arguments
    BOOL m_bShowReplyIcon = TRUE, m_bShowMyMailIcon = TRUE;
    CImageList m_mailListImages;
    CTime m_lastIdleCheck;

    // Settings kept by LoadSettings.
    int m_nAddressDispType = 0, m_bAddressDispOrgNoChange = 1, m_bShowInlineText = 0, m_bHTMLMail = 0;
    int m_nMailHistoryCount = 30, m_nDeleteMailHistoryCount = 30, m_nMailMemFolder = 0, m_nMailMemIndex = -1;
    // The mails shown in the main window lately (commands 33081-33084).
    int m_nBeepMailReceive = 100, m_nBeepMailNoneNotRead = 200, m_bProfileChangeMainFrame = 0;
    int m_nReadNotifyTo = 0, m_nDisplayUnReadMail = 0, m_bNoCreateMailViewFrame = 0, m_nIEZone = 3;
    int m_nReceiveLogCount = 100, m_bUnloadMailIndex = 0, m_nUnloadMailIndexTime = 3;
    // A mail whose only text is HTML gets the text of its HTML as its body
    // ("Setting"/CreateMailBodyFromHTML; read by the mail reader on any thread).
    int m_bCreateMailBodyFromHtml = 1;
    CString m_strTempFolderPath, m_strDefaultProfileName, m_strOpenAppName1, m_strOpenAppPath1;
    CStringArray m_taskListComments, m_priorityNames, m_colorNames;
    // ---- end of start-up and shut-down ----

    // ---- Key files, accelerators and global hot keys (QuendalAppKeys.cpp) ----
    // Builds and installs a window's accelerators from its kind's key file
    // (0 main window, 1 viewer, 2 editor) merged with the window's defaults;
    // false when the key file could not be read (the window keeps what it had).
    // Without pDefaults the defaults are accelerator resource nIDResource.
    BOOL SetupAccelerators(int nKind, CFrameWnd* pFrame, const ACCEL* pDefaults, int nDefaults, UINT nIDResource);
    // Writes the default accelerators of a kind into the table and its file.
    BOOL SetDefaultKeyAssign(int nKind, CKeyAssignDataSet& table);
    // Rewrites every command item's short-cut text (after its TAB).
    static void UpdateMenuKeyTexts(HMENU hMenu, const ACCEL* pTable, int nCount);
    CString GetHelpKeyText(int nKind) const;
    // Releases the global hot keys of the main window.
    void UnregisterHotKeys();

    enum { hotKeyFront, hotKeyEditor, hotKeyTrayMenu, hotKeyNotify, hotKeyCount };
    ATOM m_hotKeyAtoms[hotKeyCount] = { 0, 0, 0, 0 };
    HWND m_hHotKeyWnd = nullptr;  // the window the hot keys are registered for
    CString m_strHelpKeyText[3];
    CString m_strEditAbortKeyText;
    CString m_strAbortKeyText;  // abort send and receive, main window
    UINT m_nAbortCommand = 0;
    int m_nAbortKey = 0, m_nAbortModifiers = 0;

    // The time-zone bias in seconds, worked out once at start-up.
    long m_lTimeZoneBias = 0;
};

// The application object (null before it is constructed).
CQuendalApp* QuendalApp();

// Shell unread-mail publishing goes through this function so that tests can
// replace it (Wine's SHSetUnreadMailCountW is a stub).
typedef HRESULT (*UnreadMailPublisher)(const wchar_t* pszAddress, DWORD dwCount, const wchar_t* pszCommand);
UnreadMailPublisher SetUnreadMailPublisher(UnreadMailPublisher publisher);

// Makes the named mail client the system's default (HKEY_LOCAL_MACHINE
// "software\Clients\Mail"); a key that cannot be opened ends it silently.
void SetDefaultMailClient(const char* pszName);
