// What the mail list shows: sizes, column and sort rules, colours, weights,
// row texts and the senders as each address type shows and sorts them.
#include "mainwnd/MailListFormat.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"
#include "store/StoreText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace MailListFormat;

TEST(MailListFormat, SizesAreCutToOneDecimalNotRounded)
{
    struct Case { int64_t bytes; const char* text; } cases[] = {
        { 0, "0 B" },           { 1023, "1023 B" },       { 1024, "1.0 KB" },      { 1536, "1.5 KB" },
        { 1639, "1.6 KB" },     { 1048575, "1023.9 KB" }, { 1048576, "1.0 MB" },   { 5767168, "5.5 MB" },
        { 10485759, "9.9 MB" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatSize(c.bytes), CString(c.text)) << c.bytes;
}

TEST(MailListFormat, DefaultColumnsAndWidths)
{
    const char* headers[] = { " ", "件名", "差出人", "送信日時", "受信日時", "サイズ" };
    const char* keys[] = { nullptr, "ListWidthSubject", "ListWidthSender", "ListWidthDate", "ListWidthRevDate", "ListWidthSize" };
    int widths[] = { 19, 214, 120, 100, 100, 50 };
    for (int i = 0; i < columnCount; ++i) {
        EXPECT_STREQ(Column(i).header, headers[i]);
        EXPECT_EQ(Column(i).defaultWidth, widths[i]);
        if (keys[i]) {
            EXPECT_STREQ(Column(i).widthKey, keys[i]);
        }
    }
    EXPECT_EQ(IconColumnWidth(true, true), 35);
    EXPECT_EQ(IconColumnWidth(true, false), 27);
    EXPECT_EQ(IconColumnWidth(false, false), 19);
    EXPECT_STREQ(SenderHeader(true), "宛先");
    EXPECT_STREQ(SenderHeader(false), "差出人");
}

// Without stored widths the dates and the size get the room their widest
// texts need in the list's font; the free-text columns keep their defaults.
TEST(MailListFormat, FixedFormColumnsStartWideEnoughForTheirTexts)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontA(-30, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "MS UI Gothic");
    HGDIOBJ old = SelectObject(dc, font);
    const char* format = "%Y/%m/%d %H:%M:%S";
    auto extent = [&](const char* text) {
        SIZE size = {};
        GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
        return static_cast<int>(size.cx);
    };
    for (int column : { 3, 4 })
        EXPECT_GE(DefaultColumnWidth(column, dc, format), extent("2000/12/28 20:58:58") + 6) << column;
    EXPECT_GE(DefaultColumnWidth(5, dc, format), extent("1023.9 KB") + 6);
    EXPECT_EQ(DefaultColumnWidth(1, dc, format), 214);
    EXPECT_EQ(DefaultColumnWidth(2, dc, format), 120);
    // A user's format with more in it gets more room.
    EXPECT_GT(DefaultColumnWidth(3, dc, "%Y年%m月%d日 %H時%M分%S秒"), DefaultColumnWidth(3, dc, format));
    EXPECT_EQ(DefaultColumnsWidth(dc, format),
              35 + 214 + 120 + 2 * DefaultColumnWidth(3, dc, format) + DefaultColumnWidth(5, dc, format));
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    // Nothing to measure with: the defaults.
    EXPECT_EQ(DefaultColumnWidth(3, nullptr, format), 100);
    EXPECT_EQ(DefaultColumnWidth(5, nullptr, format), 50);
}

TEST(MailListFormat, HeaderClicksChooseSortItemsAndSecondClickReverses)
{
    // column, outgoing folder, shift -> sort item
    struct Case { int column; bool showTo; bool shift; int item; } cases[] = {
        { 0, false, false, 0 }, { 1, false, false, 1 }, { 1, false, true, 9 }, { 2, false, false, 2 },
        { 2, true, false, 6 },  { 2, false, true, 13 }, { 3, false, false, 3 }, { 4, false, false, 4 },
        { 5, false, false, 5 }, { 6, false, false, -1 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ColumnToSortItem(c.column, c.showTo, c.shift), c.item) << c.column;

    struct Mark { int item; int column; } marks[] = {
        { -1, 0 }, { 0, 0 }, { 1, 1 }, { 9, 1 }, { 2, 2 }, { 6, 2 }, { 13, 2 }, { 3, 3 }, { 4, 4 }, { 5, 5 },
        { 7, -1 }, { 8, -1 }, { 12, -1 },
    };
    for (const Mark& m : marks)
        EXPECT_EQ(SortItemToHeaderColumn(m.item), m.column) << m.item;

    int item = 4, mode = 0;
    ApplyColumnClick(1, item, mode);  // another column keeps the direction
    EXPECT_EQ(item, 1);
    EXPECT_EQ(mode, 0);
    ApplyColumnClick(1, item, mode);  // the same column reverses it
    EXPECT_EQ(mode, 1);
    ApplyColumnClick(1, item, mode);
    EXPECT_EQ(mode, 0);

    EXPECT_EQ(SortItemForFolder(2, true), 6);
    EXPECT_EQ(SortItemForFolder(6, false), 2);
    EXPECT_EQ(SortItemForFolder(4, true), 4);
    int widths[] = { 35, 214, 120 };
    EXPECT_EQ(ColumnAtX(widths, 3, 0), 0);
    EXPECT_EQ(ColumnAtX(widths, 3, 35), 1);
    EXPECT_EQ(ColumnAtX(widths, 3, 368), 2);
    EXPECT_EQ(ColumnAtX(widths, 3, 369), -1);
    for (int kind : { 2, 3, 5, 6, 10 })
        EXPECT_TRUE(IsOutgoingKind(kind)) << kind;
    for (int kind : { 0, 1, 4 })
        EXPECT_FALSE(IsOutgoingKind(kind)) << kind;
}

// After a delete the newer neighbour is chosen: below the deleted row in
// ascending order (and thread display), above it in descending order.
TEST(MailListFormat, TheNewerNeighbourIsChosenAfterADelete)
{
    struct Case { int current, deletedAbove; bool ascending; int left, row; } cases[] = {
        { 3, 1, true, 9, 3 },    // ascending: the mail that was below moved up into the row
        { 3, 1, false, 9, 2 },   // descending: the row above
        { 5, 3, true, 7, 3 },    // three selected rows at or above the focused one
        { 9, 1, true, 9, 8 },    // the last row deleted: the new last row
        { 0, 1, false, 4, 0 },   // the first row deleted in descending order
        { 2, 1, true, 0, -1 },   // nothing left
    };
    for (const Case& c : cases)
        EXPECT_EQ(MailListFormat::RowAfterDelete(c.current, c.deletedAbove, c.ascending, c.left), c.row)
            << c.current << " " << c.deletedAbove << " " << c.ascending;
}

// Tree lines of a thread: a root, its replies and a reply to a reply.
TEST(MailListFormat, ThreadLinesJoinEachReplyToItsParent)
{
    // Levels of the view:   root, reply, reply-to-reply, reply, next root.
    const std::vector<int> levels = { 0, 1, 2, 1, 0 };
    auto levelOf = [&](int r) { return levels[static_cast<size_t>(r)]; };
    const int n = static_cast<int>(levels.size());
    struct Case { int row; std::vector<ThreadLine> lines; } cases[] = {
        { 0, {} },
        { 1, { lineBranch } },               // another reply follows
        { 2, { lineThrough, lineLast } },    // the parent's line goes on to the next reply
        { 3, { lineLast } },
        { 4, {} },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ThreadLines(levelOf, n, c.row), c.lines) << c.row;
    // A thread that ends at the last row.
    const std::vector<int> tail = { 0, 1, 2 };
    auto tailOf = [&](int r) { return tail[static_cast<size_t>(r)]; };
    EXPECT_EQ(ThreadLines(tailOf, 3, 2), (std::vector<ThreadLine>{ lineNone, lineLast }));
}

TEST(MailListFormat, RowColoursFollowLabelReadStateSelectionAndFocus)
{
    ListColors c = { 0xF6BCA6, 0x000000, 0x0000FF, 0x800000, 0xFFFFFF, 0x808080 };
    struct Case { int label; COLORREF own; bool read, selected, focused; COLORREF back, text; } cases[] = {
        { 0, 0, true, false, false, 0xF6BCA6, 0x000000 },     // read mail
        { 0, 0, false, false, false, 0xF6BCA6, 0x0000FF },    // unread mail
        { 12, 0, false, false, false, 0xF6BCA6, 0x0000FF },   // 淡赤 whatever the state
        { 1, 0, true, false, false, 0xF6BCA6, 0x7F0000 },     // 濃青
        { 99, 0x123456, true, false, false, 0xF6BCA6, 0x123456 },
        { 0, 0, true, true, true, 0x800000, 0xFFFFFF },       // system highlight
        { 99, 0x123456, true, true, true, 0x123456, 0x123456 ^ 0xFFFFFF },
        { 14, 0, true, true, true, 0x00FFFF, 0xFF0000 },      // 黄: blue text
        { 15, 0, true, true, true, 0xFFFFFF, 0x000000 },      // 白: black text
        { 3, 0, true, true, true, 0x7F7F00, 0xFFFFFF },
        { 3, 0, true, true, false, 0x808080, 0xFFFFFF },      // selected without focus
    };
    for (const Case& k : cases) {
        RowColors r = RowColorsFor(k.label, k.own, k.read, k.selected, k.focused, c);
        EXPECT_EQ(r.back, k.back) << k.label;
        EXPECT_EQ(r.text, k.text) << k.label;
    }
    EXPECT_STREQ(LabelName(5), "濃マゼンダ");
    EXPECT_EQ(LabelColor(16), 0x000000u);
    EXPECT_EQ(LabelColor(17), 0u);
}

TEST(MailListFormat, UnreadRowsAreBoldOnlyWhenBothTextColoursAgree)
{
    ListColors same = { 0, 0x111111, 0x111111, 0, 0, 0 };
    ListColors apart = { 0, 0x111111, 0x0000FF, 0, 0, 0 };
    EXPECT_EQ(UnreadFontWeight(same, 0), FW_BOLD);
    EXPECT_EQ(ReadFontWeight(same, 0), FW_NORMAL);
    EXPECT_EQ(UnreadFontWeight(apart, 0), 0);
    EXPECT_EQ(ReadFontWeight(apart, 300), 300);
    // Twips to pixels plus 4, even.
    EXPECT_EQ(RowHeight(220, 96), 18);
    EXPECT_EQ(RowHeight(180, 96), 16);
    EXPECT_EQ(RowHeight(200, 120), 20);
}

TEST(MailListFormat, AddressesAsTheAddressTypeShowsThem)
{
    struct Case { const char* entry; int type; const char* shown; } cases[] = {
        { "山田 太郎 <taro@example.jp>", 0, "山田 太郎 <taro@example.jp>" },
        { "山田 太郎 <taro@example.jp>", 3, "山田 太郎" },
        { "山田 太郎 <taro@example.jp>", 4, "taro@example.jp" },
        { "taro@example.jp", 3, "taro@example.jp" },
        { "\"Taro\" <taro@example.jp>", 1, "Taro <taro@example.jp>" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(AddressForType(c.entry, c.type), CString(c.shown)) << c.entry << " " << c.type;
}

TEST(MailListFormat, ShownSendersAreSortedAsTheyAreDrawnInEveryAddressType)
{
    // Two of the four senders are in the address book under other names.
    struct Book
    {
        static bool Find(const char* address, CString& name)
        {
            name = CString(address) == "z@example.jp" ? "Aoki" : CString(address) == "c@example.jp" ? "Chiba" : "";
            return !name.IsEmpty();
        }
    };
    const char* froms[] = {"Zeta <z@example.jp>", "\"Beta\" <b@example.jp>", "c@example.jp", "d@example.jp"};
    TestSupport::TempDir dir;
    CMailListData list;
    list.SetFilePath(dir.File("Index.lst"));
    for (int i = 0; i < 4; ++i) {
        CMailIndexRecord r;
        r.m_nDataOffset = i * 10;
        r.m_nDataLength = 10;
        r.SetText(CMailIndexRecord::colFrom, froms[i]);
        r.SetText(CMailIndexRecord::colDate, "2024/05/01 10:00:00 +0900");
        list.AppendRecord(&r);
    }
    ASSERT_TRUE(list.ReadFromFile());

    struct Case
    {
        int type;
        bool book;
        std::vector<CString> drawn;  // by record
        const char* order;           // records sorted ascending on the shown sender
    } cases[] = {
        {0, true, {"Zeta <z@example.jp>", "\"Beta\" <b@example.jp>", "c@example.jp", "d@example.jp"}, "1023"},
        {1, false, {"Zeta <z@example.jp>", "Beta <b@example.jp>", "c@example.jp", "d@example.jp"}, "1023"},
        {1, true, {"Aoki <z@example.jp>", "Beta <b@example.jp>", "Chiba <c@example.jp>", "d@example.jp"}, "0123"},
        {2, false, {"z@example.jp (Zeta)", "b@example.jp (Beta)", "c@example.jp", "d@example.jp"}, "1023"},
        {2, true, {"z@example.jp (Aoki)", "b@example.jp (Beta)", "c@example.jp (Chiba)", "d@example.jp"}, "0123"},
        {3, true, {"Zeta", "Beta", "c@example.jp", "d@example.jp"}, "1023"},
        {4, true, {"z@example.jp", "b@example.jp", "c@example.jp", "d@example.jp"}, "1230"},
    };
    bool lastBook = true;
    for (const Case& c : cases) {
        StoreText::SetAddressBookLookup(c.book ? &Book::Find : nullptr);
        RowTextOptions o;
        o.nAddressType = c.type;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(RowText(*list.GetMailRecord(i), 2, o), c.drawn[static_cast<size_t>(i)]) << c.type << c.book << i;
        // Another address type sorts again by itself; another address book
        // is the caller's to sort for.
        list.Sort(13, TRUE, FALSE, c.type, c.book != lastBook);
        lastBook = c.book;
        std::string order;
        for (int row = 0; row < list.GetViewCount(); ++row)
            order += static_cast<char>('0' + list.GetViewIndex(row));
        EXPECT_EQ(order, c.order) << c.type << c.book;
    }
    StoreText::SetAddressBookLookup(nullptr);
}

TEST(MailListFormat, RowTextsOfARecord)
{
    CMailIndexRecord r;
    r.SetText(CMailIndexRecord::colSubject, "[ml:12] 会議のお知らせ");
    r.SetText(CMailIndexRecord::colFrom, "佐藤 花子 <hanako@example.jp>");
    r.SetText(CMailIndexRecord::colTo, "一郎 <ichiro@example.jp>, 次郎 <jiro@example.jp>");
    r.m_nTotalSize = 1536;
    RowTextOptions o;
    EXPECT_EQ(RowText(r, 0, o), CString("       "));
    EXPECT_EQ(RowText(r, 1, o), CString("[ml:12] 会議のお知らせ"));
    EXPECT_EQ(RowText(r, 2, o), CString("佐藤 花子 <hanako@example.jp>"));
    EXPECT_EQ(RowText(r, 5, o), CString("1.5 KB"));
    o.bHideTag = true;
    EXPECT_EQ(RowText(r, 1, o), CString("会議のお知らせ"));
    o.bShowTo = true;
    o.nAddressType = 3;
    EXPECT_EQ(RowText(r, 2, o), CString("一郎, 次郎"));
    // Own mails show their recipients when asked to.
    RowTextOptions own;
    own.bOwnMailTo = true;
    r.m_nFlags = CMailIndexRecord::flagFromAccount;
    EXPECT_EQ(RowText(r, 2, own), CString("一郎 <ichiro@example.jp>, 次郎 <jiro@example.jp>"));
}
