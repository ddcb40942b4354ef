// The main window's folder maintenance commands: rebuilding mail lists,
// optimising folders and deleting duplicate mails, each on a worker thread
// while the busy dialog keeps the user waiting. Every one of them holds the
// busy lock for its whole run, so no receive, route pass or close can reach
// the folders while their files are being rewritten.
#include "mainwnd/MainFrame.h"

#include "core/DlgBusy.h"
#include "core/QuendalApp.h"
#include "mainwnd/FolderMaintenanceJob.h"
#include "mainwnd/FolderTree.h"
#include "mainwnd/FolderTreeRepair.h"
#include "mainwnd/MailViewSeam.h"
#include "mainwnd/QListView.h"
#include "resources/rules/RulesResource.h"
#include "core/FileUtil.h"
#include "store/FolderData.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"

#include <process.h>

#include <memory>

namespace {

const UINT kMsgReloadFolderList = 1388;

struct MaintenanceCommand
{
    UINT nID;
    CFolderMaintenanceJob::Kind kind;
    bool bAllFolders;
    const char* pszQuestion;
    UINT nButtons;
    const char* pszBusyText;
};

const MaintenanceCommand kCommands[] = {
    { ID_FOLDER_REBUILD_CURRENT, CFolderMaintenanceJob::kRebuild, false,
      "メールのデータに基いてリストを作成し直します。\nこのコマンドは、リストが壊れたときに行ってください。\n実行しますか？",
      MB_OKCANCEL, "インデックスファイルを再作成中です。\r\nしばらくお待ちください。" },
    { ID_FOLDER_REBUILD_ALL, CFolderMaintenanceJob::kRebuild, true,
      "すべてのフォルダで、メールのデータに基いてリストを作成し直します。\nこのコマンドは、リストが壊れたときに行ってください。\n実行しますか？",
      MB_YESNO, "インデックスファイルを再作成中です。\r\nしばらくお待ちください。" },
    { ID_FOLDER_OPTIMIZE_CURRENT, CFolderMaintenanceJob::kOptimise, false,
      "選択中のメールフォルダのメールデータを最適化します。\n実行してよろしいですか？", MB_OKCANCEL,
      "フォルダを最適化中です。\r\nしばらくお待ちください。" },
    { ID_FOLDER_OPTIMIZE_ALL, CFolderMaintenanceJob::kOptimise, true,
      "すべてのフォルダを最適化します。\r\n作業には時間がかかることがあります。\r\nよろしいですか？", MB_OKCANCEL,
      "フォルダを最適化中です。\r\nしばらくお待ちください。" },
    { ID_FOLDER_DUPLICATES_CURRENT, CFolderMaintenanceJob::kDuplicates, false,
      "フォルダ内の重複したメールを削除します。\n実行してよろしいですか？", MB_OKCANCEL,
      "重複したメールを削除中です。\r\nしばらくお待ちください。" },
    { ID_FOLDER_DUPLICATES_ALL, CFolderMaintenanceJob::kDuplicates, true,
      "すべてのフォルダの重複したメールを削除します。\r\nこの作業には時間がかかる可能性があります。\r\n実行しますか？",
      MB_YESNO, "重複したメールを削除をしています。\r\nしばらくお待ちください。" },
};

const MaintenanceCommand* FindCommand(UINT nID)
{
    for (const MaintenanceCommand& c : kCommands)
        if (c.nID == nID)
            return &c;
    return nullptr;
}

// What the worker gets: the job, the dialog it reports to and the list it
// keeps from repainting while the folders change under it.
struct MaintenanceRun
{
    CFolderMaintenanceJob* pJob;
    CDlgBusy* pDialog;
    HWND hList;
    bool bShowFolders;
    DWORD dwWindowWaitMs;
};

unsigned __stdcall MaintenanceWorker(void* pArg)
{
    MaintenanceRun* run = static_cast<MaintenanceRun*>(pArg);
    if (run->hList)
        ::SendMessageA(run->hList, WM_SETREDRAW, FALSE, 0);
    // The dialog's window comes up on the UI thread; without it the work
    // goes on all the same after the wait.
    for (int i = 0; i < 50 && !::IsWindow(run->pDialog->m_hWnd); ++i)
        ::Sleep(run->dwWindowWaitMs);
    CDlgBusy* dialog = run->pDialog;
    run->pJob->Run([dialog] { return dialog->IsCancelled(); },
                   [run](const CString& name) {
                       if (run->bShowFolders)
                           run->pDialog->SetCurrentFolderText(name);
                   });
    if (run->hList)
        ::SendMessageA(run->hList, WM_SETREDRAW, TRUE, 0);
    dialog->SetDone();
    return 0;
}

const char kRepairExplanation[] =
    "この修復では、フォルダの階層構造や設定は復旧できません。\r\n\r\n"
    "メールボックスに指定したフォルダに「Folder.bak」というファイルがある場合には、\r\n"
    "このファイルを「Folder.dat」というファイル名に変更してCorvane Mailを再起動してみてください。\r\n"
    "それでもフォルダが復旧できない場合には、このフォルダの修復を実行してください。\r\n\r\n"
    "フォルダの修復を実行しますか？";
const char kRepairConfirm[] = "本当に実行してよろしいですか？\r\n「はい」で実行を開始します。";

} // namespace

void CMainFrame::OnRepairFolderTree()
{
    CQuendalApp* app = QuendalApp();
    if (!app || !m_pFolderTree || IsReceiving())
        return;
    if (AfxMessageBox(kRepairExplanation, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (AfxMessageBox(kRepairConfirm, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    std::vector<CString> used;
    for (int i = 0; i < app->GetFolderCount(); ++i)
        if (CMailFolderStore* folder = app->GetFolderAt(i))
            used.push_back(folder->GetFolderPath());
    WaitCursor(TRUE);
    CTreeCtrl& tree = m_pFolderTree->GetTreeCtrl();
    HTREEITEM inbox = m_pFolderTree->FindItem(app->GetDefaultFolderId(CFolderRecord::kindInbox));
    for (const CString& directory : FolderTreeRepair::UnusedDirectories(app->GetFoldersPath(), used)) {
        // A folder's directory carries its own name and settings; without
        // them the directory's name (less its extension) names the folder.
        CFolderRecord saved;
        CFolderData table;
        const bool known = table.ReadFromFile(CombinePath(directory, "FolderData.Dat"), &saved) != FALSE;
        CString name = known ? saved.m_strName : CString();
        if (name.IsEmpty()) {
            name = directory.Mid(directory.ReverseFind('\\') + 1);
            int dot = name.ReverseFind('.');
            if (dot > 0)
                name = name.Left(dot);
        }
        // Each found directory becomes the last folder below the inbox
        // (at the end of the top level when there is no inbox).
        int id = 0;
        if (inbox) {
            id = m_pFolderTree->CreateFolder(directory, inbox, name, 2, FALSE, -1);
        } else {
            HTREEITEM last = tree.GetRootItem();
            for (HTREEITEM next = last; next; next = tree.GetNextSiblingItem(next))
                last = next;
            if (!last)
                break;
            id = m_pFolderTree->CreateFolder(directory, last, name, 1, FALSE, -1);
        }
        CMailFolderStore* added = id ? app->FindFolder(id) : nullptr;
        if (added && known && added->GetFolderRecord().m_nParentId) {
            // Its settings come back; the kind does not: the mailbox has its
            // own inbox, trash and outbox already.
            saved.m_strName = name;
            saved.m_nKind = added->GetFolderRecord().m_nKind;
            added->ApplyFolderRecord(saved);
            added->WriteFolderSettings();
        }
    }
    if (inbox)
        tree.Expand(inbox, TVE_EXPAND);
    m_pFolderTree->SaveTreeState();
    WaitCursor(FALSE);
}

BOOL CMainFrame::IsBusyLocked() const
{
    if (!m_hBusyLock)
        return FALSE;
    if (::WaitForSingleObject(m_hBusyLock, 0) != WAIT_OBJECT_0)
        return TRUE;
    ::ReleaseSemaphore(m_hBusyLock, 1, nullptr);
    return FALSE;
}

void CMainFrame::OnUpdateFolderMaintenance(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!IsReceiving());
}

void CMainFrame::OnFolderMaintenance(UINT nID)
{
    const MaintenanceCommand* command = FindCommand(nID);
    CQuendalApp* app = QuendalApp();
    if (!command || !app)
        return;
    if (IsReceiving() || (command->kind == CFolderMaintenanceJob::kOptimise && command->bAllFolders && IsSending()))
        return;
    // A second maintenance command, or one while the program closes, waits for nothing: it is not run.
    if (!m_hBusyLock || ::WaitForSingleObject(m_hBusyLock, 0) != WAIT_OBJECT_0)
        return;
    int answer = AfxMessageBox(command->pszQuestion, command->nButtons | MB_ICONQUESTION);
    if (answer != (command->nButtons == MB_YESNO ? IDYES : IDOK)) {
        ::ReleaseSemaphore(m_hBusyLock, 1, nullptr);
        return;
    }
    WaitCursor(TRUE);
    std::vector<CMailFolderStore*> folders;
    CMailFolderStore* current = app->GetCurrentFolder();
    if (command->bAllFolders)
        folders = CFolderMaintenanceJob::FoldersForAll(*app, command->kind);
    else if (current)
        folders.push_back(current);
    if (command->kind != CFolderMaintenanceJob::kRebuild && m_pMailView && GetMailViewSeam().pfnShowMail)
        GetMailViewSeam().pfnShowMail(m_pMailView, nullptr, -1);
    if (!folders.empty()) {
        CFolderMaintenanceJob job(command->kind, folders);
        CDlgBusy dialog(command->pszBusyText, command->bAllFolders, this);
        MaintenanceRun run = { &job, &dialog, m_pListView ? m_pListView->m_hWnd : nullptr, command->bAllFolders,
                               command->kind == CFolderMaintenanceJob::kDuplicates && !command->bAllFolders ? 1000u
                                                                                                           : 100u };
        uintptr_t thread = _beginthreadex(nullptr, 0, MaintenanceWorker, &run, 0, nullptr);
        if (thread) {
            dialog.DoModal();
            // The dialog ends only once the worker said it was done; the
            // worker then has nothing left but to return.
            ::WaitForSingleObject(reinterpret_cast<HANDLE>(thread), INFINITE);
            ::CloseHandle(reinterpret_cast<HANDLE>(thread));
        }
        if (command->kind == CFolderMaintenanceJob::kOptimise && current)
            app->PostThreadMessage(kMsgReloadFolderList, static_cast<WPARAM>(current->GetFolderId()), 1);
        else if (current && (command->kind != CFolderMaintenanceJob::kRebuild || job.m_bAllSucceeded))
            ReloadCurrentFolderList(current->GetFolderId(), TRUE);
        if (current && current->GetMailListNoLoad())
            UpdateFolderCounts(current->GetMailListNoLoad()->GetMailCount(), current->GetMailListNoLoad()->GetUnreadCount());
        for (CMailFolderStore* folder : folders)
            RefreshFolderItem(folder->GetFolderId(), FALSE);
    }
    ::ReleaseSemaphore(m_hBusyLock, 1, nullptr);
    WaitCursor(FALSE);
}
