// The main window's keys as a user meets them: the key file made from the
// defaults at the first start, and a key changed in it running its command.
#include "e2e/E2eDriver.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/RemoteControls.h"
#include "e2e/StoredFolderCopy.h"

#include "core/AccountDataSet.h"
#include "core/PasswordScrambler.h"
#include "resources/keys/KeysResource.h"
#include "resources/resource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/utils/UtilsResource.h"
#include "store/FolderData.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";

HWND WaitForMain(CProgramUnderTest& program)
{
    return program.WaitForMainWindow(kStartTimeout);
}

void PressKey(HWND hWnd, UINT vk)
{
    PostMessageA(hWnd, WM_KEYDOWN, vk, 1);
    PostMessageA(hWnd, WM_KEYUP, vk, 0xC0000001);
}

} // namespace

TEST(Keys, KeyFileFromTheDefaultsAndAChangedKeyRunsItsCommand)
{
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), kPresetIni);
    {
        CProgramUnderTest program(dir.Path());
        ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
        HWND main = WaitForMain(program);
        ASSERT_NE(main, nullptr);
        PostMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_EQ(program.WaitForExit(kStartTimeout), 0);
    }
    // The first start wrote the main window's defaults, each with its texts.
    std::string keys = TestSupport::ReadFileBytes(mailbox + "\\MainWnd.key");
    size_t rows = 0;
    for (size_t p = keys.find("\r\n"); p != std::string::npos; p = keys.find("\r\n", p + 2))
        ++rows;
    EXPECT_EQ(rows, 77u);
    EXPECT_NE(keys.find("32773\t68\t9\t"), std::string::npos) << keys.substr(0, 400);
    EXPECT_NE(keys.find("\tCtrl+D\t\t-1\r\n"), std::string::npos);

    // The receive command moves from Ctrl+D to F7.
    size_t row = keys.find("32773\t68\t9\t");
    keys.replace(row, std::string("32773\t68\t9\t").size(), "32773\t118\t1\t");
    TestSupport::WriteFileBytes(mailbox + "\\MainWnd.key", keys);
    {
        CAccountDataSet accounts;
        accounts.SetFilePath(mailbox + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(accounts.CreateNewRecord());
        a->SetAccountName("試験");
        a->SetMailAddress("keys@cvm.test");
        a->SetReceiveServer("127.0.0.1");
        a->SetReceiveUser("keys");
        a->SetReceivePort(1);
        a->SetTimeout(5);
        ASSERT_TRUE(accounts.WriteToFile());
    }
    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = WaitForMain(program);
    ASSERT_NE(main, nullptr);
    Sleep(1000);
    PressKey(main, VK_F8);  // no command
    EXPECT_EQ(program.WaitForMessageBox("", 2000), nullptr);
    // The receive of the account at a closed port ends with a message box.
    PressKey(main, VK_F7);
    HWND box = program.WaitForMessageBox("", 30000);
    ASSERT_NE(box, nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    // Closing may ask about the failed receive first.
    PostMessageA(main, WM_CLOSE, 0, 0);
    int code = -1;
    for (int i = 0; i < 60 && (code = program.WaitForExit(1000)) == -1; ++i) {
        if (HWND more = program.WaitForMessageBox("", 0))
            PostMessageA(more, WM_COMMAND, IDOK, 0);
    }
    EXPECT_EQ(code, 0);
}

// There may be no notification area on the test display: the tray's
// callback message is sent as the shell would.
TEST(Keys, TrayCallbackOpensTheMenuAndRestoresTheWindow)
{
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), kPresetIni);
    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = WaitForMain(program);
    ASSERT_NE(main, nullptr);
    const UINT kTrayCallback = WM_USER + 371;

    PostMessageA(main, kTrayCallback, 3000, WM_RBUTTONDOWN);
    HWND menu = program.WaitForPopupMenu(10000);
    ASSERT_NE(menu, nullptr);
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(main, WM_CANCELMODE, 0, 0);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return !IsWindowVisible(static_cast<HWND>(p)); }, menu));

    PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(E2e::WaitUntil(10000, [](void* p) { return IsIconic(static_cast<HWND>(p)) != FALSE; }, main));
    PostMessageA(main, kTrayCallback, 3000, WM_LBUTTONDOWN);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return !IsIconic(static_cast<HWND>(p)); }, main));

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
}

namespace {

CFolderRecord FolderOfKind(const CString& mailbox, int kind)
{
    return E2e::MailBoxFolderOfKind(mailbox, kind);
}

int LiveMails(const CString& mailbox, int kind)
{
    CStoredFolderCopy store(FolderOfKind(mailbox, kind));
    int n = 0;
    CMailListData* list = store.GetMailList();
    for (int i = 0; list && i < list->GetAllRecordCount(); i++)
        n += list->GetMailRecord(i)->m_bDeleted ? 0 : 1;
    return n;
}

bool ListHasFocus(HWND list)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(list, nullptr), &info) && info.hwndFocus == list;
}

// A mailbox made by a first start, with the mails filed unread into its inbox.
void MakeMailBoxWithInbox(const TestSupport::TempDir& dir, const std::vector<std::string>& mails)
{
    CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), kPresetIni);
    {
        CProgramUnderTest program(dir.Path());
        ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
        HWND main = WaitForMain(program);
        ASSERT_NE(main, nullptr);
        PostMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_EQ(program.WaitForExit(kStartTimeout), 0);
    }
    CMailFolderStore inbox;
    inbox.SetFolderRecord(FolderOfKind(mailbox, CFolderRecord::kindInbox));
    CString file = dir.File("mail.eml");
    for (const std::string& mail : mails) {
        TestSupport::WriteFileBytes(file, mail);
        ASSERT_EQ(inbox.AddNewMailData(file, "2024/02/01 10:00:00 +0900", FALSE), 1);
    }
    inbox.Close();
}

} // namespace

// The Delete key is both the list's own key and the main window's key of
// the delete command: one press must move one mail to the trash, once.
TEST(Keys, OneDeletePressDeletesOneMail)
{
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    std::vector<std::string> mails;
    for (int i = 0; i < 4; i++)
        mails.push_back("From: a@example.jp\r\nSubject: m" + std::to_string(i) + "\r\nMessage-ID: <d" +
                        std::to_string(i) + "@example.jp>\r\n\r\nx\r\n");
    ASSERT_NO_FATAL_FAILURE(MakeMailBoxWithInbox(dir, mails));
    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = WaitForMain(program);
    ASSERT_NE(main, nullptr);
    HWND tree = E2e::FindDescendant(main, "SysTreeView32", IDC_FOLDER_TREE);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_TRUE(tree && list);
    HTREEITEM inboxItem = E2e::FindTreeItem(tree, "郵便受け");
    ASSERT_NE(inboxItem, nullptr);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(inboxItem));
    ASSERT_TRUE(E2e::WaitUntil(10000, [](void* p) { return E2e::ListItemCount(static_cast<HWND>(p)) == 4; }, list));

    // A click on the second row selects it and gives the list the focus.
    RECT rc = E2e::ListItemRect(list, 1);
    LPARAM pt = MAKELPARAM(40, (rc.top + rc.bottom) / 2);
    for (int attempt = 0; attempt < 10 && !ListHasFocus(list); attempt++) {
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, pt);
        PostMessageA(list, WM_LBUTTONUP, 0, pt);
        E2e::WaitUntil(1000, [](void* p) { return ListHasFocus(static_cast<HWND>(p)); }, list);
    }
    ASSERT_TRUE(ListHasFocus(list));
    ASSERT_EQ(E2e::ListSelectedItem(list), 1);

    // One key press as the keyboard gives it: down and up.
    SetForegroundWindow(main);
    PostMessageA(list, WM_KEYDOWN, VK_DELETE, 0x01530001);
    PostMessageA(list, WM_KEYUP, VK_DELETE, static_cast<LPARAM>(0xC1530001u));
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return E2e::ListItemCount(static_cast<HWND>(p)) <= 3; }, list));
    Sleep(2000);
    EXPECT_EQ(E2e::ListItemCount(list), 3);
    // A second delete would have asked for a selection or taken another mail.
    EXPECT_EQ(program.WaitForMessageBox("", 0), nullptr);

    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_EQ(program.WaitForExit(kStartTimeout), 0);
    EXPECT_EQ(LiveMails(mailbox, CFolderRecord::kindInbox), 3);
    EXPECT_EQ(LiveMails(mailbox, CFolderRecord::kindTrash), 1);
}

// With the password check on, a program that lost the activation while
// minimised asks the mailbox password before it shows itself again.
TEST(Keys, RestoringFromTheTrayAsksThePasswordWhenSet)
{
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    CPasswordScrambler scrambler;
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), std::string("[Setting]\r\nMailBoxPassword=\"") +
                                                         scrambler.Scramble("secret").GetString() +
                                                         "\"\r\nStartupCheckPassword=dword:0\r\nCheckPassword=dword:1\r\n\r\n");
    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = WaitForMain(program);
    ASSERT_NE(main, nullptr);
    const UINT kTrayCallback = WM_USER + 371;
    auto iconic = [](void* p) { return IsIconic(static_cast<HWND>(p)) != FALSE; };

    PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(E2e::WaitUntil(10000, iconic, main));
    PostMessageA(main, WM_ACTIVATEAPP, FALSE, 0);

    // Cancelled: still minimised.
    PostMessageA(main, kTrayCallback, 3000, WM_LBUTTONDOWN);
    HWND prompt = program.WaitForDialogWithControl(IDC_SAVE_PASSWORD, 20000);
    ASSERT_NE(prompt, nullptr);
    E2e::PressButton(prompt, IDCANCEL);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return !IsWindow(static_cast<HWND>(p)); }, prompt));
    Sleep(1000);
    EXPECT_TRUE(IsIconic(main));

    // The right password restores it; no second prompt follows.
    PostMessageA(main, kTrayCallback, 3000, WM_LBUTTONDOWN);
    prompt = program.WaitForDialogWithControl(IDC_SAVE_PASSWORD, 20000);
    ASSERT_NE(prompt, nullptr);
    E2e::SetControlText(prompt, IDC_PASSWORD, "secret");
    E2e::PressButton(prompt, IDOK);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return !IsIconic(static_cast<HWND>(p)); }, main));
    EXPECT_EQ(program.WaitForDialogWithControl(IDC_SAVE_PASSWORD, 1000), nullptr);

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
}

namespace {

int KeyLines(HWND dlg)
{
    return static_cast<int>(SendDlgItemMessageA(dlg, IDC_KEY_LIST, LB_GETCOUNT, 0, 0));
}

} // namespace

// The key assignment dialog from the tools menu: a key added to the delete
// command that the receive command already has is warned about, taken on
// OK, and written to the key file by Apply.
TEST(Keys, KeyDialogAssignsAKeyAndWarnsOnADuplicate)
{
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), kPresetIni);
    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = WaitForMain(program);
    ASSERT_NE(main, nullptr);

    PostMessageA(main, WM_COMMAND, ID_KEY_ASSIGN_OPEN, 0);
    HWND dlg = program.WaitForDialogWithControl(IDC_KEY_COMMANDS, 20000);
    ASSERT_NE(dlg, nullptr);
    HWND commands = GetDlgItem(dlg, IDC_KEY_COMMANDS);
    int row = -1;
    for (int r = 0; r < E2e::ListItemCount(commands) && row < 0; ++r)
        if (E2e::ListItemText(commands, r, 1) == "メールを削除")
            row = r;
    ASSERT_GE(row, 0);
    EXPECT_EQ(E2e::ListItemText(commands, row, 0), CString("メール"));
    E2e::ListSelectItem(commands, row);
    ASSERT_TRUE(E2e::WaitUntil(5000, [](void* p) { return KeyLines(static_cast<HWND>(p)) == 2; }, dlg));

    // Add: Ctrl+D, which receives with the current account.
    E2e::PressButton(dlg, IDC_KEY_ADD);
    HWND select = program.WaitForDialogWithControl(IDC_KEY_ALT, 20000);
    ASSERT_NE(select, nullptr);
    HWND keys = GetDlgItem(select, IDC_KEY_LIST);
    const LRESULT d = SendMessageA(keys, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("D"));
    ASSERT_NE(d, LB_ERR);
    SendMessageA(keys, LB_SETCURSEL, static_cast<WPARAM>(d), 0);
    SendDlgItemMessageA(select, IDC_KEY_CTRL, BM_SETCHECK, BST_CHECKED, 0);
    E2e::PressButton(select, IDOK);
    HWND warning = program.WaitForMessageBox("と重複しています", 20000);
    ASSERT_NE(warning, nullptr);
    E2e::PressButton(warning, IDOK);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return KeyLines(static_cast<HWND>(p)) == 3; }, dlg));

    // Apply writes the file; Close then asks nothing.
    E2e::PressButton(dlg, IDOK);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) {
        return TestSupport::ReadFileBytes(*static_cast<CString*>(p) + "\\MainWnd.key").find("32787\t68\t11\t") !=
               std::string::npos;
    }, &mailbox));
    E2e::PressButton(dlg, IDCANCEL);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return !IsWindow(static_cast<HWND>(p)); }, dlg));
    EXPECT_EQ(program.WaitForMessageBox("", 500), nullptr);

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
}


// Shift+C's colour label menu is drawn by the program; typing a label's
// mnemonic gives the focused mail that label.
TEST(Keys, ColourLabelMenuTakesItsMnemonic)
{
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    ASSERT_NO_FATAL_FAILURE(
        MakeMailBoxWithInbox(dir, { "From: a@example.jp\r\nSubject: label\r\nMessage-ID: <l@example.jp>\r\n\r\nx\r\n" }));
    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = WaitForMain(program);
    ASSERT_NE(main, nullptr);
    HWND tree = E2e::FindDescendant(main, "SysTreeView32", IDC_FOLDER_TREE);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_TRUE(tree && list);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(E2e::FindTreeItem(tree, "郵便受け")));
    ASSERT_TRUE(E2e::WaitUntil(10000, [](void* p) { return E2e::ListItemCount(static_cast<HWND>(p)) == 1; }, list));
    E2e::ListSelectItem(list, 0);

    PostMessageA(main, WM_COMMAND, 32885, 0);
    HWND menu = program.WaitForPopupMenu(10000);
    ASSERT_NE(menu, nullptr);
    PostMessageA(menu, WM_CHAR, '3', 0);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return !IsWindowVisible(static_cast<HWND>(p)); }, menu));
    Sleep(1000);
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_EQ(program.WaitForExit(kStartTimeout), 0);

    CMailFolderStore inbox;
    inbox.SetFolderRecord(FolderOfKind(mailbox, CFolderRecord::kindInbox));
    CMailListData* index = inbox.GetMailList();
    ASSERT_TRUE(index && index->GetAllRecordCount() == 1);
    EXPECT_EQ(index->GetMailRecord(0)->m_nLabel, 3);
    inbox.UnloadIndex();
}
