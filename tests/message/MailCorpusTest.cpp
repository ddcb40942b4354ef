// A corpus of small real-looking mails, each parsed into its header fields
// and MIME tree.
#include "core/DateTimeUtil.h"
#include "message/MimePart.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string S(const CString& s) { return s.Str(); }

// "type/subtype(child,child)" of a part tree.
std::string Shape(const CMimePart& part)
{
    std::string s = part.m_header.m_strMediaType.Str() + "/" + part.m_header.m_strSubTypeText.Str();
    if (part.GetChildCount()) {
        s += "(";
        for (int i = 0; i < part.GetChildCount(); ++i)
            s += (i ? "," : "") + Shape(*part.GetChild(i));
        s += ")";
    }
    return s;
}

// The first text/plain leaf, depth first.
const CMimePart* FirstPlainText(const CMimePart& part)
{
    if (!part.GetChildCount())
        return part.m_header.m_nMainType == kContentText && part.m_header.m_nSubType == kContentPlain ? &part : nullptr;
    for (int i = 0; i < part.GetChildCount(); ++i) {
        if (const CMimePart* p = FirstPlainText(*part.GetChild(i)))
            return p;
    }
    return nullptr;
}

struct Mail
{
    const char* name;
    std::string text;
    std::string subject;
    std::string from;
    std::string shape;
    std::string plainText;  // decoded text of the first text/plain part
};

const std::string kHead = "Return-Path: <taro@example.jp>\r\n"
                          "Received: from mx.example.jp (mx.example.jp [192.0.2.1])\r\n"
                          "\tby mail.example.co.jp with ESMTP id 1A2B3C\r\n"
                          "\tfor <hanako@example.co.jp>; Tue, 1 Apr 2008 10:00:00 +0900 (JST)\r\n"
                          "Date: Tue, 1 Apr 2008 10:00:00 +0900\r\n"
                          "From: =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?= <taro@example.jp>\r\n"
                          "To: hanako@example.co.jp\r\n"
                          "Message-ID: <20080401100000.1234@example.jp>\r\n"
                          "MIME-Version: 1.0\r\n";

std::vector<Mail> Corpus()
{
    return {
        {"iso-2022-jp plain text",
         kHead + "Subject: =?ISO-2022-JP?B?GyRCMnE1RCRON28bKEI=?=\r\n"
                 "Content-Type: text/plain; charset=ISO-2022-JP\r\nContent-Transfer-Encoding: 7bit\r\n\r\n"
                 "\x1b$BK\\J8$G$9!#\x1b(B\r\n",
         "会議の件", "テスト <taro@example.jp>", "text/plain", "本文です。\r\n"},
        {"shift_jis 8bit",
         kHead + "Subject: =?Shift_JIS?B?g2WDWINn?=\r\n"
                 "Content-Type: text/plain; charset=Shift_JIS\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
                 "\x96\x7b\x95\xb6\x82\xc5\x82\xb7\x81\x42\r\n",
         "テスト", "テスト <taro@example.jp>", "text/plain", "本文です。\r\n"},
        {"utf-8 base64",
         kHead + "Subject: =?UTF-8?B?6LOH5paZ?=\r\n"
                 "Content-Type: text/plain; charset=\"UTF-8\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                 "5pys5paH44Gn44GZ44CCDQrkuozooYzn\r\nm64NCg==\r\n",
         "資料", "テスト <taro@example.jp>", "text/plain", "本文です。\r\n二行目\r\n"},
        {"utf-8 quoted-printable",
         kHead + "Subject: hello\r\nContent-Type: text/plain; charset=utf-8\r\n"
                 "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
                 "=E3=81=93=E3=82=93=E3=81=AB=\r\n=E3=81=A1=E3=81=AF\r\n",
         "hello", "テスト <taro@example.jp>", "text/plain", "こんにちは\r\n"},
        {"multipart/mixed with attachment",
         kHead + "Subject: =?ISO-2022-JP?B?GyRCMnE1RCRON28bKEI=?=\r\n"
                 "Content-Type: multipart/mixed;\r\n boundary=\"----=_NextPart_000_0001\"\r\n\r\n"
                 "This is a multi-part message in MIME format.\r\n\r\n"
                 "------=_NextPart_000_0001\r\n"
                 "Content-Type: text/plain; charset=iso-2022-jp\r\n\r\n"
                 "\x1b$BK\\J8$G$9!#\x1b(B\r\n"
                 "------=_NextPart_000_0001\r\n"
                 "Content-Type: application/pdf; name=\"=?UTF-8?B?5aCx5ZGK5pu4LnBkZg==?=\"\r\n"
                 "Content-Transfer-Encoding: base64\r\n"
                 "Content-Disposition: attachment; filename=\"=?UTF-8?B?5aCx5ZGK5pu4LnBkZg==?=\"\r\n\r\n"
                 "JVBERi0xLjQK\r\n"
                 "------=_NextPart_000_0001--\r\n",
         "会議の件", "テスト <taro@example.jp>", "multipart/mixed(text/plain,application/pdf)", "本文です。"},
        {"multipart/alternative",
         kHead + "Subject: alt\r\nContent-Type: multipart/alternative; boundary=ALT\r\n\r\n"
                 "--ALT\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n\x1b$B%F%9%H\x1b(B\r\n"
                 "--ALT\r\nContent-Type: text/html; charset=ISO-2022-JP\r\n\r\n<p>\x1b$B%F%9%H\x1b(B</p>\r\n"
                 "--ALT--\r\n",
         "alt", "テスト <taro@example.jp>", "multipart/alternative(text/plain,text/html)", "テスト"},
        {"multipart/related with cid",
         kHead + "Subject: rel\r\nContent-Type: multipart/related; type=\"text/html\"; boundary=REL\r\n\r\n"
                 "--REL\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n<img src=\"cid:logo@example.jp\">\r\n"
                 "--REL\r\nContent-Type: image/png\r\nContent-ID: <logo@example.jp>\r\n"
                 "Content-Transfer-Encoding: base64\r\n\r\niVBORw0KGgo=\r\n"
                 "--REL--\r\n",
         "rel", "テスト <taro@example.jp>", "multipart/related(text/html,image/png)", ""},
        {"forwarded message/rfc822",
         kHead + "Subject: =?ISO-2022-JP?B?GyRCRT5BdxsoQg==?=\r\nContent-Type: multipart/mixed; boundary=FWD\r\n\r\n"
                 "--FWD\r\nContent-Type: text/plain\r\n\r\nsee below\r\n"
                 "--FWD\r\nContent-Type: message/rfc822\r\n\r\n"
                 "From: jiro@example.jp\r\nSubject: inner\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n"
                 "inner body\r\n"
                 "--FWD--\r\n",
         "転送", "テスト <taro@example.jp>", "multipart/mixed(text/plain,message/rfc822(text/plain))", "see below"},
        {"headers only", kHead + "Subject: nothing else", "nothing else", "テスト <taro@example.jp>", "text/", ""},
        {"closing boundary missing, look-alike line inside",
         kHead + "Subject: broken\r\nContent-Type: multipart/mixed; boundary=B1\r\n\r\n"
                 "--B1\r\nContent-Type: text/plain\r\n\r\nfirst\r\n--B1x is not a delimiter\r\n"
                 "--B1\r\nContent-Type: text/plain\r\n\r\nsecond, cut off",
         "broken", "テスト <taro@example.jp>", "multipart/mixed(text/plain,text/plain)",
         "first\r\n--B1x is not a delimiter"},
        {"boundary never found",
         kHead + "Subject: lost\r\nContent-Type: multipart/mixed; boundary=NOPE\r\n\r\njust text\r\n",
         "lost", "テスト <taro@example.jp>", "multipart/mixed", ""},
        // The parts of a digest are enclosed mails unless they name a type.
        {"multipart/digest",
         kHead + "Subject: digest\r\nContent-Type: multipart/digest; boundary=DG\r\n\r\n"
                 "--DG\r\n\r\n"
                 "From: jiro@example.jp\r\nSubject: first\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n"
                 "first body\r\n"
                 "--DG\r\nContent-Description: second\r\n\r\n"
                 "From: saburo@example.jp\r\nSubject: second\r\nContent-Type: text/plain\r\n\r\n"
                 "second body\r\n"
                 "--DG\r\nContent-Type: text/plain\r\n\r\ndigest note\r\n"
                 "--DG--\r\n",
         "digest", "テスト <taro@example.jp>",
         "multipart/digest(message/rfc822(text/plain),message/rfc822(text/plain),text/plain)", "first body"},
        {"bare text type",
         kHead + "Subject: bare\r\nContent-Type: text; charset=iso-2022-jp\r\n\r\n\x1b$B%F%9%H\x1b(B\r\n",
         "bare", "テスト <taro@example.jp>", "text/plain", "テスト\r\n"},
        // Nothing between two delimiter lines is no part.
        {"adjacent delimiters",
         kHead + "Subject: adjacent\r\nContent-Type: multipart/mixed; boundary=AD\r\n\r\n"
                 "--AD\r\n--AD\r\nContent-Type: text/plain\r\n\r\none\r\n--AD\r\n"
                 "--AD\r\nContent-Type: text/html\r\n\r\n<p>two</p>\r\n--AD\r\n--AD--\r\n",
         "adjacent", "テスト <taro@example.jp>", "multipart/mixed(text/plain,text/html)", "one"},
        {"missing charset",
         kHead + "Subject: =?iso-2022-jp?B?GyRCJUYlOSVIGyhC?=\r\nContent-Type: text/plain\r\n\r\n"
                 "\x1b$B%F%9%H\x1b(B\r\n",
         "テスト", "テスト <taro@example.jp>", "text/plain", "テスト\r\n"},
    };
}

} // namespace

TEST(MailCorpus, EveryMailParsesToItsFieldsAndParts)
{
    OverrideTimeZoneBias(true, ComputeTimeZoneBias());
    for (const Mail& mail : Corpus()) {
        CMimePart root;
        ASSERT_TRUE(root.Parse(mail.text.data(), mail.text.size())) << mail.name;
        EXPECT_EQ(S(root.m_header.m_strSubject), mail.subject) << mail.name;
        EXPECT_EQ(S(root.m_header.m_strFrom), mail.from) << mail.name;
        EXPECT_EQ(S(root.m_header.m_strDate), "2008/04/01 10:00:00 +0900 ") << mail.name;
        EXPECT_EQ(S(root.m_header.m_strMessageId), "<20080401100000.1234@example.jp>") << mail.name;
        EXPECT_EQ(Shape(root), mail.shape) << mail.name;
        const CMimePart* plain = FirstPlainText(root);
        std::string text = plain ? S(plain->DecodeText()) : std::string();
        EXPECT_EQ(text, mail.plainText) << mail.name;
    }
    OverrideTimeZoneBias(false);
}

TEST(MailCorpus, OnlyTextBetweenDelimiterLinesMakesAPart)
{
    const struct
    {
        const char* body;
        int parts;
    } cases[] = {
        { "--B\r\n--B--\r\n", 0 },
        { "--B\r\n--B\r\n--B\r\nContent-Type: text/plain\r\n\r\nx\r\n--B--\r\n", 1 },
        { "--B\n--B\nContent-Type: text/plain\n\nx\n--B\n--B--\n", 1 },
        // A blank line is an empty header: a part with an empty body.
        { "--B\r\n\r\n--B--\r\n", 1 },
        { "--B\r\n\r\n\r\n--B\r\n\r\n--B--\r\n", 2 },
    };
    for (const auto& c : cases) {
        std::string mail = std::string("Content-Type: multipart/mixed; boundary=B\r\n\r\n") + c.body;
        CMimePart root;
        root.Parse(mail.data(), mail.size());
        EXPECT_EQ(root.GetChildCount(), c.parts) << c.body;
    }
}

TEST(MailCorpus, AttachmentAndContentIdFields)
{
    std::vector<Mail> corpus = Corpus();
    CMimePart mixed;
    mixed.Parse(corpus[4].text.data(), corpus[4].text.size());
    const CMailMessage& pdf = mixed.GetChild(1)->m_header;
    EXPECT_EQ(S(pdf.m_strFileName), "報告書.pdf");
    EXPECT_EQ(S(pdf.m_strName), "報告書.pdf");
    EXPECT_EQ(pdf.GetDispositionCode(), kContentAttachment);
    EXPECT_EQ(mixed.GetChild(1)->DecodeContent(), "%PDF-1.4\n");

    CMimePart related;
    related.Parse(corpus[6].text.data(), corpus[6].text.size());
    EXPECT_EQ(S(related.GetChild(1)->m_header.m_strContentId), "logo@example.jp");
    EXPECT_EQ(related.GetChild(1)->DecodeContent(), "\x89PNG\r\n\x1a\n");

    CMimePart forwarded;
    forwarded.Parse(corpus[7].text.data(), corpus[7].text.size());
    const CMimePart* inner = forwarded.GetChild(1)->GetChild(0);
    EXPECT_EQ(S(inner->m_header.m_strSubject), "inner");
    EXPECT_EQ(std::string(inner->GetBody(), inner->GetBodyLength()), "inner body");
}

TEST(MailCorpus, DeepNestingIsBoundedAndKeptAsText)
{
    const int kLevels = 10000;
    std::string text;
    std::string tail;
    for (int i = 0; i < kLevels; ++i) {
        std::string b = "b" + std::to_string(i);
        text += "Content-Type: multipart/mixed; boundary=" + b + "\r\n\r\n--" + b + "\r\n";
    }
    text += "Content-Type: text/plain\r\n\r\nleaf\r\n";
    for (int i = kLevels - 1; i >= 0; --i)
        text += "--b" + std::to_string(i) + "--\r\n";

    CMimePart root;
    ASSERT_TRUE(root.Parse(text.data(), text.size()));
    const CMimePart* p = &root;
    int depth = 0;
    while (p->GetChildCount()) {
        p = p->GetChild(0);
        ++depth;
    }
    EXPECT_LT(depth, CMimePart::kMaxDepth);
    EXPECT_TRUE(p->IsDepthLimited());
    // The rest of the tree stays in that part's body.
    std::string rest(p->GetBody(), p->GetBodyLength());
    EXPECT_NE(rest.find("leaf"), std::string::npos);
}
