// The start of the main-window command tests: a mailbox made by a first
// start, mails filed into its folders on disk, and the folders read back
// from disk after the program ended.
#pragma once

#include "e2e/E2eDriver.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/RemoteControls.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "store/FolderData.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace MaintE2e {

const DWORD kTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";

class CMailBoxTest : public ::testing::Test
{
protected:
    CString MailBox() const { return m_dir.Path() + "\\MailBox"; }

    HWND Start()
    {
        if (!m_program.Start("/INI \"/M:" + MailBox() + "\" "))
            return nullptr;
        return m_program.WaitForMainWindow(kTimeout);
    }
    void Close(HWND main)
    {
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(m_program.WaitForExit(kTimeout), 0);
        m_program.Kill();
    }
    CFolderRecord Folder(int kind)
    {
        return E2e::MailBoxFolderOfKind(MailBox(), kind);
    }
    // A first start makes the mailbox; then the mails go into the folder of the kind.
    void MakeMailBox()
    {
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), kPresetIni);
        HWND main = Start();
        ASSERT_NE(main, nullptr);
        Close(main);
    }
    void FileMails(int kind, const std::vector<std::string>& subjects, const char* idPrefix = "m")
    {
        FileMailsInto(Folder(kind), subjects, idPrefix);
    }
    void FileMailsInto(const CFolderRecord& folder, const std::vector<std::string>& subjects, const char* idPrefix)
    {
        CMailFolderStore store;
        store.SetFolderRecord(folder);
        CString file = m_dir.File("mail.eml");
        for (size_t i = 0; i < subjects.size(); i++) {
            std::string mail = "From: 山田 <taro@example.jp>\r\nTo: me@example.jp\r\nSubject: " + subjects[i] +
                               "\r\nDate: Mon, 01 Jan 2024 10:00:00 +0900\r\nMessage-ID: <" + idPrefix +
                               std::to_string(i) + "@example.jp>\r\n\r\n本文 " + std::to_string(i) + "\r\n";
            TestSupport::WriteFileBytes(file, mail);
            ASSERT_EQ(store.AddNewMailData(file, "2024/02/01 10:00:00 +0900", FALSE), 1);
        }
        store.Close();
    }
    // A folder made in the folder tree under the inbox; filed mails go in later.
    void MakeFolderUnderInbox(HWND main, const char* name)
    {
        HWND tree = E2e::FindDescendant(main, "SysTreeView32");
        ASSERT_NE(tree, nullptr);
        HTREEITEM inbox = E2e::FindTreeItem(tree, "郵便受け");
        ASSERT_NE(inbox, nullptr);
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(inbox));
        PostMessageA(main, WM_COMMAND, ID_FOLDER_CREATE, 0);
        HWND dlg = m_program.WaitForDialogWithControl(IDC_POSITION_CHILD, 10000);
        ASSERT_NE(dlg, nullptr);
        E2e::SetControlText(dlg, IDC_FOLDER_NAME, name);
        E2e::PressButton(dlg, IDOK);
        ASSERT_TRUE(WaitFor([&] { return E2e::FindTreeItem(tree, name) != nullptr; }));
    }
    // The folder of that name as "Folder.dat" lists it.
    CFolderRecord FolderNamed(const char* name)
    {
        for (const CFolderRecord& f : E2e::ReadMailBoxFolders(MailBox()))
            if (f.m_strName == name)
                return f;
        return CFolderRecord();
    }
    // Live mails of a folder as the index on disk holds them, by subject.
    std::multiset<std::string> Stored(int kind) { return StoredIn(Folder(kind)); }
    std::multiset<std::string> StoredIn(const CFolderRecord& folder)
    {
        CMailFolderStore store;
        store.SetFolderRecord(folder);
        std::multiset<std::string> out;
        CMailListData* list = store.GetMailList();
        for (int i = 0; list && i < list->GetAllRecordCount(); i++)
            if (!list->GetMailRecord(i)->m_bDeleted)
                out.insert(list->GetMailRecord(i)->GetText(CMailIndexRecord::colSubject).Str());
        store.UnloadIndex();
        return out;
    }
    // The row of the main list that shows the subject, -1 when none does.
    int FindRow(HWND list, const char* subject)
    {
        for (int r = 0; r < E2e::ListItemCount(list); ++r)
            if (E2e::ListItemText(list, r, 1) == subject)
                return r;
        return -1;
    }
    // A click on the row gives the list the focus (and makes it the frame's
    // active view), then the row alone is selected.
    void Select(HWND list, const char* subject)
    {
        int row = FindRow(list, subject);
        ASSERT_GE(row, 0) << subject;
        RECT rc = E2e::ListItemRect(list, row);
        LPARAM pt = MAKELPARAM(60, (rc.top + rc.bottom) / 2);
        for (int attempt = 0; attempt < 10; attempt++) {
            PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, pt);
            PostMessageA(list, WM_LBUTTONUP, 0, pt);
            bool focused = false;
            for (int i = 0; i < 20 && !focused; i++, Sleep(50)) {
                GUITHREADINFO info = {};
                info.cbSize = sizeof(info);
                focused = GetGUIThreadInfo(GetWindowThreadProcessId(list, nullptr), &info) && info.hwndFocus == list;
            }
            if (focused)
                break;
        }
        E2e::ListSelectItem(list, row);
    }
    // Selects the mail's row and gives the window the command until it
    // took effect: the window shows its folder afresh once after start-up,
    // and a selection made before is gone (the command then asks for one).
    bool RowCommand(HWND target, HWND list, const char* subject, UINT id, const std::function<bool()>& done)
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            Select(list, subject);
            PostMessageA(target, WM_COMMAND, id, 0);
            HWND box = nullptr;
            WaitFor([&] { return done() || (box = m_program.WaitForMessageBox("選択", 0)) != nullptr; });
            if (done())
                return true;
            if (box) {
                E2e::PressButton(box, IDOK);
                WaitGone(box);
            }
        }
        return false;
    }
    // Opens the mail of the row in a viewer and waits for that window.
    HWND OpenViewer(HWND main, HWND list, const char* subject)
    {
        Select(list, subject);
        Command(main, ID_MAIL_OPEN);
        return m_program.WaitForWindow("CVMViewWndClass", subject, 20000);
    }
    static bool WaitFor(const std::function<bool()>& done, DWORD ms = 15000)
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(100))
            if (done())
                return true;
        return done();
    }
    static CString Caption(HWND wnd) { return E2e::GetWindowTextOf(wnd); }
    // A command to a window; a window that stops answering fails the test
    // rather than holding it.
    static void Command(HWND wnd, UINT id)
    {
        DWORD_PTR result = 0;
        EXPECT_TRUE(SendMessageTimeoutA(wnd, WM_COMMAND, id, 0, SMTO_NORMAL, 20000, &result)) << id;
    }
    // Waits for a window of the program to go away.
    static bool WaitGone(HWND h)
    {
        for (int i = 0; i < 200 && IsWindow(h) && IsWindowVisible(h); ++i)
            Sleep(50);
        return !IsWindow(h) || !IsWindowVisible(h);
    }

    TestSupport::TempDir m_dir;
    E2e::CProgramUnderTest m_program{ m_dir.Path() };
};

} // namespace MaintE2e
