// The numbers of printing: the header block, separator lines, the page
// geometry from margins in millimetres, pages and footers, and the print
// settings dialog's macro list.
#include "viewer/DlgPrintSetting.h"
#include "viewer/PrintHeaderText.h"
#include "viewer/TextPagination.h"

#include <gtest/gtest.h>

TEST(PrintLayoutTest, SeparatorLinesRepeatTheSeparatorWhole)
{
    struct Case { int count; const char* sep; const char* line; } cases[] = {
        {3, "=", "===\r\n"},
        {2, "-+", "-+-+\r\n"},
        {40, "=", nullptr},
        {0, "-", nullptr},  // saving: always 74 "="
    };
    for (const Case& c : cases) {
        std::string line = CPrintHeaderText::SeparatorLine(c.count, c.sep);
        if (c.line)
            EXPECT_EQ(line, c.line);
        else
            EXPECT_EQ(line, std::string(c.count ? 40 : 74, '=') + "\r\n");
    }
    EXPECT_EQ(CPrintHeaderText::SeparatorCount(410, 9), 41);
    EXPECT_EQ(CPrintHeaderText::SeparatorCount(0, 9), 0);
}

TEST(PrintLayoutTest, HeaderBlockHasAnAttachmentLineOnlyWithAttachments)
{
    std::string sep = CPrintHeaderText::SeparatorLine(3, "=");
    EXPECT_EQ(CPrintHeaderText::Compose(sep, " 件名： a\r\n", ""), "===\r\n 件名： a\r\n\r\n===\r\n\r\n");
    std::string attach = CPrintHeaderText::AttachmentLine({"a.txt", "表.pdf"});
    EXPECT_EQ(attach, " 添付ファイル：a.txt, 表.pdf");
    EXPECT_EQ(CPrintHeaderText::Compose(sep, " 件名： a\r\n", attach),
              "===\r\n 件名： a\r\n\r\n 添付ファイル：a.txt, 表.pdf\r\n===\r\n\r\n");
    EXPECT_EQ(CPrintHeaderText::AttachmentLine({}), "");
    EXPECT_EQ(CPrintHeaderText::FileNameOfSubject("Re: a/b?<c>表"), "Re_ a_b__c_表");
}

TEST(PrintLayoutTest, PageGeometryFromMillimetres)
{
    PrintPageMetrics a4 = {600, 600, 4960, 7016};
    struct Case {
        PrintSettings settings;
        int width, pitch, top, left, lowest, perPage;
    } cases[] = {
        // 600 / 25 = 24 pixels a millimetre unit: 20 mm margins are 480 pixels.
        {{10, 20, 20, 20, 20, 0}, 4960 - 960, 83 + 2, 480, 480, 7016 - 480, (7016 - 480 - 480) / 85 + 1},
        {{10, 20, 20, 20, 20, 2}, 4960 - 960, 83 + 48 + 2, 480, 480, 7016 - 480, (7016 - 960) / 133 + 1},
        {{12, 10, 30, 15, 25, 0}, 4960 - 960, 100 + 2, 360, 240, 7016 - 600, (7016 - 600 - 360) / 102 + 1},
    };
    for (const Case& c : cases) {
        CTextPagination p(a4, c.settings);
        EXPECT_EQ(p.PrintableWidth(), c.width);
        EXPECT_EQ(p.LinePitch(), c.pitch);
        EXPECT_EQ(p.TextTop(), c.top);
        EXPECT_EQ(p.TextLeft(), c.left);
        EXPECT_EQ(p.LowestTop(), c.lowest);
        EXPECT_EQ(p.LinesPerPage(), c.perPage);
    }
}

TEST(PrintLayoutTest, PagesAndFooters)
{
    CTextPagination p({600, 600, 4960, 7016}, PrintSettings());
    const int per = p.LinesPerPage();
    struct Case { int lines; int pages; } cases[] = {{0, 1}, {1, 1}, {per, 1}, {per + 1, 2}, {3 * per, 3}};
    for (const Case& c : cases)
        EXPECT_EQ(p.PageCount(c.lines), c.pages) << c.lines;
    EXPECT_EQ(p.FirstLineOfPage(1), 0);
    EXPECT_EQ(p.FirstLineOfPage(3), 2 * per);
    EXPECT_EQ(CTextPagination::Footer(1), "- 1 -");
    EXPECT_EQ(CTextPagination::Footer(12), "- 12 -");
    EXPECT_EQ(p.FooterTop(), 7016 - 83 - 2);
}

TEST(PrintLayoutTest, MacroListRunsSomeMacrosOnOneLine)
{
    CString text = CDlgPrintSetting::MacroListText();
    EXPECT_EQ(text.Find("%SUBJECT% (件名)\r\n%NHSUBJECT%"), 0);
    EXPECT_NE(text.Find("%TO% (宛先)\t\t\t%CC% (CCの宛先)\r\n"), -1);
    EXPECT_NE(text.Find("%DATETIME% (現在の日時)\t\t%DATE% (現在の日付)\t%TIME% (現在の時間)\r\n"), -1);
    EXPECT_NE(text.Find("%RECDATETIME% (受信日時)\t\t%RECDATE% (受信日)\t%RECTIME%"), -1);
    CString tail = "%TZONE% (このマシンのタイムゾーンの値)\r\n";
    EXPECT_EQ(text.Right(tail.GetLength()), tail);
}
