// Building outgoing message files. Each case is compared byte for byte with
// a file in "expected" (time, random numbers and Message-ID token fixed);
// CVM_UPDATE_EXPECTED=1 writes the files afresh for review.
#include "SmtpTestSupport.h"

#include "message/Base64.h"
#include "message/JapaneseCode.h"
#include "message/MailMessage.h"
#include "message/MimeCodec.h"
#include "message/OutgoingMailServices.h"
#include "message/RelatedPartList.h"
#include "net/SmtpSession.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace SmtpTest;

namespace {

// Creates a file with fixed content and fixed creation and modification times.
CString MakeFile(const TestSupport::TempDir& dir, const char* pszName, const std::string& content)
{
    CString path = dir.File(pszName);
    TestSupport::WriteFileBytes(path, content);
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SYSTEMTIME st = {2023, 1, 1, 2, 3, 4, 5, 0};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    SetFileTime(h, &ft, nullptr, &ft);
    CloseHandle(h);
    return path;
}

std::string Bytes256()
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    return bytes;
}

// Stands in for the ZIP library while it lives: the "archive" is a copy.
class CArchiveStandIn
{
public:
    CArchiveStandIn() { m_previous = SetArchiveFileFunction(&CArchiveStandIn::Archive); s_nCalls = 0; }
    ~CArchiveStandIn() { SetArchiveFileFunction(m_previous); }
    int Calls() const { return s_nCalls; }

private:
    static BOOL Archive(const char*, const char* pszArchive, int, const char* pszFile, HWND)
    {
        ++s_nCalls;
        return CopyFileA(pszFile, pszArchive, FALSE);
    }
    ArchiveFileFunction m_previous = nullptr;
    static int s_nCalls;
};
int CArchiveStandIn::s_nCalls = 0;

bool UpdateExpected()
{
    char value[8];
    return GetEnvironmentVariableA("CVM_UPDATE_EXPECTED", value, sizeof(value)) > 0 && value[0] == '1';
}

class ComposeTest : public ::testing::Test
{
protected:
    void SetUp() override { m_session.SetComposeSource(&m_source); }

    void BasicHeaders()
    {
        m_session.SetAccountName("main");
        m_session.SetFrom("taro@example.com");
        m_session.SetFromName("Taro Yamada");
        m_session.SetTo("Hanako <hanako@example.com>, jiro@example.com");
    }

    // Builds into a file and compares it with the expected file of that name.
    void Check(const char* pszName, std::function<bool(CSmtpSession&, const CString&)> build = nullptr)
    {
        CString path = m_dir.File(pszName);
        bool bBuilt = build ? build(m_session, path) : m_session.BuildMessage(path, true);
        ASSERT_TRUE(bBuilt) << m_session.GetLastErrorText().GetString();
        std::string actual = TestSupport::ReadFileBytes(path);
        CString expectedPath = TestSupport::TestDataDir() + "\\expected\\" + pszName;
        if (UpdateExpected())
            TestSupport::WriteFileBytes(expectedPath, actual);
        EXPECT_EQ(actual, TestSupport::ReadFileBytes(expectedPath)) << "case " << pszName;
    }

    FixedSource m_source;
    CSmtpSession m_session;
    TestSupport::TempDir m_dir;
};

TEST_F(ComposeTest, PlainAsciiMail)
{
    BasicHeaders();
    m_session.SetCc("cc@example.com");
    m_session.SetBcc("bcc@example.com");
    m_session.SetSubject("Meeting on Friday  ");
    m_session.SetSignName("default");
    m_session.SetCreateFolderId(3);
    for (const char* line : {"Hello,\r\n", ".hidden dot\r\n", ".\r\n", "Bye\r\n", "\r\n", "\r\n"})
        m_session.AddBodyLine(line);
    // Saved (not for sending): the signature header stays.
    Check("plain_ascii.eml", [](CSmtpSession& s, const CString& path) { return s.BuildMessage(path, false); });
}

TEST_F(ComposeTest, JapaneseMail)
{
    BasicHeaders();
    m_session.SetFromName("山田 太郎");
    m_session.SetTo("花子 <hanako@example.com>, \"Suzuki, Ichiro\" <ichiro@example.com>, jiro@example.com (次郎)");
    m_session.SetSubject("来週の打ち合わせについて（資料の確認をお願いします）Re: agenda");
    m_session.SetSignName("default");
    m_session.AddBodyText("花子さん\r\n\r\n来週の打ち合わせの資料です。確認をお願いします。\r\n山田");
    Check("japanese.eml");
}

TEST_F(ComposeTest, AttachmentsOfEveryKind)
{
    BasicHeaders();
    m_session.SetSubject("files");
    m_session.AddBodyLine("See the files.\r\n");
    m_session.AddAttachment(MakeFile(m_dir, "報告書.bin", Bytes256()));
    m_session.AddAttachment(MakeFile(m_dir, "photo.JPEG", std::string("\xFF\xD8\xFF\xE0 jpeg", 9)));
    m_session.AddAttachment(MakeFile(m_dir, "photo.png", "png"));
    m_session.AddAttachment(MakeFile(m_dir, "mail.EML", "Subject: =?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=\r\n\r\n.line\r\nend\r\n"));
    m_session.SetInReplyTo("<original@example.com>");
    m_session.SetReadReceipt(true, "taro@example.com");
    m_session.SetPriorityHeaders("X-Priority: 1\r\n");
    Check("attachments.eml");
}

TEST_F(ComposeTest, InlineTextFileMakesTheMailMultipart)
{
    BasicHeaders();
    m_session.SetSubject("inline");
    m_session.AddBodyLine("text\r\n");
    m_session.AddInlineTextFile(MakeFile(m_dir, "note.txt", "メモ\r\n.\r\n.dot\r\n"));
    Check("inline_text.eml");
}

TEST_F(ComposeTest, HtmlMailWithRelatedPicture)
{
    BasicHeaders();
    m_session.SetSubject("html");
    m_session.SetAccountAddress("taro@example.com");
    m_session.SetHtmlMail(true);
    m_session.AddBodyLine("plain version\r\n");
    CString picture = MakeFile(m_dir, "logo.jpg", "JPEGDATA");
    m_session.SetHtmlText("<html><body><img src=\"cid:1.0.1.example.com\">本文</body></html>");
    m_session.GetRelatedPartList().AddRelatedPart(picture, "1.0.1.example.com");
    Check("html_related.eml");
}

TEST_F(ComposeTest, HtmlMailWithAttachmentNestsTheAlternative)
{
    BasicHeaders();
    m_session.SetSubject("html and file");
    m_session.SetHtmlMail(true);
    m_session.AddBodyLine("plain version\r\n");
    m_session.SetHtmlText("<p>html version</p>");
    m_session.AddAttachment(MakeFile(m_dir, "data.bin", "abc"));
    Check("html_attachment.eml");
}

TEST_F(ComposeTest, HtmlOnlyMailIsOneBase64Part)
{
    BasicHeaders();
    m_session.SetSubject("html only");
    m_session.SetHtmlMail(true);
    m_session.AddBodyLine("\r\n");
    m_session.SetHtmlText("<p>本文だけ</p>");
    Check("html_single.eml");
}

TEST_F(ComposeTest, HtmlFileTravelsWithTheFilesItShows)
{
    BasicHeaders();
    m_session.SetSubject("page");
    m_session.AddBodyLine("see the page\r\n");
    m_session.SetHtmlFile(MakeFile(m_dir, "page.html", "<img src=\"pic.png\">"));
    m_session.AddHtmlRelatedFile(MakeFile(m_dir, "pic.png", "PNG"));
    Check("html_file.eml");
}

TEST_F(ComposeTest, CopyForCcKeepsTheMessageIdAndListsTheAttachments)
{
    BasicHeaders();
    m_session.SetCc("cc@example.com");
    m_session.SetSubject("for To only");
    m_session.SetAttachToOnly(true);
    m_session.AddBodyLine("body\r\n");
    m_session.AddAttachment(MakeFile(m_dir, "plan.doc", "doc"));
    ASSERT_TRUE(m_session.GetAttachCommentFlag());
    ASSERT_TRUE(m_session.BuildMessage(m_dir.File("main.eml"), true));
    const CString messageId = m_session.GetMessageId();
    Check("cc_copy.eml", [](CSmtpSession& s, const CString& path) { return s.BuildMessage(path, true, true, true, true); });
    EXPECT_EQ(m_session.GetMessageId(), messageId);
}

TEST_F(ComposeTest, ResentMailKeepsDateAndMessageId)
{
    BasicHeaders();
    m_session.SetSendMode(CSmtpSession::SendModeResend);
    m_session.SetOriginalDate("Mon, 02 Jan 2023 12:00:00 +0900");
    m_session.SetOriginalTo("orig@example.com");
    m_session.SetMessageId("<stored@example.com>");
    m_session.SetResentFrom("taro@example.com");
    m_session.SetResentTo("next@example.com,");
    m_session.SetSubject("forwarded");
    m_session.AddBodyLine("text\r\n");
    Check("resent.eml");
}

TEST_F(ComposeTest, ReadReceiptReport)
{
    BasicHeaders();
    m_session.SetSendMode(CSmtpSession::SendModeReadReceipt);
    m_session.SetSubject("read");
    m_session.AddBodyLine("Your mail was read.\r\n");
    m_session.SetNotificationText("Reporting-UA: Corvane Mail\r\nDisposition: manual-action/MDN-sent-manually; displayed\r\n");
    Check("read_receipt.eml");
}

// What every reader needs of a header value: lines of at most 76
// characters where a blank or an encoded word allows a fold (998 always),
// encoded words of at most 75 characters set off from the text around them,
// and the text back whole once decoded.
static void ExpectWellFormedHeader(const CString& value, int nStartColumn, const char* pszDecoded)
{
    const std::string v = value.Str();
    size_t start = 0;
    for (;;) {
        size_t end = v.find("\r\n", start);
        std::string line = v.substr(start, end == std::string::npos ? std::string::npos : end - start);
        ExpectHeaderLineFits(line, start == 0 ? nStartColumn : 0);
        if (end == std::string::npos)
            break;
        EXPECT_TRUE(end + 2 < v.size() && (v[end + 2] == ' ' || v[end + 2] == '\t')) << "folds start with a blank";
        EXPECT_NE(v.find_first_not_of(" \t", end + 2), v.find("\r\n", end + 2)) << "a line of blanks alone";
        start = end + 2;
    }
    // Only the last of a run of encoded words may end in padding: a reader
    // may stop at a padded word that another follows.
    for (size_t at = 0; (at = v.find("=?=", at)) != std::string::npos; at += 3) {
        size_t next = v.find_first_not_of(" \t\r\n", at + 3);
        EXPECT_FALSE(next != std::string::npos && v.compare(next, 2, "=?") == 0) << v;
    }
    CMailMessage message;
    message.Parse("Subject: " + value + "\r\n\r\n");
    EXPECT_STREQ(message.m_strSubject, pszDecoded);
}

TEST_F(ComposeTest, FoldedHeaderValuesDecodeToTheText)
{
    const std::string longJapanese = "長い件名" + std::string(60, 'x') + "のテスト" + std::string(180, 'y');
    // A reply to a subject of a thousand blanks; a word no line can hold.
    const std::string blankRun = "Re: " + std::string(1000, ' ') + "x";
    const std::string longWord = "Re: " + std::string(1200, 'w');
    const char* const subjects[] = {
        "short",
        "An ASCII subject that is long enough to need folding at one of its blanks somewhere",
        "日本語の件名がとても長い場合には途中で折り返されますが復号すると元に戻ります",
        "Re: [list 123] 打ち合わせ the second 議題 and 次回 schedule",
        "半角ｶﾀｶﾅ は全角になってから",
        "2024年度の計画について",
        "[project-announcements:00123] Re: Fw: お知らせ（第３回）の件についてのご連絡とお願いとその他",
        longJapanese.c_str(),
        blankRun.c_str(),
        longWord.c_str(),
        "髙﨑さんと①の件",
    };
    for (const char* subject : subjects) {
        SCOPED_TRACE(subject);
        CString text = HalfWidthKanaToFullWidth(subject);
        ExpectWellFormedHeader(CSmtpSession::EncodeFoldedText(text, 9), 9, text);
    }
    // A value encoded whole is cut into words just the same.
    const std::string longName(1200, 'n');
    ExpectWellFormedHeader(CSmtpSession::EncodeFoldedText(longName.c_str(), 11, true), 11, longName.c_str());
    // A short plain value stays as it is; an ASCII word never glues to an
    // encoded word.
    EXPECT_STREQ(CSmtpSession::EncodeFoldedText("short", 9), "short");
    EXPECT_EQ(CSmtpSession::EncodeFoldedText("2024年度", 9).Find("2024=?"), -1);
    // A file name is encoded whole.
    CString name = CSmtpSession::EncodeFoldedText("2024年度の計画.txt", 11, true);
    EXPECT_EQ(name.Find("=?ISO-2022-JP?B?"), 0) << name.GetString();
    EXPECT_EQ(name.Find(".txt"), -1) << name.GetString();
}

TEST_F(ComposeTest, AddressEntriesInHeaderForm)
{
    // A long Japanese name, as the address book writes it: encoded whole in
    // quoted words, folded before the address when the line is full.
    const char* longName = "山田 太郎（営業部　第一課、担当課長代理）";
    CString entry = FormatString("\"%s\" <taro.yamada.sales@example.co.jp>", longName);
    ExpectWellFormedHeader(CSmtpSession::FormatHeaderAddress(entry), 4, entry);

    CMimeCodec codec;
    struct Case
    {
        const char* entry;
        const char* expected;  // null: an encoded name, checked by decoding
        const char* decoded;
    } const cases[] = {
        {"", "", nullptr},
        {"a@example.com", "a@example.com", nullptr},
        {"  Taro <taro@example.com> ", "Taro <taro@example.com>", nullptr},
        {"\"Yamada, Taro\" <taro@example.com>", "\"Yamada, Taro\" <taro@example.com>", nullptr},
        {"<taro@example.com>", "taro@example.com", nullptr},
        {"taro@example.com (Taro)", "taro@example.com (Taro)", nullptr},
        {"山田 <taro@example.com>", nullptr, "山田 <taro@example.com>"},
        {"taro@example.com (山田)", nullptr, "taro@example.com (山田)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        CString actual = CSmtpSession::FormatHeaderAddress(c.entry);
        if (c.expected) {
            EXPECT_STREQ(actual, c.expected);
        } else {
            EXPECT_GE(actual.Find("=?ISO-2022-JP?B?"), 0) << actual.GetString();
            EXPECT_STREQ(codec.DecodeHeaderText(actual), c.decoded);
        }
    }
}

TEST(MessageIdTest, IdsOfOneSecondDoNotRepeat)
{
    // Same sender, same body, built as fast as possible: the clock and a
    // generator seeded from it used to give the same identifier again.
    std::vector<std::string> ids;
    for (int i = 0; i < 200; ++i) {
        CSmtpSession session;
        session.SetFrom("taro@example.com");
        session.SetTo("hanako@example.com");
        session.AddBodyLine("same\r\n");
        TestSupport::TempDir dir;
        ASSERT_TRUE(session.BuildMessage(dir.File("m.eml"), true));
        ids.push_back(session.GetMessageId().Str());
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
}

TEST(BodyTextTest, TextIsSplitIntoLines)
{
    CSmtpSession session;
    session.AddBodyText("one\r\ntwo\nthree\rfour\n\rfive");
    const std::vector<std::string> expected = {"one\r\n", "two\r\n", "three\r\n", "four\r\n", "five"};
    std::vector<std::string> lines;
    for (int i = 0; i < session.GetBodyLines().GetSize(); ++i)
        lines.push_back(session.GetBodyLines()[i].Str());
    EXPECT_EQ(lines, expected);

    // A long line is broken right after a Japanese comma or full stop.
    CSmtpSession longText;
    const std::string sentence = "これは長い文章の例です、読点のあとで改行されるかどうかを確かめます。続き";
    longText.AddBodyText(sentence.c_str());
    ASSERT_EQ(longText.GetBodyLines().GetSize(), 2);
    EXPECT_EQ(longText.GetBodyLines()[0].Right(4), CString("。\r\n"));
    EXPECT_EQ(longText.GetBodyLines()[1], CString("続き"));
}

TEST_F(ComposeTest, GivenDateTextIsWrittenInTheDateForm)
{
    struct Case
    {
        const char* given;
        const char* expected;
    } const cases[] = {
        {"Mon, 02 Jan 2023 12:00:00 +0900", "Date: Mon, 02 Jan 2023 12:00:00 +0900\r\n"},
        {"Mon, 02 Jan 2023 03:00:00 GMT", "Date: Mon, 02 Jan 2023 12:00:00 +0900\r\n"},
        {"2023/01/02 12:00:00", "Date: Mon, 02 Jan 2023 12:00:00 +0900\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        CSmtpSession session;
        session.SetFrom("taro@example.com");
        session.SetDateText(c.given);
        session.AddBodyLine("x\r\n");
        ASSERT_TRUE(session.BuildMessage(m_dir.File("d.eml"), true));
        std::string built = TestSupport::ReadFileBytes(m_dir.File("d.eml"));
        EXPECT_NE(built.find(c.expected), std::string::npos) << built.substr(0, 200);
    }
}

TEST_F(ComposeTest, MissingAttachmentFailsWithItsPath)
{
    BasicHeaders();
    m_session.AddBodyLine("x\r\n");
    CString missing = m_dir.File("gone.bin");
    m_session.AddAttachment(missing);
    EXPECT_FALSE(m_session.BuildMessage(m_dir.File("out.eml"), true));
    EXPECT_STREQ(m_session.GetLastErrorText(),
                 FormatString("ファイル[%s]が見つかりませんでした。\r\n添付できません。", missing.GetString()));
}

TEST_F(ComposeTest, PasswordArchivesReplaceTheAttachments)
{
    // The archiver stands in for the ZIP library: it copies the file.
    CArchiveStandIn standIn;
    BasicHeaders();
    m_session.SetSubject("secret");
    m_session.AddBodyLine("x\r\n");
    m_session.SetArchivePassword("pw");
    CString report = MakeFile(m_dir, "report.doc", "report");
    m_session.AddAttachment(report);
    ASSERT_TRUE(m_session.BuildMessage(m_dir.File("out.eml"), true)) << m_session.GetLastErrorText().GetString();
    std::string built = TestSupport::ReadFileBytes(m_dir.File("out.eml"));
    EXPECT_NE(built.find("name=\"report.zip\""), std::string::npos);
    EXPECT_EQ(standIn.Calls(), 1);
    // The archive was temporary.
    EXPECT_FALSE(TestSupport::FileExists(m_session.GetAttachments()[0]));
}

} // namespace

TEST(RelatedPartListTest, ContentIdsCountThePartsAndReferencesAreKeptOnce)
{
    CRelatedPartList list;
    list.SetDomain("example.com");
    CString first = list.MakeContentId();
    EXPECT_EQ(first.Find(".0."), first.Find('.'));
    EXPECT_EQ(first.Right(12), ".example.com");
    list.AddRelatedPart("C:\\pics\\Logo.png", first);
    CString second = list.MakeContentId();
    EXPECT_EQ(second.Find(".1."), second.Find('.'));

    EXPECT_STREQ(list.GetPartText("C:\\pics\\Logo.png"), first);
    EXPECT_STREQ(list.GetPartText("c:\\pics\\logo.png"), "");
    EXPECT_TRUE(list.AddReference("c:\\pics\\logo.png"));
    EXPECT_FALSE(list.AddReference("page.html"));
    EXPECT_TRUE(list.AddReference("PAGE.HTML"));
    EXPECT_EQ(list.GetReferenceCount(), 2);
}

TEST(ReplyTextTest, CodesShareOrLackTheirExplanation)
{
    EXPECT_STREQ(CSmtpSession::GetReplyText(452), CSmtpSession::GetReplyText(552));
    EXPECT_STRNE(CSmtpSession::GetReplyText(452), "");
    EXPECT_STREQ(CSmtpSession::GetReplyText(599), "");
}

TEST_F(ComposeTest, LargeAttachmentIsEncodedWholeAcrossBlocks)
{
    BasicHeaders();
    m_session.SetSubject("large");
    m_session.AddBodyLine("large file\r\n");
    // Two and a half encoding blocks, not a multiple of a line.
    std::string data(60 * 16384 * 5 / 2 + 7, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>((i * 131 + i / 977) & 0xFF);
    m_session.AddAttachment(MakeFile(m_dir, "large.bin", data));
    CString path = m_dir.File("large.eml");
    ASSERT_TRUE(m_session.BuildMessage(path, true)) << m_session.GetLastErrorText().GetString();
    std::string built = TestSupport::ReadFileBytes(path);
    size_t start = built.find("filename=\"large.bin\"");
    ASSERT_NE(start, std::string::npos);
    start = built.find("\r\n\r\n", start) + 4;
    size_t end = built.find("\r\n\r\n--", start);
    ASSERT_NE(end, std::string::npos);
    std::string decoded;
    size_t lines = 0;
    for (size_t pos = start; pos < end;) {
        size_t eol = built.find("\r\n", pos);
        EXPECT_LE(eol - pos, 80u);
        CBase64::DecodeAppend(built.data() + pos, eol - pos, decoded);
        pos = eol + 2;
        ++lines;
    }
    EXPECT_EQ(lines, (data.size() + 59) / 60);
    EXPECT_TRUE(decoded == data);
}

TEST_F(ComposeTest, LongThreadsAndFileNamesFitTheirLines)
{
    BasicHeaders();
    m_session.SetSubject("thread");
    m_session.AddBodyLine("x\r\n");
    std::string references;
    for (int i = 0; i < 60; ++i)
        references += (i ? " " : "") + std::string("<message.") + std::to_string(i) + "@mail.example.com>";
    m_session.SetInReplyTo("<message.59@mail.example.com>");
    m_session.SetReferences(references.c_str());
    const char* longName = "2024年度第3四半期営業報告書（関東地区・最終版）の補足資料と参考データ一覧.txt";
    m_session.AddAttachment(MakeFile(m_dir, longName, "data"));
    CString path = m_dir.File("thread.eml");
    ASSERT_TRUE(m_session.BuildMessage(path, true)) << m_session.GetLastErrorText().GetString();
    std::string built = TestSupport::ReadFileBytes(path);
    for (size_t at = 0, eol; (eol = built.find("\r\n", at)) != std::string::npos; at = eol + 2)
        EXPECT_LE(eol - at, 76u) << built.substr(at, eol - at);
    CMailMessage message;
    message.Parse(built.c_str(), static_cast<int>(built.size()));
    EXPECT_EQ(message.m_strReferences.Str(), references);
    // The attachment's name both as encoded words and in sections of RFC
    // 2231, each read whole.
    size_t part = built.find("Content-Disposition: attachment;");
    ASSERT_NE(part, std::string::npos);
    EXPECT_NE(built.find("filename*0*=UTF-8''", part), std::string::npos);
    EXPECT_NE(built.find("filename*1*=", part), std::string::npos);
    CMailMessage attachment;
    size_t partHeader = built.find("\r\n", built.rfind("\r\n--", part) + 2) + 2;
    attachment.ParseHeaderText(built.substr(partHeader, built.find("\r\n\r\n", part) + 2 - partHeader).c_str());
    EXPECT_STREQ(attachment.m_strFileName, longName);
}
