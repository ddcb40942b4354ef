// Drops on the folder tree with prepared data objects, and the main
// window's walk to unread mail, emptying of the trash and run of the rules;
// the requests about a mail that viewers and editors hand to the main list
// and the application thread.
#include "classlib/OleDataSource.h"
#include "core/PostedObjectTable.h"
#include "mainwnd/FolderDrop.h"
#include "mainwnd/FolderTree.h"
#include "mainwnd/MailObjectBlock.h"
#include "mainwnd/MainFrame.h"
#include "mainwnd/QListView.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/resource.h"
#include "store/FolderData.h"
#include "store/MailDataSource.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h>

#include <memory>
#include <set>
#include <thread>

using MailObjectBlock::MailRef;

namespace {

class MailDropTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestSupport::InstallMessageBoxRecorder();
        TestSupport::ClearMessages();
        m_app = new StoreTest::TestApp(m_dir.Path());
        ASSERT_TRUE(m_app->CreateDefaultMailBox());
        m_frame = new CMainFrame;
        m_app->m_pMainFrame = m_frame;
        ASSERT_TRUE(m_frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW));
        m_hFrame = m_frame->m_hWnd;
        m_frame->ShowWindow(SW_SHOWNA);
        Pump();
        HTREEITEM inbox = Tree()->FindItem(Inbox()->GetFolderId());
        m_nWork = Tree()->CreateFolder(nullptr, inbox, "仕事", 2, TRUE);
        m_nPrivate = Tree()->CreateFolder(nullptr, inbox, "個人", 2, TRUE);
        ASSERT_TRUE(m_nWork && m_nPrivate);
        Tree()->SelectFolder(Inbox()->GetFolderId());
        Pump();
    }
    void TearDown() override
    {
        if (::IsWindow(m_hFrame))
            ::DestroyWindow(m_hFrame);
        delete m_app;
        TestSupport::ClearMessages();
    }
    void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    CMailFolderStore* Inbox() { return m_app->GetDefaultFolder(1); }
    CMailFolderStore* Trash() { return m_app->GetDefaultFolder(4); }
    CFolderTree* Tree() { return m_frame->GetFolderTree(); }
    CQListView* List() { return m_frame->GetListView(); }
    void File(CMailFolderStore* store, const std::string& subject, bool read = false)
    {
        ASSERT_EQ(StoreTest::FileMail(*store, m_dir.Path(), "m.eml",
                                      StoreTest::SimpleMail(subject, "<" + std::to_string(m_nFiled++) + "@x>"), read),
                  1);
    }
    std::set<CString> Subjects(CMailFolderStore* store)
    {
        std::set<CString> out;
        CMailListData* list = store->GetMailList();
        for (int i = 0; list && i < list->GetAllRecordCount(); i++)
            if (!list->GetMailRecord(i)->m_bDeleted)
                out.insert(list->GetMailRecord(i)->GetText(CMailIndexRecord::colSubject));
        return out;
    }
    // A data object carrying one format, as another window would offer it.
    static COleDataSource* Offer(CLIPFORMAT cf, const std::vector<BYTE>& bytes)
    {
        COleDataSource* source = new COleDataSource;
        source->CacheGlobalData(cf, MailObjectBlock::ToGlobal(bytes));
        return source;
    }
    static COleDataSource* OfferFiles(const std::vector<CString>& files)
    {
        std::string list;
        for (const CString& f : files)
            list += f.Str() + '\0';
        list += '\0';
        std::vector<BYTE> bytes(sizeof(DROPFILES) + list.size());
        DROPFILES* df = reinterpret_cast<DROPFILES*>(bytes.data());
        df->pFiles = sizeof(DROPFILES);
        memcpy(bytes.data() + sizeof(DROPFILES), list.data(), list.size());
        return Offer(CF_HDROP, bytes);
    }

    TestSupport::TempDir m_dir;
    StoreTest::TestApp* m_app = nullptr;
    CMainFrame* m_frame = nullptr;
    HWND m_hFrame = nullptr;
    int m_nWork = 0, m_nPrivate = 0;
    int m_nFiled = 0;
};

} // namespace

TEST_F(MailDropTest, DropEffectsByKeysAndSource)
{
    struct { CFolderDrop::Source source; DWORD keys; bool accepted; DWORD effect; } cases[] = {
        {CFolderDrop::sourceMails, 0, true, DROPEFFECT_MOVE},
        {CFolderDrop::sourceMails, MK_CONTROL, true, DROPEFFECT_COPY},
        {CFolderDrop::sourceMails, MK_SHIFT, true, DROPEFFECT_MOVE},
        {CFolderDrop::sourceMails, MK_CONTROL, false, DROPEFFECT_NONE},
        {CFolderDrop::sourceFolder, 0, true, DROPEFFECT_MOVE},
        {CFolderDrop::sourceFolder, MK_CONTROL, true, DROPEFFECT_MOVE},
        {CFolderDrop::sourceFolder, 0, false, DROPEFFECT_NONE},
        {CFolderDrop::sourceFiles, 0, true, DROPEFFECT_COPY},  // never moved: the sender would delete them
        {CFolderDrop::sourceFiles, MK_CONTROL, true, DROPEFFECT_COPY},
        {CFolderDrop::sourceNone, MK_CONTROL, true, DROPEFFECT_NONE},
    };
    for (auto& c : cases)
        EXPECT_EQ(CFolderDrop::Effect(c.source, c.keys, c.accepted), c.effect) << c.source << " " << c.keys;

    // Which folders accept what.
    int inbox = Inbox()->GetFolderId();
    COleDataSource* mails = Offer(MailObjectBlock::GetMailFormat(),
                                  MailObjectBlock::Build(List()->GetSourceId(), 0, inbox, {0}));
    COleDataSource* stranger = Offer(MailObjectBlock::GetMailFormat(), MailObjectBlock::Build(0xDEAD, 0, inbox, {0}));
    MailObjectBlock::FolderObject work;
    work.nFolderId = m_nWork;
    COleDataSource* folder = Offer(MailObjectBlock::GetFolderFormat(), MailObjectBlock::BuildFolder(work));
    int below = Tree()->CreateFolder(nullptr, Tree()->FindItem(m_nWork), "下", 2, TRUE);
    struct { IDataObject* data; int target; bool accepted; } drops[] = {
        {mails, inbox, false},       // the list that shows the inbox is the source
        {mails, m_nWork, true},
        {stranger, inbox, true},     // an id no list of ours has: not the inbox's list
        {folder, m_nWork, false},    // onto itself
        {folder, below, false},      // below itself
        {folder, m_nPrivate, true},
    };
    for (auto& d : drops)
        EXPECT_EQ(CFolderDrop::CanDropHere(*m_app, d.target, d.data), d.accepted) << d.target;
    mails->Release();
    stranger->Release();
    folder->Release();
}

TEST_F(MailDropTest, DroppedMailsAreCopiedOrMovedByTheirIdsNotTheSelection)
{
    for (const char* s : {"a", "b", "c"})
        File(Inbox(), s);
    List()->SetFolder(Inbox()->GetFolderId(), TRUE, FALSE);
    // The list's selection is another mail than the dragged ones.
    List()->SelectMail(2);
    int inbox = Inbox()->GetFolderId();
    CMailFolderStore* work = m_app->FindFolder(m_nWork);

    COleDataSource* copy = Offer(MailObjectBlock::GetMailFormat(), MailObjectBlock::Build(7, 0, inbox, {0}));
    EXPECT_TRUE(Tree()->DropMails(m_nWork, copy, DROPEFFECT_COPY));
    copy->Release();
    EXPECT_EQ(Subjects(work), (std::set<CString>{"a"}));
    EXPECT_EQ(Subjects(Inbox()), (std::set<CString>{"a", "b", "c"}));

    COleDataSource* move = Offer(MailObjectBlock::GetMailFormat(), MailObjectBlock::Build(7, 0, inbox, {0, 1}));
    EXPECT_TRUE(Tree()->DropMails(m_nWork, move, DROPEFFECT_MOVE));
    EXPECT_EQ(Subjects(Inbox()), (std::set<CString>{"c"}));
    EXPECT_EQ(Subjects(work), (std::set<CString>{"a", "b"}));
    EXPECT_EQ(List()->GetListCtrl().GetItemCount(), 1);

    // A move into a folder that cannot be written keeps every mail.
    CMailFolderStore* priv = m_app->FindFolder(m_nPrivate);
    TestSupport::RemoveTree(priv->GetFolderPath());
    TestSupport::WriteFileBytes(priv->GetFolderPath(), "x");
    COleDataSource* failing = Offer(MailObjectBlock::GetMailFormat(), MailObjectBlock::Build(7, 0, inbox, {2}));
    EXPECT_FALSE(Tree()->DropMails(m_nPrivate, failing, DROPEFFECT_MOVE));
    failing->Release();
    move->Release();
    EXPECT_EQ(Subjects(Inbox()), (std::set<CString>{"c"}));
}

TEST_F(MailDropTest, DroppedMailFilesAreFiledWhateverTheirLineEnds)
{
    std::string crlf = "From: a@example.jp\r\nSubject: crlf\r\n\r\nline\r\n";
    std::string lf = "From: b@example.jp\nSubject: lf\n\nfirst\nsecond\n";
    TestSupport::WriteFileBytes(m_dir.File("crlf.eml"), crlf);
    TestSupport::WriteFileBytes(m_dir.File("lf.eml"), lf);
    COleDataSource* files = OfferFiles({m_dir.File("crlf.eml"), m_dir.File("lf.eml")});
    EXPECT_EQ(CFolderDrop::SourceOf(files), CFolderDrop::sourceFiles);
    EXPECT_TRUE(Tree()->DropFiles(m_nWork, files));
    files->Release();
    CMailFolderStore* work = m_app->FindFolder(m_nWork);
    EXPECT_EQ(Subjects(work), (std::set<CString>{"crlf", "lf"}));
    std::string text;
    ASSERT_TRUE(CMailDataSource::RebuildMail(work, 1, text));
    EXPECT_EQ(text, "From: b@example.jp\r\nSubject: lf\r\n\r\nfirst\r\nsecond\r\n");
    // The dropped files stay where they were.
    EXPECT_TRUE(TestSupport::FileExists(m_dir.File("lf.eml")));
}

// An mbox file and a folder data file are split into their mails; files
// of other kinds are left alone and the status bar names them.
TEST_F(MailDropTest, DroppedMboxAndDataFilesBecomeTheirMailsAndOtherFilesAreLeft)
{
    TestSupport::WriteFileBytes(m_dir.File("box.MBX"),
                                "From a@example.jp Mon Jan  1 10:00:00 2024\nFrom: a@example.jp\nSubject: m1\n\none\n\n"
                                "From b@example.jp Mon Jan  1 11:00:00 2024\nFrom: b@example.jp\nSubject: m2\n\ntwo\n");
    TestSupport::WriteFileBytes(m_dir.File("data.qmd"), "From: c@example.jp\r\nSubject: d1\r\n\r\nx\r\n.\r\n"
                                                        "From: d@example.jp\r\nSubject: d2\r\n\r\ny\r\n.\r\n");
    TestSupport::WriteFileBytes(m_dir.File("note.txt"), "Subject: not a mail\r\n\r\ntext\r\n");
    TestSupport::WriteFileBytes(m_dir.File("photo.jpg"), "\xFF\xD8\xFF\xE0");
    COleDataSource* files =
        OfferFiles({m_dir.File("box.MBX"), m_dir.File("data.qmd"), m_dir.File("note.txt"), m_dir.File("photo.jpg")});
    EXPECT_TRUE(Tree()->DropFiles(m_nWork, files));
    files->Release();
    EXPECT_EQ(Subjects(m_app->FindFolder(m_nWork)), (std::set<CString>{"m1", "m2", "d1", "d2"}));
    char text[256] = {};
    ::SendMessageA(m_frame->m_hStatusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(CString(text), CString("取り込まなかったファイル: note.txt, photo.jpg"));

    // Only files nothing is taken from: the drop reports that nothing was dropped.
    COleDataSource* junk = OfferFiles({m_dir.File("note.txt")});
    EXPECT_FALSE(Tree()->DropFiles(m_nPrivate, junk));
    junk->Release();
    EXPECT_TRUE(Subjects(m_app->FindFolder(m_nPrivate)).empty());
}

TEST(DroppedFileKinds, ByExtensionAndDirectory)
{
    const struct
    {
        const char* path;
        bool directory;
        CFolderDrop::DroppedFile kind;
    } cases[] = {
        {"C:\\in\\a.mbx", false, CFolderDrop::droppedMbox},
        {"C:\\in\\A.MBX", false, CFolderDrop::droppedMbox},
        {"C:\\in\\b.qmd", false, CFolderDrop::droppedDataFile},
        {"C:\\in\\c.Eml", false, CFolderDrop::droppedMail},
        {"C:\\in\\d.txt", false, CFolderDrop::droppedIgnored},
        {"C:\\in.mbx\\noext", false, CFolderDrop::droppedIgnored},
        {"C:\\in\\folder.mbx", true, CFolderDrop::droppedFolder},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CFolderDrop::ClassifyDroppedFile(c.path, c.directory), c.kind) << c.path;
}

TEST_F(MailDropTest, DroppedFolderMovesInTheListAndInFolderDat)
{
    struct { int choice; const char* parentName; const char* order; } cases[] = {
        {3, "個人", "郵便受け/個人/仕事"},
        {1, "郵便受け", "郵便受け/仕事/個人"},
        {2, "郵便受け", "郵便受け/個人/仕事"},
    };
    for (auto& c : cases) {
        ASSERT_TRUE(CFolderDrop::MoveFolder(*m_app, m_nWork, m_nPrivate, c.choice)) << c.choice;
        // "Folder.dat" as the next start reads it.
        CFolderData data(m_app->GetMailBoxFolder());
        data.SetFilePath(m_app->GetFolderDataPath());
        ASSERT_TRUE(data.ReadFromFile(TRUE));
        CString order, parent;
        for (int i = 0; i < data.GetRecordCount(TRUE); i++) {
            CFolderRecord* r = data.GetFolder(i);
            if (r->m_strName == "郵便受け" || r->m_strName == "仕事" || r->m_strName == "個人")
                order += (order.IsEmpty() ? "" : "/") + r->m_strName;
            if (r->m_nId == m_nWork)
                for (int k = 0; k < data.GetRecordCount(TRUE); k++)
                    if (data.GetFolder(k)->m_nId == r->m_nParentId)
                        parent = data.GetFolder(k)->m_strName;
        }
        EXPECT_EQ(order, c.order) << c.choice;
        EXPECT_EQ(parent, c.parentName) << c.choice;
        // Put it back under the inbox as its last sub-folder.
        ASSERT_TRUE(CFolderDrop::MoveFolder(*m_app, m_nWork, Inbox()->GetFolderId(), 3));
    }
    // A system folder does not move, nor a folder into itself.
    EXPECT_FALSE(CFolderDrop::MoveFolder(*m_app, Inbox()->GetFolderId(), m_nWork, 3));
    int below = Tree()->CreateFolder(nullptr, Tree()->FindItem(m_nWork), "下", 2, TRUE);
    EXPECT_FALSE(CFolderDrop::MoveFolder(*m_app, m_nWork, below, 3));
}

TEST_F(MailDropTest, NextUnreadWalksAcrossFoldersAndTheTrashEmpties)
{
    File(Inbox(), "read", true);
    ASSERT_NE(m_app->FindFolder(m_nPrivate)->GetMailList(), nullptr);
    File(m_app->FindFolder(m_nPrivate), "unread here");
    List()->SetFolder(Inbox()->GetFolderId(), TRUE, FALSE);
    // No unread mail in the inbox: the walk goes on in the next folder with one.
    m_frame->SendMessage(WM_COMMAND, 32931, 0);
    Pump();
    EXPECT_EQ(List()->GetFolderId(), m_nPrivate);
    EXPECT_EQ(List()->GetMailIndex(List()->GetCurrentRow()), 0);
    EXPECT_EQ(m_app->GetCurrentFolderId(), m_nPrivate);
    // Backward from there: the folder before it with unread mail.
    ASSERT_NE(m_app->FindFolder(m_nWork)->GetMailList(), nullptr);
    File(m_app->FindFolder(m_nWork), "unread there");
    m_frame->SendMessage(WM_COMMAND, 33123, 0);
    Pump();
    EXPECT_EQ(List()->GetFolderId(), m_nWork);
    EXPECT_EQ(List()->GetMailIndex(List()->GetCurrentRow()), 0);

    // Emptying the trash asks first; "no" keeps it.
    File(Trash(), "gone 1");
    File(Trash(), "gone 2");
    TestSupport::ClearMessages();
    TestSupport::QueueMessageBoxAnswer(IDNO);
    m_frame->SendMessage(WM_COMMAND, 32953, 0);
    EXPECT_EQ(Subjects(Trash()).size(), 2u);
    TestSupport::QueueMessageBoxAnswer(IDYES);
    m_frame->SendMessage(WM_COMMAND, 32953, 0);
    EXPECT_TRUE(Subjects(Trash()).empty());
    ASSERT_GE(TestSupport::RecordedMessages().size(), 2u);
    EXPECT_NE(TestSupport::RecordedMessages()[0].find("2通のメールを削除します。"), std::string::npos);
    m_frame->SendMessage(WM_COMMAND, 32953, 0);
    EXPECT_NE(TestSupport::RecordedMessages().back().find("ごみ箱は空っぽです。"), std::string::npos);
}

TEST_F(MailDropTest, TheRulesRunOverTheCurrentFolder)
{
    CString rule = FormatString("Subject\t移動\t\t\t%d\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\r\n", m_nWork);
    TestSupport::WriteFileBytes(m_app->GetFilterRulePath(FALSE), rule.Str());
    File(Inbox(), "移動する");
    File(Inbox(), "残る");
    List()->SetFolder(Inbox()->GetFolderId(), TRUE, FALSE);
    // The command asks which mails and which rules first; its choices stand as they open.
    DWORD uiThread = GetCurrentThreadId();
    std::thread chooser([uiThread] {
        for (int i = 0; i < 200; ++i) {
            HWND found = nullptr;
            EnumThreadWindows(
                uiThread,
                [](HWND h, LPARAM p) -> BOOL {
                    char caption[64] = {};
                    GetWindowTextA(h, caption, sizeof(caption));
                    if (IsWindowVisible(h) && strcmp(caption, "振り分け選択") == 0) {
                        *reinterpret_cast<HWND*>(p) = h;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&found));
            if (found) {
                PostMessageA(found, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(50);
        }
    });
    m_frame->SendMessage(WM_COMMAND, 32785, 0);
    chooser.join();
    EXPECT_EQ(Subjects(Inbox()), (std::set<CString>{"残る"}));
    EXPECT_EQ(Subjects(m_app->FindFolder(m_nWork)), (std::set<CString>{"移動する"}));
    EXPECT_EQ(List()->GetListCtrl().GetItemCount(), 1);
}

TEST_F(MailDropTest, SelectingAPieceOffersTheJoin)
{
    const char* chunks[] = {"Subject: whole\r\n\r\nline one\r\n", "line two\r\n", "line three\r\n"};
    for (int n = 1; n <= 3; n++) {
        std::string piece = "From: a@example.jp\r\nSubject: whole (" + std::to_string(n) + "/3)\r\nMessage-ID: <p" +
                            std::to_string(n) + "@x>\r\nContent-Type: message/partial; id=\"k@x\"; number=" +
                            std::to_string(n) + "; total=3\r\n\r\n" + chunks[n - 1];
        ASSERT_EQ(StoreTest::FileMail(*Inbox(), m_dir.Path(), "p.eml", piece), 1);
    }
    List()->SetFolder(Inbox()->GetFolderId(), TRUE, FALSE);
    TestSupport::ClearMessages();
    TestSupport::QueueMessageBoxAnswer(IDYES);
    List()->SelectMail(1);
    ASSERT_FALSE(TestSupport::RecordedMessages().empty());
    EXPECT_NE(TestSupport::RecordedMessages()[0].find("分割メールを結合しますか"), std::string::npos);
    EXPECT_EQ(Subjects(Inbox()), (std::set<CString>{"whole"}));
    EXPECT_EQ(Subjects(Trash()).size(), 3u);
    EXPECT_EQ(List()->GetListCtrl().GetItemCount(), 1);
}

// A viewer asks the main list to move on, and an editor asks the
// application thread to delete the stored mail it replaced, by a token of
// the posted-object table. The same numbers sent or posted by another
// program with an address or with the ids of a real mail do nothing.
TEST_F(MailDropTest, MailRequestsOfOtherThreadsAreTakenOnlyAsTokens)
{
    for (const char* s : {"a", "b", "c"})
        File(Inbox(), s);
    const int inbox = Inbox()->GetFolderId();
    List()->SetFolder(inbox, TRUE, FALSE);
    const int first = List()->GetMailIndex(0);
    const int second = List()->GetMailIndex(1);
    ASSERT_TRUE(List()->SelectMail(first));
    CPostedObjectTable& table = CPostedObjectTable::Instance();
    const UINT kMoveNext = 1345, kDeleteStored = 1389;

    MailRef local = {inbox, first};
    const LPARAM forged[] = { 1, reinterpret_cast<LPARAM>(&local) };
    for (LPARAM lParam : forged) {
        EXPECT_EQ(SendMessageA(List()->m_hWnd, kMoveNext, 0, lParam), 0);
        EXPECT_EQ(List()->GetMailIndex(List()->GetCurrentRow()), first);
        EXPECT_EQ(local.nIndex, first);
    }
    auto request = std::make_shared<MailRef>(MailRef{inbox, first});
    // A token put for the other direction is not this message's.
    const LPARAM previous = table.Put(1344, request);
    EXPECT_EQ(SendMessageA(List()->m_hWnd, kMoveNext, 0, previous), 0);
    table.Drop(previous);
    EXPECT_EQ(request->nIndex, first);
    DWORD_PTR moved = 0;
    ASSERT_TRUE(table.SendWithTimeout(List()->m_hWnd, kMoveNext, 0, request, SMTO_NORMAL, 5000, &moved));
    EXPECT_EQ(moved, 1u);
    EXPECT_EQ(request->nIndex, second);
    EXPECT_EQ(List()->GetMailIndex(List()->GetCurrentRow()), second);

    // The application thread's queue: a folder id and index as the number
    // once carried them delete nothing; the editor's token deletes.
    for (LPARAM lParam : { LPARAM(first), reinterpret_cast<LPARAM>(&local) }) {
        MSG msg = { nullptr, kDeleteStored, static_cast<WPARAM>(inbox), lParam };
        EXPECT_TRUE(m_app->DispatchThreadMessage(&msg));
    }
    EXPECT_EQ(Subjects(Inbox()), (std::set<CString>{"a", "b", "c"}));
    MSG msg = { nullptr, kDeleteStored, 0, table.Put(kDeleteStored, std::make_shared<MailRef>(MailRef{inbox, first})) };
    EXPECT_TRUE(m_app->DispatchThreadMessage(&msg));
    EXPECT_EQ(Subjects(Inbox()).size(), 2u);
}
