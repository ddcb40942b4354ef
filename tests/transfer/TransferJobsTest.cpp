// The receive, route and send jobs run as the main window runs them, this
// program playing the main thread: against the private Dovecot (POP3 and
// IMAP) and Postfix, with aborts in the middle.
#include "TransferTestSupport.h"

#include "core/AccountDataSet.h"
#include "message/JapaneseCode.h"
#include "message/MailMessage.h"
#include "net/NetTestSupport.h"
#include "net/SmtpSession.h"
#include "smtp/SmtpTestSupport.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "transfer/MailGetThread.h"
#include "transfer/TransferMessages.h"
#include "transfer/TransferStatus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace TransferTest;

namespace {

class TransferJobsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot");
        TestSupport::InstallMessageBoxRecorder();
        TestSupport::ClearMessages();
    }

    // Receives account nAccount as the receive command does and waits for
    // the end of the job.
    void ReceiveAndWait(int nAccount) { ASSERT_TRUE(TransferTest::ReceiveAndWait(host, loop, nAccount)); }

    void SendAndWait()
    {
        ASSERT_TRUE(host.SendOutbox());
        ASSERT_TRUE(loop.RunUntil([&] { return !host.IsSending(); }));
    }

    static std::set<std::string> MessageIds(const std::vector<std::string>& mails)
    {
        std::set<std::string> ids;
        for (const std::string& m : mails) {
            size_t at = m.find("Message-ID: ");
            if (at != std::string::npos)
                ids.insert(m.substr(at + 12, m.find("\r\n", at) - at - 12));
        }
        return ids;
    }

    TestSupport::TempDir dir;
    TestApp app{dir.Path()};
    MainLoop loop;
    TestHost host;
};

TEST_F(TransferJobsTest, ReceiveFilesJapaneseMailIntoTheInboxOverPop3AndImap)
{
    struct Case
    {
        const char* name;
        bool bImap;
        int nUser;
    } const cases[] = {{"POP3", false, 18}, {"IMAP", true, 19}};
    int nAccount = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NetTest::ClearMaildir(c.nUser);
        std::vector<std::string> sent;
        for (int i = 0; i < 6; i++) {
            sent.push_back(JapaneseMail(i));
            NetTest::DeliverMail(c.nUser, sent.back());
        }
        AddAccount(app, c.name, c.nUser, c.bImap);
        SaveAccounts(app);
        int nBefore = static_cast<int>(StoredMails(app.Inbox()).size());
        int nNewBefore = loop.SumWParam(TM_SESSION_END);
        int nEndsBefore = loop.Count(TM_SESSION_END);

        ReceiveAndWait(nAccount++);

        std::vector<std::string> inbox = StoredMails(app.Inbox());
        ASSERT_EQ(static_cast<int>(inbox.size()) - nBefore, 6);
        for (const std::string& mail : sent) {
            bool bFound = std::any_of(inbox.begin(), inbox.end(), [&](const std::string& s) {
                return s.find(mail.substr(mail.find("Message-ID:"), 40)) != std::string::npos;
            });
            EXPECT_TRUE(bFound) << mail.substr(0, 120);
        }
        // One end of session for the main thread, with the count.
        EXPECT_EQ(loop.Count(TM_SESSION_END) - nEndsBefore, 1);
        EXPECT_EQ(loop.SumWParam(TM_SESSION_END) - nNewBefore, 6);
        if (!c.bImap) {
            EXPECT_EQ(NetTest::CountServerMails(c.nUser), 0);
        }
        // The receive log records the pass, newest first.
        std::string log = TestSupport::ReadFileBytes(app.GetReceiveLogPath());
        std::string expected = std::string("\t") + c.name + "\t正常に終了しました。\t6\r\n";
        EXPECT_NE(log.find(expected), std::string::npos) << log;
        EXPECT_LT(log.find(expected), log.find("\r\n") + 2) << log;
    }
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());
    std::lock_guard<std::mutex> hold(host.lock);
    EXPECT_EQ(host.progressKinds, std::vector<int>({0, 0}));
    EXPECT_EQ(host.nProgressEnds, 2);
}

TEST_F(TransferJobsTest, ReceivedMailsLandInTheFoldersTheRulesName)
{
    CFolderRecord meetings;
    meetings.m_nId = 7;
    meetings.m_strName = "会議";
    meetings.m_strPath = app.GetMailBoxFolder() + "\\Meetings.Box";
    CreateDirectoryA(meetings.m_strPath, nullptr);
    CMailFolderStore* pMeetings = app.AddFolder(0, 0, nullptr, meetings);
    ASSERT_NE(pMeetings, nullptr);
    // Mails about meetings go to their folder with label 2; junk is left
    // on the server and deleted there.
    TestSupport::WriteFileBytes(app.GetMailBoxFolder() + "\\Divideup.dat",
                                "Subject\t会議\t\t\t7\t0\t0\t0\t0\t0\t0\t1\t2\t0\t0\t0\t0\r\n"
                                "Subject\tjunk\t\t\t1\t0\t0\t0\t0\t1\t1\t0\t-1\t0\t0\t0\t1\r\n");
    NetTest::ClearMaildir(20);
    NetTest::DeliverMail(20, "From: a@example.jp\r\nSubject: 定例会議の件\r\nMessage-ID: <m1@example.jp>\r\n\r\nbody\r\n");
    NetTest::DeliverMail(20, "From: b@example.jp\r\nSubject: hello\r\nMessage-ID: <m2@example.jp>\r\n\r\nbody\r\n");
    NetTest::DeliverMail(20, "From: c@example.jp\r\nSubject: junk offer\r\nMessage-ID: <m3@example.jp>\r\n\r\nx\r\n");
    AddAccount(app, "rules", 20);
    SaveAccounts(app);

    ReceiveAndWait(0);

    std::vector<std::string> inbox = StoredMails(app.Inbox());
    std::vector<std::string> filed = StoredMails(pMeetings);
    ASSERT_EQ(filed.size(), 1u);
    EXPECT_NE(filed[0].find("<m1@example.jp>"), std::string::npos);
    EXPECT_EQ(pMeetings->GetRecord(0)->m_nLabel, 2);
    // The inbox has the other mail and the report of the one left out.
    ASSERT_EQ(inbox.size(), 2u);
    EXPECT_NE(inbox[0].find("<m2@example.jp>"), std::string::npos);
    CMailMessage report;
    report.Parse(inbox[1].c_str(), static_cast<int>(inbox[1].size()));
    EXPECT_STREQ(report.m_strSubject, "Corvane Mailからの報告");
    std::string reportBody = JisToSjis(inbox[1].c_str(), static_cast<int>(inbox[1].size())).Str();
    EXPECT_NE(reportBody.find("アカウント「rules」受信時にダウンロードされない"), std::string::npos) << reportBody;
    EXPECT_NE(reportBody.find("理由:振り分け設定-メールはサーバから削除されました。"), std::string::npos);
    EXPECT_EQ(NetTest::CountServerMails(20), 0);
    EXPECT_TRUE(std::any_of(loop.heard.begin(), loop.heard.end(), [](const MSG& m) {
        return m.message == TM_LIST_CHANGED && m.lParam == 7;
    }));
}

TEST_F(TransferJobsTest, RouteReceivesEveryFlaggedAccountAndRecordsTheCheckTime)
{
    NetTest::ClearMaildir(20);
    NetTest::ClearMaildir(21);
    NetTest::DeliverMail(20, JapaneseMail(1));
    NetTest::DeliverMail(21, JapaneseMail(2));
    NetTest::DeliverMail(21, JapaneseMail(3));
    AddAccount(app, "first", 20);
    AddAccount(app, "skipped", 22)->SetInt(9, 0);
    AddAccount(app, "second", 21, true);
    SaveAccounts(app);

    ASSERT_TRUE(host.StartRoutePass());
    ASSERT_TRUE(loop.RunUntilCount(TM_RECEIVE_JOB_END, 1));
    ASSERT_TRUE(loop.RunUntil([&] { return !host.IsReceiving(); }, 10000));
    EXPECT_EQ(StoredMails(app.Inbox()).size(), 3u);
    EXPECT_EQ(loop.Count(TM_SESSION_END), 2);
    EXPECT_FALSE(app.GetProfileString("Setting", "LastRouteCheckTime", "").IsEmpty());
    {
        std::lock_guard<std::mutex> hold(host.lock);
        EXPECT_EQ(host.progressKinds, std::vector<int>({1, 1}));
    }

    // A route in which no session reaches its server leaves the time alone;
    // so does one without any flagged account.
    app.WriteProfileString("Setting", "LastRouteCheckTime", "");
    for (int i = 0; i < 3; i++)
        app.m_pAccountDataSet->GetAccount(i)->SetReceivePort(1);
    SaveAccounts(app);
    ASSERT_TRUE(host.StartRoutePass());
    ASSERT_TRUE(loop.RunUntilCount(TM_RECEIVE_JOB_END, 2));
    for (int i = 0; i < 3; i++)
        app.m_pAccountDataSet->GetAccount(i)->SetInt(9, 0);
    ASSERT_TRUE(loop.RunUntil([&] { return !host.IsReceiving(); }, 10000));
    ASSERT_TRUE(host.StartRoutePass());
    ASSERT_TRUE(loop.RunUntilCount(TM_RECEIVE_JOB_END, 3));
    EXPECT_TRUE(app.GetProfileString("Setting", "LastRouteCheckTime", "").IsEmpty());
}

TEST_F(TransferJobsTest, AbortDuringReceiveLosesNothingAndReceivesNothingTwice)
{
    const int nMails = 40;
    NetTest::ClearMaildir(22);
    for (int i = 0; i < nMails; i++)
        NetTest::DeliverMail(22, JapaneseMail(i, 20000));
    AddAccount(app, "abort", 22)->SetLeaveOnServer(FALSE);
    SaveAccounts(app);

    ASSERT_TRUE(host.ReceiveAccount(0, false, true));
    // Abort once a few mails are in.
    ASSERT_TRUE(loop.RunUntil([&] { return loop.Count(TM_LIST_CHANGED) >= 3; }));
    host.AbortTransfer();
    ASSERT_TRUE(loop.RunUntilCount(TM_RECEIVE_JOB_END, 1));
    ASSERT_TRUE(loop.RunUntil([&] { return !host.IsReceiving(); }, 10000));
    size_t nFirst = StoredMails(app.Inbox()).size();
    EXPECT_LT(nFirst, static_cast<size_t>(nMails));
    EXPECT_EQ(nFirst + NetTest::CountServerMails(22), static_cast<size_t>(nMails));

    // The next receive brings the rest, each mail once.
    ReceiveAndWait(0);
    std::vector<std::string> inbox = StoredMails(app.Inbox());
    EXPECT_EQ(inbox.size(), static_cast<size_t>(nMails));
    EXPECT_EQ(MessageIds(inbox).size(), static_cast<size_t>(nMails));
    EXPECT_EQ(NetTest::CountServerMails(22), 0);
}

} // namespace

namespace {

std::string WithoutCr(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c != '\r')
            out += c;
    return out;
}

std::string BodyOf(const std::string& mail)
{
    std::string text = WithoutCr(mail);
    size_t at = text.find("\n\n");
    return at == std::string::npos ? std::string() : text.substr(at + 2);
}

class TransferSendTest : public TransferJobsTest
{
protected:
    void SetUp() override
    {
        TransferJobsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        CVM_NEED_SERVER(SmtpTest::ServerAnswers("127.0.0.3", 587), "Postfix");
        NetTest::ClearMaildir(23);
        NetTest::ClearMaildir(24);
        AddAccount(app, "送信", 23);
        SaveAccounts(app);
    }

    // The Message-IDs of the outbox's mails.
    std::vector<CString> OutboxIds()
    {
        std::vector<CString> ids;
        for (const std::string& m : StoredMails(app.Outbox())) {
            CMailMessage message;
            message.Parse(m.c_str(), static_cast<int>(m.size()));
            ids.push_back(message.m_strMessageId);
        }
        return ids;
    }
};

TEST_F(TransferSendTest, OutboxMailsGoThroughPostfixAndTheSentCopiesAreStored)
{
    // A received mail that one of them answers.
    TestSupport::TempDir work;
    TestSupport::WriteFileBytes(work.File("in.eml"), JapaneseMail(7));
    int nAnswered = -1;
    ASSERT_EQ(app.Inbox()->AddNewMailData(work.File("in.eml"), "2024/05/01 10:00:00 +0900", TRUE, FALSE, nullptr,
                                          &nAnswered),
              1);
    CString handle = app.Inbox()->GetRecord(nAnswered)->GetText(CMailIndexRecord::colFileName);
    CString folder = FormatString("%d", app.Inbox()->GetFolderId());

    StoreOutgoing(app, "送信", "cvmtest24@cvm.test", "一通目", "日本語の本文です。\r\n.で始まる行\r\n");
    StoreOutgoing(app, "送信", "受取人 <cvmtest24@cvm.test>", "返信", "お返事です。", folder, handle);
    StoreOutgoing(app, "送信", "cvmtest24@cvm.test", "三通目", "最後のメール");
    std::vector<std::string> outgoing = StoredMails(app.Outbox());
    std::vector<CString> ids = OutboxIds();
    ASSERT_EQ(ids.size(), 3u);

    SendAndWait();

    for (size_t i = 0; i < ids.size(); i++) {
        std::string delivered = SmtpTest::WaitForDeliveredMail("cvmtest24", ids[i]);
        ASSERT_FALSE(delivered.empty()) << ids[i].GetString();
        // The stored mail is Shift_JIS; it travels as ISO-2022-JP.
        std::string body = BodyOf(delivered);
        EXPECT_EQ(std::string(JisToSjis(body.c_str(), static_cast<int>(body.size()))), BodyOf(outgoing[i]));
        EXPECT_EQ(WithoutCr(delivered).find("X-SendAcount"), std::string::npos);
    }
    EXPECT_TRUE(StoredMails(app.Outbox()).empty());
    EXPECT_EQ(StoredMails(app.Sent()).size(), 3u);
    EXPECT_TRUE(app.Inbox()->GetRecord(nAnswered)->m_nFlags & CMailIndexRecord::flagReplied);
    EXPECT_EQ(loop.Count(TM_FOLDER_CHANGED), 3);
    EXPECT_TRUE(std::any_of(loop.heard.begin(), loop.heard.end(), [&](const MSG& m) {
        return m.message == TM_FOLDER_REDRAW && m.wParam == 0 && m.lParam == app.Outbox()->GetFolderId();
    }));
    EXPECT_EQ(loop.Count(TM_SEND_RESULT), 4);  // three mails and the QUIT
    std::lock_guard<std::mutex> hold(host.lock);
    EXPECT_TRUE(host.sendErrors.empty());
}

TEST_F(TransferSendTest, SendsOverTlsFromTheFirstByteOn465)
{
    app.m_pAccountDataSet->GetAccount(0)->SetSmtpPort(465);
    SaveAccounts(app);
    StoreOutgoing(app, "送信", "cvmtest24@cvm.test", "465", "ポート465の本文");
    std::vector<CString> ids = OutboxIds();

    SendAndWait();

    EXPECT_FALSE(SmtpTest::WaitForDeliveredMail("cvmtest24", ids[0]).empty());
    EXPECT_TRUE(OutboxIds().empty());
    EXPECT_EQ(StoredMails(app.Sent()).size(), 1u);
}

// A stored mail whose attachments are for the To recipients only: the Cc
// recipients get it too, without the attachments.
TEST_F(TransferSendTest, AStoredMailWithAttachmentsForToOnlyReachesItsCcRecipients)
{
    NetTest::ClearMaildir(42);
    TestSupport::TempDir dir;
    CString attachment = dir.File("資料.txt");
    TestSupport::WriteFileBytes(attachment, "attached text\r\n");
    CSmtpSession composer;
    composer.SetAccountName("送信");
    composer.SetFrom("sender@cvm.test");
    composer.SetTo("cvmtest24@cvm.test");
    composer.SetCc("cvmtest42@cvm.test");
    composer.SetAttachToOnly(true);
    composer.SetSubject("宛先だけに添付");
    composer.AddBodyText("本文です。");
    composer.AddAttachment(attachment);
    CString path = dir.File("out.eml");
    ASSERT_TRUE(composer.BuildMessage(path));
    ASSERT_EQ(app.Outbox()->AddNewMailData(path, "2024/05/01 10:00:00 +0900", TRUE), 1);
    std::vector<CString> ids = OutboxIds();
    ASSERT_EQ(ids.size(), 1u);

    SendAndWait();

    std::string toCopy = SmtpTest::WaitForDeliveredMail("cvmtest24", ids[0]);
    std::string ccCopy = SmtpTest::WaitForDeliveredMail("cvmtest42", ids[0]);
    ASSERT_FALSE(toCopy.empty());
    ASSERT_FALSE(ccCopy.empty());
    EXPECT_NE(toCopy.find("Content-Disposition: attachment"), std::string::npos);
    EXPECT_EQ(ccCopy.find("Content-Disposition: attachment"), std::string::npos);
    std::string ccText = JisToSjis(ccCopy.c_str(), static_cast<int>(ccCopy.size())).Str();
    EXPECT_NE(ccText.find("本文です。"), std::string::npos) << ccCopy;
    EXPECT_EQ(NetTest::CountServerMails(42), 1);
    EXPECT_TRUE(OutboxIds().empty());
    NetTest::ClearMaildir(42);
}

TEST_F(TransferSendTest, FailedSendsStayInTheOutboxWithTheErrorShownOnce)
{
    app.m_pAccountDataSet->GetAccount(0)->SetPassword("wrong");
    SaveAccounts(app);
    StoreOutgoing(app, "送信", "cvmtest24@cvm.test", "a", "one");
    StoreOutgoing(app, "送信", "cvmtest24@cvm.test", "b", "two");
    std::vector<CString> ids = OutboxIds();

    SendAndWait();

    EXPECT_EQ(OutboxIds(), ids);
    EXPECT_TRUE(StoredMails(app.Sent()).empty());
    std::lock_guard<std::mutex> hold(host.lock);
    ASSERT_EQ(host.sendErrors.size(), 1u);
    EXPECT_NE(host.sendErrors[0].find("535"), std::string::npos) << host.sendErrors[0];
}

TEST_F(TransferSendTest, ASentMailWhoseCopyCannotBeStoredStaysInTheOutbox)
{
    // The sent folder's data file is a directory: nothing can be filed there.
    ASSERT_TRUE(CreateDirectoryA(app.Sent()->GetDataPath(), nullptr));
    StoreOutgoing(app, "送信", "cvmtest24@cvm.test", "kept", "本文");
    std::vector<CString> ids = OutboxIds();

    SendAndWait();

    EXPECT_FALSE(SmtpTest::WaitForDeliveredMail("cvmtest24", ids[0]).empty());
    EXPECT_EQ(OutboxIds(), ids);
    std::lock_guard<std::mutex> hold(host.lock);
    EXPECT_EQ(host.sendErrors.size(), 1u);
}

TEST_F(TransferSendTest, AbortDuringSendSendsNothingTwiceAndKeepsTheRest)
{
    std::string body;
    for (int i = 0; i < 200; i++)
        body += "送信を中断するテストの本文です。0123456789012345678901234567890123456789\r\n";
    for (int i = 0; i < 12; i++)
        StoreOutgoing(app, "送信", "cvmtest24@cvm.test", FormatString("abort %d", i), body.c_str());
    std::vector<CString> ids = OutboxIds();
    ASSERT_TRUE(host.SendAndReceive());
    // A second send, or a receive, is refused while this one runs.
    EXPECT_FALSE(host.SendOutbox());
    EXPECT_FALSE(host.ReceiveAccount(0, false, true));
    ASSERT_TRUE(loop.RunUntil([&] { return loop.Count(TM_FOLDER_CHANGED) >= 2; }, 60000)) << [&] {
        std::lock_guard<std::mutex> hold(host.lock);
        return host.sendErrors.empty() ? std::string() : host.sendErrors[0];
    }();
    host.AbortTransfer();
    bool bRouteAsked = false;
    ASSERT_TRUE(loop.RunUntil([&] { return !host.IsSending(); }, 120000, [&](const MSG& m) {
        if (m.message == WM_COMMAND && m.wParam == 32775)
            bRouteAsked = true;
    }));
    // The aborted send-and-receive is over: no route, no line kept.
    EXPECT_FALSE(bRouteAsked);
    EXPECT_EQ(host.m_bSendAndReceive, 0);
    EXPECT_EQ(host.m_pSendDial, nullptr);

    std::vector<CString> left = OutboxIds();
    EXPECT_FALSE(left.empty());
    Sleep(2000);  // what Postfix took is delivered by now
    std::vector<std::string> delivered = ServerMessageIds(24);
    EXPECT_EQ(left.size() + delivered.size(), ids.size());
    for (const CString& id : left)
        EXPECT_FALSE(std::binary_search(delivered.begin(), delivered.end(), std::string(id.GetString())));

    // Sending again delivers the rest, each mail once.
    SendAndWait();
    EXPECT_TRUE(OutboxIds().empty());
    for (const CString& id : ids)
        EXPECT_FALSE(SmtpTest::WaitForDeliveredMail("cvmtest24", id).empty()) << id.GetString();
    delivered = ServerMessageIds(24);
    EXPECT_EQ(delivered.size(), ids.size());
    EXPECT_EQ(std::set<std::string>(delivered.begin(), delivered.end()).size(), ids.size());
}

} // namespace
