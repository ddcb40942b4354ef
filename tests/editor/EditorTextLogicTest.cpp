// The window-less text work behind the editor's controls: quote colouring,
// counts, the undo journal, find and replace, and the address fields'
// completion and appending.
#include "editor/AddressCompletion.h"
#include "editor/AddressEdit.h"
#include "editor/EditTextCounts.h"
#include "editor/EditTextSearch.h"
#include "editor/EditUndoJournal.h"
#include "editor/QuoteColouring.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kHeader1[] = ">, >,|, |";
const char kHeader2[] = ">>, >>,||, ||,> >, > >";

TEST(QuoteColouringTest, OneLevelColoursOnlyLinesBeginningWithTheMark)
{
    CQuoteColouring c;
    c.Set(true, false, ">", kHeader1, kHeader2);
    c.SetColours(RGB(1, 1, 1), RGB(0, 0, 0xFF), RGB(0, 0, 0x7F));
    struct
    {
        const char* line;
        int level;
    } cases[] = {
        {">引用です", 1}, {"> 引用です", 1}, {">>二重", 1}, {" >先頭に空白", 0}, {"|縦棒", 0}, {"本文", 0}, {"", 0},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(c.LevelOf(k.line), k.level) << k.line;
        EXPECT_EQ(c.ColourOf(k.line), k.level ? RGB(0, 0, 0xFF) : RGB(1, 1, 1)) << k.line;
    }
}

TEST(QuoteColouringTest, TwoLevelsTryTheSecondLevelPrefixesFirst)
{
    CQuoteColouring c;
    c.Set(true, true, ">", kHeader1, kHeader2);
    c.SetColours(0, RGB(0, 0, 0xFF), RGB(0, 0, 0x7F));
    struct
    {
        const char* line;
        int level;
    } cases[] = {
        {">>二重", 2}, {"> > 二重", 2}, {"||二重", 2}, {"|縦棒", 1}, {" >空白", 1}, {">一重", 1}, {"本文>", 0},
    };
    for (const auto& k : cases)
        EXPECT_EQ(c.LevelOf(k.line), k.level) << k.line;
    EXPECT_EQ(c.ColourOf(">>x"), RGB(0, 0, 0x7F));
}

TEST(QuoteColouringTest, OffOrEmptyMarkColoursNothingAndOnlyTheLineHeadCounts)
{
    CQuoteColouring c;
    c.Set(false, false, ">", kHeader1, kHeader2);
    EXPECT_EQ(c.LevelOf(">x"), 0);
    c.Set(true, false, "", kHeader1, kHeader2);
    EXPECT_EQ(c.LevelOf(">x"), 0);
    // A mark longer than the compared head never matches.
    c.Set(true, false, std::string(300, '#').c_str(), "", "");
    EXPECT_EQ(c.LevelOf(std::string(400, '#').c_str()), 0);
}

TEST(EditTextCountsTest, FullWidthCountRoundsUpAndCaretTextCountsFromOneAndZero)
{
    struct
    {
        int bytes, count;
    } cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}};
    for (const auto& k : cases)
        EXPECT_EQ(FullWidthCount(k.bytes), k.count) << k.bytes;
    EXPECT_STREQ(FormatFullWidthCount(3), "全角2文字");
    EXPECT_STREQ(FormatCaretPosition(1, 0), " 1行、0列");
}

// The journal driven as the control drives it: a record after each change.
struct Typed
{
    std::wstring text;
    CEditUndoJournal journal;
    void Start(const std::wstring& t)
    {
        text = t;
        journal.Clear();
        journal.Record(text, 0, 0, 0);
    }
    void Replace(size_t at, size_t n, const std::wstring& with)
    {
        text.replace(at, n, with);
        int caret = static_cast<int>(at + with.size());
        journal.Record(text, caret, caret, 0);
    }
    bool Apply(bool redo)
    {
        CEditUndoJournal::Change c;
        if (!(redo ? journal.Redo(text, c) : journal.Undo(text, c)))
            return false;
        text.replace(static_cast<size_t>(c.nStart), static_cast<size_t>(c.nEnd - c.nStart), c.text);
        return true;
    }
};

TEST(EditUndoJournalTest, UndoStepsBackThroughTypedChangesAndRedoForward)
{
    Typed t;
    t.Start(L"一行目\r二行目\r三行目");
    EXPECT_FALSE(t.Apply(false));  // a single step: nothing to undo
    t.Replace(4, 0, L"追加");       // 二行目 -> 追加二行目
    t.Replace(0, 1, L"");           // 一行目 -> 行目
    t.Replace(t.text.size(), 0, L"\r四行目");
    const std::wstring v0 = L"一行目\r二行目\r三行目";
    const std::wstring v1 = L"一行目\r追加二行目\r三行目";
    const std::wstring v2 = L"行目\r追加二行目\r三行目";
    const std::wstring v3 = v2 + L"\r四行目";
    ASSERT_EQ(t.text, v3);
    ASSERT_TRUE(t.Apply(false));
    EXPECT_EQ(t.text, v2);
    ASSERT_TRUE(t.Apply(false));
    EXPECT_EQ(t.text, v1);
    ASSERT_TRUE(t.Apply(false));
    EXPECT_EQ(t.text, v0);
    EXPECT_FALSE(t.Apply(false));
    ASSERT_TRUE(t.Apply(true));
    EXPECT_EQ(t.text, v1);
    ASSERT_TRUE(t.Apply(true));
    EXPECT_EQ(t.text, v2);
    ASSERT_TRUE(t.Apply(true));
    EXPECT_EQ(t.text, v3);
    EXPECT_FALSE(t.Apply(true));
}

TEST(EditUndoJournalTest, ATypedChangeAfterUndoDropsTheRedoStepsAndUndoesRight)
{
    Typed t;
    t.Start(L"abc\rdef");
    t.Replace(1, 0, L"X");  // aXbc
    t.Replace(6, 0, L"Y");  // aXbc\rdYef
    ASSERT_TRUE(t.Apply(false));
    EXPECT_EQ(t.text, L"aXbc\rdef");
    t.Replace(0, 0, L"Z");  // ZaXbc\rdef
    EXPECT_FALSE(t.journal.CanRedo());
    ASSERT_TRUE(t.Apply(false));
    EXPECT_EQ(t.text, L"aXbc\rdef");
    ASSERT_TRUE(t.Apply(false));
    EXPECT_EQ(t.text, L"abc\rdef");
}

TEST(EditTextSearchTest, FindAndReplaceWithAndWithoutLetterCase)
{
    std::wstring text = L"Aの件とaの件とAです";
    EXPECT_EQ(FindInText(text, L"a", 0, true), 4);
    EXPECT_EQ(FindInText(text, L"a", 0, false), 0);
    EXPECT_EQ(FindInText(text, L"a", 1, false), 4);
    EXPECT_EQ(FindInText(text, L"件と", 3, true), 6);
    EXPECT_EQ(FindInText(text, L"ない", 0, false), -1);
    EXPECT_EQ(FindInText(text, L"", 0, false), -1);

    std::wstring cased = text;
    EXPECT_EQ(ReplaceAllInText(cased, L"A", L"B", 0, true), 2);
    EXPECT_EQ(cased, L"Bの件とaの件とBです");
    std::wstring folded = text;
    EXPECT_EQ(ReplaceAllInText(folded, L"a", L"aa", 0, false), 3);  // goes on after each inserted text
    EXPECT_EQ(folded, L"aaの件とaaの件とaaです");
    std::wstring none = text;
    EXPECT_EQ(ReplaceAllInText(none, L"x", L"y", 0, true), -1);
    EXPECT_EQ(none, text);
}

TEST(AddressCompletionTest, TokenIsTheTextAfterTheLastCommaWithoutBlanks)
{
    struct
    {
        const char* text;
        int caret;
        const char* token;
        int start;
    } cases[] = {
        {"ya", 2, "ya", 0},
        {"a@x.jp, ya", 10, "ya", 8},
        {"a@x.jp,\tya", 10, "ya", 7},
        {"a@x.jp,　ya", 11, "ya", 7},     // a full-width blank dropped
        {"山田 <y@x.jp>,ta", 16, "ta", 14},  // a comma after a double-byte pair
        {"a@x.jp, ya", 7, "", 7},
    };
    for (const auto& k : cases) {
        int start = -1;
        EXPECT_STREQ(CAddressCompletion::TokenBeforeCaret(k.text, k.caret, &start), k.token) << k.text;
        EXPECT_EQ(start, k.start) << k.text;
    }
    EXPECT_EQ(CAddressCompletion::ByteToChar("山田ab", 5), 3);
    EXPECT_EQ(CAddressCompletion::CharToByte("山田ab", 3), 5);
}

TEST(AddressCompletionTest, AppendAddsSeparatorsAndSkipsAnAddressAlreadyThere)
{
    struct
    {
        const char* field;
        const char* add;
        const char* result;
        bool changed;
    } cases[] = {
        {"", "a@x.jp", "a@x.jp", true},
        {"b@x.jp;", "a@x.jp", "b@x.jp;a@x.jp", true},
        {"b@x.jp,", "a@x.jp", "b@x.jp,a@x.jp", true},
        {"b@x.jp", "山田 <a@x.jp>", "b@x.jp,山田 <a@x.jp>", true},
        {"山田 <A@X.jp>", "a@x.jp", "山田 <A@X.jp>", false},
    };
    for (const auto& k : cases) {
        CString field = k.field;
        EXPECT_EQ(CAddressCompletion::AppendAddress(field, k.add), k.changed) << k.field;
        EXPECT_STREQ(field, k.result) << k.field;
    }
}

TEST(AddressCompletionTest, CandidatesComeInTurnAndShowTheirNames)
{
    CAddressCompletion c;
    CStringArray lines;
    lines.Add("taro@example.jp\t山田 太郎");
    lines.Add("tanaka@example.jp\t");
    c.SetCandidates(lines);
    EXPECT_STREQ(CAddressCompletion::ShownText(c.NextCandidate()), "taro@example.jp (山田 太郎)");
    EXPECT_STREQ(CAddressCompletion::ShownText(c.NextCandidate()), "tanaka@example.jp");
    EXPECT_STREQ(c.NextCandidate(), "taro@example.jp\t山田 太郎");
    c.Reset();
    EXPECT_FALSE(c.HasCandidates());
    EXPECT_STREQ(c.NextCandidate(), "");
}

} // namespace

TEST(AddressFieldHeight, GrowsALineAtATimeUpToFive)
{
    // Text width, field width, scroll bar width, font height: pixels.
    const struct
    {
        int text, field, scroll, font, expected;
    } cases[] = {
        {0, 300, 16, 12, 20},     // empty: one row
        {100, 300, 16, 12, 20},   // one line of 13 + 4 is still below the row
        {284, 300, 16, 12, 20},   // exactly one line
        {285, 300, 16, 12, 30},   // a pixel more: two lines
        {1000, 300, 16, 12, 56},  // four lines
        {5000, 300, 16, 12, 69},  // at most five
        {10, 10, 16, 12, 69},     // a field narrower than the scroll bar
    };
    for (const auto& c : cases)
        EXPECT_EQ(CAddressEdit::NeededHeight(c.text, c.field, c.scroll, c.font), c.expected) << c.text;
}
