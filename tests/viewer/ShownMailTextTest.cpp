// What the mail view shows of a stored entry: header text without the name
// line, the body decoded to Shift-JIS, HTML-only mails as text by the
// application's option or by the view.
#include "store/StoreTestUtil.h"
#include "viewer/ShownMailText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Entry(const std::string& header, const std::string& body)
{
    return "QM1700000000123.eml\r\n" + header + "\r\n\r\n" + body + "\r\n.\r\n";
}

struct DecodeCase
{
    const char* name;
    std::string header;
    std::string body;
    std::string expected;  // Shift-JIS
};

TEST(ShownMailText, BodyIsDecodedToShiftJis)
{
    const DecodeCase cases[] = {
        {"ISO-2022-JP 7bit", "Subject: a\r\nContent-Type: text/plain; charset=ISO-2022-JP",
         "\x1b$B$3$s$K$A$O\x1b(B", "こんにちは"},
        {"Shift_JIS 8bit", "Subject: a\r\nContent-Type: text/plain; charset=Shift_JIS\r\nContent-Transfer-Encoding: 8bit",
         "こんにちは", "こんにちは"},
        {"UTF-8 8bit", "Subject: a\r\nContent-Type: text/plain; charset=UTF-8",
         "\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF", "こんにちは"},
        {"UTF-8 base64", "Subject: a\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64",
         "5pel5pys6Kqe44Gu44OG44K544OI", "日本語のテスト"},
        {"UTF-8 quoted-printable",
         "Subject: a\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: quoted-printable",
         "=E6=97=A5=E6=9C=AC=\r\n!", "日本!"},
        {"ISO-2022-JP base64",
         "Subject: a\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\nContent-Transfer-Encoding: base64",
         "GyRCJDMkcyRLJEEkTxsoQg==", "こんにちは"},
    };
    for (const DecodeCase& c : cases) {
        std::string entry = Entry(c.header, c.body);
        CShownMailText shown;
        shown.Load(entry.data(), entry.size());
        std::string body = shown.Body();
        while (!body.empty() && (body.back() == '\r' || body.back() == '\n'))
            body.pop_back();
        EXPECT_EQ(body, c.expected) << c.name;
        EXPECT_EQ(shown.HeaderText(), c.header) << c.name;
        EXPECT_FALSE(shown.BodyFromHtml()) << c.name;
    }
}

TEST(ShownMailText, MultipartShowsTheTextPart)
{
    std::string entry = Entry(
        "Subject: a\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b1\"",
        "--b1\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n\x1b$B$3$s$K$A$O\x1b(B\r\n"
        "--b1\r\nContent-Type: application/octet-stream; name=\"a.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
        "AAEC\r\n--b1--\r\n");
    CShownMailText shown;
    shown.Load(entry.data(), entry.size());
    EXPECT_EQ(shown.Body().substr(0, 10), "こんにちは");
}

TEST(ShownMailText, HtmlOnlyMailIsShownAsTextWithItsLinks)
{
    std::string entry = Entry(
        "Subject: a\r\nContent-Type: text/html; charset=UTF-8",
        "<html><head><title>t</title><style>p{color:red}</style></head><body>"
        "<p>\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF &amp; &#x65E5;</p>"
        "<p><a href=\"http://example.jp/a\">\xE3\x83\xAA\xE3\x83\xB3\xE3\x82\xAF</a><br>"
        "<a href=\"mailto:taro@example.jp\">taro@example.jp</a></p><script>x()</script></body></html>");
    CShownMailText shown;
    shown.Load(entry.data(), entry.size());
    EXPECT_TRUE(shown.BodyFromHtml());
    EXPECT_EQ(shown.Body(), "こんにちは & 日\r\n\r\nリンク <http://example.jp/a>\r\ntaro@example.jp\r\n");
}

TEST(ShownMailText, AnHtmlOnlyMailsBodyFollowsTheOptionAndTheViewMayShowItsHtml)
{
    TestSupport::TempDir dir;
    StoreTest::TestApp app(dir.Path());
    std::string entry = Entry("Subject: a\r\nContent-Type: text/html; charset=Shift_JIS",
                              "<p>一</p><p><a href=\"http://example.jp/a\">二</a></p>");
    const std::string fromReader = "一\r\n二";
    const std::string fromView = "一\r\n\r\n二 <http://example.jp/a>\r\n";
    struct Case
    {
        int option;
        CShownMailText::HtmlUse use;
        std::string body;
        bool fromHtml;
    } cases[] = {
        {1, CShownMailText::htmlNever, fromReader, false},
        {1, CShownMailText::htmlWhenNoText, fromReader, false},
        {1, CShownMailText::htmlFirst, fromView, true},
        {0, CShownMailText::htmlNever, "", false},
        {0, CShownMailText::htmlWhenNoText, fromView, true},
    };
    for (const Case& c : cases) {
        app.m_bCreateMailBodyFromHtml = c.option;
        CShownMailText shown;
        shown.Load(entry.data(), entry.size(), c.use);
        EXPECT_EQ(shown.Body(), c.body) << c.option << " " << c.use;
        EXPECT_EQ(shown.BodyFromHtml(), c.fromHtml) << c.option << " " << c.use;
    }
}

TEST(ShownMailText, ShortOrHeaderOnlyEntriesAreSafe)
{
    // The view drops the end line ".\r\n"; a stored length below 3 must not
    // give a negative length.
    const char* bytes = "Q.\r";
    for (size_t n = 0; n < 3; ++n) {
        EXPECT_EQ(CShownMailText::ShownLength(bytes, n), n);
        CShownMailText shown;
        shown.Load(bytes, n);
        EXPECT_TRUE(shown.Body().empty());
    }
    EXPECT_EQ(CShownMailText::ShownLength("ab.\r\n", 5), 2u);

    // No blank line: all header, empty body.
    std::string entry = "QM1.eml\r\nSubject: only\r\nFrom: a@b\r\n.\r\n";
    CShownMailText shown;
    shown.Load(entry.data(), entry.size());
    EXPECT_EQ(shown.HeaderText(), "Subject: only\r\nFrom: a@b\r\n");
    EXPECT_TRUE(shown.Body().empty());
}

} // namespace
