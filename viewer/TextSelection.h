// CTextSelection: the selection, word groups and find of the colour text
// view, worked out on its display lines alone. Positions are (display line,
// byte column); a column never falls inside a double-byte character.
#pragma once

#include "viewer/TextLine.h"

#include <functional>
#include <string>
#include <vector>

struct TextPos
{
    int nLine = -1;
    int nCol = -1;
    bool IsSet() const { return nLine >= 0 && nCol >= 0; }
    bool operator==(const TextPos& o) const { return nLine == o.nLine && nCol == o.nCol; }
    bool operator!=(const TextPos& o) const { return !(*this == o); }
};

struct TextFindHit
{
    int nLine = -1;
    int nCol = 0;
    int nLength = 0;
    long long nOffset = -1;  // into the concatenation of all display lines
};

class CTextSelection
{
public:
    // Width in pixels of the first nLength bytes of a line, tabs expanded.
    using MeasureFn = std::function<int(const std::string& text, int nLength)>;

    TextPos m_start;
    TextPos m_end;
    TextPos m_anchor;

    void Clear() { m_start = m_end = m_anchor = TextPos(); }
    // Empty when unset, or on one line with the end not after the start.
    bool IsEmpty() const;
    // Start before end (on one line by column, otherwise by line).
    void Order();
    // The selection between anchor and pos, in order, as the drag makes it.
    void DragTo(const TextPos& pos);
    void SelectAll(const std::vector<CTextLine>& lines);
    // The bytes between the ends; "\r\n" after every line that ends at a
    // hard line break, nothing after a wrapped one.
    std::string GetText(const std::vector<CTextLine>& lines) const;

    // The column a pixel x (from the view's left edge, text starts at 8) falls on.
    static int ColumnAt(const std::string& text, int x, const MeasureFn& measure);
    // The word group around column nCol: [*pFrom, *pTo).
    static void WordAt(const std::string& text, int nCol, int* pFrom, int* pTo);
    // The character class a word group is made of (1 letters and digits,
    // 3 blanks and punctuation, 4 hiragana, 5 katakana, 6 other double-byte
    // characters, 7 double-byte symbols).
    static int CharClass(unsigned char lead, unsigned char trail);

    // The next occurrence of what after nLastHit (down) or the last one
    // before it (up); -1 searches from the top. False when there is none.
    static bool Find(const std::vector<CTextLine>& lines, const std::string& what, bool bDown, bool bMatchCase,
                     long long nLastHit, TextFindHit& hit);
};
