// Mails received from the private Dovecot: each is also kept as it came in
// the mailbox's backup folder, copies older than the kept days go at the end
// of the receive, a mail is read again from its copy with the list's
// re-read command, and the threads of the list open and close together.
#include "e2e/E2eDriver.h"
#include "e2e/FirstStart.h"
#include "e2e/RemoteControls.h"
#include "e2e/TestAccount.h"

#include "net/NetTestSupport.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "resources/mainwnd/MainWndResource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const DWORD kStartTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";

// A file of the backup folder last written the given number of days ago.
void PlantBackup(const CString& path, int daysAgo)
{
    TestSupport::WriteFileBytes(path, "X-ReceiveAcount: old\r\nSubject: old\r\n\r\nold\r\n");
    HANDLE h = CreateFileA(path, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart -= static_cast<ULONGLONG>(daysAgo) * 24 * 60 * 60 * 10000000ULL;
    FILETIME then = { t.LowPart, t.HighPart };
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &then));
    CloseHandle(h);
}

// The names of the files in a folder.
std::vector<std::string> FilesIn(const CString& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found = {};
    HANDLE h = FindFirstFileA(folder + "\\*", &found);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    return names;
}

struct ListRowsWanted
{
    HWND list;
    int rows;
};

bool ListHasRows(void* p)
{
    auto* c = static_cast<ListRowsWanted*>(p);
    return E2e::ListItemCount(c->list) == c->rows;
}

class ReceiveBackupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot");
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), kPresetIni);
        ASSERT_TRUE(E2e::MakeMailBoxByFirstStart(m_dir.Path()));
    }
    void TearDown() override
    {
        if (m_main)
            E2e::CloseWhenTransfersEnd(m_program, m_main);
        m_program.Kill();
    }
    // Starts the program with the account of the user and receives its mails.
    void ReceiveAll(int nUser, int nMails)
    {
        ASSERT_TRUE(E2e::WriteTestAccount(m_mailbox, nUser));
        ASSERT_TRUE(m_program.Start("/INI \"/M:" + m_mailbox + "\""));
        m_main = m_program.WaitForMainWindow(kStartTimeout);
        ASSERT_NE(m_main, nullptr);
        m_list = E2e::FindDescendant(m_main, "SysListView32");
        ASSERT_NE(m_list, nullptr);
        PostMessageA(m_main, WM_COMMAND, ID_FILE_RECEIVE_CURRENT, 0);
        ListRowsWanted wanted = { m_list, nMails };
        ASSERT_TRUE(E2e::WaitUntil(60000, ListHasRows, &wanted)) << E2e::ListItemCount(m_list);
        // The end of the receive is in the log once the job has ended.
        ASSERT_TRUE(E2e::WaitUntil(30000, [](void* p) {
            return TestSupport::ReadFileBytes(*static_cast<const CString*>(p) + "\\$$Receive.Log")
                       .find("\t正常に終了しました。\t") != std::string::npos;
        }, const_cast<CString*>(&m_mailbox)));
    }

    TestSupport::TempDir m_dir;
    const CString m_mailbox = m_dir.Path() + "\\MailBox";
    const CString m_backup = m_mailbox + "\\Backup";
    E2e::CProgramUnderTest m_program{ m_dir.Path() };
    HWND m_main = nullptr;
    HWND m_list = nullptr;
};

} // namespace

TEST_F(ReceiveBackupTest, AReceivedMailIsKeptAndReadAgainFromItsCopy)
{
    const int user = 105;
    NetTest::ClearMaildir(user);
    NetTest::DeliverMail(user, "From: sender@example.jp\r\nSubject: backup one\r\nMessage-ID: <backup1@example.jp>\r\n"
                               "\r\nkept body\r\n");
    CreateDirectoryA(m_backup, nullptr);
    PlantBackup(m_backup + "\\QMold", 10);
    PlantBackup(m_backup + "\\QMrecent", 1);

    ReceiveAll(user, 1);

    // The copy of the new mail is there with what the server sent; the copy
    // older than the three days kept by default is gone, a newer one stays.
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) {
        return !TestSupport::FileExists(*static_cast<const CString*>(p) + "\\QMold");
    }, const_cast<CString*>(&m_backup)));
    std::vector<std::string> files = FilesIn(m_backup);
    std::string copy;
    for (const std::string& name : files) {
        if (name != "QMrecent" && name != "QMold" && name.compare(0, 2, "QM") == 0)
            copy = name;
    }
    EXPECT_EQ(files.size(), 2u);
    ASSERT_FALSE(copy.empty());
    std::string text = TestSupport::ReadFileBytes(m_backup + "\\" + copy.c_str());
    EXPECT_NE(text.find("Subject: backup one\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("kept body"), std::string::npos) << text;

    // The list's re-read command opens the copy of the focused mail.
    E2e::ListSelectItem(m_list, 0);
    PostMessageA(m_main, WM_COMMAND, ID_MAIL_REREAD_BACKUP, 0);
    HWND dialog = m_program.WaitForWindow("#32770", "メールの再読込", 20000);
    ASSERT_NE(dialog, nullptr) << E2e::VisibleWindows(m_program.ProcessId());
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(E2e::WaitUntil(10000, [](void* h) { return !IsWindow(static_cast<HWND>(h)); }, dialog));

    // Without its copy the user is told so.
    ASSERT_TRUE(DeleteFileA(m_backup + "\\" + copy.c_str()));
    PostMessageA(m_main, WM_COMMAND, ID_MAIL_REREAD_BACKUP, 0);
    HWND box = m_program.WaitForMessageBox("メールのデータファイルが見つかりませんでした。", 20000);
    ASSERT_NE(box, nullptr) << E2e::VisibleWindows(m_program.ProcessId());
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(E2e::WaitUntil(10000, [](void* h) { return !IsWindow(static_cast<HWND>(h)); }, box));
}

TEST_F(ReceiveBackupTest, NoCopyIsKeptWhenTheBackupIsSwitchedOff)
{
    const int user = 106;
    NetTest::ClearMaildir(user);
    NetTest::DeliverMail(user, "From: sender@example.jp\r\nSubject: not kept\r\nMessage-ID: <nokeep@example.jp>\r\n"
                               "\r\nbody\r\n");
    TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), std::string(kPresetIni).insert(11, "ReceiveMailBackup=dword:0\r\n"));
    ReceiveAll(user, 1);
    EXPECT_TRUE(FilesIn(m_backup).empty());
}

// With the thread display on, the view menu's commands close and open
// every thread of the list at once.
TEST_F(ReceiveBackupTest, EveryThreadOpensAndClosesTogether)
{
    const int user = 107;
    NetTest::ClearMaildir(user);
    NetTest::DeliverMail(user, "From: a@example.jp\r\nSubject: root one\r\nMessage-ID: <r1@example.jp>\r\n"
                               "Date: Mon, 1 Apr 2024 10:00:00 +0900\r\n\r\nx\r\n");
    NetTest::DeliverMail(user, "From: b@example.jp\r\nSubject: Re: root one\r\nMessage-ID: <r1a@example.jp>\r\n"
                               "In-Reply-To: <r1@example.jp>\r\nReferences: <r1@example.jp>\r\n"
                               "Date: Mon, 1 Apr 2024 11:00:00 +0900\r\n\r\nx\r\n");
    NetTest::DeliverMail(user, "From: c@example.jp\r\nSubject: root two\r\nMessage-ID: <r2@example.jp>\r\n"
                               "Date: Mon, 1 Apr 2024 12:00:00 +0900\r\n\r\nx\r\n");
    NetTest::DeliverMail(user, "From: d@example.jp\r\nSubject: Re: root two\r\nMessage-ID: <r2a@example.jp>\r\n"
                               "In-Reply-To: <r2@example.jp>\r\nReferences: <r2@example.jp>\r\n"
                               "Date: Mon, 1 Apr 2024 13:00:00 +0900\r\n\r\nx\r\n");
    ReceiveAll(user, 4);

    PostMessageA(m_main, WM_COMMAND, ID_VIEW_THREAD, 0);
    PostMessageA(m_main, WM_COMMAND, ID_VIEW_COLLAPSE_ALL_THREADS, 0);
    ListRowsWanted closed = { m_list, 2 };
    EXPECT_TRUE(E2e::WaitUntil(10000, ListHasRows, &closed)) << E2e::ListItemCount(m_list);
    PostMessageA(m_main, WM_COMMAND, ID_VIEW_EXPAND_ALL_THREADS, 0);
    ListRowsWanted open = { m_list, 4 };
    EXPECT_TRUE(E2e::WaitUntil(10000, ListHasRows, &open)) << E2e::ListItemCount(m_list);
    PostMessageA(m_main, WM_COMMAND, ID_VIEW_COLLAPSE_ALL_THREADS, 0);
    EXPECT_TRUE(E2e::WaitUntil(10000, ListHasRows, &closed)) << E2e::ListItemCount(m_list);
}
