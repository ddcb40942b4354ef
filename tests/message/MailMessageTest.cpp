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
