#include "core/DateTimeUtil.h"
#include "message/MailMessage.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string S(const CString& s) { return s.Str(); }

class MailMessageTest : public ::testing::Test
{
protected:
    // The bias must agree with the process's own zone for the conversions to
    // add up; pinning it keeps the tests independent of an application object.
    void SetUp() override { OverrideTimeZoneBias(true, ComputeTimeZoneBias()); }
    void TearDown() override { OverrideTimeZoneBias(false); }
    CMailMessage m;
};

} // namespace

TEST_F(MailMessageTest, EmptyTextGivesDefaults)
{
    ASSERT_TRUE(m.Parse(""));
    EXPECT_EQ(m.GetHeaderCount(), 0);
    EXPECT_EQ(S(m.m_strMediaType), "text");
    EXPECT_EQ(m.m_nMainType, kContentText);
    EXPECT_EQ(m.m_nSubType, kContentPlain);
    EXPECT_EQ(m.m_nTransferEncoding, kEncoding7Bit);
    EXPECT_EQ(m.m_nPriority, -1);
    EXPECT_EQ(m.m_nForwardType, -1);
}

TEST_F(MailMessageTest, FoldsAndIdeographicSpaces)
{
    m.m_bKeepRaw = true;
    m.Parse("\r\n Subject: =?ISO-2022-JP?B?GyRCN29MPiRH?=\r\n\t=?ISO-2022-JP?B?JDkbKEI=?=\r\n"
            "X-Note:\x81\x40value\r\n\x81\x40" "continued\r\n"
            "X-Lone: one\ntwo\r\n"
            "junk line without colon\r\nFrom: a@example.jp\r\n");
    ASSERT_EQ(m.GetHeaderCount(), 4);
    EXPECT_EQ(S(m.m_strRawSubject), "=?ISO-2022-JP?B?GyRCN29MPiRH?==?ISO-2022-JP?B?JDkbKEI=?=");
    EXPECT_EQ(S(m.m_strSubject), "件名です");
    EXPECT_EQ(S(m.GetHeaderAt(0)->m_strRaw), "Subject: =?ISO-2022-JP?B?GyRCN29MPiRH?=\r\n\t=?ISO-2022-JP?B?JDkbKEI=?=");
    EXPECT_EQ(S(m.GetHeader("x-note")), "value continued");
    EXPECT_EQ(S(m.GetHeader("X-Lone")), "onetwo");
    EXPECT_EQ(S(m.GetHeaderAt(3)->m_strName), "From");
    EXPECT_EQ(S(m.m_strFrom), "a@example.jp");
}

TEST_F(MailMessageTest, PriorityByTable)
{
    const struct { const char* headers; int priority; } cases[] = {
        {"X-Priority: 2 (High)\r\nX-MSMail-Priority: low\r\n", 2},
        {"Priority: urgent\r\n", 3},
        {"X-MSMail-Priority: High\r\n", 1},
        {"X-Priority:\r\n", 3},
        {"X-Priority: normal\r\n", 0},
    };
    for (const auto& c : cases) {
        m.Parse(c.headers);
        EXPECT_EQ(m.m_nPriority, c.priority) << c.headers;
    }
}

TEST_F(MailMessageTest, ContentTypeAndParameters)
{
    m.Parse("Content-Type: TEXT/HTML; charset=iso-2022-jp\r\n");
    EXPECT_EQ(m.m_nMainType, kContentText);
    EXPECT_EQ(m.m_nSubType, kContentHtml);
    EXPECT_EQ(S(m.m_strCharset), "ISO-2022-JP");
    EXPECT_EQ(S(m.GetHeader("Content-Type")), "TEXT/HTML; charset=iso-2022-jp");

    m.Parse("Content-Type: multipart/mixed;\r\n boundary=\"--- a b ---\"\r\n");
    EXPECT_EQ(m.m_nMainType, kContentMultipart);
    EXPECT_EQ(m.m_nSubType, kContentMixed);
    EXPECT_EQ(S(m.m_strBoundary), "--- a b ---");

    m.Parse("Content-Type: message/partial; id=\"abc\"; number=2; total=3\r\n");
    EXPECT_EQ(m.m_nSubType, kContentPartial);
    EXPECT_EQ(m.m_nPartialNumber, 2);
    EXPECT_EQ(m.m_nPartialTotal, 3);
    EXPECT_EQ(S(m.m_strPartialId), "<abc>");

    // A bare "text" is text/plain; other bare types keep no subtype.
    m.Parse("Content-Type: Text; charset=us-ascii\r\n");
    EXPECT_EQ(m.m_nSubType, kContentPlain);
    EXPECT_EQ(S(m.m_strSubTypeText), "plain");
    EXPECT_EQ(S(m.m_strCharset), "US-ASCII");
    m.Parse("Content-Type: image\r\n");
    EXPECT_EQ(m.m_nSubType, kContentUnknown);
    EXPECT_EQ(S(m.m_strSubTypeText), "");

    m.Parse("Content-Type: video/mpeg\r\nContent-Transfer-Encoding: BASE64\r\n");
    EXPECT_EQ(m.m_nMainType, kContentOther);
    EXPECT_EQ(m.m_nSubType, kContentUnknown);
    EXPECT_EQ(m.m_nTransferEncoding, kEncodingBase64);

    m.Parse("Subject: =?iso-2022-jp?B?GyRCJUYlOSVIGyhC?=\r\n");
    EXPECT_EQ(S(m.m_strCharset), "ISO-2022-JP");
}

TEST_F(MailMessageTest, ReferencesAndIds)
{
    m.Parse("References: <a@x> <b@x>\r\nIn-Reply-To: no brackets\r\nContent-ID: <part1@x>\r\n");
    EXPECT_EQ(S(m.m_strReferenceId), "");
    EXPECT_EQ(S(m.m_strContentId), "part1@x");
    m.Parse("References: <a@x>\r\n <b@x>\r\n");
    EXPECT_EQ(S(m.m_strReferenceId), "<b@x>");
    EXPECT_EQ(S(m.m_strReferences), "<a@x> <b@x>");
    m.Parse("In-Reply-To: <c@x> (sent)\r\nReferences: <a@x>\r\n");
    EXPECT_EQ(S(m.m_strReferenceId), "<c@x>");
}

TEST_F(MailMessageTest, AddressFieldsAndDuplicates)
{
    m.Parse("To: a@example.jp\r\nTo: =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?= <t@example.jp>,b@example.jp\r\n"
            "Cc: \"x, y\" <c@example.jp>\r\n");
    EXPECT_EQ(m.GetHeaderCount(), 3);
    EXPECT_EQ(S(m.m_strTo), "テスト <t@example.jp>, b@example.jp");
    EXPECT_EQ(S(m.m_strCc), "\"x, y\" <c@example.jp>");
}

TEST_F(MailMessageTest, PrivateHeadersAndFlags)
{
    m.Parse("X-ReceiveAcount: main\taccount\r\nX-SendAcount: sub\r\nX-ForwordType: 2\r\nX-KeepFromAddress: 1\r\n"
            "X-Create_Folder_ID: 12\r\nX-AttachFile: \r\nX-SetHeaders: 0\r\nX-SignName: sig\r\n"
            "X-Attach_File_Path: C:\\a.txt\r\nX-Attach_File_Path: C:\\表.txt\r\n"
            "Disposition-Notification-To: =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?= <r@example.jp>\r\n"
            "Resent-To: x@example.jp\r\nX-Cvm_Arc_Password: secret\r\nX-Cvm_Arc_ID: 7\r\n");
    EXPECT_EQ(S(m.m_strReceiveAccount), "main  account");
    EXPECT_EQ(S(m.m_strSendAccount), "sub");
    EXPECT_EQ(m.m_nForwardType, 2);
    EXPECT_TRUE(m.m_bKeepFromAddress);
    EXPECT_EQ(m.m_nCreateFolderId, 12);
    EXPECT_TRUE(m.m_bHasAttachFile);
    EXPECT_TRUE(m.m_bSetHeaders);
    EXPECT_EQ(S(m.m_strSignName), "sig");
    ASSERT_EQ(m.m_attachPaths.GetSize(), 2);
    EXPECT_EQ(S(m.m_attachPaths[1]), "C:\\表.txt");
    EXPECT_TRUE(m.m_bReadReceipt);
    EXPECT_EQ(S(m.m_strReadReceiptAddress), "テスト <r@example.jp>");
    EXPECT_TRUE(m.m_bResent);
    EXPECT_EQ(S(CMailMessage::GetArcPassword(m.m_headers)), "secret");
    EXPECT_EQ(S(m.GetArcID()), "7");

    EXPECT_TRUE(IsPrivateHeader("X-ReceiveAcount"));
    EXPECT_FALSE(IsPrivateHeader("x-receiveacount"));
    EXPECT_FALSE(IsPrivateHeader("X-ReceiveAcount2"));
}

TEST_F(MailMessageTest, DispositionWithContinuedExtendedFileName)
{
    m.Parse("Content-Type: application/octet-stream\r\n"
            "Content-Disposition: attachment;\r\n"
            " filename*0*=UTF-8''%E6%B7%BB%E4%BB;\r\n"
            " filename*1*=%98.txt;\r\n"
            " creation-date=\"Tue, 01 Jan 2002 12:34:56 +0900\"\r\n");
    EXPECT_EQ(S(m.m_strDispositionWord), "attachment");
    EXPECT_EQ(m.GetDispositionCode(), kContentAttachment);
    EXPECT_EQ(S(m.m_strFileName), "添付.txt");
    ASSERT_TRUE(m.m_bHasCreationTime);
    EXPECT_EQ(m.m_creationTime, 1009856096);  // 2002-01-01 03:34:56 UTC

    m.Parse("Content-Disposition: inline; filename=\"=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=.txt\"\r\n");
    EXPECT_EQ(m.GetDispositionCode(), kContentInline);
    EXPECT_EQ(S(m.m_strFileName), "テスト.txt");
}

TEST_F(MailMessageTest, DateIsNormalised)
{
    m.Parse("Date: Tue, 1 Jan 1970 09:00:00 +0900 (JST)\r\n");
    EXPECT_EQ(S(m.m_strRawDate), "Tue, 1 Jan 1970 09:00:00 +0900 (JST)");
    EXPECT_EQ(S(m.m_strDate), "1970/01/01 09:00:00 +0900 (JST) ");
}

TEST_F(MailMessageTest, MatchCondition)
{
    m.Parse("To: a@example.jp\r\nCc: Boss <boss@example.jp>\r\nSubject: Weekly REPORT\r\n");
    EXPECT_TRUE(m.MatchCondition("report", "subject", false, false));
    EXPECT_FALSE(m.MatchCondition("report", "subject", false, true));
    EXPECT_TRUE(m.MatchCondition("BOSS@", "To-CC", false, false));
    EXPECT_FALSE(m.MatchCondition("boss", "To", false, false));
    EXPECT_TRUE(m.MatchCondition("x", "", true, false));
    EXPECT_FALSE(m.MatchCondition("x", "", true, true));

    // A pattern prepared by the filter rules decides instead of the substring test.
    FilterPatternHook old = SetFilterPatternHook([](const char* text, const char* value, bool* match) {
        if (strcmp(text, "re:^Weekly") != 0)
            return false;
        *match = strncmp(value, "Weekly", 6) == 0;
        return true;
    });
    EXPECT_TRUE(m.MatchCondition("re:^Weekly", "Subject", false, false));
    SetFilterPatternHook(old);
}

TEST_F(MailMessageTest, SetCharsetRewritesTheRawHeader)
{
    m.m_bKeepRaw = true;
    m.Parse("Subject: x\r\nContent-Type: text/plain;\r\n charset=\"iso-2022-jp\"\r\n");
    m.SetCharset("Shift_JIS");
    EXPECT_EQ(S(m.GetHeaderText()), "Subject: x\r\nContent-Type: text/plain;\r\n charset=\"Shift_JIS\"\r\n");
    CMailMessage other;
    other.Parse("Content-Type: text/plain\r\n");
    other.SetCharset("UTF-8");
    EXPECT_EQ(S(other.GetHeader("Content-Type")), "text/plain; charset=UTF-8");
}

TEST_F(MailMessageTest, HeaderCharsetOfStoredPartHeaders)
{
    const char* headers = "Content-Type: multipart/alternative; boundary=x\r\n\r\n"
                          "Content-Type: text/html; charset=utf-8\r\n\r\n"
                          "Content-Type: text/plain;\r\n\tcharset=euc-jp\r\n\r\n"
                          "Content-Type: text/plain; charset=us-ascii\r\n";
    EXPECT_EQ(S(m.GetHeaderCharset(headers)), "EUC-JP");
}

TEST_F(MailMessageTest, FileCutAtBlankLineOrDot)
{
    TestSupport::TempDir dir;
    TestSupport::WriteFileBytes(dir.File("a.eml"), "Subject: only header\r\n.\r\n");
    ASSERT_TRUE(m.ParseFile(dir.File("a.eml")));
    EXPECT_EQ(S(m.m_strSubject), "only header");
    TestSupport::WriteFileBytes(dir.File("b.eml"), "Subject: no end");
    EXPECT_FALSE(m.ParseFile(dir.File("b.eml")));
    EXPECT_EQ(S(m.m_strSubject), "only header");  // left as it was
    EXPECT_FALSE(m.ParseFile(dir.File("missing.eml")));
}

TEST_F(MailMessageTest, HugeHeaderParsesInLinearTime)
{
    std::string big = "Subject: ";
    while (big.size() < (1u << 20))
        big += "=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=\r\n ";
    big += "end\r\nTo: a@example.jp\r\n";
    ASSERT_TRUE(m.Parse(big.c_str()));
    EXPECT_EQ(m.GetHeaderCount(), 2);
    EXPECT_EQ(S(m.m_strSubject.Right(3)), "end");
    EXPECT_EQ(S(m.m_strTo), "a@example.jp");
}

TEST_F(MailMessageTest, UnfoldingKeepsTheBlankBetweenWordsOnly)
{
    const struct { const char* header; const char* value; } cases[] = {
        {"Subject: subject that\r\n was folded\r\n", "subject that was folded"},
        {"Subject: tab\r\n\tfold\r\n", "tab fold"},
        // Two adjacent encoded words: the blank between them is no text.
        {"Subject: =?ISO-2022-JP?B?GyRCN29MPiRH?=\r\n =?ISO-2022-JP?B?JDkbKEI=?=\r\n", "件名です"},
        // One encoded word that the sender broke over two lines.
        {"Subject: =?ISO-2022-JP?B?GyRCN29MPiRHJDkb\r\n KEI=?=\r\n", "件名です"},
        // An encoded word followed by an ordinary one keeps the blank.
        {"Subject: =?ISO-2022-JP?B?GyRCN29MPiRHJDkbKEI=?=\r\n next\r\n", "件名です next"},
    };
    for (const auto& c : cases) {
        m.Parse(c.header);
        EXPECT_EQ(S(m.m_strSubject), c.value) << c.header;
    }
}

TEST_F(MailMessageTest, ExtendedParametersByTable)
{
    const struct { const char* header; const char* boundary; const char* name; const char* fileName; const char* charset; } cases[] = {
        {"Content-Type: multipart/signed; protocol=\"application/pgp-signature\"; boundary*=\"sig=1\"\r\n",
         "sig=1", "", "", ""},
        {"Content-Type: multipart/mixed; boundary*0=\"part\"; boundary*1=\"two\"\r\n", "parttwo", "", "", ""},
        {"Content-Type: application/pdf; name*=UTF-8''%E8%A6%8B%E7%A9%8D.pdf\r\n", "", "見積.pdf", "", ""},
        {"Content-Type: application/pdf; name*=utf-8'ja'%E8%A6%8B%E7%A9%8D.pdf\r\n"
         "Content-Disposition: attachment; filename*=UTF-8''%E8%A6%8B%E7%A9%8D.pdf\r\n",
         "", "見積.pdf", "見積.pdf", ""},
        // Continuations in any order, plain and extended pieces mixed.
        {"Content-Type: text/plain; charset*=us-ascii'en'UTF-8;\r\n name*1=\".txt\"; name*0*=UTF-8''%E8%A6%8B\r\n",
         "", "見.txt", "", "UTF-8"},
        {"Content-Disposition: attachment; filename*0*=ISO-2022-JP''%1B%24B%24%22%1B%28B; filename*1=\"b.txt\"\r\n",
         "", "", "あb.txt", ""},
        // The plain form still works, header words included.
        {"Content-Type: application/octet-stream; name=\"=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=.txt\"\r\n",
         "", "テスト.txt", "", ""},
        // An unquoted value runs to the next ";", without the blanks around it.
        {"Content-Type: text/plain; name=This is a test.txt\r\n", "", "This is a test.txt", "", ""},
        {"Content-Type: text/plain; name= two  blanks.txt ; charset=UTF-8\r\n"
         "Content-Disposition: attachment; filename=This is a test.txt;\r\n",
         "", "two  blanks.txt", "This is a test.txt", "UTF-8"},
        {"Content-Type: multipart/mixed; boundary=simple boundary\r\n", "simple boundary", "", "", ""},
        // A charset is one word; an unquoted comment after it is no part of it.
        {"Content-Type: text/plain; charset=us-ascii (Plain text)\r\n", "", "", "", "US-ASCII"},
    };
    for (const auto& c : cases) {
        CMailMessage m;  // the name parameter outlives a parse of the same object
        m.Parse(c.header);
        EXPECT_EQ(S(m.m_strBoundary), c.boundary) << c.header;
        EXPECT_EQ(S(m.m_strName), c.name) << c.header;
        EXPECT_EQ(S(m.m_strFileName), c.fileName) << c.header;
        EXPECT_EQ(S(m.m_strCharset), c.charset) << c.header;
    }
}

TEST_F(MailMessageTest, DigestPartWithoutTypeIsAnEnclosedMail)
{
    CMailMessage digest;
    digest.Parse("Content-Type: multipart/digest; boundary=d\r\n");
    EXPECT_TRUE(digest.IsDigest());
    m.Parse("Subject: inner\r\n");
    m.DefaultToEnclosedMail();
    EXPECT_EQ(m.m_nMainType, kContentMessage);
    EXPECT_EQ(m.m_nSubType, kContentRfc822);
    m.Parse("Content-Type: text/plain\r\n");
    m.DefaultToEnclosedMail();
    EXPECT_EQ(m.m_nSubType, kContentPlain);
}

TEST_F(MailMessageTest, FileWithLfLineEndsIsRead)
{
    TestSupport::TempDir dir;
    for (const char* eol : {"\n", "\r"}) {
        std::string text = std::string("Subject: from outside") + eol + "To: a@example.jp" + eol + eol + "body" + eol;
        TestSupport::WriteFileBytes(dir.File("lf.eml"), text);
        ASSERT_TRUE(m.ParseFile(dir.File("lf.eml")));
        EXPECT_EQ(S(m.m_strSubject), "from outside");
        EXPECT_EQ(S(m.m_strTo), "a@example.jp");
    }
}

// Hostile values that took time or produced wrong dates.
TEST_F(MailMessageTest, LongReferenceOfDoubleByteLeadsParsesInLinearTime)
{
    std::string value;
    while (value.size() < 400000)
        value += "\x81<";
    std::string header = "In-Reply-To: " + value + "<last@x>\r\nReferences: " + value + "\r\n";
    DWORD start = GetTickCount();
    m.Parse(header.c_str());
    // Quadratic rescanning took minutes for this size.
    EXPECT_LT(GetTickCount() - start, 10000u);
    // A "<" right after a lead byte is the second byte of a character.
    m.Parse("In-Reply-To: <a@x> \x81<b@x>\r\n");
    EXPECT_EQ(S(m.m_strReferenceId), "<a@x> \x81<b@x>");
}

TEST_F(MailMessageTest, ImpossibleDatesAreNoDate)
{
    m.Parse("Date: Tue, 1 Apr 2008 10:99999999999:00 +0900\r\n"
            "Content-Disposition: attachment; filename=a.bin;\r\n"
            " creation-date=\"Tue, 1 Apr 2008 99999999:00:00 +0900\";\r\n"
            " modification-date=\"Tue, 1 Apr 99999 10:00:00 +0900\"\r\n");
    EXPECT_EQ(S(m.m_strDate), " +0900 ");
    EXPECT_FALSE(m.m_bHasCreationTime);
    EXPECT_FALSE(m.m_bHasModificationTime);
    // Counted in 64 bits: far fields move the time forward, never wrap it.
    EXPECT_GT(CTime(2008, 1, 1, 0, 2147483647, 0).GetTime(), CTime(2008, 1, 1, 0, 0, 0).GetTime());
    EXPECT_EQ(CTime(30000, 1, 1, 0, 2147483647, 2147483647).GetTime(), -1);
    EXPECT_EQ(CTime(70000, 1, 1, 0, 0, 0).GetTime(), -1);
    EXPECT_NE(CTime(2008, 4, 31, 24, 0, 0).GetTime(), -1);  // carried over, as before
}
