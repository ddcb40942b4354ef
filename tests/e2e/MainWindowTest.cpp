// The main window as a user meets it: the folder tree, the mail list of a
// mailbox of a few thousand mails, the status bar, sorting, the reply-thread
// view, the folder commands and what closing leaves on disk.
#include "e2e/E2eDriver.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/RemoteControls.h"
#include "mainwnd/MailListFormat.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/utils/UtilsResource.h"
#include "store/FolderData.h"
#include "store/MailFolderStore.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <commctrl.h>

#include <string>
#include <vector>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
// Mails selected here are shown in the mail view pane, which leaves them
// unread (PreViewTime -1), so that the counts stay those of the fixture.
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n"
                          "[ViewOption]\r\nPreViewTime=dword:-1\r\n\r\n";
const int kMailCount = 3000;

// Subjects and senders the fixture mails are made from.
const char* const kSubjects[] = { "会議のお知らせ", "【重要】請求書の送付について", "Re: 見積もりのご依頼", "週報",
                                  "新製品発表会のご案内", "システム停止のお知らせ", "ソフトウェア更新", "打ち合わせ議事録" };
const char* const kSenders[] = { "山田 太郎 <taro@example.jp>", "佐藤 花子 <hanako@example.jp>", "鈴木 一郎 <ichiro@example.jp>",
                                 "高橋 次郎 <jiro@example.co.jp>", "田中 美咲 <misaki@example.ne.jp>" };

class MainWindowTest : public ::testing::Test
{
protected:
    CString MailBox() const { return m_dir.Path() + "\\MailBox"; }
    CString Arguments() const { return "/INI \"/M:" + MailBox() + "\" "; }

    HWND Start()
    {
        if (!m_program.Start(Arguments()))
            return nullptr;
        return m_program.WaitForMainWindow(kStartTimeout);
    }
    void Close(HWND main)
    {
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(m_program.WaitForExit(kStartTimeout), 0);
        m_program.Kill();
    }
    // A first start makes the mailbox with its default folders.
    void CreateMailBox()
    {
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), kPresetIni);
        HWND main = Start();
        ASSERT_NE(main, nullptr);
        Close(main);
    }
    std::vector<CFolderRecord> ReadFolders()
    {
        return E2e::ReadMailBoxFolders(MailBox());
    }
    CFolderRecord Folder(const char* name)
    {
        for (const CFolderRecord& r : ReadFolders())
            if (r.m_strName == name)
                return r;
        return CFolderRecord();
    }
    void OpenInbox(CMailFolderStore& store)
    {
        for (const CFolderRecord& r : ReadFolders())
            if (r.m_nKind == CFolderRecord::kindInbox)
                store.SetFolderRecord(r);
    }
    // The fixture: count mails from the templates, every third one read,
    // a reply thread and two mails that differ only in their read state
    // (the newest ones), and a mail with colour label 12.
    void FileFixture(int count)
    {
        CMailFolderStore store;
        OpenInbox(store);
        CString mailFile = m_dir.File("fixture.eml");
        for (int i = 0; i < count; ++i) {
            std::string subject = std::string(kSubjects[i % 8]) + " 第" + std::to_string(i) + "号";
            std::string from = kSenders[(i * 7) % 5];
            std::string extra;
            if (i == count - 4)
                subject = "スレッド確認";
            if (i == count - 3) {
                subject = "Re: スレッド確認";
                extra = "In-Reply-To: <mail" + std::to_string(count - 4) + "@example.jp>\r\n";
            }
            if (i >= count - 2) {
                subject = "太字の確認";
                from = kSenders[0];
            }
            char date[64];
            int minutes = i;
            snprintf(date, sizeof(date), "Mon, %02d Jan 2024 %02d:%02d:00 +0900", 1 + minutes / 1440, (minutes / 60) % 24,
                     minutes % 60);
            char received[64];
            snprintf(received, sizeof(received), "2024/02/%02d %02d:%02d:30 +0900", 1 + minutes / 1440, (minutes / 60) % 24,
                     minutes % 60);
            std::string body(static_cast<size_t>(200 + (i * 37) % 3000), 'x');
            std::string mail = "From: " + from + "\r\nTo: me@example.jp\r\nSubject: " + subject + "\r\nDate: " + date +
                               "\r\nMessage-ID: <mail" + std::to_string(i) + "@example.jp>\r\n" + extra +
                               "\r\n本文です。\r\n" + body + "\r\n";
            TestSupport::WriteFileBytes(mailFile, mail);
            // The newest mail is unread, the one before it read: same texts, other weight.
            bool read = i == count - 2 || (i % 3 == 0 && i < count - 2);
            ASSERT_EQ(store.AddNewMailData(mailFile, received, read), 1) << i;
        }
        CMailListData* list = store.GetMailList();
        ASSERT_NE(list, nullptr);
        list->SetColorLabel(list->GetMailRecord(count - 5), 12, 0);
        store.Close();
    }
    // The rows the list must show: the store's index in the given order.
    std::vector<std::vector<CString>> ExpectedRows(int item, bool ascending, bool thread = false)
    {
        CMailFolderStore store;
        OpenInbox(store);
        CMailListData* list = store.GetMailList();
        std::vector<std::vector<CString>> rows;
        if (!list)
            return rows;
        list->SetThreadMode(thread);
        list->Sort(item, ascending, FALSE, 0, TRUE);
        MailListFormat::RowTextOptions options;
        options.strDateFormat = list->GetDateFormat();
        for (int r = 0; r < list->GetViewCount(); ++r) {
            std::vector<CString> row;
            for (int c = 1; c < MailListFormat::columnCount; ++c)
                row.push_back(MailListFormat::RowText(*list->GetViewRecord(r), c, options));
            rows.push_back(row);
        }
        store.Close();
        return rows;
    }
    // Rows of the program's list compared with the store: the first page,
    // the last rows and a spread between.
    void ExpectRowsAsStored(HWND list, const std::vector<std::vector<CString>>& expected, const char* what)
    {
        ASSERT_EQ(E2e::ListItemCount(list), static_cast<int>(expected.size())) << what;
        std::vector<int> rows;
        for (int r = 0; r < 30; ++r)
            rows.push_back(r);
        for (int r = 30; r < static_cast<int>(expected.size()); r += 97)
            rows.push_back(r);
        rows.push_back(static_cast<int>(expected.size()) - 1);
        for (int r : rows)
            for (int c = 1; c < MailListFormat::columnCount; ++c)
                ASSERT_EQ(E2e::ListItemText(list, r, c), expected[static_cast<size_t>(r)][static_cast<size_t>(c - 1)])
                    << what << " row " << r << " column " << c;
    }
    int FindRow(HWND list, const char* subject)
    {
        for (int r = 0; r < E2e::ListItemCount(list); ++r)
            if (E2e::ListItemText(list, r, 1) == subject)
                return r;
        return -1;
    }
    // Pixels of a cell that are not the list's background.
    // The pixels of a row part that differ from its background, apart from
    // those of the colour given (the thread lines).
    std::vector<POINT> Ink(HWND list, int row, int left, int right, COLORREF skip = CLR_INVALID)
    {
        RECT rc = E2e::ListItemRect(list, row);
        rc.left = left;
        rc.right = right;
        std::vector<COLORREF> px = E2e::CapturePixels(list, rc);
        COLORREF back = px.empty() ? 0 : px[0];
        std::vector<POINT> ink;
        int width = right - left;
        for (size_t i = 0; i < px.size(); ++i)
            if (px[i] != back && px[i] != skip)
                ink.push_back(POINT{ left + static_cast<int>(i) % width, static_cast<int>(i) / width });
        return ink;
    }
    static bool WaitRows(HWND list, int count)
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < kStartTimeout) {
            if (E2e::ListItemCount(list) == count)
                return true;
            Sleep(100);
        }
        return false;
    }
    HWND ListOf(HWND main) { return E2e::FindDescendant(main, "SysListView32"); }
    HWND TreeOf(HWND main) { return E2e::FindDescendant(main, "SysTreeView32", IDC_FOLDER_TREE); }
    HWND StatusOf(HWND main) { return E2e::FindDescendant(main, "msctls_statusbar32"); }

    TestSupport::TempDir m_dir;
    CProgramUnderTest m_program{ m_dir.Path() };
};

} // namespace

TEST_F(MainWindowTest, OpensWithTheFolderTreeListAndCountsAndKeepsItsPlacement)
{
    CreateMailBox();
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(E2e::GetWindowTextOf(main), CString("Corvane Mail"));
    HWND tree = TreeOf(main);
    ASSERT_NE(tree, nullptr);
    // The six folders of a new mailbox in the nesting and order of "Folder.dat".
    struct Item { const char* text; int depth; } items[] = {
        { "送信", 0 }, { "作成中", 1 }, { "未送信", 1 }, { "送信済", 1 }, { "ごみ箱", 0 }, { "郵便受け", 0 },
    };
    std::vector<E2e::TreeItem> shown = E2e::ReadTree(tree);
    ASSERT_EQ(shown.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(shown[i].text, CString(items[i].text));
        EXPECT_EQ(shown[i].depth, items[i].depth) << items[i].text;
    }
    // The inbox is the current folder: its open image (once the window has
    // settled after its start: a loaded machine may show it a moment later).
    for (DWORD start = GetTickCount(); shown[5].image != 12 + 1 && GetTickCount() - start < 10000; Sleep(100))
        shown = E2e::ReadTree(tree);
    EXPECT_EQ(shown[5].image, 12 + 1);
    HWND list = ListOf(main);
    ASSERT_NE(list, nullptr);
    const char* headers[] = { " ", "件名", "差出人", "送信日時", "受信日時", "サイズ" };
    // The dates and the size are as wide as their texts need, at least their defaults.
    int widths[] = { 35, 214, 120, 100, 100, 50 };
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(E2e::ListHeaderText(list, c), CString(headers[c]));
        if (c < 3)
            EXPECT_EQ(E2e::ListColumnWidth(list, c), widths[c]) << c;
        else
            EXPECT_GE(E2e::ListColumnWidth(list, c), widths[c]) << c;
    }
    HWND status = StatusOf(main);
    for (DWORD start = GetTickCount(); E2e::StatusBarText(status, 1) != CString(" 総数：0") && GetTickCount() - start < 10000;
         Sleep(100)) {
    }
    EXPECT_EQ(E2e::StatusBarText(status, 1), CString(" 総数：0"));
    EXPECT_EQ(E2e::StatusBarText(status, 2), CString(" 未開封：0"));

    // Placement: where the user left the window is where it opens again.
    SetWindowPos(main, nullptr, 40, 30, 720, 520, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT before = {};
    GetWindowRect(main, &before);
    Close(main);
    main = Start();
    ASSERT_NE(main, nullptr);
    RECT after = {};
    GetWindowRect(main, &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    Close(main);
}

TEST_F(MainWindowTest, ListsAFixtureMailboxAsTheStoreHoldsItAndSortsByTheClickedColumn)
{
    CreateMailBox();
    FileFixture(kMailCount);
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = ListOf(main);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(WaitRows(list, kMailCount));
    // Newest first by received date.
    ExpectRowsAsStored(list, ExpectedRows(4, false), "received date");
    EXPECT_EQ(E2e::ListItemText(list, 0, 1), CString("太字の確認"));

    HWND status = StatusOf(main);
    int unread = 0;
    for (int i = 0; i < kMailCount; ++i)
        unread += (i == kMailCount - 2 || (i % 3 == 0 && i < kMailCount - 2)) ? 0 : 1;
    EXPECT_EQ(E2e::StatusBarText(status, 1), CString(" 総数：") + CString(std::to_string(kMailCount).c_str()));
    EXPECT_EQ(E2e::StatusBarText(status, 2), CString(" 未開封：") + CString(std::to_string(unread).c_str()));
    // The inbox item shows that it holds unread mail.
    std::vector<E2e::TreeItem> shown = E2e::ReadTree(TreeOf(main));
    EXPECT_EQ(shown.back().image, 12 + 1 + 2);

    // Drawn rows: the unread twin in bold (more ink than the read one), the label's colour.
    SetForegroundWindow(main);
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    Sleep(300);
    int subjectLeft = E2e::ListColumnWidth(list, 0);
    int subjectRight = subjectLeft + E2e::ListColumnWidth(list, 1);
    size_t unreadInk = Ink(list, 0, subjectLeft, subjectRight).size();
    size_t readInk = Ink(list, 1, subjectLeft, subjectRight).size();
    EXPECT_GT(unreadInk, readInk + readInk / 10) << "unread " << unreadInk << " read " << readInk;
    RECT labelRow = E2e::ListItemRect(list, 4);
    labelRow.left = subjectLeft;
    labelRow.right = subjectRight;
    int red = 0;
    for (COLORREF c : E2e::CapturePixels(list, labelRow))
        red += c == RGB(255, 0, 0);
    EXPECT_GT(red, 20);

    // 1353 from another thread selects a mail in the list.
    DWORD thread = GetWindowThreadProcessId(main, nullptr);
    int inboxId = Folder("郵便受け").m_nId;
    PostThreadMessageA(thread, 1353, static_cast<WPARAM>(inboxId), 1234);
    Sleep(500);
    int selected = E2e::ListSelectedItem(list);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(E2e::ListItemText(list, selected, 1), CString((std::string(kSubjects[1234 % 8]) + " 第1234号").c_str()));

    // Clicking "件名" sorts by subject in the current direction; again reverses it.
    E2e::ClickListHeader(list, 1);
    ExpectRowsAsStored(list, ExpectedRows(1, false), "subject descending");
    E2e::ClickListHeader(list, 1);
    ExpectRowsAsStored(list, ExpectedRows(1, true), "subject ascending");
    E2e::ClickListHeader(list, 5);
    ExpectRowsAsStored(list, ExpectedRows(5, true), "size ascending");

    // The reply-thread view puts the reply under its mail, stepped in.
    E2e::ClickListHeader(list, 4);
    PostMessageA(main, WM_COMMAND, ID_VIEW_THREAD, 0);
    Sleep(1000);
    ASSERT_TRUE(WaitRows(list, kMailCount));
    int root = FindRow(list, "スレッド確認");
    int reply = FindRow(list, "Re: スレッド確認");
    ASSERT_GE(root, 0);
    EXPECT_EQ(reply, root + 1);
    E2e::ListSelectItem(list, reply + 5);
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(root), FALSE);
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    Sleep(300);
    auto leftmost = [](const std::vector<POINT>& ink) {
        int x = 1 << 30;
        for (const POINT& p : ink)
            x = p.x < x ? p.x : x;
        return x;
    };
    // Text only: the root's box sits in its own slot before the subject.
    const COLORREF lines = GetSysColor(COLOR_GRAYTEXT);
    int rootText = leftmost(Ink(list, root, subjectLeft + 19, subjectRight, lines));
    int replyText = leftmost(Ink(list, reply, subjectLeft + 19, subjectRight, lines));
    EXPECT_GE(replyText - rootText, 8);
    Close(main);

    // Closing wrote the folders' state: counts and the thread view of the inbox.
    CFolderRecord inbox = Folder("郵便受け");
    EXPECT_EQ(inbox.m_nMailCount, kMailCount);
    EXPECT_EQ(inbox.m_nUnread, unread);
    EXPECT_EQ(inbox.m_nListSwitch, 1);
    EXPECT_TRUE(TestSupport::FileExists(inbox.m_strPath + "\\FolderData.Dat"));
}

TEST_F(MainWindowTest, FolderCommandsArePersistedInFolderDat)
{
    CreateMailBox();
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND tree = TreeOf(main);
    ASSERT_NE(tree, nullptr);
    auto select = [&](const char* name) {
        HTREEITEM item = E2e::FindTreeItem(tree, name);
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        return item != nullptr;
    };
    auto newFolder = [&](const char* name) {
        PostMessageA(main, WM_COMMAND, ID_FOLDER_CREATE, 0);
        HWND dlg = m_program.WaitForDialogWithControl(IDC_POSITION_CHILD, 10000);
        if (!dlg)
            return (HWND) nullptr;
        E2e::SetControlText(dlg, IDC_FOLDER_NAME, name);
        E2e::PressButton(dlg, IDOK);
        return dlg;
    };
    ASSERT_TRUE(select("郵便受け"));
    ASSERT_NE(newFolder("新しいフォルダ"), nullptr);
    ASSERT_TRUE(select("郵便受け"));
    ASSERT_NE(newFolder("新しいフォルダ"), nullptr);
    // The same name at the same level is asked about, not refused.
    HWND same = m_program.WaitForMessageBox("既にあります", 10000);
    ASSERT_NE(same, nullptr);
    E2e::PressButton(same, IDOK);
    Sleep(300);
    CString folders = MailBox() + "\\Folders";
    auto appears = [](const CString& path) {
        for (int i = 0; i < 100 && !TestSupport::FileExists(path); ++i)
            Sleep(100);
        return TestSupport::FileExists(path);
    };
    EXPECT_TRUE(appears(folders + "\\新しいフォルダ.Box\\FolderData.Dat"));
    EXPECT_TRUE(appears(folders + "\\新しいフォルダ_1.Box\\FolderData.Dat"));

    // A name that leaves the "Folders" directory is refused with a message; the dialog stays.
    ASSERT_TRUE(select("郵便受け"));
    HWND dlg = newFolder("..\\外");
    ASSERT_NE(dlg, nullptr);
    HWND box = m_program.WaitForMessageBox("使用できない文字", 10000);
    ASSERT_NE(box, nullptr);
    E2e::PressButton(box, IDOK);
    Sleep(300);
    EXPECT_TRUE(IsWindow(dlg));
    E2e::PressButton(dlg, IDCANCEL);
    EXPECT_EQ(GetFileAttributesA(MailBox() + "\\外.Box"), INVALID_FILE_ATTRIBUTES);

    // In-place rename: Esc keeps the name, Enter moves the data directory along.
    HTREEITEM item = E2e::FindTreeItem(tree, "新しいフォルダ");
    ASSERT_NE(item, nullptr);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    HWND edit = reinterpret_cast<HWND>(SendMessageA(tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item)));
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("取り消し"));
    PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    Sleep(500);
    EXPECT_NE(E2e::FindTreeItem(tree, "新しいフォルダ"), nullptr);
    EXPECT_EQ(E2e::FindTreeItem(tree, "取り消し"), nullptr);
    EXPECT_EQ(GetFileAttributesA(folders + "\\取り消し.Box"), INVALID_FILE_ATTRIBUTES);
    edit = reinterpret_cast<HWND>(SendMessageA(tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item)));
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("案件"));
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    Sleep(500);
    EXPECT_NE(E2e::FindTreeItem(tree, "案件"), nullptr);
    EXPECT_TRUE(TestSupport::FileExists(folders + "\\案件.Box\\FolderData.Dat"));
    EXPECT_EQ(GetFileAttributesA(folders + "\\新しいフォルダ.Box"), INVALID_FILE_ATTRIBUTES);

    // Rename by command changes the display name only.
    ASSERT_TRUE(select("新しいフォルダ"));
    PostMessageA(main, WM_COMMAND, ID_FOLDER_RENAME, 0);
    dlg = m_program.WaitForDialogWithControl(IDC_FOLDER_NAME, 10000);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(E2e::GetControlText(dlg, IDC_FOLDER_NAME), CString("新しいフォルダ"));
    E2e::SetControlText(dlg, IDC_FOLDER_NAME, "削除用");
    E2e::PressButton(dlg, IDOK);
    Sleep(300);
    EXPECT_NE(E2e::FindTreeItem(tree, "削除用"), nullptr);

    // Properties of 案件: the third icon, settings for the folders below, a signature.
    ASSERT_TRUE(select("案件"));
    ASSERT_NE(newFolder("下位"), nullptr);
    ASSERT_TRUE(select("案件"));
    Sleep(300);
    PostMessageA(main, WM_COMMAND, ID_FOLDER_PROPERTIES, 0);
    dlg = m_program.WaitForDialogWithControl(IDC_PROP_APPLY_BELOW, 10000);
    ASSERT_NE(dlg, nullptr);
    HWND icons = E2e::FindDescendant(dlg, "SysListView32", IDC_PROP_ICONS);
    HWND signature = E2e::FindDescendant(dlg, "ComboBox", IDC_PROP_SIGNATURE);
    ASSERT_NE(icons, nullptr);
    ASSERT_NE(signature, nullptr);
    EXPECT_EQ(E2e::GetWindowTextOf(E2e::FindDescendant(dlg, "Edit", IDC_PROP_NAME)), CString("案件"));
    E2e::ListSelectItem(icons, 2);
    SendMessageA(GetDlgItem(dlg, IDC_PROP_APPLY_BELOW), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(signature, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("署名A"));
    E2e::PressButton(dlg, IDOK);
    Sleep(300);

    // Delete 削除用 with its data directory.
    ASSERT_TRUE(select("削除用"));
    PostMessageA(main, WM_COMMAND, ID_FOLDER_DELETE, 0);
    dlg = m_program.WaitForDialogWithControl(IDC_DELETE_FOLDER_ONLY, 10000);
    ASSERT_NE(dlg, nullptr);
    E2e::PressButton(dlg, IDOK);
    Sleep(500);
    EXPECT_EQ(E2e::FindTreeItem(tree, "削除用"), nullptr);
    EXPECT_EQ(GetFileAttributesA(folders + "\\新しいフォルダ_1.Box"), INVALID_FILE_ATTRIBUTES);
    Close(main);

    // After a restart: every change is in "Folder.dat" and in the tree.
    CFolderRecord project = Folder("案件");
    EXPECT_EQ(project.m_nIcon, 8);
    EXPECT_TRUE(project.m_bApplyBelow);
    EXPECT_EQ(project.m_strText[16 - 11], CString("署名A"));
    EXPECT_EQ(project.m_strPath, folders + "\\案件.Box");
    EXPECT_EQ(project.m_nParentId, Folder("郵便受け").m_nId);
    CFolderRecord below = Folder("下位");
    EXPECT_EQ(below.m_nParentId, project.m_nId);
    EXPECT_TRUE(below.m_strText[16 - 11].IsEmpty());  // inherited at use, not copied
    EXPECT_EQ(Folder("削除用").m_nId, 0);
    EXPECT_TRUE(Folder("郵便受け").m_bExpanded);
    main = Start();
    ASSERT_NE(main, nullptr);
    tree = TreeOf(main);
    std::vector<E2e::TreeItem> shown = E2e::ReadTree(tree);
    ASSERT_EQ(shown.size(), 8u);
    EXPECT_EQ(shown[6].text, CString("案件"));
    EXPECT_EQ(shown[6].depth, 1);
    EXPECT_EQ(shown[7].text, CString("下位"));
    EXPECT_EQ(shown[7].depth, 2);
    Close(main);
}

TEST_F(MainWindowTest, ALogoffSavesWhatACloseSaves)
{
    CreateMailBox();
    FileFixture(20);
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = ListOf(main);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(WaitRows(list, 20));
    SetWindowPos(main, nullptr, 52, 44, 700, 510, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT placed = {};
    GetWindowRect(main, &placed);
    E2e::ClickListHeader(list, 1);  // sorts by subject: "SortItem" 1

    // The session ends: the program agrees, and has written everything
    // before it hears that the end is final (the system may stop it then).
    DWORD_PTR agreed = 0;
    ASSERT_NE(SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 20000, &agreed), 0);
    EXPECT_EQ(agreed, 1u);
    ASSERT_NE(SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 30000, nullptr), 0);
    // Read before the program ends on its own (the system may not wait for that).
    std::string ini = TestSupport::ReadFileBytes(m_dir.File("CVM.ini"));
    EXPECT_EQ(m_program.WaitForExit(kStartTimeout), 0);
    m_program.Kill();

    size_t window = ini.find("[Window]");
    ASSERT_NE(window, std::string::npos);
    auto value = [&ini, window](const char* key) {
        size_t at = ini.find(std::string("\n") + key + "=dword:", window);
        return at == std::string::npos ? -1L : strtol(ini.c_str() + at + strlen(key) + 8, nullptr, 10);
    };
    EXPECT_EQ(value("Left"), placed.left);
    EXPECT_EQ(value("Top"), placed.top);
    EXPECT_EQ(value("Width"), placed.right - placed.left);
    EXPECT_EQ(value("SortItem"), 1);
    // The mailbox opens as after a close: no repair, the mails all there.
    main = Start();
    ASSERT_NE(main, nullptr);
    list = ListOf(main);
    ASSERT_TRUE(WaitRows(list, 20));
    Close(main);
}
