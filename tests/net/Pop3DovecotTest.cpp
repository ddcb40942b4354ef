// The POP3 session against the private Dovecot: every login and connection
// mode, leaving mail on the server, deletion after a number of days, the
// size limit, and a relay that splits every byte; received mail is filed
// into a real inbox store.
#include "NetTestSupport.h"
#include "DotLinesMail.h"
#include "Pop3TestSession.h"

#include "core/FileUtil.h"
#include "store/MailFolderStore.h"

#include "message/DotStuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace NetTest;

namespace {

// ISO-2022-JP in header words and body.
const std::string kJisMail =
    "From: =?ISO-2022-JP?B?GyRCOzNFRBsoQg==?= <yamada@example.jp>\r\n"
    "To: cvm@example.jp\r\n"
    "Subject: =?ISO-2022-JP?B?GyRCRnxLXDhsJE43b0w+GyhC?=\r\n"
    "Date: Mon, 01 Jan 2024 09:00:00 +0900\r\n"
    "Message-ID: <jis@example.jp>\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=ISO-2022-JP\r\n"
    "Content-Transfer-Encoding: 7bit\r\n"
    "\r\n"
    "\x1b$B$3$s$K$A$O!\"@$3&!#\x1b(B\r\n";

// Shift_JIS bytes (this source is compiled to code page 932), with the
// second bytes that look like a backslash, and lines that need dot-stuffing.
const std::string kSjisMail =
    "From: sato@example.jp\r\n"
    "To: cvm@example.jp\r\n"
    "Subject: sjis\r\n"
    "Date: Mon, 01 Jan 2024 10:00:00 +0900\r\n"
    "Message-ID: <sjis@example.jp>\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=Shift_JIS\r\n"
    "Content-Transfer-Encoding: 8bit\r\n"
    "\r\n"
    "表示のテストです。ソフト\r\n"
    ".で始まる行\r\n"
    "..\r\n"
    "最後の行\r\n";

const std::string kUtf8Mail =
    "From: suzuki@example.jp\r\n"
    "To: cvm@example.jp\r\n"
    "Subject: =?UTF-8?B?5re75LuY44OV44Kh44Kk44Or5LuY44GN?=\r\n"
    "Date: Mon, 01 Jan 2024 11:00:00 +0900\r\n"
    "Message-ID: <utf8@example.jp>\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"b1\"\r\n"
    "\r\n"
    "--b1\r\n"
    "Content-Type: text/plain; charset=UTF-8\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "44GT44KT44Gr44Gh44Gv44CB5LiW55WM44CCDQpVVEYtOOOBruacrOaWh+OBp+OBmeOAgg0K\r\n"
    "--b1\r\n"
    "Content-Type: application/octet-stream; name=\"data.bin\"\r\n"
    "Content-Disposition: attachment; filename=\"data.bin\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4\r\n"
    "OTo7PD0+P0BBQkNERUZHSElKS0xNTk9QUVJTVFVWV1hZWltcXV5fYGFiY2RlZmdoaWprbG1ub3Bx\r\n"
    "cnN0dXZ3eHl6e3x9fn+AgYKDhIWGh4iJiouMjY6PkJGSk5SVlpeYmZqbnJ2en6ChoqOkpaanqKmq\r\n"
    "q6ytrq+wsbKztLW2t7i5uru8vb6/wMHCw8TFxsfIycrLzM3Oz9DR0tPU1dbX2Nna29zd3t/g4eLj\r\n"
    "5OXm5+jp6uvs7e7v8PHy8/T19vf4+fr7/P3+/w==\r\n"
    "--b1--\r\n";

std::string SmallMail(const std::string& subject)
{
    return "From: x@example.jp\r\nSubject: " + subject + "\r\nMessage-ID: <" + subject +
           "@example.jp>\r\n\r\nbody of " + subject + "\r\n";
}

// The mail file as the session hands it to the store: the account line
// added, lines that begin with "." doubled.
std::string Filed(const std::string& mail)
{
    std::string filed = "X-ReceiveAcount: dovecot\r\n" + mail;
    return CDotStuffer::Stuff(filed.data(), filed.size());
}

void Configure(CPop3TestSession& session, int nUser, int nPort, bool bTls)
{
    session.SetServer(kHost, nPort);
    session.SetUser(UserName(nUser), Password(nUser));
    session.SetAccountName("dovecot");
    session.SetTls(bTls);
    session.SetTimeOut(10);
}

// A plain pass that leaves the mail on the server; the mails it filed.
std::vector<std::string> LeaveOnServerPass(const TestSessionFolder& folder, int nUser, int nDeleteAfterDays = 0)
{
    CPop3TestSession session(folder);
    Configure(session, nUser, 110, false);
    session.SetLeaveOnServer(true);
    session.SetDeleteAfterDays(nDeleteAfterDays);
    PassResult result = RunPass(session);
    EXPECT_EQ(result.nFinishResult, 0);
    return session.filed;
}

bool Contains(const std::vector<std::string>& filed, const std::string& mail)
{
    for (const std::string& f : filed)
        if (f == Filed(mail))
            return true;
    return false;
}

// Moves the receive time of the given ids back by the given number of days.
void BackDate(const TestSessionFolder& folder, const std::vector<std::string>& ids, int nDays)
{
    std::string text = folder.IdFileText("dovecot");
    std::string out;
    size_t pos = 0;
    long long stamp = CReceivedIdList::CurrentTime() - static_cast<long long>(nDays) * 86400;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        std::string line = text.substr(pos, end - pos);
        pos = end + 2;
        std::string id = line.substr(0, line.find('\t'));
        if (std::find(ids.begin(), ids.end(), id) != ids.end())
            line = line.substr(0, line.rfind('\t') + 1) + std::to_string(stamp);
        out += line + "\r\n";
    }
    folder.WriteIdFile(out, "dovecot");
}

std::vector<std::string> IdsInFile(const TestSessionFolder& folder)
{
    std::vector<std::string> ids;
    std::string text = folder.IdFileText("dovecot");
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        ids.push_back(text.substr(pos, text.find('\t', pos) - pos));
        pos = end + 2;
    }
    return ids;
}

class Pop3DovecotTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CVM_NEED_SERVER(DovecotAvailable(), "Dovecot");
    }
};

} // namespace

TEST_F(Pop3DovecotTest, ReceivesJapaneseMailIntoTheInboxInEveryMode)
{
    struct Case
    {
        const char* name;
        bool bApop;
        bool bTls;
        int nPort;
        int nUser;
    } const cases[] = {
        {"USER/PASS", false, false, 110, 1}, {"APOP", true, false, 110, 2},
        {"USER/PASS over STLS", false, true, 110, 3}, {"APOP over STLS", true, true, 110, 4},
        {"USER/PASS on 995", false, true, 995, 5}, {"APOP on 995", true, true, 995, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearMaildir(c.nUser);
        for (const std::string* mail : {&kJisMail, &kSjisMail, &kUtf8Mail})
            DeliverMail(c.nUser, *mail);
        TestSessionFolder folder;
        CMailFolderStore inbox;
        SetUpInbox(inbox, folder.Root() + "\\Inbox");

        CPop3TestSession session(folder);
        Configure(session, c.nUser, c.nPort, c.bTls);
        session.SetApop(c.bApop);
        session.SetTargetStore(&inbox);
        PassResult result = RunPass(session);
        ASSERT_TRUE(result.bFinished);
        EXPECT_EQ(result.nFinishResult, 0) << session.GetErrorText().GetString();
        EXPECT_TRUE(result.errors.empty());
        ASSERT_EQ(session.filed.size(), 3u);
        EXPECT_EQ(result.nNewMails, 3);
        for (const std::string* mail : {&kJisMail, &kSjisMail, &kUtf8Mail})
            EXPECT_TRUE(Contains(session.filed, *mail)) << *mail;
        EXPECT_EQ(CountServerMails(c.nUser), 0);
        EXPECT_TRUE(folder.LeftoverFiles().empty());

        // What the inbox holds reads back as it was sent.
        CMailListData* pList = inbox.GetMailList();
        ASSERT_NE(pList, nullptr);
        ASSERT_EQ(pList->GetMailCount(), 3);
        int nAttachmentMail = -1;
        for (int i = 0; i < 3; i++) {
            CString text;
            ASSERT_TRUE(inbox.ReadMailText(inbox.GetRecord(i), text));
            std::string stored(text.GetString(), text.GetLength());
            EXPECT_EQ(stored.compare(0, 2, "QM"), 0);
            EXPECT_NE(stored.find("X-ReceiveAcount: dovecot\r\n"), std::string::npos);
            if (stored.find("<sjis@example.jp>") != std::string::npos) {
                // Kept dot-doubled between the store's terminators.
                EXPECT_NE(stored.find("表示のテストです。ソフト\r\n..で始まる行\r\n...\r\n最後の行"), std::string::npos);
            }
            if (stored.find("<jis@example.jp>") != std::string::npos) {
                EXPECT_NE(stored.find("\x1b$B$3$s$K$A$O"), std::string::npos);
            }
            if (stored.find("<utf8@example.jp>") != std::string::npos)
                nAttachmentMail = i;
        }
        ASSERT_NE(nAttachmentMail, -1);
        CStringArray files;
        ASSERT_TRUE(inbox.GetAttachFileList(nAttachmentMail, files));
        std::string expected;
        for (int b = 0; b < 256; b++)
            expected += static_cast<char>(b);
        bool bFound = false;
        for (int i = 0; i < files.GetSize(); i++)
            if (files[i].Right(8) == "data.bin")
                bFound = TestSupport::ReadFileBytes(files[i]) == expected;
        EXPECT_TRUE(bFound);
    }
}

TEST_F(Pop3DovecotTest, LeftOnTheServerMailIsFetchedOnce)
{
    const int nUser = 7;
    ClearMaildir(nUser);
    for (const char* s : {"one", "two", "three"})
        DeliverMail(nUser, SmallMail(s));
    TestSessionFolder folder;
    auto pass = [&]() { return LeaveOnServerPass(folder, nUser); };
    EXPECT_EQ(pass().size(), 3u);
    EXPECT_EQ(CountServerMails(nUser), 3);
    EXPECT_TRUE(pass().empty());
    EXPECT_EQ(IdsInFile(folder).size(), 3u);
    DeliverMail(nUser, SmallMail("four"));
    std::vector<std::string> filed = pass();
    ASSERT_EQ(filed.size(), 1u);
    EXPECT_EQ(filed[0], Filed(SmallMail("four")));
    EXPECT_EQ(CountServerMails(nUser), 4);
}

TEST_F(Pop3DovecotTest, DeletesExactlyTheMailsKeptLongerThanTheDays)
{
    const int nUser = 8;
    ClearMaildir(nUser);
    for (const char* s : {"old1", "new", "old2"})
        DeliverMail(nUser, SmallMail(s));
    TestSessionFolder folder;
    auto pass = [&]() { return LeaveOnServerPass(folder, nUser, 5); };
    std::vector<std::string> filed = pass();
    ASSERT_EQ(filed.size(), 3u);
    EXPECT_EQ(CountServerMails(nUser), 3);
    // Which UIDL belongs to which mail: the order of filing is the server's.
    std::vector<std::string> ids = IdsInFile(folder);
    ASSERT_EQ(ids.size(), 3u);
    std::vector<std::string> expired;
    std::string keptId;
    for (size_t i = 0; i < 3; i++) {
        if (filed[i].find("Subject: old") != std::string::npos)
            expired.push_back(ids[i]);
        else
            keptId = ids[i];
    }
    ASSERT_EQ(expired.size(), 2u);
    BackDate(folder, expired, 6);
    EXPECT_TRUE(pass().empty());
    EXPECT_EQ(CountServerMails(nUser), 1);
    EXPECT_EQ(IdsInFile(folder), std::vector<std::string>{keptId});
}

TEST_F(Pop3DovecotTest, SizeLimitKeepsOnlyTheHeaderOfALargeMail)
{
    const int nUser = 9;
    ClearMaildir(nUser);
    std::string big = SmallMail("big");
    big += std::string(30000, 'b') + "\r\n";
    DeliverMail(nUser, big);
    DeliverMail(nUser, SmallMail("small"));
    TestSessionFolder folder;
    CPop3TestSession session(folder);
    Configure(session, nUser, 110, false);
    session.SetSizeLimit(10);
    PassResult result = RunPass(session);
    EXPECT_EQ(result.nFinishResult, 0);
    ASSERT_EQ(session.filed.size(), 1u);
    EXPECT_EQ(session.filed[0], Filed(SmallMail("small")));
    ASSERT_EQ(session.GetUndeliveredMails().size(), 1u);
    const CUndeliveredMail& kept = session.GetUndeliveredMails()[0];
    EXPECT_EQ(kept.nKind, 0);
    EXPECT_EQ(kept.strSubject, "big");
    EXPECT_EQ(kept.strMessageId, "<big@example.jp>");
    EXPECT_EQ(kept.strHeader.Find("bbbb"), -1);
    EXPECT_EQ(CountServerMails(nUser), 1);
}

TEST_F(Pop3DovecotTest, StlsThroughARelayThatSplitsEveryByte)
{
    const int nUser = 3;
    ClearMaildir(nUser);
    DeliverMail(nUser, kSjisMail);
    ByteRelay relay(0, 110);
    TestSessionFolder folder;
    CPop3TestSession session(folder);
    Configure(session, nUser, relay.Port(), true);
    PassResult result = RunPass(session);
    EXPECT_EQ(result.nFinishResult, 0) << session.GetErrorText().GetString();
    ASSERT_EQ(session.filed.size(), 1u);
    EXPECT_EQ(session.filed[0], Filed(kSjisMail));
    EXPECT_EQ(CountServerMails(nUser), 0);
}

TEST_F(Pop3DovecotTest, RefusedCertificateEndsTheConnectionWithItsReason)
{
    TestSessionFolder folder;
    CPop3TestSession session(folder);
    Configure(session, 1, 995, true);
    session.SetServer(kUntrustedHost, 995);
    PassResult result = RunPass(session);
    EXPECT_FALSE(result.bStarted);
    EXPECT_EQ(result.nFinishResult, 1);
    EXPECT_EQ(result.nFinishMessage, 57616u);
    EXPECT_NE(session.GetErrorText().Find("信頼されていない認証局"), -1);
}

TEST_F(Pop3DovecotTest, EmptyMailboxEndsQuietly)
{
    ClearMaildir(1);
    TestSessionFolder folder;
    CPop3TestSession session(folder);
    Configure(session, 1, 110, false);
    PassResult result = RunPass(session);
    EXPECT_TRUE(result.bFinished);
    EXPECT_EQ(result.nFinishResult, 0);
    EXPECT_TRUE(result.errors.empty());
    EXPECT_EQ(session.GetReceivedCount(), 0);
}

// Lines that begin with dots come through POP3 and the store byte for byte:
// kept dot-doubled in the data file, decoded exactly into the attachments.
TEST_F(Pop3DovecotTest, DotLinesArriveByteExactInTextAndEveryAttachmentEncoding)
{
    const int nUser = 11;
    DotLinesMail mail = MakeDotLinesMail("pop3-dots");
    ClearMaildir(nUser);
    DeliverMail(nUser, mail.text);
    TestSessionFolder folder;
    CMailFolderStore inbox;
    SetUpInbox(inbox, folder.Root() + "\\Inbox");
    CPop3TestSession session(folder);
    Configure(session, nUser, 110, false);
    session.SetTargetStore(&inbox);
    PassResult result = RunPass(session);
    ASSERT_TRUE(result.bFinished);
    EXPECT_EQ(result.nFinishResult, 0) << session.GetErrorText().GetString();
    ASSERT_EQ(session.filed.size(), 1u);
    EXPECT_EQ(session.filed[0], Filed(mail.text));

    NetTest::ExpectStoredAsSent(inbox, mail, Filed(mail.text));
}

// What the store wrote for the mails of a pass is forced onto the disk once,
// after the last of them was filed and before the server is told to delete
// the first: a power cut can then not take mail the server no longer has.
// A pass that leaves the mail on the server flushes nothing.
TEST_F(Pop3DovecotTest, FiledMailIsFlushedOnceBeforeTheFirstDele)
{
    const int nUser = 11;
    for (bool bLeave : {false, true}) {
        SCOPED_TRACE(bLeave ? "leaving the mail on the server" : "deleting the mail");
        ClearMaildir(nUser);
        for (const std::string* mail : {&kJisMail, &kUtf8Mail, &kSjisMail})
            DeliverMail(nUser, *mail);
        TestSessionFolder folder;
        CMailFolderStore inbox;
        SetUpInbox(inbox, folder.Root() + "\\Inbox");
        CPop3TestSession session(folder);
        Configure(session, nUser, 110, false);
        session.SetLeaveOnServer(bLeave);
        session.SetTargetStore(&inbox);
        PassResult result;
        std::vector<std::string> events;
        {
            StoreEventRecorder recorder;
            result = RunPass(session);
            events = recorder.Events();
        }
        ASSERT_TRUE(result.bFinished);
        EXPECT_EQ(result.nFinishResult, 0) << session.GetErrorText().GetString();
        ASSERT_EQ(session.filed.size(), 3u);
        EXPECT_EQ(CountServerMails(nUser), bLeave ? 3 : 0);

        // write ... write (the last record), flush of each file once, dele x 3.
        auto firstFlush = std::find_if(events.begin(), events.end(),
                                       [](const std::string& e) { return e.compare(0, 6, "flush ") == 0; });
        auto firstDele = std::find(events.begin(), events.end(), "log DELE");
        auto lastWrite = std::find_if(events.rbegin(), events.rend(),
                                      [](const std::string& e) { return e.compare(0, 6, "write ") == 0; });
        ASSERT_NE(lastWrite, events.rend());
        EXPECT_EQ(*lastWrite, "write Index.lst");
        if (bLeave) {
            EXPECT_EQ(firstFlush, events.end());
            EXPECT_EQ(firstDele, events.end());
            continue;
        }
        ASSERT_NE(firstFlush, events.end());
        EXPECT_LE(lastWrite.base() - events.begin(), firstFlush - events.begin());
        std::vector<std::string> flushed(firstFlush, firstDele);
        std::sort(flushed.begin(), flushed.end());
        EXPECT_EQ(flushed, (std::vector<std::string>{"flush Headers.dat", "flush Index.lst", "flush MailData.Qmd",
                                                     "flush data.bin"}));
        EXPECT_EQ(std::vector<std::string>(firstDele, events.end()), std::vector<std::string>(3, "log DELE"));
    }
}
