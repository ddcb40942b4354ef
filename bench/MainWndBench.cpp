// Main window benchmark: opening a folder of 100,000 mails like a user's
// (BenchMailbox::MakeUserFolder: real-shaped mails, a third of them with an
// attachment folder) in the real main window, from the folder's selection in
// the tree to the first page of rows drawn (index load, the checks of a
// folder not closed cleanly, sort by date, virtual row count), flat and as
// reply threads, and a jump to the last page. Prints "name: value unit"
// lines.
//   MainWndBench                  makes the folder in a work mailbox and
//                                 opens it checked in full (as a folder left
//                                 by a crash or an older program), then
//                                 again after a clean close
//   MainWndBench make <folder>    only makes the folder (a directory)
//   MainWndBench open <folder> [checked]
//                                 opens an existing folder once; "checked"
//                                 takes away the stamp of its last clean
//                                 close first
// bench/mainwnd-open.sh runs the last two in turns, with the folder's files
// in the page cache and dropped from it.
#include "core/QuendalApp.h"
#include "bench/BenchMailbox.h"
#include "bench/BenchSupport.h"
#include "mainwnd/FolderTree.h"
#include "mainwnd/MainFrame.h"
#include "mainwnd/QListView.h"
#include "resources/resource.h"
#include "store/MailFolderStore.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const int kMails = 100000;

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

// Selects the folder in the tree and waits for the list's first page on screen.
double OpenFolder(CMainFrame* frame, int folderId)
{
    auto t = std::chrono::steady_clock::now();
    frame->GetFolderTree()->SelectFolder(folderId);
    frame->GetListView()->UpdateWindow();
    return Seconds(t);
}

// The program's main window on a work mailbox, with one more folder under
// the inbox whose files are those of a directory given.
class BenchWindow
{
public:
    explicit BenchWindow(const CString& root) : m_app(root) {}
    ~BenchWindow()
    {
        if (m_frame)
            ::DestroyWindow(m_frame->m_hWnd);
    }

    bool Open()
    {
        m_app.CreateDefaultMailBox();
        m_frame = new CMainFrame;
        m_app.m_pMainFrame = m_frame;
        if (!m_frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW)) {
            m_frame = nullptr;
            printf("main window could not be made\n");
            return false;
        }
        m_frame->ShowWindow(SW_SHOWNORMAL);
        m_frame->UpdateWindow();
        Pump();
        return true;
    }

    // The new folder; with a directory, the folder's files are that
    // directory's.
    CMailFolderStore* AddFolder(const CString& dir)
    {
        m_inbox = m_app.GetDefaultFolderId(1);
        HTREEITEM inboxItem = m_frame->GetFolderTree()->FindItem(m_inbox);
        m_bigId = m_frame->GetFolderTree()->CreateFolder(nullptr, inboxItem, "大量", 2, TRUE);
        CMailFolderStore* big = m_app.FindFolder(m_bigId);
        big->UnloadIndex();
        if (!dir.IsEmpty() && !big->SetFolderPath(dir))
            return nullptr;
        Pump();
        return big;
    }

    CMainFrame* Frame() { return m_frame; }
    int InboxId() const { return m_inbox; }
    int BigId() const { return m_bigId; }

private:
    BenchApp m_app;
    CMainFrame* m_frame = nullptr;
    int m_inbox = 0;
    int m_bigId = 0;
};

CString WorkRoot()
{
    char tempBase[MAX_PATH];
    GetTempPathA(sizeof(tempBase), tempBase);
    CString root = CString(tempBase) + FormatString("CvmMainWndBench%lu", GetCurrentProcessId());
    CreateDirectoryA(root, nullptr);
    return root;
}

int MakeCommand(const char* folder)
{
    auto t = std::chrono::steady_clock::now();
    int folders = BenchMailbox::MakeUserFolder(folder, kMails);
    printf("made_mails: %d count\n", kMails);
    printf("made_attachment_folders: %d count\n", folders);
    printf("made_in: %.1f s\n", Seconds(t));
    return 0;
}

int OpenCommand(const char* folder, bool bChecked)
{
    if (bChecked)
        DeleteFileA(CString(folder) + "\\Index.stp");
    CString root = WorkRoot();
    int result = 1;
    {
        BenchWindow window(root);
        CMailFolderStore* big = window.Open() ? window.AddFolder(folder) : nullptr;
        if (big) {
            double seconds = OpenFolder(window.Frame(), window.BigId());
            printf("open_folder_100k_first_page%s: %.3f s\n", bChecked ? "_checked" : "", seconds);
            printf("opened_without_checks: %d flag\n", big->LoadSkippedChecks() ? 1 : 0);
            printf("rows_shown: %d rows\n", window.Frame()->GetListView()->GetListCtrl().GetItemCount());
            result = 0;
        }
    }
    RemoveTree(root);
    return result;
}

int WholeRun()
{
    CString root = WorkRoot();
    {
        BenchWindow window(root);
        if (!window.Open())
            return 1;
        CMailFolderStore* big = window.AddFolder(CString());
        CMainFrame* frame = window.Frame();
        int folders = BenchMailbox::MakeUserFolder(big->GetFolderPath(), kMails);
        printf("attachment_folders: %d count\n", folders);

        // Made outside the program, the folder has no stamp: checked in full.
        double checked = OpenFolder(frame, window.BigId());
        printf("open_folder_100k_first_page_checked: %.3f s\n", checked);
        int rows = frame->GetListView()->GetListCtrl().GetItemCount();
        printf("rows_shown: %d rows\n", rows);

        auto t = std::chrono::steady_clock::now();
        CListCtrl& list = frame->GetListView()->GetListCtrl();
        list.EnsureVisible(rows - 1, FALSE);
        frame->GetListView()->UpdateWindow();
        printf("jump_to_last_page_100k: %.3f s\n", Seconds(t));

        // Closed cleanly (its index let go, as the idle unloading does) and
        // opened again.
        OpenFolder(frame, window.InboxId());
        big->UnloadIndex();
        double flat = OpenFolder(frame, window.BigId());
        printf("open_folder_100k_first_page: %.3f s\n", flat);
        printf("opened_without_checks: %d flag\n", big->LoadSkippedChecks() ? 1 : 0);

        // The same folder as reply threads, its index loaded afresh.
        OpenFolder(frame, window.InboxId());
        big->UnloadIndex();
        big->GetFolderRecord().m_nListSwitch = 1;
        big->GetMailListNoLoad()->SetThreadMode(TRUE);
        double threads = OpenFolder(frame, window.BigId());
        printf("open_folder_100k_thread_view_first_page: %.3f s\n", threads);
        printf("thread_rows_shown: %d rows\n", frame->GetListView()->GetListCtrl().GetItemCount());
    }
    RemoveTree(root);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "make") == 0)
        return MakeCommand(argv[2]);
    if ((argc == 3 || (argc == 4 && strcmp(argv[3], "checked") == 0)) && strcmp(argv[1], "open") == 0)
        return OpenCommand(argv[2], argc == 4);
    if (argc > 1) {
        fprintf(stderr, "usage: MainWndBench [make <folder> | open <folder> [checked]]\n");
        return 2;
    }
    return WholeRun();
}
