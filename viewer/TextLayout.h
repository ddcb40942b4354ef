// CTextLayout: turns a Shift-JIS source text into display lines, wrapping
// long lines at a pixel width with the rules for Japanese text: a
// double-byte character is never cut, and punctuation that may not begin a
// line stays at the end of the line before. The layout runs in steps so that
// a view can show the first screen of a long text before the rest is done.
#pragma once

#include "viewer/TextLine.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct TextLayoutOptions
{
    int nWrapWidth = 0;       // pixels; 0 = no wrapping
    int nAvgCharWidth = 8;    // width of "ABC" / 3 in the measuring font
    int nTabColumns = 4;
    bool bOldStyle = false;   // the older breaking rules
    bool bNoWordBreak = false;
};

class CTextLayout
{
public:
    // Width in pixels of nLength bytes, tabs expanded.
    using MeasureFn = std::function<int(const char* p, int nLength)>;

    // A display line never holds more bytes than this.
    static const size_t kMaxLineBytes = 2047;

    // Starts a layout of text (which must stay alive and unchanged until the
    // layout is done); the lines go to lines, which is emptied first.
    void Start(const std::string* pText, const TextLayoutOptions& options, MeasureFn measure,
               std::vector<CTextLine>* pLines);
    // Lays out until the lines hold at least nMinLines entries, or nMaxBytes
    // more source bytes were used, or the text ends. True once done.
    bool Continue(size_t nMinLines, size_t nMaxBytes = static_cast<size_t>(-1));
    bool IsDone() const { return m_bDone; }
    // Widest laid-out line in pixels.
    int GetWidestLine() const { return m_nWidest; }
    // Source bytes laid out so far.
    size_t GetSourcePos() const { return m_nPos; }

    // The punctuation after which a line may end and which never begins one.
    static bool IsSingleByteBreak(unsigned char c, bool bOldStyle);
    static bool IsDoubleByteBreak(unsigned char lead, unsigned char trail);

private:
    void EmitLine(size_t nEnd, bool bWrapped);
    // The position after a hard line end at m_nPos (CR LF counts once), with
    // the leading "." of the next source line skipped.
    size_t SkipLineEnd(size_t nPos) const;
    bool IsBreakCharAt(size_t nPos) const;
    int ColumnsOf(size_t nFrom, size_t nTo) const;

    const std::string* m_pText = nullptr;
    std::vector<CTextLine>* m_pLines = nullptr;
    TextLayoutOptions m_opt;
    MeasureFn m_measure;
    bool m_bWrap = false;
    bool m_bDone = true;
    int m_nBudget = 0;        // columns before any measuring
    int m_nNearEnd = 0;       // width from which break points are remembered
    int m_nWidest = 0;
    size_t m_nPos = 0;        // next source byte
    size_t m_nLineStart = 0;  // source offset of the current display line
    size_t m_nBreak = 0;      // remembered break point, 0 = none
    int m_nColumns = 0;
    size_t m_nPrevCharLen = 0;  // 0 at the start of a line
    int m_nLastWidth = 0;
    size_t m_nMeasuredTo = 0;     // m_nLastWidth is the width up to here
};
