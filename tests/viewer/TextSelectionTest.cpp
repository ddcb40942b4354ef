// Selection, word groups and find of the colour text view, on known lines.
#include "viewer/TextSelection.h"

#include <gtest/gtest.h>

namespace {

std::vector<CTextLine> Lines(std::initializer_list<std::pair<const char*, bool>> list)
{
    std::vector<CTextLine> lines;
    for (auto& l : list)
        lines.push_back({l.first, l.second});
    return lines;
}

// A fixed 6-pixel font: the column under a point is plain arithmetic.
int Measure(const std::string&, int n)
{
    return n * 6;
}

} // namespace

TEST(TextSelectionTest, SelectedTextBreaksOnlyAtHardLineEnds)
{
    // "abcdef" was one source line wrapped after "abc".
    auto lines = Lines({{"abc", true}, {"def", false}, {"ghi", false}, {"", false}, {"jkl", false}});
    struct Case { TextPos a, b; const char* text; } cases[] = {
        {{0, 1}, {0, 3}, "bc"},
        {{0, 1}, {1, 2}, "bcde"},                 // no break at the wrap
        {{1, 1}, {2, 2}, "ef\r\ngh"},
        {{0, 0}, {4, 3}, "abcdef\r\nghi\r\n\r\njkl"},
        {{2, 2}, {2, 2}, ""},                     // empty
        {{2, 3}, {2, 1}, ""},                     // end before start on one line is empty
    };
    for (const Case& c : cases) {
        CTextSelection sel;
        sel.m_start = c.a;
        sel.m_end = c.b;
        EXPECT_EQ(sel.GetText(lines), c.text) << c.a.nLine << "," << c.a.nCol;
    }
}

TEST(TextSelectionTest, DragUpwardsEndsInOrderAndSelectAllCoversEverything)
{
    auto lines = Lines({{"first line", false}, {"second line", false}, {"third", false}});
    CTextSelection sel;
    sel.m_anchor = {1, 6};
    sel.DragTo({0, 3});
    EXPECT_EQ(sel.m_start, (TextPos{0, 3}));
    EXPECT_EQ(sel.m_end, (TextPos{1, 6}));
    EXPECT_EQ(sel.GetText(lines), "st line\r\nsecond");
    sel.DragTo({1, 2});  // same line, to the left of the anchor
    EXPECT_EQ(sel.GetText(lines), "cond");

    sel.SelectAll(lines);
    EXPECT_EQ(sel.GetText(lines), "first line\r\nsecond line\r\nthird");
    sel.Clear();
    EXPECT_TRUE(sel.IsEmpty());
    EXPECT_EQ(sel.GetText(lines), "");
}

TEST(TextSelectionTest, ColumnUnderAPointNeverSplitsACharacter)
{
    const std::string text = "ab漢字c";
    struct Case { int x; int col; } cases[] = {
        {0, 0}, {11, 0}, {12, 1}, {17, 1}, {18, 2}, {25, 4}, {31, 4}, {40, 6}, {500, 7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CTextSelection::ColumnAt(text, c.x, Measure), c.col) << "x=" << c.x;
}

TEST(TextSelectionTest, DoubleClickSelectsTheWordGroupOfItsCharacterClass)
{
    struct Case { const char* text; int col; const char* word; } cases[] = {
        {"hello world", 2, "hello"},
        {"hello world", 5, " "},
        {"foo-bar_baz qux", 4, "foo-bar_baz"},
        {"メールボックスを開く", 4, "メールボックス"},   // the prolonged sound mark stays in the katakana run
        {"これはテストです", 2, "これは"},
        {"漢字とかな", 0, "漢字"},
        {"ｶﾀｶﾅabc def", 1, "ｶﾀｶﾅabc"},             // single-byte katakana are class 1 with letters
        {"「引用」", 0, "「"},                       // each double-byte symbol is a group of its own
        {"a, b", 1, ", "},
        {"ab｡cd", 2, "｡"},                          // 0xA1 always starts a new group
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        int from = 0, to = 0;
        CTextSelection::WordAt(text, c.col, &from, &to);
        EXPECT_EQ(text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from)), c.word) << c.text;
    }
}

TEST(TextSelectionTest, FindGoesDownAndUpWithCaseOptions)
{
    auto lines = Lines({{"Mail from Taro", false}, {"mail to hanako", false}, {"ＭＡＩＬ全角 MAIL", false}});
    // Offsets run over the lines without line ends: 0..13, 14..27, 28..
    struct Case { const char* what; bool down; bool matchCase; long long last; bool found; int line; int col; } cases[] = {
        {"mail", true, false, -1, true, 0, 0},
        {"mail", true, true, -1, true, 1, 0},
        {"mail", true, false, 0, true, 1, 0},
        {"mail", true, false, 14, true, 2, 13},     // full-width letters are not folded
        {"mail", true, false, 41, false, 0, 0},
        {"mail", false, false, 41, true, 1, 0},
        {"mail", false, false, 14, true, 0, 0},
        {"mail", false, false, 0, false, 0, 0},
        {"mail", false, false, -1, false, 0, 0},   // up from the top finds nothing
        {"ＭＡＩＬ", true, false, -1, true, 2, 0},
        {"", true, false, -1, false, 0, 0},
    };
    for (const Case& c : cases) {
        TextFindHit hit;
        bool found = CTextSelection::Find(lines, c.what, c.down, c.matchCase, c.last, hit);
        EXPECT_EQ(found, c.found) << c.what << " " << c.last;
        if (found && c.found) {
            EXPECT_EQ(hit.nLine, c.line) << c.what << " " << c.last;
            EXPECT_EQ(hit.nCol, c.col) << c.what << " " << c.last;
        }
    }
}

TEST(TextSelectionTest, FindNeverMatchesAcrossADoubleByteCharacter)
{
    // The second byte of "ソ" is 0x5C, a backslash.
    auto lines = Lines({{"ソ\\", false}});
    TextFindHit hit;
    ASSERT_TRUE(CTextSelection::Find(lines, "\\", true, true, -1, hit));
    EXPECT_EQ(hit.nCol, 2);
}
