// Selective receive: the list of the server's mails (its counts, the
// renumbering after deletions, the order of its columns) and the job that
// lists a mailbox and runs the user's requests against the private Dovecot,
// over POP3 and IMAP, with the window's list kept without a window.
#include "TransferTestSupport.h"

#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "net/NetTestSupport.h"
#include "smtp/SmtpTestSupport.h"
#include "store/MailFolderStore.h"
#include "transfer/DlgRemoteMail.h"
#include "transfer/RemoteMailList.h"
#include "transfer/TransferMessages.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace TransferTest;

namespace {

CString HeaderText(const std::string& subject, const std::string& from, const std::string& id);

std::string Header(const std::string& subject, const std::string& from, const std::string& id)
{
    return "From: " + from + "\r\nSubject: " + subject + "\r\nDate: Mon, 6 May 2024 10:00:00 +0900\r\nMessage-ID: <" +
           id + ">\r\n\r\n";
}

CString HeaderText(const std::string& subject, const std::string& from, const std::string& id)
{
    return CString(Header(subject, from, id).c_str());
}

TEST(RemoteMailListTest, CountsSizesAndRenumbersAfterDeletions)
{
    CRemoteMailList list;
    list.SetServerCount(5);
    list.Add(0, HeaderText("a", "x@example.jp", "1@x"), "u1", 1, 2048);
    list.Add(0, HeaderText("b", "y@example.jp", "2@x"), "u2", 2, 1024);
    list.Add(0, HeaderText("c", "z@example.jp", "3@x"), "u3", 3, 100);
    // 3172 bytes are 3 KB, rounded down.
    EXPECT_STREQ(list.CountLabel(), "3 / 5");
    EXPECT_STREQ(list.SizeLabel(), "3KB");
    EXPECT_EQ(list.GetLastMailNumber(), 3);
    EXPECT_STREQ(list.GetLastMailId(), "u3");

    // Receive 1, delete 2, receive and delete 3 (of a list that also knows
    // two more mails on the server).
    list.GetAt(0)->m_nOperation = CRemoteMailItem::opReceive;
    list.GetAt(1)->m_nOperation = CRemoteMailItem::opDelete;
    ASSERT_TRUE(list.MakeRequests(7));
    std::vector<CReceiveSelection> requests = list.GetRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].nNumber, 1);
    EXPECT_EQ(requests[0].bNoReceive, 0);
    EXPECT_EQ(requests[0].bDelete, 0);
    EXPECT_STREQ(requests[0].strId, "u1");
    EXPECT_EQ(requests[1].nNumber, 2);
    EXPECT_EQ(requests[1].bNoReceive, 1);
    EXPECT_EQ(requests[1].bDelete, 1);
    EXPECT_EQ(list.GetAt(0)->m_nAccount, 7);

    std::vector<std::unique_ptr<CRemoteMailItem>> removed;
    list.ApplyResults(removed);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_STREQ(removed[0]->m_strId, "u2");
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(0)->m_nNumber, 1);
    EXPECT_EQ(list.GetAt(0)->m_nOperation, CRemoteMailItem::opReceived);
    EXPECT_EQ(list.GetAt(1)->m_nNumber, 2);
    EXPECT_EQ(list.GetServerCount(), 4);
    EXPECT_STREQ(list.CountLabel(), "2 / 4");
    EXPECT_STREQ(list.SizeLabel(), "2KB");
    EXPECT_FALSE(list.HasRequests());
    // A received row is not asked for again.
    EXPECT_FALSE(list.MakeRequests(7));
}

TEST(RemoteMailListTest, OperationsBecomeFlagsAndBackClearsThem)
{
    struct Case
    {
        int nOperation;
        BYTE bReceive, bDelete, bKeepUnread;
        bool bAsked;
    } const cases[] = {
        {CRemoteMailItem::opNone, 0, 0, 0, false},
        {CRemoteMailItem::opReceive, 1, 0, 0, true},
        {CRemoteMailItem::opReceiveUnread, 1, 0, 1, true},
        {CRemoteMailItem::opReceiveDelete, 1, 1, 0, true},
        {CRemoteMailItem::opDelete, 0, 1, 0, true},
        {CRemoteMailItem::opReceived, 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nOperation);
        CRemoteMailItem item;
        item.m_bReceive = item.m_bDelete = item.m_bKeepUnread = 1;  // left from an earlier mark
        item.m_nOperation = c.nOperation;
        EXPECT_EQ(item.TakeOperation(2), c.bAsked);
        EXPECT_EQ(item.m_bReceive, c.bReceive);
        EXPECT_EQ(item.m_bDelete, c.bDelete);
        EXPECT_EQ(item.m_bKeepUnread, c.bKeepUnread);
    }
}

TEST(RemoteMailListTest, SubjectsAndSendersAreDecoded)
{
    CRemoteMailItem item;
    // "会議" in ISO-2022-JP, Base64; the sender's name likewise.
    item.SetData(0,
                 "Subject: =?ISO-2022-JP?B?GyRCMnE1RBsoQg==?=\r\nFrom: =?ISO-2022-JP?B?GyRCMnE1RBsoQg==?= "
                 "<k@example.jp>\r\nDate: Tue, 7 May 2024 09:00:00 +0900\r\n\r\n",
                 "id9", 9, 321);
    EXPECT_STREQ(item.m_strSubject, "会議");
    EXPECT_STREQ(item.m_strSender, "会議 <k@example.jp>");
    EXPECT_STREQ(item.m_strDate, "Tue, 7 May 2024 09:00:00 +0900");
    EXPECT_EQ(item.m_nNumber, 9);
    EXPECT_EQ(item.m_nSize, 321);
}

TEST(RemoteMailListTest, EveryColumnSortsAsAStrictOrdering)
{
    CRemoteMailList list;
    list.Add(0, HeaderText("同じ", "b@example.jp", "1"), "1", 1, 500);
    list.Add(0, HeaderText("同じ", "\"Z\" <a@example.jp>", "2"), "2", 2, 500);
    list.Add(0, HeaderText("ある", "c@example.jp", "3"), "3", 3, 10);
    for (int nColumn = 0; nColumn < 5; nColumn++) {
        SCOPED_TRACE(nColumn);
        for (int i = 0; i < 3; i++) {
            const CRemoteMailItem& a = *list.GetAt(i);
            EXPECT_EQ(CRemoteMailList::Compare(a, a, nColumn), 0);
            for (int j = 0; j < 3; j++) {
                if (i == j)
                    continue;
                const CRemoteMailItem& b = *list.GetAt(j);
                int r = CRemoteMailList::Compare(a, b, nColumn);
                // Distinct rows never compare equal, and the order turns
                // round when the rows do.
                EXPECT_NE(r, 0) << i << " " << j;
                EXPECT_EQ(r, -CRemoteMailList::Compare(b, a, nColumn));
            }
        }
    }
    // The sender sorts by the bare address, not by the display name.
    EXPECT_LT(CRemoteMailList::Compare(*list.GetAt(1), *list.GetAt(0), 2), 0);
    EXPECT_LT(CRemoteMailList::Compare(*list.GetAt(2), *list.GetAt(0), 4), 0);
}

class SelectiveReceiveJobTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot");
        TestSupport::InstallMessageBoxRecorder();
        TestSupport::ClearMessages();
        host.m_pSelectDlg = &window;
    }

    void RunAndWait(int nAccount, bool bCancel = false)
    {
        int nEnds = loop.Count(TM_SELECT_JOB_END);
        ASSERT_TRUE(host.StartSelectReceive(nAccount, bCancel));
        ASSERT_TRUE(loop.RunUntilCount(TM_SELECT_JOB_END, nEnds + 1));
        ASSERT_TRUE(loop.RunUntil([&] { return !host.IsReceiving(); }, 10000));
    }

    std::vector<std::string> Subjects()
    {
        std::vector<std::string> subjects;
        CRemoteMailList& list = window.GetList();
        for (int i = 0; i < list.GetCount(); i++)
            subjects.push_back(FormatString("%d:%s", list.GetAt(i)->m_nNumber, list.GetAt(i)->m_strSubject.GetString())
                                   .Str());
        return subjects;
    }

    // Whether the server keeps the mail with that Message-ID marked seen.
    static bool IsSeenOnServer(int nUser, const std::string& id)
    {
        CString fresh = SmtpTest::MaildirNew(NetTest::UserName(nUser));
        CString cur = fresh.Left(fresh.ReverseFind('\\')) + "\\cur";
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA(cur + "\\*", &fd);
        bool bSeen = false;
        if (h == INVALID_HANDLE_VALUE)
            return false;
        do {
            std::string text = TestSupport::ReadFileBytes(cur + "\\" + fd.cFileName);
            std::string name = fd.cFileName;
            size_t flags = name.rfind(",");
            if (text.find(id) != std::string::npos && flags != std::string::npos)
                bSeen = name.find('S', flags) != std::string::npos;
        } while (FindNextFileA(h, &fd));
        FindClose(h);
        return bSeen;
    }

    TestSupport::TempDir dir;
    TestApp app{dir.Path()};
    MainLoop loop;
    TestHost host;
    CDlgRemoteMail window;
};

TEST_F(SelectiveReceiveJobTest, ListsRunsTheRequestsAndRenumbersOverPop3AndImap)
{
    struct Case
    {
        const char* name;
        bool bImap;
        int nUser;
    } const cases[] = {{"POP3", false, 31}, {"IMAP", true, 32}};
    int nAccount = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NetTest::ClearMaildir(c.nUser);
        for (int i = 1; i <= 4; i++)
            NetTest::DeliverMail(c.nUser, Header(FormatString("=?ISO-2022-JP?B?GyRCMnE1RBsoQg==?= %d", i).Str(),
                                                 "sender@example.jp", "sel" + std::to_string(i) + "@" + c.name) +
                                              "本文 " + std::to_string(i) + "\r\n");
        AddAccount(app, c.name, c.nUser, c.bImap);
        SaveAccounts(app);
        window.GetList().Clear();
        window.SelectAccount(nAccount);

        // The listing fills the window's list and fetches nothing.
        RunAndWait(nAccount);
        EXPECT_EQ(host.m_nSelectResult, 0);
        EXPECT_EQ(Subjects(), std::vector<std::string>({"1:会議 1", "2:会議 2", "3:会議 3", "4:会議 4"}));
        EXPECT_EQ(window.GetList().GetServerCount(), 4);
        EXPECT_EQ(StoredMails(app.Inbox()).size(), static_cast<size_t>(nAccount) * 2);
        EXPECT_EQ(NetTest::CountServerMails(c.nUser), 4);
        EXPECT_STREQ(window.GetList().GetAt(0)->m_strSender, "sender@example.jp");

        // Receive 1 and leave it unread, delete 2, receive and delete 3.
        CRemoteMailList& list = window.GetList();
        list.GetAt(0)->m_nOperation = CRemoteMailItem::opReceiveUnread;
        list.GetAt(1)->m_nOperation = CRemoteMailItem::opDelete;
        list.GetAt(2)->m_nOperation = CRemoteMailItem::opReceiveDelete;
        ASSERT_TRUE(list.MakeRequests(nAccount));
        int nReceiveEnds = loop.Count(TM_RECEIVE_JOB_END);
        RunAndWait(nAccount);
        EXPECT_EQ(host.m_nSelectResult, 0);
        EXPECT_EQ(loop.Count(TM_RECEIVE_JOB_END), nReceiveEnds + 1);
        std::vector<std::string> inbox = StoredMails(app.Inbox());
        ASSERT_EQ(inbox.size(), static_cast<size_t>(nAccount) * 2 + 2);
        EXPECT_EQ(std::count_if(inbox.begin(), inbox.end(),
                                [&](const std::string& m) {
                                    return m.find(std::string("sel1@") + c.name) != std::string::npos ||
                                           m.find(std::string("sel3@") + c.name) != std::string::npos;
                                }),
                  2);
        std::vector<std::string> left = ServerMessageIds(c.nUser);
        EXPECT_EQ(left, std::vector<std::string>({std::string("<sel1@") + c.name + ">",
                                                  std::string("<sel4@") + c.name + ">"}));
        if (c.bImap) {
            EXPECT_FALSE(IsSeenOnServer(c.nUser, std::string("sel1@") + c.name));
        }
        // The deleted mails left the list; the rest closed up.
        EXPECT_EQ(Subjects(), std::vector<std::string>({"1:会議 1", "2:会議 4"}));
        EXPECT_EQ(list.GetAt(0)->m_nOperation, CRemoteMailItem::opReceivedUnread);
        EXPECT_EQ(list.GetServerCount(), 2);

        // A new mail: the listing goes on after the last listed one.
        NetTest::DeliverMail(c.nUser, Header("新着", "n@example.jp", std::string("sel5@") + c.name) + "x\r\n");
        RunAndWait(nAccount);
        EXPECT_EQ(host.m_nSelectResult, 0);
        EXPECT_EQ(Subjects(), std::vector<std::string>({"1:会議 1", "2:会議 4", "3:新着"}));
        EXPECT_EQ(list.GetServerCount(), 3);

        // Another client empties the mailbox: the window's numbers no longer
        // hold, and neither a listing nor a run touches the server.
        NetTest::ClearMaildir(c.nUser);
        NetTest::DeliverMail(c.nUser, Header("別", "o@example.jp", std::string("other@") + c.name) + "x\r\n");
        RunAndWait(nAccount);
        EXPECT_EQ(host.m_nSelectResult, -2);
        EXPECT_EQ(Subjects().size(), 3u);
        list.GetAt(2)->m_nOperation = CRemoteMailItem::opDelete;
        ASSERT_TRUE(list.MakeRequests(nAccount));
        RunAndWait(nAccount);
        EXPECT_EQ(host.m_nSelectResult, -2);
        EXPECT_EQ(NetTest::CountServerMails(c.nUser), 1);
        EXPECT_EQ(Subjects().size(), 3u);
        list.ClearRequests();
        NetTest::ClearMaildir(c.nUser);
        nAccount++;
    }
}

TEST_F(SelectiveReceiveJobTest, TheNewestOnlyListingTakesTheLastMailsOverPop3AndImap)
{
    struct Case
    {
        const char* name;
        bool bImap;
    } const cases[] = {{"POP3", false}, {"IMAP", true}};
    int nAccount = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NetTest::ClearMaildir(31);
        for (int i = 1; i <= 5; i++)
            NetTest::DeliverMail(31, Header("n" + std::to_string(i), "x@example.jp", "n" + std::to_string(i) + "@x") +
                                         "x\r\n");
        AddAccount(app, c.name, 31, c.bImap);
        SaveAccounts(app);
        window.GetList().Clear();
        window.SelectAccount(nAccount);
        window.SetNewestOnly(true, 2);
        RunAndWait(nAccount++);
        EXPECT_EQ(host.m_nSelectResult, 0);
        EXPECT_EQ(Subjects(), std::vector<std::string>({"4:n4", "5:n5"}));
        EXPECT_EQ(window.GetList().GetServerCount(), 5);
    }
    NetTest::ClearMaildir(31);
}

TEST_F(SelectiveReceiveJobTest, TheCancelMarkOfTheStartGivesTheWindowBackWithoutASession)
{
    AddAccount(app, "POP3", 31);
    SaveAccounts(app);
    NetTest::ClearMaildir(31);
    NetTest::DeliverMail(31, Header("x", "x@example.jp", "c1@x") + "x\r\n");
    RunAndWait(0, true);
    EXPECT_EQ(window.GetList().GetCount(), 0);
    EXPECT_EQ(host.m_bSelectCancel, 0);
    {
        std::lock_guard<std::mutex> hold(host.lock);
        EXPECT_EQ(host.progressKinds, std::vector<int>({0}));
        EXPECT_EQ(host.nProgressEnds, 1);
    }
    // The next start lists as usual.
    RunAndWait(0);
    EXPECT_EQ(window.GetList().GetCount(), 1);
    NetTest::ClearMaildir(31);
}

} // namespace

namespace {

// The account that scripts/run.sh gives a newcomer: the demo user on the
// private servers, mail left on the server so that the samples stay, and
// sending through the private Postfix.
TEST(DemoAccountTest, TheRunScriptsAccountReachesTheDemoMailbox)
{
    CString folder = TestSupport::TestDataDir() + "\\..\\..\\scripts\\demo";
    CAccountDataSet accounts;
    accounts.SetFilePath(folder + "\\Account.dat");
    ASSERT_TRUE(accounts.ReadFromFile(TRUE));
    ASSERT_EQ(accounts.GetRecordCount(TRUE), 1);
    CAccountData* a = accounts.GetAccount(0);
    EXPECT_STREQ(a->GetMailAddress(), "demo@cvm.test");
    EXPECT_STREQ(a->GetReceiveServer(), NetTest::kHost);
    EXPECT_STREQ(a->GetReceiveUser(), "demo");
    EXPECT_STREQ(a->GetPassword(), "demo");
    EXPECT_EQ(a->GetProtocol(), 0);
    EXPECT_TRUE(a->GetLeaveOnServer());
    EXPECT_STREQ(a->GetSmtpServer(), "smtp.cvm.test");
    EXPECT_EQ(a->GetSmtpPort(), 587);
    EXPECT_TRUE(a->GetSmtpAuth());
    EXPECT_TRUE(a->GetSendTls());
    // The folder list names the default folders relative to the mailbox.
    std::string folders = TestSupport::ReadFileBytes(folder + "\\Folder.dat");
    for (const char* box : {"\tIn.Box\t", "\tOut.Box\t", "\tSend.Box\t", "\tTrash.Box\t", "\tWriting.Box\t"})
        EXPECT_NE(folders.find(box), std::string::npos) << box;
}

} // namespace
