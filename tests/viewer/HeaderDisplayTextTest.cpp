// What the header displays show: the header window's text without the
// program's leading account lines, and the menus of the clickable fields.
#include "message/MailMessage.h"
#include "viewer/HeaderDisplayText.h"
#include "viewer/HeaderTextCtrl.h"

#include <gtest/gtest.h>

TEST(HeaderDisplayTextTest, OnlyLeadingAccountLinesAreSkipped)
{
    struct Case { const char* header; const char* shown; } cases[] = {
        {"X-ReceiveAcount: main\r\nReceived: from a\r\nSubject: s\r\n", "Received: from a\r\nSubject: s\r\n"},
        {"QM0001\r\nX-SendAcount: x\r\nFrom: a\r\n", "From: a\r\n"},
        {"From: a\r\nX-SendAcount: x\r\n", "From: a\r\nX-SendAcount: x\r\n"},  // after the first other line it stays
        {"X-ReceiveAcount: a\r\nX-SendAcount: b\r\n", ""},                      // nothing but lines to skip
        {"X-ReceiveAcount: no line end", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CHeaderDisplayText::SkipAccountLines(c.header), c.shown) << c.header;
}

TEST(HeaderDisplayTextTest, FieldMenusFollowTheKindOfTheField)
{
    CMailMessage message;
    message.ParseHeaderText("Received: from relay\r\nFrom: Taro <taro@example.jp>\r\nTo: a@example.jp, "
                            "\"B, Hanako\" <b@example.jp>\r\nSubject: hello\r\nDate: Wed, 01 May 2024 09:00:00 +0900\r\n"
                            "X-ReceiveAcount: main\r\nX-Mailer: test\r\n\r\n");
    auto texts = [&](int kind) {
        std::vector<std::string> out;
        for (const auto& item : CHeaderDisplayText::FieldMenu(message, kind))
            out.push_back(item.text + (item.bAddress ? " [address]" : ""));
        return out;
    };
    EXPECT_EQ(texts(CHeaderDisplayText::kindOther),
              (std::vector<std::string>{"Subject\thello", "X-Mailer\ttest"}));
    EXPECT_EQ(texts(CHeaderDisplayText::kindDate), (std::vector<std::string>{"Date\tWed, 01 May 2024 09:00:00 +0900"}));
    EXPECT_EQ(texts(CHeaderDisplayText::kindTo),
              (std::vector<std::string>{"From\tTaro <taro@example.jp> [address]", "To\ta@example.jp [address]",
                                        "To\t\"B, Hanako\" <b@example.jp> [address]"}));
    EXPECT_TRUE(texts(CHeaderDisplayText::kindNone).empty());
}

TEST(HeaderDisplayTextTest, LongValuesAreCutInto82ByteItemsNeverInsideACharacter)
{
    CMailMessage message;
    message.ParseHeaderText(("Subject: " + std::string(200, 'x') + "\r\n\r\n").c_str());
    auto items = CHeaderDisplayText::FieldMenu(message, CHeaderDisplayText::kindOther);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].text, "Subject\t" + std::string(82, 'x'));
    EXPECT_EQ(items[1].text, "\t" + std::string(82, 'x'));
    EXPECT_EQ(items[2].value, std::string(36, 'x'));

    // 41 double-byte characters and one more: the cut falls between them.
    std::string kanji;
    for (int i = 0; i < 42; ++i)
        kanji += "漢";
    auto pieces = CHeaderDisplayText::CutValue("a" + kanji, 82);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].size(), 81u);
    EXPECT_EQ(pieces[1], "漢漢");
}

TEST(HeaderDisplayTextTest, HeaderFieldTakesPlainTextOnlyWhereNoOtherFontIsNeeded)
{
    struct Case { const char* charset; const char* text; bool rich; bool fontSet; bool plain; } cases[] = {
        {"EUC-KR", "x", true, true, false},
        {"us-ascii", "x", true, true, true},
        {"ISO-2022-JP", "x", true, true, true},
        {"", "x", true, true, true},
        {"EUC-KR", "", true, true, true},
        {"EUC-KR", "x", false, true, true},  // the plain edit kind
        {"EUC-KR", "x", true, false, true},  // no font set for the charset
    };
    for (const Case& c : cases)
        EXPECT_EQ(CHeaderTextCtrl::TakesPlainText(c.charset, c.text, c.rich, c.fontSet), c.plain) << c.charset;
    EXPECT_EQ(CHeaderTextCtrl::WideText("\xC7\xD1", HANGUL_CHARSET), L"\xD55C");
    EXPECT_EQ(CHeaderTextCtrl::WideText("あ", SHIFTJIS_CHARSET), L"\x3042");
}
