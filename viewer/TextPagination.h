// CTextPagination: where the lines of a printed text go: margins and line
// spacing in millimetres turned into printer pixels, the printable width,
// the line pitch, how many lines fit on a page and the page footer. The
// printing and the tests use the same numbers.
#pragma once

#include <string>

struct PrintPageMetrics
{
    int nPixelsPerInchX = 600;
    int nPixelsPerInchY = 600;
    int nHorzRes = 4960;   // printable pixels across
    int nVertRes = 7016;   // printable pixels down
};

struct PrintSettings
{
    int nFontSize = 10;       // points
    int nMarginLeft = 20;     // millimetres
    int nMarginRight = 20;
    int nMarginTop = 20;
    int nMarginBottom = 20;
    int nLineSize = 0;        // extra millimetres between lines

    // The "PrintSetting" section of the settings.
    static PrintSettings Load();
};

class CTextPagination
{
public:
    CTextPagination(const PrintPageMetrics& metrics, const PrintSettings& settings);

    // Millimetres in printer pixels: (pixels per inch / 25) x mm, integer
    // division, the horizontal factor in both directions.
    int Millimetres(int nMm) const { return m_metrics.nPixelsPerInchX / 25 * nMm; }
    int FontHeight() const { return m_nFontHeight; }
    int PrintableWidth() const { return m_nPrintableWidth; }
    int LinePitch() const { return m_nPitch; }
    int TextTop() const { return m_nTop; }
    int TextLeft() const { return m_nLeft; }
    int LowestTop() const { return m_nBottom; }
    int LinesPerPage() const { return m_nLinesPerPage; }
    int PageCount(int nLines) const;
    // The first line of page nPage (from 1).
    int FirstLineOfPage(int nPage) const { return m_nLinesPerPage * (nPage - 1); }
    int FooterTop() const { return m_metrics.nVertRes - m_nFontHeight - 2; }
    static std::string Footer(int nPage);

private:
    PrintPageMetrics m_metrics;
    int m_nFontHeight;
    int m_nPrintableWidth;
    int m_nPitch;
    int m_nTop;
    int m_nLeft;
    int m_nBottom;
    int m_nLinesPerPage;
};
