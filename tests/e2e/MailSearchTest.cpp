// The mail search as a user meets it: two search windows open beside the
// main window, each finds mails by words of their decoded bodies, and the
// rows found open, move and delete their mails.
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "e2e/E2eDriver.h"
#include "e2e/MaintFixture.h"
#include "e2e/RemoteControls.h"
#include "e2e/StoredFolderCopy.h"
#include "message/Base64.h"
#include "message/JapaneseCode.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/search/SearchResource.h"
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
const char kPresetIni[] =
    "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\nEditorAutoBackup=dword:0\r\n\r\n";
typedef std::set<CString> Names;

struct FindContext
{
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectSearchWindow(HWND hWnd, LPARAM lParam)
{
    auto* ctx = reinterpret_cast<FindContext*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    char cls[64] = "";
    GetClassNameA(hWnd, cls, sizeof(cls));
    if (pid == ctx->pid && IsWindowVisible(hWnd) && strcmp(cls, "#32770") == 0 &&
        E2e::GetWindowTextOf(hWnd) == "メールの検索")
        ctx->found.push_back(hWnd);
    return TRUE;
}

class MailSearchTest : public MaintE2e::CMailBoxTest
{
protected:
    void File(int kind, const std::string& subject, const std::string& contentHead, const std::string& body)
    {
        CMailFolderStore store;
        store.SetFolderRecord(Folder(kind));
        CString file = m_dir.File("mail.eml");
        std::string mail = "From: Taro <taro@example.jp>\r\nTo: me@example.jp\r\nSubject: " + subject +
                           "\r\nDate: Mon, 01 Jan 2024 10:00:00 +0900\r\nMessage-ID: <" + std::to_string(++m_mails) +
                           "@example.jp>\r\nMIME-Version: 1.0\r\n" + contentHead + "\r\n\r\n" + body + "\r\n";
        TestSupport::WriteFileBytes(file, mail);
        ASSERT_EQ(store.AddNewMailData(file, "2024/02/01 10:00:00 +0900", FALSE), 1);
        store.Close();
    }
    // A first start makes the mailbox; then mails that carry 会議 in
    // several encodings, and two that do not.
    void MakeMailBox()
    {
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), kPresetIni);
        // An account, which a mail editor needs; nothing is sent or received.
        CreateDirectoryA(MailBox(), nullptr);
        CAccountDataSet accounts;
        accounts.SetFilePath(MailBox() + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(accounts.CreateNewRecord());
        a->SetAccountName("テスト");
        a->SetMailAddress("me@example.jp");
        a->SetSmtpServer("smtp.example.jp");
        a->SetReceiveServer("pop.example.jp");
        ASSERT_TRUE(accounts.WriteToFile(FALSE));
        HWND main = Start();
        ASSERT_NE(main, nullptr);
        Close(main);
        int inbox = CFolderRecord::kindInbox;
        File(inbox, "jis", "Content-Type: text/plain; charset=ISO-2022-JP", SjisToJis("明日の会議").Str());
        File(inbox, "b64", "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64",
             CBase64::EncodeToString("\xE4\xBC\x9A\xE8\xAD\xB0 room", 11, 76));
        File(inbox, "qp", "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: quoted-printable",
             "=E4=BC=9A=\r\n=E8=AD=B0");
        File(inbox, "other", "Content-Type: text/plain; charset=ISO-2022-JP", SjisToJis("会社の議論").Str());
        File(inbox, "plain", "Content-Type: text/plain; charset=us-ascii", "nothing here");
        File(CFolderRecord::kindWriting, "draft", "Content-Type: text/plain; charset=ISO-2022-JP",
             SjisToJis("会議の下書き").Str());
    }
    std::vector<HWND> SearchWindows()
    {
        FindContext ctx{m_program.ProcessId(), {}};
        EnumWindows(CollectSearchWindow, reinterpret_cast<LPARAM>(&ctx));
        return ctx.found;
    }
    static bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 15000)
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(100))
            if (done())
                return true;
        return done();
    }
    Names Rows(HWND list)
    {
        Names out;
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
    // Runs a search in a window over one folder (0: all receiving folders)
    // and waits for its count.
    Names Search(HWND dlg, const char* body, int folderId)
    {
        E2e::SetControlText(dlg, IDC_SEARCH_BODY, body);
        HWND combo = GetDlgItem(dlg, IDC_SEARCH_FOLDER);
        int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
            if (static_cast<int>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == folderId)
                SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        E2e::SetControlText(dlg, IDC_SEARCH_STATUS, "");
        E2e::PressButton(dlg, IDOK);
        EXPECT_TRUE(WaitFor([&] { return E2e::GetControlText(dlg, IDC_SEARCH_STATUS).Find(" 件") > 0; }));
        return Rows(E2e::FindDescendant(dlg, "SysListView32", IDC_SEARCH_RESULT_LIST));
    }
    // A click below the rows gives the main list the focus (the paste goes
    // to the pane that has it).
    void ClickBelowRows(HWND list)
    {
        RECT rc;
        GetClientRect(list, &rc);
        LPARAM pt = MAKELPARAM(60, rc.bottom - 4);
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
    Names Stored(int kind)
    {
        CStoredFolderCopy store(Folder(kind));
        Names out;
        CMailListData* list = store.GetMailList();
        for (int i = 0; list && i < list->GetAllRecordCount(); i++)
            if (!list->GetMailRecord(i)->m_bDeleted)
                out.insert(list->GetMailRecord(i)->GetText(CMailIndexRecord::colSubject));
        return out;
    }

    int m_mails = 0;
};

} // namespace

TEST_F(MailSearchTest, TwoWindowsFindDecodedWordsAndTheirRowsOpenMoveAndDelete)
{
    MakeMailBox();
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    // Two search windows, each on its own thread.
    SendMessageA(main, WM_COMMAND, ID_MAIL_SEARCH, 0);
    ASSERT_TRUE(WaitFor([&] { return SearchWindows().size() == 1; }));
    SendMessageA(main, WM_COMMAND, ID_MAIL_SEARCH, 0);
    ASSERT_TRUE(WaitFor([&] { return SearchWindows().size() == 2; }));
    std::vector<HWND> windows = SearchWindows();
    EXPECT_NE(GetWindowThreadProcessId(windows[0], nullptr), GetWindowThreadProcessId(windows[1], nullptr));
    EXPECT_NE(GetWindowThreadProcessId(windows[0], nullptr), GetWindowThreadProcessId(main, nullptr));

    HWND first = windows[0], second = windows[1];
    int inbox = Folder(CFolderRecord::kindInbox).m_nId;
    int drafts = Folder(CFolderRecord::kindWriting).m_nId;
    EXPECT_EQ(Search(first, "会議", 0), (Names{"jis", "b64", "qp"}));
    EXPECT_EQ(Search(second, "NOTHING", inbox), (Names{"plain"}));
    EXPECT_EQ(E2e::GetControlText(first, IDC_SEARCH_STATUS), "3 件");
    // The main window answers while the windows stand.
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer), 0);

    // Delete from the results: the mail goes to the trash.
    HWND list = E2e::FindDescendant(first, "SysListView32", IDC_SEARCH_RESULT_LIST);
    E2e::ListSelectItem(list, FindRow(list, "jis"));
    SendMessageA(first, WM_COMMAND, ID_MAIL_DELETE, 0);
    EXPECT_TRUE(WaitFor([&] { return Rows(list) == Names{"b64", "qp"}; }));
    EXPECT_EQ(E2e::GetControlText(first, IDC_SEARCH_STATUS), "2 件");

    // Move: cut in the results, paste into the sent folder of the main window.
    E2e::ListSelectItem(list, FindRow(list, "qp"));
    SendMessageA(first, WM_COMMAND, ID_MAIL_CUT, 0);
    HWND tree = E2e::FindDescendant(main, "SysTreeView32", IDC_FOLDER_TREE);
    HWND mainList = E2e::FindDescendant(main, "SysListView32");
    ASSERT_TRUE(tree && mainList);
    HTREEITEM sent = E2e::FindTreeItem(tree, "送信済");
    ASSERT_NE(sent, nullptr);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(sent));
    ClickBelowRows(mainList);
    SendMessageA(main, WM_COMMAND, ID_MAIL_PASTE, 0);
    EXPECT_TRUE(WaitFor([&] { return E2e::ListItemCount(mainList) == 1; }));
    // Back in the search window, the row of the mail that moved away goes.
    SendMessageA(first, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(WaitFor([&] { return Rows(list) == Names{"b64"}; }));

    // Open: a draft found in the drafts folder opens in an editor.
    EXPECT_EQ(Search(second, "下書き", drafts), (Names{"draft"}));
    HWND secondList = E2e::FindDescendant(second, "SysListView32", IDC_SEARCH_RESULT_LIST);
    E2e::ListSelectItem(secondList, 0);
    SendMessageA(second, WM_COMMAND, ID_SEARCH_OPEN_MAIL, 0);
    HWND editor = m_program.WaitForWindow("CVMEditWndClass", nullptr, 15000);
    EXPECT_NE(editor, nullptr);
    if (editor) {
        PostMessageA(editor, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(editor); }));
    }

    // A larger window: the result list keeps its margins, the buttons stay
    // at the right edge.
    SetWindowPos(first, nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
    RECT client, listRect, closeRect;
    auto readLayout = [&] {
        GetClientRect(first, &client);
        GetWindowRect(list, &listRect);
        MapWindowPoints(nullptr, first, reinterpret_cast<POINT*>(&listRect), 2);
        GetWindowRect(GetDlgItem(first, IDCANCEL), &closeRect);
        MapWindowPoints(nullptr, first, reinterpret_cast<POINT*>(&closeRect), 2);
        return listRect.right == client.right - listRect.left;
    };
    // The window lays its controls out when it hears of its new size.
    WaitFor(readLayout);
    EXPECT_EQ(listRect.right, client.right - listRect.left);
    EXPECT_EQ(listRect.bottom, client.bottom - 12);
    EXPECT_EQ(closeRect.right, client.right - 12);

    // The windows close with their close button; the program then ends.
    E2e::PressButton(second, IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return SearchWindows().size() == 1; }));
    Close(main);
    EXPECT_EQ(Stored(CFolderRecord::kindInbox), (Names{"b64", "other", "plain"}));
    EXPECT_EQ(Stored(CFolderRecord::kindTrash), (Names{"jis"}));
    EXPECT_EQ(Stored(CFolderRecord::kindSent), (Names{"qp"}));
}
