#include "core/FileUtil.h"
#include "core/TextFile.h"
#include "editor/AttachmentFolder.h"
#include "editor/MailEditComposer.h"
#include "editor/MailEditData.h"
#include "EditorTestUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

using EditorTest::S;

namespace {

const char kQuotedListBody[] = ">山田です。\r\n>\r\n>来週の会議は延期します。\r\n>.隠し行\r\n";
const char kListBody[] = "山田です。\r\n\r\n来週の会議は延期します。\r\n.隠し行\r\n";
const char kListSubject[] = "Re: [project:12] Re[2]: 会議の件";

class ReplyForwardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        listMail = box.File(box.inbox, EditorTest::ListMail());
        listMailInList = box.File(box.list, EditorTest::ListMail());
        plainMail = box.File(box.inbox, EditorTest::PlainMail());
        sentMail = box.File(box.sent, EditorTest::SentMail());
    }
    CMailEditData Build(CMailFolderStore& folder, int index, int kind, int method = -1, const char* sel = nullptr)
    {
        CMailEditData data;
        CMailEditComposer composer;
        EXPECT_TRUE(composer.SetMailData(data, index, &folder, kind, sel, method));
        return data;
    }
    // The built-in quote header for the list mail (sent 2024-05-01 14:00 UTC).
    static std::string ReplyHeader(const char* subject)
    {
        return "「山田 太郎」さんの「" + S(CTime(1714572000).Format("%Y/%m/%d %H:%M:%S")) +
               "」のメール\r\n「" + subject + "」を引用しています。\r\n\r\n";
    }

public:
    EditorTest::Mailbox box;
    int listMail = -1, listMailInList = -1, plainMail = -1, sentMail = -1;
};

} // namespace

TEST_F(ReplyForwardTest, RepliesAddressQuoteAndThread)
{
    const std::string allCc = "hanako@example.jp,\"Suzuki, Ichiro\" <ichiro@example.com>,jiro@example.org,"
                              "saburo@example.net,佐藤 花子 <sato@example.jp>,";
    const struct
    {
        const char* name;
        CMailFolderStore EditorTest::Mailbox::*folder;
        int ReplyForwardTest::*index;
        int kind;
        std::string to, cc, subject, body;
    } cases[] = {
        // The Reply-To wins over From; the quote header and every line quoted.
        {"reply", &EditorTest::Mailbox::inbox, &ReplyForwardTest::listMail, 1, "project@example.jp", "", kListSubject,
         "\r\n" + ReplyHeader(kListSubject) + kQuotedListBody},
        // Reply to all: everyone but the answer's To and the user's own
        // address, whatever its letter case.
        {"reply all", &EditorTest::Mailbox::inbox, &ReplyForwardTest::listMail, 2, "project@example.jp", allCc,
         kListSubject, "\r\n" + ReplyHeader(kListSubject) + kQuotedListBody},
        // A list folder drops the tag and the prefixes behind it.
        {"reply in list folder", &EditorTest::Mailbox::list, &ReplyForwardTest::listMailInList, 1,
         "project@example.jp", "", "Re: 会議の件", "\r\n" + ReplyHeader(kListSubject) + kQuotedListBody},
        // Template replies quote without a header; the template comes later.
        {"template reply all", &EditorTest::Mailbox::inbox, &ReplyForwardTest::listMail, 7, "project@example.jp",
         allCc, kListSubject, kQuotedListBody},
        // One's own sent mail is answered to its recipients.
        {"reply to sent mail", &EditorTest::Mailbox::sent, &ReplyForwardTest::sentMail, 1, "client@example.jp", "",
         "Re: 見積もり", "\r\n「Me」さんの「" + S(CTime(1714698000).Format("%Y/%m/%d %H:%M:%S")) +
                            "」のメール\r\n「見積もり」を引用しています。\r\n\r\n>sent text\r\n"},
        {"reply all to sent mail", &EditorTest::Mailbox::sent, &ReplyForwardTest::sentMail, 2, "client@example.jp",
         "boss@example.jp", "Re: 見積もり", ""},
    };
    for (const auto& c : cases) {
        CMailEditData d = Build(box.*c.folder, this->*c.index, c.kind);
        EXPECT_EQ(S(d.m_strTo), c.to) << c.name;
        EXPECT_EQ(S(d.m_strCc), c.cc) << c.name;
        EXPECT_EQ(S(d.m_strSubject), c.subject) << c.name;
        if (!c.body.empty()) {
            EXPECT_EQ(S(d.m_strBody), c.body) << c.name;
        }
        EXPECT_EQ(S(d.m_strBcc), "") << c.name;
        EXPECT_EQ(d.m_nMailKind, c.kind) << c.name;
        EXPECT_FALSE(d.m_bClearAttachments) << c.name;
    }
    CMailEditData reply = Build(box.inbox, listMail, 1);
    EXPECT_EQ(S(reply.m_strInReplyTo), "<m1@example.co.jp>");
    EXPECT_EQ(S(reply.m_strReferencesBase), "<m0@example.com>");
    EXPECT_EQ(S(reply.GetReferences()), "<m0@example.com> <m1@example.co.jp>");
    EXPECT_EQ(S(reply.m_strAccountAddresses), "me@corvane.example," + S(box.inbox.GetRecord(listMail)->GetText(2)) +
                                                  "," + S(box.inbox.GetRecord(listMail)->GetText(3)));
    // A mail that answered nothing starts References with its own id.
    EXPECT_EQ(S(Build(box.inbox, plainMail, 1).GetReferences()), "<p1@example.com>");
    // Replying marks the source read.
    EXPECT_TRUE(box.inbox.GetRecord(listMail)->IsRead());
}

TEST_F(ReplyForwardTest, RepliesWithoutQuotationOrWithASelection)
{
    box.app->WriteProfileString("EditWindow", "RefMarkText", "| ");
    EXPECT_EQ(S(Build(box.inbox, listMail, 1, -1, "選択した\r\n部分\r\n").m_strBody),
              "\r\n" + ReplyHeader(kListSubject) + "| 選択した\r\n| 部分\r\n");
    box.app->WriteProfileInt("Setting", "NoRefBody", 1);
    EXPECT_EQ(S(Build(box.inbox, listMail, 2).m_strBody), "");
    EXPECT_EQ(S(Build(box.inbox, listMail, 7).m_strBody), "| 山田です。\r\n| \r\n| 来週の会議は延期します。\r\n| .隠し行\r\n");
    // Keeping one's own address in the copies when asked.
    box.app->WriteProfileInt("Setting", "NoReceiveAcountInCC", 0);
    EXPECT_NE(Build(box.inbox, listMail, 2).m_strCc.Find("me@corvane.example"), -1);
}

TEST_F(ReplyForwardTest, ForwardsInEveryMethod)
{
    const std::string fwSubject = std::string("Fw: ") + kListSubject;
    const struct { int method; std::string subject; bool header; bool text; } cases[] = {
        {0, fwSubject, true, true},
        {1, fwSubject, true, true},
        {2, kListSubject, false, true},
        {3, fwSubject, false, false},
    };
    for (const auto& c : cases) {
        CMailEditData d = Build(box.inbox, listMail, 3, c.method);
        EXPECT_EQ(d.m_nForwardMethod, c.method);
        EXPECT_TRUE(d.m_bForwardMethodSet);
        EXPECT_EQ(S(d.m_strSubject), c.subject) << c.method;
        EXPECT_EQ(S(d.m_strTo), "") << c.method;
        EXPECT_EQ(d.m_strBody.Find("----- Original Message -----\r\n送信者：山田 太郎 <taro@example.co.jp>") == 0, c.header)
            << c.method;
        EXPECT_EQ(d.m_strBody.Find(kListBody) >= 0, c.text) << c.method;
        EXPECT_EQ(d.m_strBody.Find("\r\n>"), -1) << c.method;  // forwards are not quoted
        EXPECT_TRUE(d.m_bClearAttachments);
        EXPECT_TRUE(d.m_bHideAttachList);  // the source has no attachments
        EXPECT_EQ(S(d.m_strInReplyTo), "<m1@example.co.jp>");
    }
    // Sent on unchanged: the source's Reply-To and priority go with it.
    CMailEditData unchanged = Build(box.inbox, listMail, 3, 2);
    EXPECT_EQ(S(unchanged.m_strReplyTo), "project@example.jp");
    EXPECT_EQ(unchanged.m_nPriority, 1);
    EXPECT_EQ(Build(box.inbox, listMail, 3, 0).m_nPriority, -1);
    box.app->WriteProfileInt("Setting", "ForwardMailPriorityOn", 1);
    EXPECT_EQ(Build(box.inbox, listMail, 3, 0).m_nPriority, 1);

    // Encapsulated: no body, the whole mail as one attached file.
    CMailEditData capsule = Build(box.inbox, listMail, 3, 3);
    EXPECT_EQ(S(capsule.m_strBody), "");
    ASSERT_EQ(capsule.m_tempAttachFiles.GetSize(), 1);
    CString eml;
    ASSERT_TRUE(ReadTextFile(capsule.m_tempAttachFiles[0], eml));
    EXPECT_NE(eml.Find("Message-ID: <m1@example.co.jp>\r\n"), -1);
    // The mail as it came, its own encoding kept and the dot-stuffing undone.
    EXPECT_NE(eml.Find(SjisToJis("来週の会議は延期します。\r\n.隠し行\r\n")), -1);
    EXPECT_NE(eml.Find("Content-Type: text/plain; charset=ISO-2022-JP\r\n"), -1);
    DeleteFileA(capsule.m_tempAttachFiles[0]);

    // A forward of a mail without Cc drops the header's Cc line; its
    // forward prefixes are not repeated.
    CMailEditData plain = Build(box.inbox, plainMail, 3, 0);
    EXPECT_EQ(S(plain.m_strSubject), "Fw: 資料");
    EXPECT_EQ(plain.m_strBody.Find("CC"), -1);
    EXPECT_NE(plain.m_strBody.Find("件名：FWD：Fw: 資料\r\n\r\n転送をお願いします。\r\n"), -1);
}

TEST_F(ReplyForwardTest, ReadNotificationAndReEdit)
{
    CMailEditData notify = Build(box.inbox, listMail, 11);
    EXPECT_EQ(S(notify.m_strTo), "taro@example.co.jp");
    EXPECT_EQ(S(notify.m_strCc), "");
    EXPECT_EQ(S(notify.m_strSubject), std::string("開封：") + kListSubject);
    EXPECT_EQ(notify.m_strBody.Find("*** 開封通知メッセージ ***"), 0);
    EXPECT_NE(notify.m_strBody.Find("受信者：me@corvane.example"), -1);
    EXPECT_EQ(S(notify.m_strSignName), CMailEditData::kSignNone);
    EXPECT_FALSE(box.inbox.GetRecord(listMail)->IsRead());  // a notification does not read the mail

    CMailEditData again = Build(box.sent, sentMail, 12);
    EXPECT_EQ(S(again.m_strTo), "client@example.jp");
    EXPECT_EQ(S(again.m_strCc), "boss@example.jp");
    EXPECT_EQ(S(again.m_strSubject), "見積もり");
    EXPECT_EQ(S(again.m_strBody), "sent text\r\n");
    EXPECT_EQ(S(again.m_strAccountName), "main");
    EXPECT_EQ(S(again.m_strSignName), CMailEditData::kSignNone);  // the sent text holds its signature
    EXPECT_EQ(S(again.m_strInReplyTo), "");
}

TEST(MailEditComposer, QuoteTextMarksEveryLine)
{
    const struct { const char* text; const char* mark; const char* expected; } cases[] = {
        {"a\r\n\r\nb\r\n\r\n", ">", ">a\r\n>\r\n>b\r\n"},
        {"one line", "> ", "> one line\r\n"},
        {"x\r\n", "", "x\r\n"},
        {"", ">", ">\r\n"},
        {"漢字\r\n表\r\n", ">", ">漢字\r\n>表\r\n"},
        {"a\nb\r\n", ">", ">a\nb\r\n"},  // only CR LF ends a line
    };
    for (const auto& c : cases)
        EXPECT_STREQ(CMailEditComposer::QuoteText(c.text, c.mark), c.expected) << c.text;
}

TEST(MailEditComposer, RemoveAddressFromListKeepsOthers)
{
    const struct { const char* list; const char* address; const char* expected; } cases[] = {
        {"a@x.jp, B@Y.jp ,c@z.jp", "Taro <b@y.jp>", "a@x.jp,c@z.jp,"},
        {"a@x.jp, 山田 <B@Y.jp> ,c@z.jp", "b@y.jp", "a@x.jp,c@z.jp,"},
        {"\"Sato, H\" <h@x.jp>,h@x.jp", "H@X.JP", ""},
        {"a@x.jp", "", "a@x.jp"},
        {",a@x.jp,", "z@x.jp", "a@x.jp,"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(CMailEditComposer::RemoveAddressFromList(c.list, c.address), c.expected) << c.list;
}

TEST(MailEditComposer, ReferencesBaseKeepsWholeIds)
{
    std::string many;
    for (int i = 0; i < 20; ++i)
        many += "<id" + std::to_string(i) + "@example.com> ";
    many += "<last@example.com>";
    const struct { std::string refs; std::string base; } cases[] = {
        {"<a@x> <b@x> <c@x>", "<a@x> <b@x>"},
        {"<only@x>", ""},
        {"no ids", ""},
        {"<a@x> <open", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S(CMailEditComposer::ReferencesBaseOf(c.refs.c_str())), c.base) << c.refs;
    std::string base = S(CMailEditComposer::ReferencesBaseOf(many.c_str()));
    EXPECT_LE(base.size(), 127u);
    EXPECT_EQ(base.front(), '<');
    EXPECT_EQ(base.substr(base.size() - 18), "<id19@example.com>");
}

TEST(MailEditComposer, StoredMailSplitsAndLosesDoubledDots)
{
    CString header, body;
    CMailEditComposer::SplitStoredMail("QM1700000000.eml\r\nSubject: x\r\n\r\n..dot\r\nline\r\n.\r\n", header, body);
    EXPECT_EQ(S(header), "Subject: x\r\n");
    EXPECT_EQ(S(body), ".dot\r\nline");
    CMailEditComposer::SplitStoredMail("QM1.eml\r\nSubject: only header\r\n.\r\n", header, body);
    EXPECT_EQ(S(header), "Subject: only header");
    EXPECT_EQ(S(body), "");
}

TEST(MailEditComposer, ReplyToAllOfAHugeListStaysFast)
{
    EditorTest::Mailbox box;
    std::string to;
    for (int i = 0; i < 20000; ++i)
        to += "user" + std::to_string(i) + "@example.jp, ";
    to += "ME@corvane.example";
    int index = box.File(box.inbox, "From: a@example.jp\r\nTo: " + to + "\r\nSubject: many\r\nMessage-ID: <h@x>\r\n"
                                    "X-ReceiveAcount: main\r\n\r\nbody\r\n");
    auto start = std::chrono::steady_clock::now();
    CMailEditData data;
    CMailEditComposer composer;
    ASSERT_TRUE(composer.SetMailData(data, index, &box.inbox, 2, nullptr, -1));
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(data.m_strCc.Find("corvane"), -1);
    EXPECT_EQ(data.m_strCc.Find("user19999@example.jp,"), data.m_strCc.GetLength() - 21);
    EXPECT_LT(seconds, 5.0);
}

// A mail with an HTML part and an attached file, kept for the To recipients.
TEST_F(ReplyForwardTest, StoredMailsAndForwardsCarryTheSourceFilesAndHtmlPart)
{
    int mail = box.File(box.inbox,
                        "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: html\r\nX-Attach_To_Only: 1\r\n"
                        "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"m\"\r\n\r\n"
                        "--m\r\nContent-Type: multipart/alternative; boundary=\"a\"\r\n\r\n"
                        "--a\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nplain\r\n"
                        "--a\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n<b>rich</b>\r\n--a--\r\n"
                        "--m\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n"
                        "Content-Disposition: attachment; filename=\"data.bin\"\r\n"
                        "Content-Transfer-Encoding: base64\r\n\r\nAAECAw==\r\n--m--\r\n");
    ASSERT_GE(mail, 0);
    const struct
    {
        const char* name;
        int kind, method;
        bool clearPrefix, html;
    } cases[] = {
        {"re-edit", 0, -1, false, true},
        {"re-edit command", 12, -1, false, true},
        {"forward as me", 3, 0, true, false},
        {"forward unchanged", 3, 2, true, true},
    };
    for (const auto& c : cases) {
        CMailEditData d = Build(box.inbox, mail, c.kind, c.method);
        ASSERT_FALSE(d.m_strAttachFolder.IsEmpty()) << c.name;
        AttachmentFolderListing listing;
        ListAttachmentFolder(d.m_strAttachFolder, true, listing);
        ASSERT_EQ(listing.files.GetSize(), 1) << c.name;
        EXPECT_EQ(S(GetFileNameFromPath(listing.files[0])), "data.bin") << c.name;
        EXPECT_EQ(d.m_bClearAttachPrefix, c.clearPrefix) << c.name;
        EXPECT_TRUE(d.m_bAttachToOnly) << c.name;
        EXPECT_EQ(d.m_bShowHtml, c.html) << c.name;
        if (c.html) {
            EXPECT_EQ(S(d.m_strHtmlFile), S(listing.htmlFile)) << c.name;
            std::string html = TestSupport::ReadFileBytes(d.m_strHtmlFile);
            EXPECT_NE(html.find("<b>rich</b>"), std::string::npos) << c.name;
        }
    }
    // An answer and a template forward carry none of the files.
    EXPECT_TRUE(Build(box.inbox, mail, 1).m_strAttachFolder.IsEmpty());
    EXPECT_TRUE(Build(box.inbox, mail, 8).m_strAttachFolder.IsEmpty());
}
