// CTextColorizer: the colours of the pieces of a display line of the colour
// text view: the line's quotation level, web addresses, mail addresses and
// the user's keywords. Window-less: painting, hit tests and link selection
// all work from the spans it returns.
#pragma once

#include "viewer/TextLine.h"

#include <windows.h>

#include <string>
#include <vector>

struct TextColors
{
    COLORREF crBack = 0xE8E8E8;
    COLORREF crText = 0;
    COLORREF crQuote[4] = {0xFF0000, 0x7F0000, 0, 0};
    COLORREF crUrl = 0x4000;
    COLORREF crAddress = 0x408080;
};

struct KeywordEntry
{
    std::string text;
    bool bBold = false;
    COLORREF crColor = 0;
};

enum class SpanKind { Text, Keyword, WebAddress, MailAddress };

struct TextSpan
{
    size_t nStart = 0;
    size_t nLength = 0;
    COLORREF crColor = 0;
    bool bBold = false;
    SpanKind kind = SpanKind::Text;
    // The span lies in a web or mail address (a keyword inside one too).
    SpanKind link = SpanKind::Text;
};

// The quotation prefixes of the four levels.
class CQuoteRules
{
public:
    // A comma-separated list, split without trimming; empty pieces never match.
    void SetLevel(int nLevel, const char* pszList);
    // 1-4 for a quoted line, 0 for none. Level 2 is tried first, then 1, 3, 4.
    int LevelOf(const char* p, size_t nLength) const;

private:
    std::vector<std::string> m_prefixes[4];
};

class CTextColorizer
{
public:
    // What one line hands on to the next display line of a wrapped paragraph.
    struct Carry
    {
        bool bContinues = false;     // the previous line was wrapped
        COLORREF crColor = 0;        // the colour in effect at its end
        bool bUrlContinues = false;  // a web address ran to its end
    };

    CTextColorizer() = default;
    void SetColors(const TextColors& colors) { m_colors = colors; }
    const TextColors& GetColors() const { return m_colors; }
    CQuoteRules& QuoteRules() { return m_quotes; }
    void SetKeywords(std::vector<KeywordEntry> keywords) { m_keywords = std::move(keywords); }
    const std::vector<KeywordEntry>& GetKeywords() const { return m_keywords; }

    // The spans of one line, in order and covering it; carry is read and
    // then set for the next line. bPrinting leaves out links and keywords.
    void ColorLine(const CTextLine& line, Carry& carry, bool bPrinting, std::vector<TextSpan>& spans) const;

    // The colour a line starts with by its quotation level.
    COLORREF QuoteColor(const std::string& text) const;

    // Where the next web address of [nFrom, nEnd) lies: "http:" first, then
    // "https:", then "ftp:". False when there is none.
    static bool FindWebAddress(const std::string& text, size_t nFrom, size_t nEnd, bool bLineWrapped,
                               size_t& nStart, size_t& nStop);
    // The end of a web address that starts at nStart.
    static size_t WebAddressEnd(const std::string& text, size_t nStart, size_t nEnd);
    // The next mail address of the piece [nFrom, nEnd); false when there is
    // none (or the at-sign found has no address character before it).
    static bool FindMailAddress(const std::string& text, size_t nFrom, size_t nEnd, size_t& nStart, size_t& nStop);

private:
    void AddPiece(const std::string& text, size_t nFrom, size_t nEnd, COLORREF crColor, SpanKind link,
                  bool bKeywords, std::vector<TextSpan>& spans) const;
    void AddMailPieces(const std::string& text, size_t nFrom, size_t nEnd, COLORREF crColor, bool bKeywords,
                       std::vector<TextSpan>& spans) const;

    TextColors m_colors;
    CQuoteRules m_quotes;
    std::vector<KeywordEntry> m_keywords;
};
