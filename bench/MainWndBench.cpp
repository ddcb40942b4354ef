// Main window benchmark: opening a folder of 100,000 mails in the real main
// window, from the folder's selection in the tree to the first page of rows
// drawn (index load, sort by date, virtual row count), flat and as reply
// threads, and a jump to the last page. Prints "name: value unit" lines.
#include "core/QuendalApp.h"
#include "bench/BenchSupport.h"
#include "mainwnd/FolderTree.h"
#include "mainwnd/MainFrame.h"
#include "mainwnd/QListView.h"
#include "resources/resource.h"
#include "store/MailFolderStore.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

// Writes a folder's index and data file for n mails directly; half of them
// answer an earlier mail, so the thread view has work to do.
void WriteLargeFolder(const CString& dir, int n)
{
    static const char* const subjects[] = { "会議のお知らせ", "請求書の送付について", "見積もりのご依頼", "週報" };
    static const char* const senders[] = { "山田 太郎 <taro@example.jp>", "佐藤 花子 <hanako@example.jp>",
                                           "鈴木 一郎 <ichiro@example.jp>" };
    CFile data(dir + "\\MailData.Qmd", CFile::modeCreate | CFile::modeWrite);
    CFile index(dir + "\\Index.lst", CFile::modeCreate | CFile::modeWrite);
    std::string dataBuf, indexBuf;
    long long offset = 0;
    for (int i = 0; i < n; i++) {
        std::string name = "QM" + std::to_string(1700000000 + i) + ".eml";
        std::string subject = std::string(i % 2 ? "Re: " : "") + subjects[i % 4] + " " + std::to_string(i % 5000);
        std::string entry = name + "\r\nSubject: " + subject + "\r\n\r\nbody\r\n.\r\n";
        CMailIndexRecord r;
        r.m_nDataOffset = static_cast<int>(offset);
        r.m_nDataLength = static_cast<int>(entry.size());
        r.m_nTotalSize = 1000 + (i * 37) % 200000;
        r.m_nRecordPos = static_cast<int>(indexBuf.size());
        r.m_bRead = static_cast<BYTE>(i % 3 == 0);
        r.SetText(CMailIndexRecord::colSubject, subject.c_str());
        r.SetText(CMailIndexRecord::colFrom, senders[i % 3]);
        r.SetText(CMailIndexRecord::colTo, "me@example.jp");
        char date[64];
        snprintf(date, sizeof(date), "2024/%02d/%02d %02d:%02d:%02d +0900", 1 + i % 12, 1 + i % 28, i % 24, i % 60,
                 (i / 7) % 60);
        r.SetText(CMailIndexRecord::colDate, date);
        r.SetText(CMailIndexRecord::colReceived, date);
        r.SetText(CMailIndexRecord::colMessageId, ("<m" + std::to_string(i) + "@example.jp>").c_str());
        if (i % 2)
            r.SetText(CMailIndexRecord::colReference, ("<m" + std::to_string(i / 2) + "@example.jp>").c_str());
        r.SetText(CMailIndexRecord::colFileName, name.c_str());
        indexBuf += r.BuildLine().Str();
        dataBuf += entry;
        offset += static_cast<long long>(entry.size());
    }
    data.Write(dataBuf.data(), static_cast<UINT>(dataBuf.size()));
    index.Write(indexBuf.data(), static_cast<UINT>(indexBuf.size()));
}

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

} // namespace

int main()
{
    char tempBase[MAX_PATH];
    GetTempPathA(sizeof(tempBase), tempBase);
    CString root = CString(tempBase) + FormatString("CvmMainWndBench%lu", GetCurrentProcessId());
    CreateDirectoryA(root, nullptr);
    {
        BenchApp app(root);
        app.CreateDefaultMailBox();
        CMainFrame* frame = new CMainFrame;
        app.m_pMainFrame = frame;
        if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW)) {
            printf("main window could not be made\n");
            return 1;
        }
        frame->ShowWindow(SW_SHOWNORMAL);
        frame->UpdateWindow();
        Pump();

        const int count = 100000;
        int inbox = app.GetDefaultFolderId(1);
        HTREEITEM inboxItem = frame->GetFolderTree()->FindItem(inbox);
        int bigId = frame->GetFolderTree()->CreateFolder(nullptr, inboxItem, "大量", 2, TRUE);
        CMailFolderStore* big = app.FindFolder(bigId);
        big->UnloadIndex();
        WriteLargeFolder(big->GetFolderPath(), count);
        Pump();

        double flat = OpenFolder(frame, bigId);
        int rows = frame->GetListView()->GetListCtrl().GetItemCount();
        printf("open_folder_100k_first_page: %.3f s\n", flat);
        printf("rows_shown: %d rows\n", rows);

        auto t = std::chrono::steady_clock::now();
        CListCtrl& list = frame->GetListView()->GetListCtrl();
        list.EnsureVisible(rows - 1, FALSE);
        frame->GetListView()->UpdateWindow();
        printf("jump_to_last_page_100k: %.3f s\n", Seconds(t));

        // The same folder as reply threads, its index loaded afresh.
        OpenFolder(frame, inbox);
        big->UnloadIndex();
        big->GetFolderRecord().m_nListSwitch = 1;
        big->GetMailListNoLoad()->SetThreadMode(TRUE);
        double threads = OpenFolder(frame, bigId);
        printf("open_folder_100k_thread_view_first_page: %.3f s\n", threads);
        printf("thread_rows_shown: %d rows\n", frame->GetListView()->GetListCtrl().GetItemCount());
        ::DestroyWindow(frame->m_hWnd);
    }
    RemoveTree(root);
    return 0;
}
