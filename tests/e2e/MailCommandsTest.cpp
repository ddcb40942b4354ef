// The mail commands as a user meets them: copy, cut and paste between
// folders through the clipboard, delete to the trash and for good with a
// protected mail that survives both, and marks that are in the index when
// the program has ended.
#include "e2e/E2eDriver.h"
#include "e2e/MaintFixture.h"
#include "e2e/RemoteControls.h"
#include "e2e/StoredFolderCopy.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/tasklist/TasklistResource.h"
#include "resources/utils/UtilsResource.h"
#include "store/FolderData.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

using E2e::CProgramUnderTest;

namespace {

const DWORD kTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";
const char* const kSubjects[] = {"一通目", "二通目", "三通目", "四通目", "五通目"};

class MailCommandsTest : public MaintE2e::CMailBoxTest
{
protected:
    // A first start makes the mailbox; then five unread mails in the inbox.
    void MakeMailBox()
    {
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), kPresetIni);
        HWND main = Start();
        ASSERT_NE(main, nullptr);
        Close(main);
        CMailFolderStore inbox;
        inbox.SetFolderRecord(Folder(CFolderRecord::kindInbox));
        CString file = m_dir.File("mail.eml");
        for (int i = 0; i < 5; i++) {
            std::string mail = std::string("From: 山田 <taro@example.jp>\r\nTo: me@example.jp\r\nSubject: ") + kSubjects[i] +
                               "\r\nDate: Mon, 01 Jan 2024 10:0" + std::to_string(i) + ":00 +0900\r\nMessage-ID: <m" +
                               std::to_string(i) + "@example.jp>\r\n\r\n本文 " + std::to_string(i) + "\r\n";
            TestSupport::WriteFileBytes(file, mail);
            ASSERT_EQ(inbox.AddNewMailData(file, "2024/02/01 10:00:00 +0900", FALSE), 1);
        }
        inbox.Close();
    }
    // Live mails of a folder as the index on disk holds them, by subject.
    std::set<CString> Stored(int kind)
    {
        CStoredFolderCopy store(Folder(kind));
        std::set<CString> out;
        CMailListData* list = store.GetMailList();
        for (int i = 0; list && i < list->GetAllRecordCount(); i++)
            if (!list->GetMailRecord(i)->m_bDeleted)
                out.insert(list->GetMailRecord(i)->GetText(CMailIndexRecord::colSubject));
        return out;
    }
    std::set<CString> Rows(HWND list)
    {
        std::set<CString> out;
        for (int r = 0; r < E2e::ListItemCount(list); ++r)
            out.insert(E2e::ListItemText(list, r, 1));
        return out;
    }
    int FindRow(HWND list, const char* subject)
    {
        for (int r = 0; r < E2e::ListItemCount(list); ++r)
            if (E2e::ListItemText(list, r, 1) == subject)
                return r;
        return -1;
    }
    void ShowFolder(HWND tree, const char* name)
    {
        HTREEITEM item = E2e::FindTreeItem(tree, name);
        ASSERT_NE(item, nullptr) << name;
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    }
    // A click on the list (on the row, or below the rows) gives it the focus.
    void Click(HWND list, int row)
    {
        RECT rc = row >= 0 ? E2e::ListItemRect(list, row) : RECT{0, 0, 0, 0};
        if (row < 0)
            GetClientRect(list, &rc), rc.top = rc.bottom - 4;  // below the rows
        LPARAM pt = MAKELPARAM(60, (rc.top + rc.bottom) / 2);
        // Posted input is handled after sent messages, and the program may
        // still move the focus while it settles after its start: click until
        // the list has the focus.
        for (int attempt = 0; attempt < 10; attempt++) {
            PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, pt);
            PostMessageA(list, WM_LBUTTONUP, 0, pt);
            for (int i = 0; i < 20; i++, Sleep(50)) {
                GUITHREADINFO info = {};
                info.cbSize = sizeof(info);
                if (GetGUIThreadInfo(GetWindowThreadProcessId(list, nullptr), &info) && info.hwndFocus == list)
                    return;
            }
        }
    }
    // Selects the mails with these subjects, the list having the focus.
    void Select(HWND list, std::vector<const char*> subjects)
    {
        Click(list, FindRow(list, subjects[0]));
        for (const char* s : subjects) {
            E2e::CRemoteBlock block(list, sizeof(LVITEMA));
            LVITEMA lv = {};
            lv.stateMask = LVIS_SELECTED;
            lv.state = LVIS_SELECTED;
            block.Write(&lv, sizeof(lv));
            SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(FindRow(list, s)), block.Param());
        }
    }
    void Command(HWND main, UINT id)
    {
        SendMessageA(main, WM_COMMAND, id, 0);
    }
    static bool WaitFor(const std::function<bool()>& done)
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(100))
            if (done())
                return true;
        return done();
    }
    // The mail block on the clipboard: operation, then (folder id, index) pairs.
    std::vector<uint32_t> ClipboardBlock()
    {
        std::vector<uint32_t> out;
        if (!OpenClipboard(nullptr))
            return out;
        HANDLE h = GetClipboardData(RegisterClipboardFormatA("CVMail Mail Object"));
        if (h) {
            const uint32_t* p = static_cast<const uint32_t*>(GlobalLock(h));
            size_t size = GlobalSize(h);
            if (p && size >= 12 && size == 12 + 8 * static_cast<size_t>(p[2]))
                out.assign(p + 1, p + size / 4);
            GlobalUnlock(h);
        }
        CloseClipboard();
        return out;
    }

};

} // namespace

TEST_F(MailCommandsTest, ClipboardDeleteAndMarksReachTheFolders)
{
    MakeMailBox();
    int inboxId = Folder(CFolderRecord::kindInbox).m_nId;
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND tree = E2e::FindDescendant(main, "SysTreeView32", IDC_FOLDER_TREE);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_TRUE(tree && list);
    ShowFolder(tree, "郵便受け");
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 5; }));

    // Copy two mails: the block names them by folder id and ascending index.
    Select(list, {"四通目", "二通目"});
    Command(main, ID_MAIL_COPY);
    EXPECT_EQ(ClipboardBlock(), (std::vector<uint32_t>{1, 2, static_cast<uint32_t>(inboxId), 1,
                                                       static_cast<uint32_t>(inboxId), 3}));
    ShowFolder(tree, "送信済");
    Click(list, -1);
    Command(main, ID_MAIL_PASTE);
    EXPECT_TRUE(WaitFor([&] { return Rows(list) == std::set<CString>{"二通目", "四通目"}; }));

    // A cut moves at the paste.
    ShowFolder(tree, "郵便受け");
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 5; }));
    Select(list, {"三通目"});
    Command(main, ID_MAIL_CUT);
    EXPECT_EQ(ClipboardBlock(), (std::vector<uint32_t>{2, 1, static_cast<uint32_t>(inboxId), 2}));
    ShowFolder(tree, "送信済");
    Click(list, -1);
    Command(main, ID_MAIL_PASTE);
    EXPECT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 3; }));
    ShowFolder(tree, "郵便受け");
    EXPECT_TRUE(WaitFor([&] { return Rows(list) == std::set<CString>{"一通目", "二通目", "四通目", "五通目"}; }));

    // Marks from the list.
    Select(list, {"一通目"});
    Command(main, ID_MAIL_PROTECT_ON);
    Command(main, ID_MAIL_BOOKMARK_ON);
    Command(main, ID_MAIL_MARK_READ);
    Select(list, {"五通目"});
    Command(main, ID_MAIL_LABEL_FIRST + 3);

    // Delete goes to the trash, Shift+Delete removes for good; the
    // protected mail survives both.
    Select(list, {"一通目", "二通目"});
    PostMessageA(list, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_TRUE(WaitFor([&] { return Rows(list) == std::set<CString>{"一通目", "四通目", "五通目"}; }));
    Select(list, {"一通目", "四通目"});
    SetForegroundWindow(main);
    keybd_event(VK_SHIFT, 0, 0, 0);
    keybd_event(VK_DELETE, 0, 0, 0);
    keybd_event(VK_DELETE, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_TRUE(WaitFor([&] { return Rows(list) == std::set<CString>{"一通目", "五通目"}; }));
    keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_TRUE(WaitFor([&] { return GetAsyncKeyState(VK_SHIFT) >= 0; }));
    Close(main);

    EXPECT_EQ(Stored(CFolderRecord::kindInbox), (std::set<CString>{"一通目", "五通目"}));
    EXPECT_EQ(Stored(CFolderRecord::kindTrash), (std::set<CString>{"二通目"}));
    EXPECT_EQ(Stored(CFolderRecord::kindSent), (std::set<CString>{"二通目", "三通目", "四通目"}));

    CMailFolderStore inbox;
    inbox.SetFolderRecord(Folder(CFolderRecord::kindInbox));
    CMailListData* index = inbox.GetMailList();
    ASSERT_NE(index, nullptr);
    CMailIndexRecord* first = nullptr;
    CMailIndexRecord* fifth = nullptr;
    for (int i = 0; i < index->GetAllRecordCount(); i++) {
        CMailIndexRecord* r = index->GetMailRecord(i);
        if (r->GetText(CMailIndexRecord::colSubject) == "一通目")
            first = r;
        if (r->GetText(CMailIndexRecord::colSubject) == "五通目")
            fifth = r;
    }
    ASSERT_TRUE(first && fifth);
    EXPECT_EQ(first->m_nFlags & 0x40, 0x40);
    EXPECT_EQ(first->m_nBookmark, 1);
    EXPECT_TRUE(first->IsRead());
    EXPECT_EQ(fifth->m_nLabel, 4);
    inbox.UnloadIndex();
}

TEST_F(MailCommandsTest, TheListsContextMenuAndTheFocusedMailsWindows)
{
    MakeMailBox();
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND tree = E2e::FindDescendant(main, "SysTreeView32", IDC_FOLDER_TREE);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_TRUE(tree && list);
    ShowFolder(tree, "郵便受け");
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 5; }));
    Select(list, {"三通目"});

    // The menu opens from the keyboard's menu key; its mnemonic runs a command.
    PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
    HWND menu = m_program.WaitForPopupMenu(10000);
    ASSERT_NE(menu, nullptr);
    PostMessageA(menu, WM_CHAR, 'B', 0);  // "ブックマークを付ける(&B)"
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }));

    // The header window of the focused mail shows its header as stored.
    PostMessageA(main, WM_COMMAND, ID_MAIL_SHOW_HEADER, 0);
    HWND header = m_program.WaitForWindow("CVMHeaderWndClass", nullptr, kTimeout);
    ASSERT_NE(header, nullptr);
    EXPECT_TRUE(WaitFor([&] { return E2e::DescendantTexts(header).find("Subject: 三通目") != std::string::npos; }))
        << E2e::DescendantTexts(header);
    PostMessageA(header, WM_CLOSE, 0, 0);

    // Its properties.
    PostMessageA(main, WM_COMMAND, ID_MAIL_PROPERTIES, 0);
    HWND properties = m_program.WaitForWindow("#32770", "メールのプロパティ", kTimeout);
    ASSERT_NE(properties, nullptr);
    E2e::PressButton(properties, IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(properties) || !IsWindowVisible(properties); }));

    // Its thread in a window of its own.
    PostMessageA(main, WM_COMMAND, ID_MAIL_THREAD_TREE, 0);
    HWND thread = m_program.WaitForWindow("CVMRefTreeWndClass", nullptr, kTimeout);
    EXPECT_NE(thread, nullptr);
    if (thread)
        PostMessageA(thread, WM_CLOSE, 0, 0);

    // A task made from it: the task dialog shows the mail, OK files the task.
    PostMessageA(main, WM_COMMAND, ID_MAIL_TASK_ADD, 0);
    HWND task = m_program.WaitForWindow("#32770", "タスクの情報", kTimeout);
    ASSERT_NE(task, nullptr);
    E2e::PressButton(task, IDOK);
    EXPECT_TRUE(WaitFor([&] {
        return TestSupport::ReadFileBytes(MailBox() + "\\TaskList.dat").find("三通目") != std::string::npos;
    }));
    // Its task edited again from the list: the same task, with the memo.
    Sleep(2500);  // the dialog before has gone
    PostMessageA(main, WM_COMMAND, ID_MAIL_TASK_EDIT, 0);
    task = m_program.WaitForWindow("#32770", "タスクの情報", kTimeout);
    ASSERT_NE(task, nullptr);
    E2e::SetControlText(task, IDC_TASK_MEMO, "見積もりを送る");
    E2e::PressButton(task, IDOK);
    EXPECT_TRUE(WaitFor([&] {
        return TestSupport::ReadFileBytes(MailBox() + "\\TaskList.dat").find("見積もりを送る") != std::string::npos;
    }));
    std::string tasks = TestSupport::ReadFileBytes(MailBox() + "\\TaskList.dat");
    EXPECT_EQ(tasks.find("三通目"), tasks.rfind("三通目")) << tasks;
    Close(main);

    CMailFolderStore inbox;
    inbox.SetFolderRecord(Folder(CFolderRecord::kindInbox));
    CMailListData* index = inbox.GetMailList();
    ASSERT_NE(index, nullptr);
    for (int i = 0; i < index->GetAllRecordCount(); i++) {
        CMailIndexRecord* r = index->GetMailRecord(i);
        EXPECT_EQ(r->m_nBookmark, r->GetText(CMailIndexRecord::colSubject) == "三通目" ? 1 : 0);
    }
    inbox.UnloadIndex();
}
