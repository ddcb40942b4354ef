// The main window inside a test application: its panes on a fresh mailbox,
// the thread messages about folders and mails, the timers, the folder
// commands, and closing with workers that do not end.
#include "mainwnd/FolderTree.h"
#include "mainwnd/MailTransfer.h"
#include "mainwnd/MailViewSeam.h"
#include "viewer/TextViewActions.h"
#include "mainwnd/MainFrame.h"
#include "mainwnd/QListView.h"
#include "mainwnd/MainFrameTransfer.h"
#include "mainwnd/TrayIcon.h"
#include "core/QuendalApp.h"
#include "store/FolderRecord.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/resource.h"
#include "store/FolderData.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <windowsx.h>

#include <set>
#include <thread>

namespace {

class MainFrameTest : public ::testing::Test
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
    }
    void TearDown() override
    {
        if (::IsWindow(m_hFrame))
            ::DestroyWindow(m_hFrame);
        MainFrameHooks& hooks = GetMainFrameHooks();
        hooks = MainFrameHooks();
        delete m_app;
        TestSupport::ClearMessages();
    }
    // Serves what the frame posted to itself (start of the timers, the folder shown).
    void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, m_hFrame, 0, 0, PM_REMOVE)) {
            if (msg.message == CMainFrame::WM_QD_ROUTE_DUE)
                m_nRoutePasses++;
            DispatchMessageA(&msg);
        }
    }
    void Post(UINT message, WPARAM wParam, LPARAM lParam)
    {
        MSG msg = {};
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        EXPECT_TRUE(m_app->DispatchThreadMessage(&msg));
    }
    CString Pane(int n)
    {
        char text[128] = {};
        ::SendMessageA(m_frame->m_hStatusBar, SB_GETTEXTA, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(text));
        return CString(text);
    }
    CMailFolderStore* Inbox() { return m_app->GetDefaultFolder(1); }
    void FileMails(int count, int firstRead = 1000)
    {
        for (int i = 0; i < count; ++i) {
            CString id;
            id.Format("<m%d@example.jp>", m_nFiled);
            std::string subject = "お知らせ " + std::to_string(m_nFiled);
            ASSERT_EQ(StoreTest::FileMail(*Inbox(), m_dir.Path(), "m.eml", StoreTest::SimpleMail(subject, id.Str()),
                                          i >= firstRead),
                      1);
            m_nFiled++;
        }
    }
    CFolderTree* Tree() { return m_frame->GetFolderTree(); }
    CListCtrl& List() { return m_frame->GetListView()->GetListCtrl(); }

    TestSupport::TempDir m_dir;
    StoreTest::TestApp* m_app = nullptr;
    CMainFrame* m_frame = nullptr;
    HWND m_hFrame = nullptr;
    int m_nFiled = 0;
    int m_nRoutePasses = 0;
};

} // namespace

TEST_F(MainFrameTest, OpensWithTheFoldersOfANewMailboxAndTheInboxShown)
{
    CFolderTreeCtrl& tree = Tree()->GetTreeCtrl();
    EXPECT_EQ(tree.GetCount(), 6u);
    // Nesting and order of "Folder.dat".
    HTREEITEM group = tree.GetRootItem();
    EXPECT_EQ(tree.GetItemText(group), CString("送信"));
    HTREEITEM child = tree.GetChildItem(group);
    EXPECT_EQ(tree.GetItemText(child), CString("作成中"));
    EXPECT_EQ(tree.GetItemText(tree.GetNextSiblingItem(tree.GetNextSiblingItem(child))), CString("送信済"));
    EXPECT_EQ(tree.GetItemText(tree.GetNextSiblingItem(group)), CString("ごみ箱"));
    HTREEITEM inbox = tree.GetNextSiblingItem(tree.GetNextSiblingItem(group));
    EXPECT_EQ(tree.GetItemText(inbox), CString("郵便受け"));
    EXPECT_EQ(tree.GetSelectedItem(), inbox);
    EXPECT_EQ(m_frame->GetListView()->GetFolderId(), Inbox()->GetFolderId());
    EXPECT_EQ(m_frame->GetWindowText(), CString("Corvane Mail"));
    EXPECT_EQ(Pane(1), CString(" 総数：0"));
    EXPECT_EQ(Pane(2), CString(" 未開封：0"));
    EXPECT_NE(m_frame->GetMailView(), nullptr);  // the mail view pane's place
    EXPECT_EQ(Pane(0), CString("ヘルプを表示するには [F1] を押してください。"));
    // The frame's focus goes to the folder pane's tree; Tab moves on to the list and back.
    ::SetForegroundWindow(m_hFrame);
    m_frame->SetFocus();
    EXPECT_EQ(::GetFocus(), tree.m_hWnd);
    m_frame->CycleActivePane(nullptr);
    EXPECT_EQ(::GetFocus(), m_frame->GetListView()->m_hWnd);
}

TEST_F(MainFrameTest, FolderMessagesRefreshTheListCountsAndSelection)
{
    int inbox = Inbox()->GetFolderId();
    FileMails(5, 3);  // two of them read
    // 1346: a mail was filed into a shown folder.
    Post(1346, 0, inbox);
    EXPECT_EQ(List().GetItemCount(), 5);
    EXPECT_EQ(Pane(1), CString(" 総数：5"));
    EXPECT_EQ(Pane(2), CString(" 未開封：3"));
    // 1352 and 1351 with the folder id redraw the item: open (current) with mail.
    Post(1352, 0, inbox);
    Post(1351, 0, inbox);
    int image = -1, selected = -1;
    Tree()->GetTreeCtrl().GetItemImage(Tree()->FindItem(inbox), image, selected);
    EXPECT_EQ(image, 12 + 1 + 2);
    // 1353 selects a folder's mail; newest first, so mail 1 is the fourth row.
    Post(1353, static_cast<WPARAM>(inbox), 1);
    int row = List().GetNextItem(-1, LVNI_SELECTED);
    EXPECT_EQ(m_frame->GetListView()->GetMailIndex(row), 1);
    EXPECT_EQ(row, 3);
    // A folder id that names no folder changes nothing.
    Post(1353, 999, 0);
    EXPECT_EQ(m_frame->GetListView()->GetFolderId(), inbox);
    // Marking the whole folder read from the folder pane.
    m_frame->GetFolderTree()->SendMessage(WM_COMMAND, ID_FOLDER_MARK_ALL_READ);
    EXPECT_EQ(Pane(2), CString(" 未開封：0"));
    EXPECT_EQ(Inbox()->GetUnreadCount(), 0);
}

TEST_F(MainFrameTest, TheMinuteTimerArmsTheRouteTimerWhenTheScheduleChanges)
{
    // Start-up: route off, so no route timer.
    EXPECT_FALSE(::KillTimer(m_hFrame, 45));
    EXPECT_TRUE(::KillTimer(m_hFrame, 10));  // the minute timer runs
    ::SetTimer(m_hFrame, 10, 60000, nullptr);
    GetMainFrameHooks().pfnGetRouteInterval = [] { return 5; };
    GetMainFrameHooks().pfnIsRouteEnabled = [] { return true; };
    ::SendMessageA(m_hFrame, WM_TIMER, 10, 0);
    Pump();
    EXPECT_EQ(m_nRoutePasses, 1);
    EXPECT_TRUE(::KillTimer(m_hFrame, 45));
    ::SendMessageA(m_hFrame, WM_TIMER, 10, 0);  // nothing changed: no pass, no timer
    Pump();
    EXPECT_EQ(m_nRoutePasses, 1);
    EXPECT_FALSE(::KillTimer(m_hFrame, 45));
}

TEST_F(MainFrameTest, FolderCommandsKeepTheirDirectoriesInsideTheMailbox)
{
    CFolderTreeCtrl& tree = Tree()->GetTreeCtrl();
    HTREEITEM inbox = Tree()->FindItem(Inbox()->GetFolderId());
    int first = Tree()->CreateFolder(nullptr, inbox, "新しいフォルダ", 2, TRUE);
    int second = Tree()->CreateFolder(nullptr, inbox, "新しいフォルダ", 2, TRUE);
    CString folders = m_app->GetFoldersPath();
    EXPECT_EQ(first, 7);
    EXPECT_EQ(second, 8);
    EXPECT_EQ(m_app->FindFolder(first)->GetFolderPath(), folders + "\\新しいフォルダ.Box");
    EXPECT_EQ(m_app->FindFolder(second)->GetFolderPath(), folders + "\\新しいフォルダ_1.Box");
    EXPECT_EQ(m_app->FindFolder(first)->GetKind(), 0);
    // Below the group of outgoing folders: kind 10 with the group's image.
    int sub = Tree()->CreateFolder(nullptr, tree.GetRootItem(), "控え", 2, TRUE);
    EXPECT_EQ(m_app->FindFolder(sub)->GetKind(), 10);
    EXPECT_EQ(m_app->FindFolder(sub)->GetFolderRecord().m_nIcon, 8);

    // Names that would leave "Folders" are refused with a message; nothing is made.
    TestSupport::ClearMessages();
    EXPECT_EQ(Tree()->CreateFolder(nullptr, inbox, "..\\..\\外", 2, TRUE), 0);
    EXPECT_EQ(Tree()->CreateFolder(nullptr, inbox, "CON", 2, TRUE), 0);
    EXPECT_EQ(TestSupport::RecordedMessages().size(), 2u);
    EXPECT_EQ(GetFileAttributesA(m_app->GetMailBoxFolder() + "\\外.Box"), INVALID_FILE_ATTRIBUTES);

    // In-place rename: Esc brings no text and keeps the name; a bad name is refused.
    HTREEITEM item = Tree()->FindItem(first);
    NMTVDISPINFOA info = {};
    info.hdr.hwndFrom = tree.m_hWnd;
    info.hdr.idFrom = IDC_FOLDER_TREE;
    info.hdr.code = TVN_ENDLABELEDITA;
    info.item.hItem = item;
    info.item.pszText = nullptr;
    Tree()->SendMessage(WM_NOTIFY, IDC_FOLDER_TREE, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(tree.GetItemText(item), CString("新しいフォルダ"));
    char bad[] = "a/b";
    info.item.pszText = bad;
    Tree()->SendMessage(WM_NOTIFY, IDC_FOLDER_TREE, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(tree.GetItemText(item), CString("新しいフォルダ"));
    char good[] = "仕事";
    info.item.pszText = good;
    Tree()->SendMessage(WM_NOTIFY, IDC_FOLDER_TREE, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(tree.GetItemText(item), CString("仕事"));
    EXPECT_EQ(m_app->FindFolder(first)->GetFolderPath(), folders + "\\仕事.Box");
    EXPECT_NE(GetFileAttributesA(folders + "\\仕事.Box"), INVALID_FILE_ATTRIBUTES);
    // Renaming onto an existing directory would share it: refused.
    char taken[] = "新しいフォルダ_1";
    info.item.pszText = taken;
    Tree()->SendMessage(WM_NOTIFY, IDC_FOLDER_TREE, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(m_app->FindFolder(first)->GetFolderPath(), folders + "\\仕事.Box");

    // Deleting the folder only (choice 2) frees its id for the next folder.
    tree.SelectItem(Tree()->FindItem(first));
    TestSupport::QueueMessageBoxAnswer(IDOK);
    HWND hFrame = m_hFrame;
    // The confirmation dialog is answered by pressing its "folder only" button.
    SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        HWND dlg = FindWindowA("#32770", "フォルダの削除確認");
        if (dlg)
            PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(1379, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, 1379)));
    });
    (void)hFrame;
    EXPECT_EQ(Tree()->DeleteFolder(), 1);
    EXPECT_EQ(m_app->FindFolder(first), nullptr);
    EXPECT_NE(GetFileAttributesA(folders + "\\仕事.Box"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Tree()->CreateFolder(nullptr, inbox, "次", 2, TRUE), first);

    // The inbox cannot be deleted.
    TestSupport::ClearMessages();
    tree.SelectItem(inbox);
    EXPECT_EQ(Tree()->DeleteFolder(), 0);
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_NE(TestSupport::RecordedMessages()[0].find("このフォルダは削除できません"), std::string::npos);

    // Every change is in "Folder.dat".
    CFolderData data;
    m_app->LoadFolderList(data);
    EXPECT_EQ(data.GetRecordCount(TRUE), 6 + 3);
}

TEST_F(MainFrameTest, ClosingEndsOrLetsGoOfWorkersWithinItsBound)
{
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    auto stuck = [](void* p) -> DWORD { return WaitForSingleObject(static_cast<HANDLE>(p), INFINITE); };
    HANDLE worker = CreateThread(nullptr, 0, stuck, stop, 0, nullptr);
    DuplicateHandle(GetCurrentProcess(), worker, GetCurrentProcess(), &m_frame->m_hReceiveWorker, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    m_frame->m_nWorkerEndWaitMs = 300;
    m_frame->m_nWorkerSettleWaitMs = 300;
    EXPECT_TRUE(m_frame->IsReceiving());

    // Cancel keeps the program and its worker.
    TestSupport::QueueMessageBoxAnswer(IDCANCEL);
    EXPECT_FALSE(m_frame->PrepareClose());
    EXPECT_TRUE(m_frame->IsReceiving());

    // 強制終了: the frame waits a bounded time, then keeps no handle of the worker.
    TestSupport::ClearMessages();
    TestSupport::QueueMessageBoxAnswer(IDOK);
    DWORD start = GetTickCount();
    EXPECT_TRUE(m_frame->PrepareClose());
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(m_frame->m_hReceiveWorker, nullptr);
    EXPECT_FALSE(m_frame->IsReceiving());
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_NE(TestSupport::RecordedMessages()[0].find("強制終了"), std::string::npos);

    // A receive that has just finished reports its end to the frame's thread
    // and ends: closing then asks nothing.
    auto ending = [](void* p) -> DWORD {
        Sleep(100);
        return static_cast<DWORD>(SendMessageA(static_cast<HWND>(p), WM_NULL, 0, 0));
    };
    HANDLE finishing = CreateThread(nullptr, 0, ending, m_hFrame, 0, nullptr);
    DuplicateHandle(GetCurrentProcess(), finishing, GetCurrentProcess(), &m_frame->m_hReceiveWorker, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    TestSupport::ClearMessages();
    EXPECT_TRUE(m_frame->PrepareClose());
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());
    EXPECT_FALSE(m_frame->IsReceiving());
    CloseHandle(finishing);

    // The frame goes; the folder pane writes the list and closes the stores.
    FileMails(2);
    ::DestroyWindow(m_hFrame);
    EXPECT_EQ(m_app->GetFolderCount(), 0);
    EXPECT_EQ(m_app->m_pMainFrame, nullptr);
    CFolderData data;
    m_app->LoadFolderList(data);
    EXPECT_EQ(data.GetRecordCount(TRUE), 6);

    SetEvent(stop);
    WaitForSingleObject(worker, 5000);
    CloseHandle(worker);
    CloseHandle(stop);
}

namespace {

// Answers the folder password dialog once it is up: with a password, or cancels.
const char* g_passwordAnswer = nullptr;

void CALLBACK AnswerPassword(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND dlg = FindWindowA("#32770", "フォルダのパスワード");
    if (!dlg)
        return;
    KillTimer(nullptr, id);
    if (g_passwordAnswer) {
        SetDlgItemTextA(dlg, IDC_PASSWORD, g_passwordAnswer);
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    } else {
        PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    }
}

} // namespace

TEST_F(MainFrameTest, AFolderWithAPasswordOpensOnlyForIt)
{
    HTREEITEM inbox = Tree()->FindItem(Inbox()->GetFolderId());
    int id = Tree()->CreateFolder(nullptr, inbox, "秘密", 2, TRUE);
    m_app->FindFolder(id)->GetFolderRecord().m_strPassword = "himitsu";

    g_passwordAnswer = nullptr;
    SetTimer(nullptr, 0, 100, AnswerPassword);
    Tree()->SelectFolder(id);
    EXPECT_EQ(m_frame->GetListView()->GetFolderId(), Inbox()->GetFolderId());
    EXPECT_EQ(Tree()->GetSelectedFolderId(), Inbox()->GetFolderId());

    g_passwordAnswer = "himitsu";
    SetTimer(nullptr, 0, 100, AnswerPassword);
    Tree()->SelectFolder(id);
    EXPECT_EQ(m_frame->GetListView()->GetFolderId(), id);
}

TEST_F(MainFrameTest, ComingBackToAFolderOfManyDeletedMailsOffersToOptimiseIt)
{
    FileMails(101);
    std::vector<int> all;
    for (int i = 0; i < 101; ++i)
        all.push_back(i);
    ASSERT_EQ(CMailTransfer::DeleteMails(*m_app, Inbox(), all, true).nDone, 101);
    const int inbox = Inbox()->GetFolderId();
    const int trash = m_app->GetDefaultFolder(4)->GetFolderId();
    const char kQuestion[] = "フォルダを最適化しますか";
    auto asked = [&] {
        for (const std::string& m : TestSupport::RecordedMessages())
            if (m.find(kQuestion) != std::string::npos)
                return true;
        return false;
    };

    // The index in memory holds more than 100 deleted mails: the question comes.
    ASSERT_TRUE(m_frame->ChangeFolder(trash));
    EXPECT_FALSE(asked());
    TestSupport::QueueMessageBoxAnswer(IDCANCEL);
    ASSERT_TRUE(m_frame->ChangeFolder(inbox));
    EXPECT_TRUE(asked());
    EXPECT_EQ(m_frame->GetListView()->GetFolderId(), inbox);

    // An index read for this change is not asked about.
    ASSERT_TRUE(m_frame->ChangeFolder(trash));
    Inbox()->UnloadIndex();
    TestSupport::ClearMessages();
    ASSERT_TRUE(m_frame->ChangeFolder(inbox));
    EXPECT_FALSE(asked());
}

namespace {

int g_nShownIndex = -2;

void RecordShownMail(CView*, CMailFolderStore*, int nIndex)
{
    g_nShownIndex = nIndex;
}

} // namespace

TEST_F(MainFrameTest, ChoosingTheShownFolderAgainKeepsThePickedMail)
{
    MailViewSeam& seam = GetMailViewSeam();
    const MailViewSeam saved = seam;
    seam.pfnShowMail = RecordShownMail;
    const int inbox = Inbox()->GetFolderId();
    FileMails(3);
    Post(1346, 0, inbox);
    ASSERT_TRUE(m_frame->GetListView()->SelectMail(1));
    EXPECT_EQ(g_nShownIndex, 1);

    // The frame chooses its folder again as it settles after the start.
    EXPECT_TRUE(m_frame->ChangeFolder(inbox));
    EXPECT_EQ(g_nShownIndex, 1);
    EXPECT_EQ(m_frame->GetListView()->GetMailIndex(List().GetNextItem(-1, LVNI_SELECTED)), 1);
    // Another folder clears the pane.
    EXPECT_TRUE(m_frame->ChangeFolder(m_app->GetDefaultFolder(4)->GetFolderId()));
    EXPECT_EQ(g_nShownIndex, -1);
    seam = saved;
}

TEST_F(MainFrameTest, TheWheelOverTheListScrollsThePaneUnderTheMouse)
{
    ::SetWindowPos(m_hFrame, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Pump();
    HWND list = List().m_hWnd;
    HWND tree = Tree()->GetTreeCtrl().m_hWnd;
    HWND header = ListView_GetHeader(list);
    auto centre = [](HWND h) {
        RECT rc = {};
        ::GetWindowRect(h, &rc);
        return MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    };
    auto queuedFor = [](HWND h) {
        MSG msg;
        return ::PeekMessageA(&msg, h, WM_MOUSEWHEEL, WM_MOUSEWHEEL, PM_REMOVE) != FALSE;
    };
    ASSERT_EQ(::WindowFromPoint(POINT{ GET_X_LPARAM(centre(tree)), GET_Y_LPARAM(centre(tree)) }), tree);
    // Over the folder tree: the tree gets the wheel.
    ::SendMessageA(list, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), centre(tree));
    EXPECT_TRUE(queuedFor(tree));
    // Over the list's own header: the list scrolls itself, nothing goes round.
    ::SendMessageA(list, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), centre(header));
    EXPECT_FALSE(queuedFor(header));
    EXPECT_FALSE(queuedFor(list));
}

namespace {

std::vector<std::string> g_handedOver;

void RecordHandOver(const char* pszText)
{
    g_handedOver.push_back(pszText);
}

} // namespace

TEST_F(MainFrameTest, TheFocusedMailsSenderGoesToTheAddressBook)
{
    TextViewActions& actions = GetTextViewActions();
    const TextViewActions saved = actions;
    actions.pfnHandOverAddress = RecordHandOver;
    g_handedOver.clear();
    FileMails(2);
    Post(1346, 0, Inbox()->GetFolderId());
    // Nothing selected: the command is greyed, and given as a key or the
    // menu gives it, it does nothing.
    TestSupport::ClearMessages();
    m_frame->SendMessage(WM_COMMAND, 32908);
    EXPECT_TRUE(g_handedOver.empty());
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());
    ASSERT_TRUE(m_frame->GetListView()->SelectMail(1));
    m_frame->SendMessage(WM_COMMAND, 32908);
    EXPECT_EQ(g_handedOver, (std::vector<std::string>{ "Sender <sender@example.com>" }));
    actions = saved;
}

TEST_F(MainFrameTest, TheTransferAnimationSitsAtTheToolbarsRightEndAndFollowsTheWidth)
{
    HWND animation = m_frame->GetTransferAnimation();
    ASSERT_NE(animation, nullptr);
    EXPECT_EQ(::GetDlgCtrlID(animation), 1000);
    EXPECT_EQ(::GetParent(animation), m_frame->GetToolBar().m_hWnd);
    for (int width : { 700, 900 }) {
        ::SetWindowPos(m_hFrame, nullptr, 0, 0, width, 500, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Pump();
        RECT client = {}, rc = {};
        ::GetClientRect(m_hFrame, &client);
        ::GetWindowRect(animation, &rc);
        ::MapWindowPoints(nullptr, m_frame->GetToolBar().m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        EXPECT_EQ(rc.left, client.right - 50) << width;
        EXPECT_EQ(rc.right, client.right - 12) << width;
        EXPECT_GT(rc.bottom, rc.top);
    }
    m_frame->PlayTransferAnimation(TRUE);
    m_frame->PlayTransferAnimation(FALSE);
    EXPECT_TRUE(::IsWindowVisible(animation));
}

TEST_F(MainFrameTest, ALogoffThatIsCalledOffLeavesTheKeysWorking)
{
    ASSERT_NE(m_frame->m_hAccelTable, nullptr);
    EXPECT_EQ(m_frame->SendMessage(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 1);
    EXPECT_EQ(m_frame->m_hAccelTable, nullptr);  // saved as at a close
    m_frame->SendMessage(WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_NE(m_frame->m_hAccelTable, nullptr);
    EXPECT_TRUE(::IsWindow(m_hFrame));
}

namespace {

std::vector<std::pair<std::wstring, DWORD>> g_published;

HRESULT RecordPublished(const wchar_t* pszAddress, DWORD dwCount, const wchar_t*)
{
    g_published.emplace_back(pszAddress, dwCount);
    return S_OK;
}

// Publishing to the shell goes to the recorder while it lives.
struct PublishedCounts
{
    PublishedCounts()
    {
        g_published.clear();
        m_old = SetUnreadMailPublisher(RecordPublished);
    }
    ~PublishedCounts() { SetUnreadMailPublisher(m_old); }
    UnreadMailPublisher m_old;
};

HICON TrayIconOf(UINT nId)
{
    return static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nId), IMAGE_ICON, 16, 16,
                                           LR_SHARED));
}

} // namespace

TEST_F(MainFrameTest, ATransferBlinksInTheTrayAndItsEndPublishesTheUnreadMailAndKeepsTheTree)
{
    PublishedCounts published;
    m_app->WriteProfileInt("Setting", "DisplayUnReadMail", 1);
    FileMails(2);
    const NOTIFYICONDATAA& tray = m_frame->m_tray.GetData();
    ASSERT_NE(TrayIconOf(190), TrayIconOf(191));
    EXPECT_EQ(tray.hIcon, TrayIconOf(190));

    m_frame->m_pTransfer->StartTransferProgress(0, nullptr);
    EXPECT_EQ(tray.hIcon, TrayIconOf(190));
    for (UINT expected : { 190u, 191u, 190u, 191u }) {
        m_frame->SendMessage(WM_TIMER, CTrayIcon::kTransferTimer);
        EXPECT_EQ(tray.hIcon, TrayIconOf(expected));
    }

    // The user folds a group meanwhile; the session ends with two new mails.
    CFolderTreeCtrl& treeCtrl = Tree()->GetTreeCtrl();
    HTREEITEM group = treeCtrl.GetRootItem();
    CMailFolderStore* groupStore = m_app->FindFolder(static_cast<int>(treeCtrl.GetItemData(group)));
    ASSERT_NE(groupStore, nullptr);
    treeCtrl.Expand(group, TVE_COLLAPSE);
    g_published.clear();
    Post(1355, 2, 0);
    EXPECT_EQ(tray.hIcon, TrayIconOf(257));
    EXPECT_STREQ(tray.szTip, "Corvane Mail:2通のメールを受信");
    EXPECT_FALSE(::KillTimer(m_hFrame, CTrayIcon::kTransferTimer));
    EXPECT_TRUE(::KillTimer(m_hFrame, CTrayIcon::kBlinkTimer));
    ASSERT_EQ(g_published.size(), 1u);
    EXPECT_EQ(g_published[0], std::make_pair(std::wstring(L"Corvane Mail"), DWORD(2)));
    EXPECT_FALSE(groupStore->GetFolderRecord().m_bExpanded);
    CFolderData data;
    m_app->LoadFolderList(data);
    for (int i = 0; i < data.GetRecordCount(TRUE); ++i) {
        if (data.GetFolder(i)->m_nId == groupStore->GetFolderId()) {
            EXPECT_FALSE(data.GetFolder(i)->m_bExpanded);
        }
    }

    // A machine back from a suspend shows the counts again.
    g_published.clear();
    m_frame->SendMessage(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_EQ(g_published.size(), 1u);
}

TEST_F(MainFrameTest, ASendErrorIsShownByTheWindowsThreadNotByTheWorker)
{
    TestSupport::ClearMessages();
    std::thread worker([this] { m_frame->m_pTransfer->ShowSendError("送信できませんでした"); });
    worker.join();
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_NE(TestSupport::RecordedMessages()[0].find("送信できませんでした"), std::string::npos);
}

TEST_F(MainFrameTest, NewMailStopsBlinkingOnceNothingIsUnreadOrTheUserScrolls)
{
    FileMails(1);
    m_frame->OnNewMailsReceived(1);
    // Unread mail still waits: the minute timer leaves the blinking alone.
    m_frame->SendMessage(WM_TIMER, 10);
    Pump();
    EXPECT_EQ(m_frame->m_tray.GetNewMailCount(), 1);
    m_frame->GetFolderTree()->SendMessage(WM_COMMAND, ID_FOLDER_MARK_ALL_READ);
    m_frame->SendMessage(WM_TIMER, 10);
    Pump();
    EXPECT_EQ(m_frame->m_tray.GetNewMailCount(), 0);
    EXPECT_FALSE(::KillTimer(m_hFrame, CTrayIcon::kBlinkTimer));

    // The scroll shortcuts count the new mail as seen.
    for (UINT command : { 32916u, 32917u }) {
        m_frame->OnNewMailsReceived(2);
        m_frame->SendMessage(WM_COMMAND, command);
        EXPECT_EQ(m_frame->m_tray.GetNewMailCount(), 0) << command;
    }
}

TEST_F(MainFrameTest, TheUnreadWalkPassesOverExcludedFoldersUnlessEveryFolderIsSearched)
{
    HTREEITEM inbox = Tree()->FindItem(Inbox()->GetFolderId());
    int excluded = Tree()->CreateFolder(nullptr, inbox, "除外", 2, TRUE);
    int below = Tree()->CreateFolder(nullptr, Tree()->FindItem(excluded), "除外の下", 2, TRUE);
    int walked = Tree()->CreateFolder(nullptr, inbox, "対象", 2, TRUE);
    // The setting holds for the folders below it too.
    CFolderRecord& setting = m_app->FindFolder(excluded)->GetFolderRecord();
    setting.m_bNoDupDeleteAll = TRUE;
    setting.m_bApplyBelow = TRUE;
    for (int id : { excluded, below, walked })
        ASSERT_EQ(StoreTest::FileMail(*m_app->FindFolder(id), m_dir.Path(), "m.eml",
                                      StoreTest::SimpleMail("未読", "<u" + std::to_string(id) + "@example.jp>"), false),
                  1);
    struct Case
    {
        BOOL bSkipExcluded;
        std::set<int> reached;
    } const cases[] = { { TRUE, { walked } }, { FALSE, { excluded, below, walked } } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bSkipExcluded);
        ASSERT_TRUE(m_frame->ChangeFolder(Inbox()->GetFolderId()));
        std::set<int> reached;
        for (int step = 0; step < 4; ++step) {
            m_frame->GoToNextFolder(c.bSkipExcluded);
            int shown = m_frame->GetListView()->GetFolderId();
            reached.insert(shown);
            // The tree shows where the walk went.
            EXPECT_EQ(Tree()->GetTreeCtrl().GetSelectedItem(), Tree()->FindItem(shown));
            EXPECT_EQ(m_app->GetCurrentFolderId(), shown);
        }
        EXPECT_EQ(reached, c.reached);
    }
}

// Every number the application's dispatcher hands to the main window is a
// row of the window's own table; a number without a row would be logged and
// lost.
TEST(MainFrameThreadMessages, EveryNumberHandedToTheMainWindowHasARow)
{
    int handed = 0;
    for (UINT n = 0; n < 0x10000; ++n) {
        if (!CQuendalApp::IsFrameThreadMessage(n))
            continue;
        ++handed;
        EXPECT_NE(CMainFrame::FindThreadMessageRow(n), nullptr) << n;
    }
    EXPECT_GT(handed, 25);
    // The frame serves nothing the dispatcher would not hand it.
    for (UINT n = 0; n < 0x10000; ++n)
        if (CMainFrame::FindThreadMessageRow(n)) {
            EXPECT_TRUE(CQuendalApp::IsFrameThreadMessage(n)) << n;
        }
}
