// The mail editor as a user meets it: a new mail written in its own window
// and sent through the test Postfix into the test Dovecot, the outbox, the
// drafts, mailto texts, the save prompt, the send delay and a server that
// refuses.
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "e2e/E2eDriver.h"
#include "e2e/TestAccount.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/RemoteControls.h"
#include "message/MailMessage.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/utils/UtilsResource.h"
#include "store/FolderData.h"
#include "store/MailFolderStore.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <winsock2.h>

#include <string>
#include <vector>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
const DWORD kMailTimeout = 30000;
const char kEditorClass[] = "CVMEditWndClass";
const char kSubject[] = "会議のお知らせ（第３回）";
const char kBody[] = "各位\r\n\r\n来週の会議は第２会議室で行います。\r\nよろしくお願いいたします。";

bool SmtpAnswers()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(587);
    addr.sin_addr.s_addr = inet_addr("127.0.0.3");
    bool ok = connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    closesocket(s);
    return ok;
}

// The mails delivered into a Maildir.
std::vector<std::string> DeliveredMails(const CString& maildir)
{
    std::vector<std::string> mails;
    CString folder = maildir + "\\new";
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(folder + "\\*", &fd);
    if (h == INVALID_HANDLE_VALUE)
        return mails;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            mails.push_back(TestSupport::ReadFileBytes(folder + "\\" + fd.cFileName));
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return mails;
}

std::vector<std::string> WaitForDelivered(const CString& maildir, size_t count)
{
    DWORD start = GetTickCount();
    std::vector<std::string> mails;
    while ((mails = DeliveredMails(maildir)).size() < count && GetTickCount() - start < kMailTimeout)
        Sleep(200);
    return mails;
}

class MailEditorTest : public ::testing::Test
{
protected:
    CString MailBox() const { return m_dir.Path() + "\\MailBox"; }
    CString Arguments() const { return "/INI \"/M:" + MailBox() + "\" "; }

    // The settings file and an account of the test user (password given).
    void Prepare(int nUser, const char* pszPassword, const char* pszSettings = "")
    {
        std::string ini = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\nEditorAutoBackup=dword:0\r\n";
        ini += pszSettings;
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), ini + "\r\n");
        CreateDirectoryA(MailBox(), nullptr);
        ASSERT_TRUE(E2e::WriteTestAccount(MailBox(), nUser, pszPassword));
        m_maildir = NetTest::ClearMaildir(nUser);
    }

    HWND Start(const char* pszExtra = "")
    {
        if (!m_program.Start(Arguments() + pszExtra))
            return nullptr;
        return m_program.WaitForMainWindow(kStartTimeout);
    }
    void Close(HWND main)
    {
        // An editor's thread ends a moment after its window is hidden; the
        // main window asks while one is still registered.
        Sleep(1000);
        PostMessageA(main, WM_CLOSE, 0, 0);
        if (HWND ask = m_program.WaitForMessageBox("編集中のメールがあります。", 3000))
            E2e::PressButton(ask, IDOK);
        EXPECT_EQ(m_program.WaitForExit(kStartTimeout), 0) << Windows();
        m_program.Kill();
    }

    std::vector<HWND> Editors() const
    {
        struct Context
        {
            DWORD pid;
            std::vector<HWND> found;
        } c{m_program.ProcessId(), {}};
        EnumWindows(
            [](HWND h, LPARAM p) -> BOOL {
                auto* ctx = reinterpret_cast<Context*>(p);
                DWORD pid = 0;
                GetWindowThreadProcessId(h, &pid);
                char cls[64] = {};
                GetClassNameA(h, cls, sizeof(cls));
                // Shown once its fields are filled.
                if (pid == ctx->pid && lstrcmpA(cls, kEditorClass) == 0 && IsWindowVisible(h))
                    ctx->found.push_back(h);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&c));
        return c.found;
    }
    bool WaitForEditorCount(size_t count, DWORD timeoutMs = 20000) const
    {
        DWORD start = GetTickCount();
        while (Editors().size() != count) {
            if (GetTickCount() - start > timeoutMs)
                return false;
            Sleep(100);
        }
        return true;
    }
    HWND NewEditor(HWND main)
    {
        size_t before = Editors().size();
        PostMessageA(main, WM_COMMAND, ID_MAIL_NEW, 0);
        if (!WaitForEditorCount(before + 1))
            return nullptr;
        return m_program.WaitForWindow(kEditorClass, nullptr, 5000);
    }
    // What the program shows: every visible top-level window with its texts
    // (printed when a step fails).
    std::string Windows() const
    {
        struct Context
        {
            DWORD pid;
            std::string text;
        } c{m_program.ProcessId(), {}};
        EnumWindows(
            [](HWND h, LPARAM p) -> BOOL {
                auto* ctx = reinterpret_cast<Context*>(p);
                DWORD pid = 0;
                GetWindowThreadProcessId(h, &pid);
                char cls[64] = {};
                GetClassNameA(h, cls, sizeof(cls));
                if (pid == ctx->pid && !IsWindowVisible(h) && lstrcmpA(cls, kEditorClass) == 0)
                    ctx->text += "(hidden editor) " + std::string(E2e::GetWindowTextOf(h).Str()) + "\n";
                if (pid != ctx->pid || !IsWindowVisible(h))
                    return TRUE;
                ctx->text += std::string("[") + cls + "] " + E2e::GetWindowTextOf(h).Str() + "\n";
                for (HWND child = GetWindow(h, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                    ctx->text += "    " + std::string(E2e::GetWindowTextOf(child).Str()) + "\n";
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&c));
        return c.text;
    }
    static HWND ViewOf(HWND frame) { return GetDlgItem(frame, 0xE900); }
    static void Write(HWND frame, const char* to, const char* cc, const char* subject, const char* body)
    {
        HWND view = ViewOf(frame);
        E2e::SetControlText(view, IDC_ME_TO, to);
        E2e::SetControlText(view, IDC_ME_CC, cc);
        E2e::SetControlText(view, IDC_ME_SUBJECT, subject);
        E2e::SetControlText(view, IDC_ME_BODY, body);
    }
    static void Command(HWND frame, int id) { PostMessageA(frame, WM_COMMAND, id, 0); }
    // Confirms the send information dialog.
    bool ConfirmSendInfo()
    {
        HWND dlg = m_program.WaitForDialogWithControl(IDC_SI_TO, 20000);
        if (!dlg)
            return false;
        E2e::PressButton(dlg, IDOK);
        return true;
    }

    // The live mails of the folder of that kind, read from disk.
    std::vector<std::string> StoredMails(int nKind) { return E2e::StoredMailTexts(MailBox(), nKind); }

    void ExpectRefusedSendKept(const char* password, const char* to, const char* reason);

    // The drafts as the folder's index on disk counts them.
    size_t StoredDraftCount() { return StoredMails(CFolderRecord::kindWriting).size(); }

    // The mail a user wrote, as the recipient sees it.
    static void ExpectJapaneseMail(const std::string& raw, const char* to, const char* cc)
    {
        EXPECT_NE(raw.find("Subject: =?ISO-2022-JP?B?"), std::string::npos) << raw.substr(0, 600);
        EXPECT_NE(raw.find("charset=ISO-2022-JP"), std::string::npos);
        // Dovecot keeps the lines with LF alone.
        std::string crlf;
        for (char ch : raw) {
            if (ch == '\n' && (crlf.empty() || crlf.back() != '\r'))
                crlf += '\r';
            crlf += ch;
        }
        CMailMessage message;
        ASSERT_TRUE(message.Parse(crlf.c_str(), static_cast<int>(crlf.size())));
        EXPECT_STREQ(message.m_strSubject, kSubject);
        EXPECT_NE(message.m_strTo.Find(to), -1) << message.m_strTo.GetString();
        if (*cc) {
            EXPECT_NE(message.m_strCc.Find(cc), -1);
        }
        EXPECT_NE(message.m_strFrom.Find("@cvm.test"), -1);
    }

    TestSupport::TempDir m_dir;
    CProgramUnderTest m_program{m_dir.Path()};
    CString m_maildir;
};

} // namespace

TEST_F(MailEditorTest, NewMailIsSentInJapaneseAndItsSentCopyKept)
{
    CVM_NEED_SERVER(SmtpAnswers(), "Postfix");
    Prepare(25, "pass25");
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND editor = NewEditor(main);
    ASSERT_NE(editor, nullptr);
    // The editor runs on a thread of its own.
    EXPECT_NE(GetWindowThreadProcessId(editor, nullptr), GetWindowThreadProcessId(main, nullptr));
    CString ccMaildir = NetTest::ClearMaildir(26);
    Write(editor, "受取人 <cvmtest25@cvm.test>", "cvmtest26@cvm.test", kSubject, kBody);
    Command(editor, ID_EDIT_SEND);
    ASSERT_TRUE(ConfirmSendInfo());
    std::vector<std::string> mails = WaitForDelivered(m_maildir, 1);
    ASSERT_EQ(mails.size(), 1u) << Windows();
    ExpectJapaneseMail(mails[0], "cvmtest25@cvm.test", "cvmtest26@cvm.test");
    EXPECT_EQ(WaitForDelivered(ccMaildir, 1).size(), 1u);
    EXPECT_TRUE(WaitForEditorCount(0));
    if (const char* exportDir = getenv("CVM_E2E_EXPORT"))
        TestSupport::WriteFileBytes(E2e::WinPath(exportDir) + "\\sent.eml", mails[0]);
    Close(main);
    // The sent copy, and nothing left behind in the drafts or the outbox.
    std::vector<std::string> sent = StoredMails(CFolderRecord::kindSent);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_NE(sent[0].find("=?ISO-2022-JP?B?"), std::string::npos);
    EXPECT_TRUE(StoredMails(CFolderRecord::kindWriting).empty());
    EXPECT_TRUE(StoredMails(CFolderRecord::kindSend).empty());
}

TEST_F(MailEditorTest, OutboxMailIsSentByTheMainWindow)
{
    CVM_NEED_SERVER(SmtpAnswers(), "Postfix");
    Prepare(27, "pass27");
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND editor = NewEditor(main);
    ASSERT_NE(editor, nullptr);
    Write(editor, "cvmtest27@cvm.test", "", kSubject, kBody);
    Command(editor, ID_EDIT_TO_OUTBOX);
    ASSERT_TRUE(WaitForEditorCount(0)) << Windows();
    EXPECT_TRUE(DeliveredMails(m_maildir).empty());
    PostMessageA(main, WM_COMMAND, ID_FILE_SEND_OUTBOX, 0);
    std::vector<std::string> mails = WaitForDelivered(m_maildir, 1);
    ASSERT_EQ(mails.size(), 1u) << Windows();
    ExpectJapaneseMail(mails[0], "cvmtest27@cvm.test", "");
    Sleep(1000);
    Close(main);
    EXPECT_TRUE(StoredMails(CFolderRecord::kindSend).empty());
    EXPECT_EQ(StoredMails(CFolderRecord::kindSent).size(), 1u);
}

TEST_F(MailEditorTest, DraftReopensWithEveryFieldAndSavingAgainKeepsOneCopy)
{
    Prepare(28, "pass28");
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND editor = NewEditor(main);
    ASSERT_NE(editor, nullptr);
    Write(editor, "相手 <a@example.jp>", "b@example.jp", kSubject, kBody);
    Command(editor, ID_EDIT_SHOW_BCC);
    E2e::SetControlText(ViewOf(editor), IDC_ME_BCC, "c@example.jp");
    Command(editor, ID_EDIT_SAVE);
    // Saved: closing asks nothing.
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000 && StoredDraftCount() != 1)
        Sleep(200);
    PostMessageA(editor, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForEditorCount(0)) << Windows();
    Sleep(1000);

    // Open it from the drafts folder.
    HWND tree = E2e::FindDescendant(main, "SysTreeView32", IDC_FOLDER_TREE);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_NE(tree, nullptr);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(E2e::FindTreeItem(tree, "作成中")));
    start = GetTickCount();
    while (GetTickCount() - start < 10000 && E2e::ListItemCount(list) != 1)
        Sleep(100);
    ASSERT_EQ(E2e::ListItemCount(list), 1);
    E2e::ListSelectItem(list, 0);
    auto openSelected = [&] {
        SetFocus(list);
        PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    };
    openSelected();
    ASSERT_TRUE(WaitForEditorCount(1)) << Windows();
    editor = Editors()[0];
    HWND view = ViewOf(editor);
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_TO), CString("相手 <a@example.jp>"));
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_CC), CString("b@example.jp"));
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_BCC), CString("c@example.jp"));
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_SUBJECT), CString(kSubject));
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_BODY).Left(4), CString("各位"));
    // Saved with the ordinary priority, it comes back with it.
    EXPECT_EQ(SendMessageA(GetDlgItem(view, IDC_ME_PRIORITY), CB_GETCURSEL, 0, 0), 2);

    // The same stored mail opened again brings its editor to the front.
    ShowWindow(editor, SW_MINIMIZE);
    openSelected();
    start = GetTickCount();
    while (GetTickCount() - start < 10000 && IsIconic(editor))
        Sleep(100);
    EXPECT_FALSE(IsIconic(editor));
    EXPECT_EQ(Editors().size(), 1u);

    // Saving again replaces the copy.
    E2e::SetControlText(view, IDC_ME_SUBJECT, "件名を変えました");
    Command(editor, ID_EDIT_SAVE);
    Sleep(2000);
    PostMessageA(editor, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForEditorCount(0)) << Windows();
    Close(main);
    std::vector<std::string> drafts = StoredMails(CFolderRecord::kindWriting);
    ASSERT_EQ(drafts.size(), 1u);
    EXPECT_NE(drafts[0].find("Bcc:"), std::string::npos);
}

TEST_F(MailEditorTest, MailtoTextsFromTheCommandLineAndASecondStartFillTheEditor)
{
    Prepare(28, "pass28");
    TestSupport::WriteFileBytes(m_dir.File("secret.txt"), "secret");
    // "会議" and "本文" in code page 932, percent-encoded as a browser does.
    CString link = "\"mailto:a@example.jp?subject=%89%EF%8B%63&body=%96%7B%95%B6&attach=" + m_dir.File("secret.txt") +
                   "&tempattach=" + m_dir.File("secret.txt") + "\"";
    HWND main = Start(link);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForEditorCount(1)) << Windows();
    HWND view = ViewOf(Editors()[0]);
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_TO), CString("a@example.jp"));
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_SUBJECT), CString("会議"));
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_BODY), CString("本文"));
    // A link from a web page attaches no local file, and deletes none.
    EXPECT_EQ(E2e::ListItemCount(GetDlgItem(view, IDC_ME_ATTACH_LIST)), 0);
    EXPECT_TRUE(TestSupport::FileExists(m_dir.File("secret.txt")));

    // A second start hands its text over to the running program.
    CProgramUnderTest second(m_dir.Path());
    ASSERT_TRUE(second.Start(Arguments() + "\"mailto:b@example.jp?subject=%93%F1%92%CA%96%DA\""));
    EXPECT_GE(second.WaitForExit(kStartTimeout), 0);
    ASSERT_TRUE(WaitForEditorCount(2)) << Windows();
    bool found = false;
    for (HWND e : Editors())
        found = found || E2e::GetControlText(ViewOf(e), IDC_ME_TO) == CString("b@example.jp");
    EXPECT_TRUE(found);
    // The second editor opens further down and right.
    std::vector<HWND> editors = Editors();
    RECT a = {}, b = {};
    GetWindowRect(editors[0], &a);
    GetWindowRect(editors[1], &b);
    EXPECT_EQ(abs(a.left - b.left), 20);
    EXPECT_EQ(abs(a.top - b.top), 20);
    for (HWND e : editors)
        PostMessageA(e, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForEditorCount(0)) << Windows();
    Sleep(1000);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(m_program.WaitForMessageBox("編集中のメールがあります。", 3000), nullptr) << Windows();
    if (HWND ask = m_program.WaitForMessageBox("編集中のメールがあります。", 0))
        E2e::PressButton(ask, IDOK);
    EXPECT_EQ(m_program.WaitForExit(kStartTimeout), 0) << Windows();
    m_program.Kill();
    EXPECT_TRUE(StoredMails(CFolderRecord::kindWriting).empty());
}

// The backup runs every second here, so the closes meet backups being
// stored: a close waits for the backup and then asks.
TEST_F(MailEditorTest, SavePromptSavesOrDiscardsAndDiscardLeavesTheDraftAsItWas)
{
    // A backup every second, so that a backup exists before the prompt.
    Prepare(28, "pass28", "AutoBackupInterval=dword:1\r\n");
    std::string ini = TestSupport::ReadFileBytes(m_dir.File("CVM.ini"));
    size_t at = ini.find("EditorAutoBackup=dword:0");
    ini.replace(at, 24, "EditorAutoBackup=dword:1");
    TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), ini);
    HWND main = Start();
    ASSERT_NE(main, nullptr) << Windows() << ini;

    // 保存する: one draft, and the window closes.
    HWND editor = NewEditor(main);
    ASSERT_NE(editor, nullptr);
    Write(editor, "a@example.jp", "", "元の件名", "元の本文");
    PostMessageA(editor, WM_CLOSE, 0, 0);
    HWND prompt = m_program.WaitForDialogWithControl(IDC_SC_DISCARD, 10000);
    ASSERT_NE(prompt, nullptr) << Windows();
    E2e::PressButton(prompt, IDOK);
    ASSERT_TRUE(WaitForEditorCount(0)) << Windows();
    Sleep(500);
    ASSERT_EQ(StoredDraftCount(), 1u);

    // Reopen it, change it, let the backup run, then 破棄する.
    HWND tree = E2e::FindDescendant(main, "SysTreeView32", IDC_FOLDER_TREE);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(E2e::FindTreeItem(tree, "作成中")));
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000 && E2e::ListItemCount(list) != 1)
        Sleep(100);
    E2e::ListSelectItem(list, 0);
    // A double click on the row, as a user opens it (an Enter posted from
    // outside does not always reach the list here).
    RECT row = E2e::ListItemRect(list, 0);
    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(row.left + 20, (row.top + row.bottom) / 2));
    PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(row.left + 20, (row.top + row.bottom) / 2));
    ASSERT_TRUE(WaitForEditorCount(1)) << Windows();
    editor = Editors()[0];
    E2e::SetControlText(ViewOf(editor), IDC_ME_SUBJECT, "捨てる変更");
    start = GetTickCount();
    while (GetTickCount() - start < 15000 && StoredDraftCount() < 2)
        Sleep(200);
    EXPECT_EQ(StoredDraftCount(), 2u);  // the original and its backup
    E2e::SetControlText(ViewOf(editor), IDC_ME_BODY, "さらに変更");
    PostMessageA(editor, WM_CLOSE, 0, 0);
    prompt = m_program.WaitForDialogWithControl(IDC_SC_DISCARD, 10000);
    ASSERT_NE(prompt, nullptr) << Windows();
    E2e::PressButton(prompt, IDC_SC_DISCARD);
    ASSERT_TRUE(WaitForEditorCount(0)) << Windows();
    Sleep(1000);
    Close(main);
    std::vector<std::string> drafts = StoredMails(CFolderRecord::kindWriting);
    ASSERT_EQ(drafts.size(), 1u);
    CMailMessage message;
    message.Parse(drafts[0].c_str(), static_cast<int>(drafts[0].size()));
    EXPECT_STREQ(message.m_strSubject, "元の件名");
}

TEST_F(MailEditorTest, SendDelayMinimisesAndCancelKeepsTheMail)
{
    CVM_NEED_SERVER(SmtpAnswers(), "Postfix");
    Prepare(26, "pass26", "SendWaitTime=dword:3\r\nSendConfirmDialog=dword:0\r\n");
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND editor = NewEditor(main);
    ASSERT_NE(editor, nullptr);
    Write(editor, "cvmtest26@cvm.test", "", kSubject, kBody);
    Command(editor, ID_EDIT_SEND);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 2000 && !IsIconic(editor))
        Sleep(50);
    EXPECT_TRUE(IsIconic(editor));
    Command(editor, ID_EDIT_SEND_CANCEL);
    Sleep(5000);
    EXPECT_TRUE(DeliveredMails(m_maildir).empty());
    EXPECT_EQ(Editors().size(), 1u);
    // Nothing lost: the cancelled mail waits in the drafts.
    EXPECT_EQ(StoredDraftCount(), 1u);

    // Sent after the delay, and its draft goes.
    ShowWindow(editor, SW_RESTORE);
    Command(editor, ID_EDIT_SEND);
    Sleep(1500);
    EXPECT_TRUE(DeliveredMails(m_maildir).empty());
    EXPECT_EQ(WaitForDelivered(m_maildir, 1).size(), 1u) << Windows();
    EXPECT_TRUE(WaitForEditorCount(0)) << Windows();
    Sleep(1000);
    Close(main);
    EXPECT_TRUE(StoredMails(CFolderRecord::kindWriting).empty());
}

// A send the server refuses: its reason shown once, the mail kept in the
// window and in the drafts.
void MailEditorTest::ExpectRefusedSendKept(const char* password, const char* to, const char* reason)
{
    {
        struct
        {
            const char* password;
            const char* to;
            const char* shown;
        } c{password, to, reason};
        Prepare(28, c.password, "SendConfirmDialog=dword:0\r\n");
        HWND main = Start();
        ASSERT_NE(main, nullptr) << Windows();
        HWND editor = NewEditor(main);
        ASSERT_NE(editor, nullptr);
        Write(editor, c.to, "", kSubject, kBody);
        Command(editor, ID_EDIT_SEND);
        // One message box with the server's refusal.
        HWND box = m_program.WaitForMessageBox(c.shown, 30000);
        ASSERT_NE(box, nullptr) << Windows();
        E2e::PressButton(box, IDOK);
        Sleep(3000);
        EXPECT_EQ(m_program.WaitForMessageBox("SMTP Error Code", 0), nullptr) << Windows();
        // The window keeps the mail, and a copy waits in the drafts.
        ASSERT_EQ(Editors().size(), 1u);
        EXPECT_EQ(E2e::GetControlText(ViewOf(editor), IDC_ME_SUBJECT), CString(kSubject));
        EXPECT_EQ(StoredDraftCount(), 1u);
        EXPECT_TRUE(DeliveredMails(m_maildir).empty());
        PostMessageA(editor, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitForEditorCount(0)) << Windows();
        Close(main);
        EXPECT_EQ(StoredMails(CFolderRecord::kindWriting).size(), 1u);
    }
}

TEST_F(MailEditorTest, RefusedPasswordIsShownOnceAndTheMailKept)
{
    CVM_NEED_SERVER(SmtpAnswers(), "Postfix");
    ExpectRefusedSendKept("wrong", "cvmtest28@cvm.test", "SMTP Error Code [535]");
}

TEST_F(MailEditorTest, RefusedRecipientIsShownOnceAndTheMailKept)
{
    CVM_NEED_SERVER(SmtpAnswers(), "Postfix");
    ExpectRefusedSendKept("pass28", "nobody@cvm.test", "SMTP Error Code [550]");
}

// The close comes while the refusal's message box is still going away: it
// waits for the send routine rather than asking about a send.
TEST_F(MailEditorTest, SendInformationDialogIsCheckedAgain)
{
    Prepare(28, "pass28");
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND editor = NewEditor(main);
    ASSERT_NE(editor, nullptr);
    Write(editor, "送り先 <cvmtest28@cvm.test>, x@example.jp", "c@example.jp", kSubject, kBody);
    Command(editor, ID_EDIT_SEND);
    HWND dlg = m_program.WaitForDialogWithControl(IDC_SI_TO, 20000);
    ASSERT_NE(dlg, nullptr) << Windows();
    EXPECT_EQ(E2e::ListItemCount(GetDlgItem(dlg, IDC_SI_TO)), 2);
    EXPECT_EQ(E2e::ListItemText(GetDlgItem(dlg, IDC_SI_TO), 0, 0), CString("送り先 <cvmtest28@cvm.test>"));
    EXPECT_EQ(E2e::GetControlText(dlg, IDC_SI_SENDER_ADDRESS), CString("cvmtest28@cvm.test"));
    // Every To row gone (as when they are all dragged to Cc): not sent.
    SendMessageA(GetDlgItem(dlg, IDC_SI_TO), LVM_DELETEALLITEMS, 0, 0);
    E2e::PressButton(dlg, IDOK);
    HWND box = m_program.WaitForMessageBox("宛先が設定されていません。", 10000);
    ASSERT_NE(box, nullptr) << Windows();
    E2e::PressButton(box, IDOK);
    Sleep(1000);
    ASSERT_EQ(Editors().size(), 1u);
    EXPECT_EQ(E2e::GetControlText(ViewOf(editor), IDC_ME_TO), CString(""));
    EXPECT_EQ(E2e::GetControlText(ViewOf(editor), IDC_ME_CC), CString("c@example.jp"));
    SendMessageA(ViewOf(editor), WM_NULL, 0, 0);
    PostMessageA(editor, WM_CLOSE, 0, 0);
    HWND prompt = m_program.WaitForDialogWithControl(IDC_SC_DISCARD, 10000);
    ASSERT_NE(prompt, nullptr) << Windows();
    E2e::PressButton(prompt, IDC_SC_DISCARD);
    ASSERT_TRUE(WaitForEditorCount(0)) << Windows();
    Close(main);
}

TEST_F(MailEditorTest, ReplyFromTheMailListOpensAnEditorAddressedToTheSender)
{
    Prepare(28, "pass28");
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    Close(main);
    // A received mail in the inbox.
    {
        CMailFolderStore store;
        store.SetFolderRecord(E2e::MailBoxFolderOfKind(MailBox(), CFolderRecord::kindInbox));
        TestSupport::WriteFileBytes(m_dir.File("in.eml"),
                                    "From: =?ISO-2022-JP?B?GyRCOzNFRBsoQg==?= <yamada@example.jp>\r\n"
                                    "To: cvmtest28@cvm.test\r\nSubject: hello\r\n"
                                    "Message-ID: <m1@example.jp>\r\nDate: Mon, 1 Jan 2024 10:00:00 +0900\r\n\r\n"
                                    "first line\r\n");
        ASSERT_EQ(store.AddNewMailData(m_dir.File("in.eml"), "2024/01/01 10:00:00 +0900", TRUE), 1);
        store.Close();
    }
    main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000 && E2e::ListItemCount(list) != 1)
        Sleep(100);
    ASSERT_EQ(E2e::ListItemCount(list), 1);
    E2e::ListSelectItem(list, 0);
    PostMessageA(main, WM_COMMAND, ID_MAIL_REPLY, 0);
    ASSERT_TRUE(WaitForEditorCount(1)) << Windows();
    HWND view = ViewOf(Editors()[0]);
    EXPECT_NE(E2e::GetControlText(view, IDC_ME_TO).Find("yamada@example.jp"), -1);
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_SUBJECT), CString("Re: hello"));
    EXPECT_NE(E2e::GetControlText(view, IDC_ME_BODY).Find("first line"), -1);
    PostMessageA(Editors()[0], WM_CLOSE, 0, 0);
    if (HWND prompt = m_program.WaitForDialogWithControl(IDC_SC_DISCARD, 3000))
        E2e::PressButton(prompt, IDC_SC_DISCARD);
    ASSERT_TRUE(WaitForEditorCount(0)) << Windows();
    Close(main);
}

TEST_F(MailEditorTest, ClosingTheProgramAsksToSaveWithoutCancel)
{
    Prepare(28, "pass28");
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND editor = NewEditor(main);
    ASSERT_NE(editor, nullptr);
    Write(editor, "a@example.jp", "", "書きかけ", "途中まで");
    PostMessageA(main, WM_CLOSE, 0, 0);
    // The application asks first whether to end with a mail being written.
    HWND ask = m_program.WaitForMessageBox("編集中のメールがあります。", 20000);
    ASSERT_NE(ask, nullptr) << Windows();
    E2e::PressButton(ask, IDOK);
    HWND prompt = m_program.WaitForDialogWithControl(IDC_SC_DISCARD, 20000);
    ASSERT_NE(prompt, nullptr) << Windows();
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(prompt, IDCANCEL)));
    E2e::PressButton(prompt, IDOK);
    EXPECT_EQ(m_program.WaitForExit(kStartTimeout), 0) << Windows();
    m_program.Kill();
    std::vector<std::string> drafts = StoredMails(CFolderRecord::kindWriting);
    ASSERT_EQ(drafts.size(), 1u);
    CMailMessage message;
    message.Parse(drafts[0].c_str(), static_cast<int>(drafts[0].size()));
    EXPECT_STREQ(message.m_strSubject, "書きかけ");
}
