// What the main window shows of its mails as a user changes it: the mail
// view pane's header form follows the basic settings at once, the centre
// command centres an open viewer window too, and a related-mail list sorts
// by the column clicked.
#include "e2e/MaintFixture.h"

#include "resources/mainwnd/MainWndResource.h"
#include "resources/mainwnd/ToolsCommandsResource.h"
#include "resources/rules/RulesResource.h"
#include "resources/settings/SettingsResource.h"
#include "resources/viewer/ViewerResource.h"

#include <commctrl.h>

namespace {

using MaintE2e::kTimeout;

struct ThreadMail
{
    const char* subject;
    const char* id;
    const char* inReplyTo;
    const char* cc;
};

class MainWindowViews : public MaintE2e::CMailBoxTest
{
protected:
    void FileThread(const std::vector<ThreadMail>& mails)
    {
        CMailFolderStore store;
        store.SetFolderRecord(Folder(CFolderRecord::kindInbox));
        CString file = m_dir.File("mail.eml");
        int minute = 0;
        for (const ThreadMail& m : mails) {
            std::string text = std::string("From: 山田 <taro@example.jp>\r\nTo: me@example.jp\r\n") +
                               (*m.cc ? std::string("Cc: ") + m.cc + "\r\n" : std::string()) + "Subject: " +
                               m.subject + "\r\nDate: Mon, 01 Jan 2024 10:0" + std::to_string(minute++) +
                               ":00 +0900\r\nMessage-ID: " + m.id + "\r\n";
            if (*m.inReplyTo)
                text += std::string("In-Reply-To: ") + m.inReplyTo + "\r\n";
            text += "\r\n本文\r\n";
            TestSupport::WriteFileBytes(file, text);
            ASSERT_EQ(store.AddNewMailData(file, "2024/02/01 10:00:00 +0900", FALSE), 1);
        }
        store.Close();
    }
    void FileMailWithReceiptRequest(const char* subject)
    {
        CMailFolderStore store;
        store.SetFolderRecord(Folder(CFolderRecord::kindInbox));
        CString file = m_dir.File("mail.eml");
        TestSupport::WriteFileBytes(file, std::string("From: 山田 <taro@example.jp>\r\nTo: me@example.jp\r\nSubject: ") +
                                              subject +
                                              "\r\nDisposition-Notification-To: taro@example.jp\r\n"
                                              "Message-ID: <receipt@example.jp>\r\n\r\n本文\r\n");
        ASSERT_EQ(store.AddNewMailData(file, "2024/02/01 10:00:00 +0900", FALSE), 1);
        store.Close();
    }
    static std::vector<CString> Subjects(HWND list)
    {
        std::vector<CString> out;
        for (int r = 0; r < E2e::ListItemCount(list); ++r)
            out.push_back(E2e::ListItemText(list, r, 1));
        return out;
    }
    // The mouse as a user moves it, in screen pixels, with the button's change.
    static void Mouse(POINT pt, DWORD dwButton)
    {
        const int cx = GetSystemMetrics(SM_CXSCREEN) - 1, cy = GetSystemMetrics(SM_CYSCREEN) - 1;
        INPUT in = {};
        in.type = INPUT_MOUSE;
        in.mi.dx = MulDiv(pt.x, 65535, cx);
        in.mi.dy = MulDiv(pt.y, 65535, cy);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | dwButton;
        SendInput(1, &in, sizeof(in));
    }
    // A control of the mail view pane, with its top in the pane and whether it shows.
    static bool PaneControl(HWND pane, int id, int& top)
    {
        HWND control = GetDlgItem(pane, id);
        RECT rc = {};
        GetWindowRect(control, &rc);
        MapWindowPoints(nullptr, pane, reinterpret_cast<POINT*>(&rc), 2);
        top = rc.top;
        return control && IsWindowVisible(control);
    }
};

bool Near(LONG a, LONG b)
{
    return a - b <= 1 && b - a <= 1;
}

} // namespace

TEST_F(MainWindowViews, AHeaderFormChosenInTheBasicSettingsShowsAtOnce)
{
    MakeMailBox();
    FileThread({ { "写しあり", "<cc@example.jp>", "", "hanako@example.jp" } });
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    Select(list, "写しあり");
    struct Case
    {
        int radio;
        int subjectTop;  // the subject's line: first in the full header, second in the compact one
        bool ccLine;
    } const cases[] = {
        { IDC_SET_HEADER_MODE, 20, false },
        { IDC_SET_HEADER_MODE_2, 3, true },
        { IDC_SET_HEADER_MODE_1, 3, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.radio);
        PostMessageA(main, WM_COMMAND, ID_TOOLS_BASIC_SETTINGS, 0);
        HWND dialog = m_program.WaitForWindow("#32770", "基本設定", 20000);
        ASSERT_NE(dialog, nullptr) << E2e::VisibleWindows(m_program.ProcessId());
        HWND radio = E2e::FindDescendant(dialog, "Button", c.radio);
        ASSERT_NE(radio, nullptr);
        SendMessageA(radio, BM_CLICK, 0, 0);
        E2e::PressButton(dialog, IDOK);
        // The pane is made anew in the chosen form, with the mail shown.
        EXPECT_TRUE(WaitFor([&] {
            HWND text = E2e::FindDescendant(main, "CVMColorTextView");
            HWND pane = text ? GetParent(text) : nullptr;
            int subjectTop = -1, ccTop = -1;
            return pane && PaneControl(pane, IDC_VIEW_SUBJECT_LABEL, subjectTop) && subjectTop == c.subjectTop &&
                   PaneControl(pane, IDC_VIEW_CC_LABEL, ccTop) == c.ccLine;
        })) << E2e::VisibleWindows(m_program.ProcessId());
    }
    Close(main);
}

TEST_F(MainWindowViews, CentringCentresAnOpenViewerOnTheScreen)
{
    MakeMailBox();
    FileMails(CFolderRecord::kindInbox, { "中央へ" });
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND viewer = OpenViewer(main, E2e::FindDescendant(main, "SysListView32"), "中央へ");
    ASSERT_NE(viewer, nullptr);
    SetWindowPos(viewer, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitFor([&] {
        RECT rc = {};
        GetWindowRect(viewer, &rc);
        return rc.left == 0 && rc.top == 0;
    }));
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    PostMessageA(main, WM_COMMAND, ID_WINDOW_CENTER, 0);
    EXPECT_TRUE(WaitFor([&] {
        RECT rc = {};
        GetWindowRect(viewer, &rc);
        return Near(rc.left + rc.right, work.left + work.right) && Near(rc.top + rc.bottom, work.top + work.bottom);
    })) << E2e::VisibleWindows(m_program.ProcessId());
    Close(main);
}

TEST_F(MainWindowViews, ARelatedMailListSortsByTheClickedColumn)
{
    MakeMailBox();
    FileThread({ { "ウ 発端", "<root@example.jp>", "", "" },
                 { "ア 返事", "<reply@example.jp>", "<root@example.jp>", "" },
                 { "イ 返事の返事", "<again@example.jp>", "<reply@example.jp>", "" } });
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    Select(E2e::FindDescendant(main, "SysListView32"), "イ 返事の返事");
    Command(main, ID_MAIL_THREAD_LIST);
    HWND window = m_program.WaitForWindow("CVMRefListWndClass", nullptr, 20000);
    ASSERT_NE(window, nullptr) << E2e::VisibleWindows(m_program.ProcessId());
    HWND list = E2e::FindDescendant(window, "SysListView32");
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 3; }));
    // The thread's order first; then the clicked column in the list's
    // direction (newest first), and a second click turns it round.
    EXPECT_EQ(Subjects(list), (std::vector<CString>{ "ウ 発端", "ア 返事", "イ 返事の返事" }));
    E2e::ClickListHeader(list, 1);
    EXPECT_TRUE(WaitFor([&] { return Subjects(list) == std::vector<CString>{ "ウ 発端", "イ 返事の返事", "ア 返事" }; }));
    E2e::ClickListHeader(list, 1);
    EXPECT_TRUE(WaitFor([&] { return Subjects(list) == std::vector<CString>{ "ア 返事", "イ 返事の返事", "ウ 発端" }; }));
    // Another column keeps the direction: the sent dates ascending.
    E2e::ClickListHeader(list, 3);
    EXPECT_TRUE(WaitFor([&] { return Subjects(list) == std::vector<CString>{ "ウ 発端", "ア 返事", "イ 返事の返事" }; }));

    // The mail list's copy and context menu: the row copied as mails, and
    // bookmarked through the menu's mnemonic.
    E2e::ListSelectItem(list, 1);
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    Command(window, ID_MAIL_COPY);
    EXPECT_TRUE(WaitFor([] { return IsClipboardFormatAvailable(RegisterClipboardFormatA("CVMail Mail Object")) != FALSE; }));
    PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
    HWND menu = m_program.WaitForPopupMenu(10000);
    ASSERT_NE(menu, nullptr);
    PostMessageA(menu, WM_CHAR, 'B', 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }));
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitGone(window));
    Close(main);

    CMailFolderStore inbox;
    inbox.SetFolderRecord(Folder(CFolderRecord::kindInbox));
    CMailListData* mails = inbox.GetMailList();
    ASSERT_NE(mails, nullptr);
    for (int i = 0; i < mails->GetAllRecordCount(); ++i) {
        CMailIndexRecord* r = mails->GetMailRecord(i);
        EXPECT_EQ(r->m_nBookmark, r->GetText(CMailIndexRecord::colSubject) == "ア 返事" ? 1 : 0)
            << r->GetText(CMailIndexRecord::colSubject).GetString();
    }
    inbox.UnloadIndex();
}


TEST_F(MainWindowViews, TheMainMenuOpensThePrintSettingsAndAsksAboutAReadReceipt)
{
    MakeMailBox();
    FileMailWithReceiptRequest("確認の依頼");
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    Select(E2e::FindDescendant(main, "SysListView32"), "確認の依頼");

    PostMessageA(main, WM_COMMAND, ID_TOOLS_PRINT_SETTINGS, 0);
    HWND settings = m_program.WaitForWindow("#32770", "印刷の設定", 20000);
    ASSERT_NE(settings, nullptr) << E2e::VisibleWindows(m_program.ProcessId());
    E2e::PressButton(settings, IDCANCEL);
    EXPECT_TRUE(WaitGone(settings));

    // The shown mail asks for a read receipt: the command asks whether to send it.
    PostMessageA(main, WM_COMMAND, ID_MAIL_SEND_READ_NOTIFY, 0);
    HWND question = m_program.WaitForDialogWithControl(IDC_READ_NOTIFY_LATER, 20000);
    ASSERT_NE(question, nullptr) << E2e::VisibleWindows(m_program.ProcessId());
    EXPECT_NE(E2e::GetControlText(question, IDC_READ_NOTIFY_TEXT).Find("taro@example.jp"), -1);
    E2e::PressButton(question, IDC_READ_NOTIFY_LATER);
    EXPECT_TRUE(WaitGone(question));
    Close(main);
}

TEST_F(MainWindowViews, ARelatedMailDraggedOntoAFolderMovesThere)
{
    MakeMailBox();
    FileThread({ { "発端", "<root@example.jp>", "", "" }, { "返事", "<reply@example.jp>", "<root@example.jp>", "" } });
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    MakeFolderUnderInbox(main, "移動先");
    HWND tree = E2e::FindDescendant(main, "SysTreeView32", IDC_FOLDER_TREE);
    HTREEITEM target = E2e::FindTreeItem(tree, "移動先");
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET,
                             reinterpret_cast<LPARAM>(E2e::FindTreeItem(tree, "郵便受け"))));
    HWND mainList = E2e::FindDescendant(main, "SysListView32");
    ASSERT_TRUE(WaitFor([&] { return FindRow(mainList, "返事") >= 0; }));
    Select(mainList, "返事");
    Command(main, ID_MAIL_THREAD_LIST);
    HWND window = m_program.WaitForWindow("CVMRefListWndClass", nullptr, 20000);
    ASSERT_NE(window, nullptr) << E2e::VisibleWindows(m_program.ProcessId());
    HWND list = E2e::FindDescendant(window, "SysListView32");
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 2; }));

    // The window beside the folder tree, not over it.
    RECT treeRect = {};
    GetWindowRect(tree, &treeRect);
    SetWindowPos(window, HWND_TOP, treeRect.right + 40, treeRect.top, 500, 300, SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }));
    RECT row = E2e::ListItemRect(list, 1);
    POINT from = { row.left + 40, (row.top + row.bottom) / 2 };
    ClientToScreen(list, &from);
    const CString dragged = E2e::ListItemText(list, 1, 1);
    RECT item = E2e::TreeItemTextRect(tree, target);
    POINT to = { (item.left + item.right) / 2, (item.top + item.bottom) / 2 };
    ClientToScreen(tree, &to);

    // Pressed on the row and moved over the folder, which shows it takes the drop.
    Mouse(from, 0);
    Mouse(from, MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 4; ++step)
        Mouse(POINT{ from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4 }, 0);
    int nudge = 0;
    EXPECT_TRUE(WaitFor([&] {
        Mouse(POINT{ to.x + (++nudge % 2), to.y }, 0);
        return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0)) == target;
    })) << "the folder does not show the drag over it";
    Mouse(to, MOUSEEVENTF_LEFTUP);
    // Moved: the row leaves the related list.
    EXPECT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 1; }));
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitGone(window));
    Close(main);

    EXPECT_EQ(StoredIn(FolderNamed("移動先")), (std::multiset<std::string>{ dragged.Str() }));
    EXPECT_EQ(Stored(CFolderRecord::kindInbox).count(dragged.Str()), 0u);
}
