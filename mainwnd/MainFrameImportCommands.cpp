// The main window's import commands (mail files, mbox files and Outlook
// Express folders into the mailbox), the copying of the settings between
// the registry and a settings file, and the answer the Simple MAPI library
// waits for when it greets the program.
#include "mainwnd/MainFrame.h"

#include "core/FileUtil.h"
#include "core/MiscUtil.h"
#include "core/QuendalApp.h"
#include "core/ShellUtil.h"
#include "mainwnd/FolderTree.h"
#include "mainwnd/MailFileImport.h"
#include "mainwnd/QListView.h"
#include "resources/import/ImportResource.h"
#include "resources/rules/RulesResource.h"
#include "store/DlgMailImport.h"
#include "store/DlgMailImportProgress.h"
#include "store/DlgOEFolderSelect.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "store/MboxImporter.h"
#include "store/OEMailImporter.h"

#include <commdlg.h>
#include <process.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const UINT kMsgReloadFolderList = 1388;
const char kIniFilter[] = "Ini Files (*.ini)\0*.ini\0All Files (*.*)\0*.*\0";
const char kMboxFilter[] = "MBOX Files (*.mbx)\0*.mbx\0txt Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
const char kEmlFilter[] = "E-Mail Files (*.eml)\0*.eml\0txt Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
const char kOEInboxName[] = "受信トレイ";

// Names chosen in an open-file dialog (several when bMultiple); empty when cancelled.
std::vector<CString> AskForFiles(HWND hOwner, const char* pszFilter, const char* pszDefault, const CString& startFolder,
                                 bool bMultiple)
{
    // Room for many names: a multiple selection lists every one of them.
    std::vector<char> buffer(64 * 1024, '\0');
    lstrcpynA(buffer.data(), pszDefault, static_cast<int>(buffer.size()));
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hOwner;
    ofn.lpstrFilter = pszFilter;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = startFolder.IsEmpty() ? nullptr : startFolder.GetString();
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                (bMultiple ? OFN_ALLOWMULTISELECT : 0);
    if (!::GetOpenFileNameA(&ofn))
        return {};
    return MailFileImport::SplitFileDialogNames(buffer.data(), buffer.size());
}

CString FolderOf(const CString& path)
{
    int slash = path.ReverseFind('\\');
    return slash > 0 ? path.Left(slash) : CString();
}

// An Outlook Express import in progress: the importer, its progress window,
// the worker, and the folder each converted folder goes into.
struct OEImportRun
{
    COEMailImporter importer;
    CDlgMailImportProgress progress;
    HANDLE hWorker = nullptr;
    std::map<std::string, int> targets;  // folder title -> folder id
};

BOOL FileConvertedFolder(const char* pszDbxPath, const char* pszMbxPath, int nMessages, int nIndex, uint64_t nBytes,
                         COEMailImporter* pImporter)
{
    OEImportRun* run = reinterpret_cast<OEImportRun*>(pImporter->m_lOwner);
    CString title = pszDbxPath;
    int slash = title.ReverseFind('\\');
    if (slash >= 0)
        title = title.Mid(slash + 1);
    int dot = title.ReverseFind('.');
    if (dot > 0)
        title = title.Left(dot);
    auto target = run->targets.find(title.Str());
    if (target == run->targets.end())
        return FALSE;
    pImporter->m_nTargetFolderId = target->second;
    return COEMailImporter::ImportConvertedFile(pszDbxPath, pszMbxPath, nMessages, nIndex, nBytes, pImporter);
}

} // namespace

void CMainFrame::OnImportCommand(UINT nID)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    if (nID == ID_FILE_IMPORT_MAIL) {
        ImportMail();
        return;
    }
    std::vector<char> buffer(MAX_PATH * 4, '\0');
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = kIniFilter;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrDefExt = "ini";
    if (nID == ID_FILE_INI_TO_REGISTRY) {
        ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
        if (::GetOpenFileNameA(&ofn))
            app->ImportProfileFileToRegistry(buffer.data());
    } else {
        ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
        if (::GetSaveFileNameA(&ofn))
            app->ExportRegistryToProfileFile(buffer.data());
    }
    // The file dialogs move the current directory; the program works from the mailbox.
    SetCurrentDirToMailBox();
}

void CMainFrame::ImportMail()
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    CDlgMailImport choice(this);
    if (choice.DoModal() != IDOK)
        return;
    CMailFolderStore* current = app->GetCurrentFolder();
    switch (choice.m_nType) {
    case CDlgMailImport::typeOutlookExpress: {
        if (m_pOEImport)
            return;
        std::unique_ptr<OEImportRun> run(new OEImportRun);
        CDlgOEFolderSelect select(&run->importer, this);
        if (select.DoModal() != IDOK)
            return;
        // The folders are made here, on the window's thread; the worker only files into them.
        CMailFolderStore* inbox = app->GetDefaultFolder(CFolderRecord::kindInbox);
        HTREEITEM hInbox = inbox && m_pFolderTree ? m_pFolderTree->FindItem(inbox->GetFolderId()) : nullptr;
        for (int i = 0; i < run->importer.GetFolderCount(); ++i) {
            COEMailImporter::Folder* folder = run->importer.GetFolder(i);
            if (!folder->bChosen)
                continue;
            int id = 0;
            if (folder->strTitle == kOEInboxName)
                id = inbox ? inbox->GetFolderId() : 0;
            else if (hInbox)
                id = m_pFolderTree->CreateFolder(nullptr, hInbox, folder->strTitle, 2, TRUE);
            if (id > 0)
                run->targets[folder->strTitle.Str()] = id;
            else
                folder->bChosen = 0;
        }
        // The converted files go to a private folder under the temporary
        // folder the importer makes for itself: no fixed folder is assumed.
        run->importer.m_lOwner = reinterpret_cast<LPARAM>(run.get());
        run->importer.m_pfnComplete = FileConvertedFolder;
        run->importer.m_hNotifyWnd = m_hWnd;
        run->importer.m_nNotifyMessage = WM_QD_OE_IMPORT_END;
        if (!run->progress.Create(IDD_MAIL_IMPORT_PROGRESS, this))
            return;
        run->progress.ShowWindow(SW_SHOW);
        run->importer.m_pCancel = &run->progress.m_bCancel;
        run->importer.m_pStatusText = run->progress.GetStatusText();
        run->importer.m_pProgress = run->progress.GetProgressBar();
        run->importer.m_pCountText = run->progress.GetCountText();
        uintptr_t h = _beginthreadex(nullptr, 0, COEMailImporter::ImportThreadProc, &run->importer, 0, nullptr);
        if (!h) {
            run->progress.DestroyWindow();
            return;
        }
        run->hWorker = reinterpret_cast<HANDLE>(h);
        m_pOEImport = run.release();
        break;
    }
    case CDlgMailImport::typeUnixFrom:
    case CDlgMailImport::typeSeparator: {
        if (!current)
            return;
        CString start = app->GetProfileString("Paths", "ImportFolderPath", "");
        std::vector<CString> files = AskForFiles(m_hWnd, kMboxFilter, "*.mbx", start, true);
        SetCurrentDirToMailBox();
        if (files.empty())
            return;
        app->WriteProfileString("Paths", "ImportFolderPath", FolderOf(files[0]));
        WaitCursor(TRUE);
        const char* separator = choice.m_nType == CDlgMailImport::typeSeparator ? choice.m_strSeparator.GetString() : nullptr;
        for (const CString& file : files)
            CMboxImporter::ImportFile(separator, nullptr, file, choice.m_bReceiveDate, current, 0);
        app->PostThreadMessage(kMsgReloadFolderList, static_cast<WPARAM>(current->GetFolderId()), 1);
        RefreshFolderItem(current->GetFolderId(), FALSE);
        WaitCursor(FALSE);
        break;
    }
    default: {
        if (!current)
            return;
        std::vector<CString> files;
        CString start = app->GetProfileString("Paths", "ImportEMLFolderPath", "");
        if (choice.m_bFolderMail) {
            CString folder = BrowseForFolder(m_hWnd, "メールフォルダの選択", start);
            if (folder.IsEmpty())
                return;
            app->WriteProfileString("Paths", "ImportEMLFolderPath", folder);
            files = MailFileImport::EmlFilesInFolder(folder);
        } else {
            files = AskForFiles(m_hWnd, kEmlFilter, "*.eml", start, true);
            if (!files.empty())
                app->WriteProfileString("Paths", "ImportEMLFolderPath", FolderOf(files[0]));
        }
        SetCurrentDirToMailBox();
        if (files.empty())
            return;
        WaitCursor(TRUE);
        for (const CString& file : files)
            MailFileImport::AddMailFile(*current, file, choice.m_bReceiveDate);
        app->PostThreadMessage(kMsgReloadFolderList, static_cast<WPARAM>(current->GetFolderId()), 1);
        RefreshFolderItem(current->GetFolderId(), FALSE);
        WaitCursor(FALSE);
        break;
    }
    }
}

LRESULT CMainFrame::OnOEImportEnd(WPARAM, LPARAM)
{
    OEImportRun* run = static_cast<OEImportRun*>(m_pOEImport);
    if (!run)
        return 0;
    m_pOEImport = nullptr;
    if (run->hWorker) {
        ::WaitForSingleObject(run->hWorker, INFINITE);
        ::CloseHandle(run->hWorker);
    }
    if (run->progress.m_hWnd)
        run->progress.DestroyWindow();
    delete run;
    if (CQuendalApp* app = QuendalApp())
        ReloadCurrentFolderList(app->GetCurrentFolderId(), TRUE);
    if (m_pFolderTree)
        m_pFolderTree->BuildTree();
    return 0;
}

LRESULT CMainFrame::OnCopyData(WPARAM wParam, LPARAM)
{
    // The mail library's greeting gets one empty answer; what it sent is not used.
    HWND hSender = reinterpret_cast<HWND>(wParam);
    if (hSender && ::IsWindow(hSender)) {
        char empty[1] = { '\0' };
        COPYDATASTRUCT answer = { 0, sizeof(empty), empty };
        ::SendMessageA(hSender, WM_COPYDATA, reinterpret_cast<WPARAM>(m_hWnd), reinterpret_cast<LPARAM>(&answer));
    }
    return Default();
}
