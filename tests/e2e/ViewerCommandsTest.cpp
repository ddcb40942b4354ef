// A viewer window as a user drives it: next unread going on into the next
// folder through the main window, and the viewer's menu and keys reaching
// their work (find, header window, dialogs, the history of shown mails, the
// junk-sender list, maximising on a double click), with its toolbar and
// five-part status bar; every command its menu, keys, toolbar and the body
// text's context menu bind reaching a handler; and the related-mail list
// with the mail list's rows.
#include "classlib/CommandState.h"
#include "e2e/CommandCoverage.h"
#include "e2e/E2eDriver.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/MaintFixture.h"
#include "e2e/RemoteControls.h"
#include "resources/editor/EditorResource.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/shownmail/ShownMailResource.h"
#include "resources/viewerwnd/ViewerWndResource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <string>

namespace {

class ViewerCommandsTest : public MaintE2e::CMailBoxTest
{
protected:
    HWND List(HWND main) { return E2e::FindDescendant(main, "SysListView32"); }
    // A dialog of the program whose caption holds the text.
    HWND WaitDialog(const char* caption) { return m_program.WaitForWindow("#32770", caption, 10000); }
    void Dismiss(HWND dlg)
    {
        ASSERT_NE(dlg, nullptr);
        E2e::PressButton(dlg, IDCANCEL);
        EXPECT_TRUE(WaitGone(dlg));
    }
    // The buttons of the viewer's toolbar as the window shows them.
    static std::vector<E2e::CommandBinding> ToolBarButtons(HWND hToolBar)
    {
        std::vector<E2e::CommandBinding> out;
        E2e::CRemoteBlock block(hToolBar, sizeof(TBBUTTON));
        int count = static_cast<int>(SendMessageA(hToolBar, TB_BUTTONCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TBBUTTON button = {};
            if (!SendMessageA(hToolBar, TB_GETBUTTON, static_cast<WPARAM>(i), block.Param()) ||
                !block.Read(&button, sizeof(button)) || (button.fsStyle & BTNS_SEP))
                continue;
            CString where;
            where.Format("viewer toolbar button %d", i);
            out.push_back({static_cast<UINT>(button.idCommand), where});
        }
        return out;
    }
    static bool Enabled(HWND frame, UINT id) { return (E2e::QueryCommandState(frame, id) & kCommandEnabled) != 0; }
    static CString SelectedTreeText(HWND tree)
    {
        for (const E2e::TreeItem& item : E2e::ReadTree(tree))
            if (SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) == reinterpret_cast<LRESULT>(item.handle))
                return item.text;
        return CString();
    }
};

std::string Lines(const std::vector<CString>& lines)
{
    std::string out;
    for (const CString& line : lines)
        out += line.Str() + "\n";
    return out;
}

} // namespace

TEST_F(ViewerCommandsTest, NextUnreadInAViewerGoesOnIntoTheNextFolderWithUnreadMail)
{
    ASSERT_NO_FATAL_FAILURE(MakeMailBox());
    ASSERT_NO_FATAL_FAILURE(FileMails(CFolderRecord::kindInbox, {"受信箱の一通"}, "in"));
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    ASSERT_NO_FATAL_FAILURE(MakeFolderUnderInbox(main, "案件"));
    Close(main);
    CFolderRecord caseFolder = FolderNamed("案件");
    ASSERT_FALSE(caseFolder.m_strPath.IsEmpty());
    ASSERT_NO_FATAL_FAILURE(FileMailsInto(caseFolder, {"案件の一通目", "案件の二通目"}, "case"));

    main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = List(main);
    HWND tree = E2e::FindDescendant(main, "SysTreeView32");
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 1; }));
    Sleep(1500);  // the window shows its folder afresh once after start-up
    // Shown in the main window, the inbox's only mail is read: the viewer
    // finds no unread mail left in its folder.
    HWND viewer = OpenViewer(main, List(main), "受信箱の一通");
    ASSERT_NE(viewer, nullptr);
    Command(viewer, ID_VIEWER_NEXT_UNREAD);
    // The main window moved on to the other folder's first unread mail,
    // and the viewer shows that mail too.
    std::set<CString> caseMails = {"案件の一通目", "案件の二通目"};
    EXPECT_TRUE(WaitFor([&] { return caseMails.count(Caption(viewer)) == 1; })) << Caption(viewer).GetString();
    EXPECT_TRUE(WaitFor([&] { return SelectedTreeText(tree).Find("案件") == 0; }))
        << SelectedTreeText(tree).GetString();
    EXPECT_EQ(E2e::ListItemCount(list), 2);
    int selected = E2e::ListSelectedItem(list);
    ASSERT_GE(selected, 0);
    CString first = Caption(viewer);
    EXPECT_EQ(E2e::ListItemText(list, selected, 1), first);

    // The viewer now walks the main list of that folder: its other mail.
    Command(viewer, ID_VIEWER_NEXT_MAIL);
    EXPECT_TRUE(WaitFor([&] { return caseMails.count(Caption(viewer)) == 1 && Caption(viewer) != first; }))
        << Caption(viewer).GetString();
    // Every mail is read now: the viewer keeps its mail and stays usable.
    CString last = Caption(viewer);
    Command(viewer, ID_VIEWER_NEXT_UNREAD_ALL);
    Sleep(1500);
    EXPECT_EQ(Caption(viewer), last);
    Command(viewer, ID_VIEWER_PREV_MAIL);
    EXPECT_TRUE(WaitFor([&] { return Caption(viewer) == first; })) << Caption(viewer).GetString();
    Close(main);
}

TEST_F(ViewerCommandsTest, ViewerMenuKeysAndBarsReachTheirWork)
{
    ASSERT_NO_FATAL_FAILURE(MakeMailBox());
    ASSERT_NO_FATAL_FAILURE(FileMails(CFolderRecord::kindInbox, {"一通目", "二通目"}, "v"));
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = List(main);
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 2; }));
    Sleep(1500);
    CString row0 = E2e::ListItemText(list, 0, 1), row1 = E2e::ListItemText(list, 1, 1);

    // In the main window a double click on the mail view pane gives it the
    // list's room, and a second one gives the room back.
    HWND mainBody = E2e::FindDescendant(main, "CVMColorTextView");
    ASSERT_NE(mainBody, nullptr);
    auto listHeight = [&] {
        RECT rc = {};
        GetWindowRect(list, &rc);
        return rc.bottom - rc.top;
    };
    const int normalHeight = listHeight();
    ASSERT_GT(normalHeight, 40);
    PostMessageA(GetParent(mainBody), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(200, 5));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(list) || listHeight() < normalHeight / 2; })) << listHeight();
    PostMessageA(GetParent(mainBody), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(200, 5));
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(list) && abs(listHeight() - normalHeight) <= 2; }))
        << listHeight();

    HWND viewer = OpenViewer(main, List(main), row0);
    ASSERT_NE(viewer, nullptr);

    // A toolbar and a status bar of five parts, the first with the idle prompt.
    HWND toolbar = E2e::FindDescendant(viewer, TOOLBARCLASSNAMEA);
    ASSERT_NE(toolbar, nullptr);
    EXPECT_GT(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0), 10);
    EXPECT_NE(SendMessageA(toolbar, TB_COMMANDTOINDEX, ID_VIEWER_TEMPLATE_REPLY, 0), -1);
    HWND status = E2e::FindDescendant(viewer, STATUSCLASSNAMEA);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(SendMessageA(status, SB_GETPARTS, 0, 0), 5);
    EXPECT_NE(E2e::StatusBarText(status, 0).Find("[F1]"), -1) << E2e::StatusBarText(status, 0).GetString();

    // Find goes to the body text whichever part has the focus.
    PostMessageA(viewer, WM_COMMAND, ID_VIEWER_FIND, 0);
    Dismiss(m_program.WaitForDialogWithControl(IDC_FIND_TEXT, 10000));
    // The header window of the shown mail.
    PostMessageA(viewer, WM_COMMAND, ID_VIEWER_SHOW_HEADER, 0);
    HWND header = m_program.WaitForWindow("CVMHeaderWndClass", row0, 10000);
    ASSERT_NE(header, nullptr);
    PostMessageA(header, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitGone(header));
    // The dialogs the viewer opens: template choice for a reply, the body
    // pane settings, fonts and colours.
    PostMessageA(viewer, WM_COMMAND, ID_VIEWER_TEMPLATE_REPLY, 0);
    Dismiss(m_program.WaitForDialogWithControl(IDC_TS_LIST, 10000));
    PostMessageA(viewer, WM_COMMAND, ID_VIEWER_VIEW_SETTINGS, 0);
    Dismiss(WaitDialog("メール本文欄の設定"));
    PostMessageA(viewer, WM_COMMAND, ID_VIEWER_FONT_COLOR, 0);
    Dismiss(WaitDialog("フォントと色の設定"));
    EXPECT_EQ(Caption(viewer), row0);

    // The history of shown mails: back to the first mail and forward again.
    Command(viewer, ID_VIEWER_NEXT_MAIL);
    ASSERT_TRUE(WaitFor([&] { return Caption(viewer) == row1; }));
    Command(viewer, ID_VIEWER_HISTORY_BACK);
    EXPECT_TRUE(WaitFor([&] { return Caption(viewer) == row0; })) << Caption(viewer).GetString();
    Command(viewer, ID_VIEWER_HISTORY_FORWARD);
    EXPECT_TRUE(WaitFor([&] { return Caption(viewer) == row1; })) << Caption(viewer).GetString();

    // The text view's menu command puts the sender on the junk-mail list.
    HWND body = E2e::FindDescendant(viewer, "CVMColorTextView");
    ASSERT_NE(body, nullptr);
    PostMessageA(body, WM_COMMAND, IDM_TV_JUNK_SENDER, 0);
    CString junk = MailBox() + "\\Address.Box\\迷惑メール.dat";
    EXPECT_TRUE(WaitFor([&] { return TestSupport::ReadFileBytes(junk).find("taro@example.jp") == 0; }))
        << TestSupport::ReadFileBytes(junk);
    EXPECT_NE(TestSupport::ReadFileBytes(junk).find("\t山田\t"), std::string::npos);

    // A double click on the mail view maximises the viewer, a second one restores it.
    HWND pane = GetDlgItem(viewer, 0xE900);
    ASSERT_NE(pane, nullptr);
    PostMessageA(pane, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(200, 5));
    EXPECT_TRUE(WaitFor([&] { return IsZoomed(viewer) != FALSE; }));
    PostMessageA(pane, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(200, 5));
    EXPECT_TRUE(WaitFor([&] { return IsZoomed(viewer) == FALSE; }));

    // Esc closes the viewer.
    PostMessageA(viewer, WM_COMMAND, ID_VIEWER_ESCAPE, 0);
    EXPECT_TRUE(WaitGone(viewer));
    Close(main);
}

TEST_F(ViewerCommandsTest, RelatedMailListShowsMailListRowsWithPropertiesAndHeader)
{
    ASSERT_NO_FATAL_FAILURE(MakeMailBox());
    ASSERT_NO_FATAL_FAILURE(FileMails(CFolderRecord::kindInbox, {"相談"}, "t"));
    {
        // A reply to it, unread.
        CMailFolderStore inbox;
        inbox.SetFolderRecord(Folder(CFolderRecord::kindInbox));
        CString file = m_dir.File("reply.eml");
        TestSupport::WriteFileBytes(file, "From: 佐藤 <sato@example.jp>\r\nTo: taro@example.jp\r\nSubject: Re: 相談\r\n"
                                          "Date: Tue, 02 Jan 2024 10:00:00 +0900\r\nMessage-ID: <r0@example.jp>\r\n"
                                          "In-Reply-To: <t0@example.jp>\r\n\r\n返事\r\n");
        ASSERT_EQ(inbox.AddNewMailData(file, "2024/02/02 10:00:00 +0900", FALSE), 1);
        inbox.Close();
    }
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = List(main);
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 2; }));
    Sleep(1500);
    HWND viewer = OpenViewer(main, List(main), "相談");
    ASSERT_NE(viewer, nullptr);
    Command(viewer, ID_VIEWER_RELATED_LIST);
    HWND window = m_program.WaitForWindow("CVMRefListWndClass", "相談", 20000);
    ASSERT_NE(window, nullptr);
    HWND rows = E2e::FindDescendant(window, "SysListView32");
    ASSERT_NE(rows, nullptr);
    // The mail list's columns and texts, root first.
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(rows) == 2; }));
    EXPECT_EQ(E2e::ListHeaderText(rows, 1), CString("件名"));
    EXPECT_EQ(E2e::ListHeaderText(rows, 2), CString("差出人"));
    EXPECT_EQ(E2e::ListItemText(rows, 0, 1), CString("相談"));
    EXPECT_EQ(E2e::ListItemText(rows, 1, 1), CString("Re: 相談"));
    EXPECT_NE(E2e::ListItemText(rows, 1, 2).Find("佐藤"), -1) << E2e::ListItemText(rows, 1, 2).GetString();

    // Properties and the header window of the focused row.
    E2e::ListSelectItem(rows, 1);
    PostMessageA(window, WM_COMMAND, ID_VIEWER_PROPERTIES, 0);
    Dismiss(m_program.WaitForDialogWithControl(IDC_PROPERTY_TAB, 10000));
    PostMessageA(window, WM_COMMAND, ID_VIEWER_SHOW_HEADER, 0);
    HWND header = m_program.WaitForWindow("CVMHeaderWndClass", "Re: 相談", 10000);
    ASSERT_NE(header, nullptr);
    PostMessageA(header, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitGone(header));
    PostMessageA(window, WM_CLOSE, 0, 0);
    Close(main);
}

TEST_F(ViewerCommandsTest, EveryMenuItemKeyButtonAndContextMenuItemOfAViewerReachesAHandler)
{
    ASSERT_NO_FATAL_FAILURE(MakeMailBox());
    ASSERT_NO_FATAL_FAILURE(FileMails(CFolderRecord::kindInbox, {"一通目", "二通目"}, "cov"));
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 2; }));
    Sleep(1500);
    HWND viewer = OpenViewer(main, List(main), E2e::ListItemText(list, 0, 1));
    ASSERT_NE(viewer, nullptr);

    E2e::CProgramResources resources;
    ASSERT_TRUE(resources.IsLoaded());
    std::vector<E2e::CommandBinding> bindings = resources.MenuCommands(IDR_MAIL_VIEWER);
    ASSERT_GT(bindings.size(), 30u);
    for (const auto& more : {resources.KeyCommands(IDR_MAIL_VIEWER), resources.MenuCommands(IDR_TEXT_VIEW_MENU)})
        bindings.insert(bindings.end(), more.begin(), more.end());
    HWND toolbar = E2e::FindDescendant(viewer, TOOLBARCLASSNAMEA);
    ASSERT_NE(toolbar, nullptr);
    std::vector<E2e::CommandBinding> buttons = ToolBarButtons(toolbar);
    EXPECT_GT(buttons.size(), 10u);
    bindings.insert(bindings.end(), buttons.begin(), buttons.end());
    std::vector<CString> missing = E2e::UnhandledCommands(viewer, bindings, "viewer with a mail shown");
    EXPECT_TRUE(missing.empty()) << Lines(missing);

    // States that follow the mail and the list it came from.
    struct Case
    {
        UINT id;
        bool enabled;
    };
    const Case cases[] = {
        {ID_VIEWER_DELETE, true},           {ID_VIEWER_TEMPLATE_REPLY, true},
        {ID_VIEWER_NEXT_UNREAD, true},      {ID_VIEWER_NEXT_UNREAD_ALL, true},
        {ID_VIEWER_SELECT_IN_LIST, true},   {ID_VIEWER_HISTORY_BACK, true},
        // The mail asks for no read notification.
        {ID_VIEWER_SEND_READ_NOTIFY, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Enabled(viewer, c.id), c.enabled) << c.id;
    Close(main);
}
