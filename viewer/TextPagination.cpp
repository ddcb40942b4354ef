#include "viewer/TextPagination.h"

#include "viewer/ViewerProfile.h"

#include <cstdio>

PrintSettings PrintSettings::Load()
{
    PrintSettings s;
    s.nFontSize = ViewerProfile::GetInt("PrintSetting", "PrintFontSize", 10);
    s.nMarginTop = ViewerProfile::GetInt("PrintSetting", "PrintMarginTop", 20);
    s.nMarginBottom = ViewerProfile::GetInt("PrintSetting", "PrintMarginBottom", 20);
    s.nMarginLeft = ViewerProfile::GetInt("PrintSetting", "PrintMarginLeft", 20);
    s.nMarginRight = ViewerProfile::GetInt("PrintSetting", "PrintMarginRight", 20);
    s.nLineSize = ViewerProfile::GetInt("PrintSetting", "LineSize", 0);
    return s;
}

CTextPagination::CTextPagination(const PrintPageMetrics& metrics, const PrintSettings& settings) : m_metrics(metrics)
{
    const int unit = metrics.nPixelsPerInchX / 25;
    m_nFontHeight = settings.nFontSize * metrics.nPixelsPerInchY / 72;
    if (m_nFontHeight < 1)
        m_nFontHeight = 1;
    m_nPrintableWidth = metrics.nHorzRes -
                        static_cast<int>((settings.nMarginLeft + settings.nMarginRight) * metrics.nPixelsPerInchX * 0.04);
    m_nPitch = m_nFontHeight + unit * settings.nLineSize + 2;
    m_nTop = unit * settings.nMarginTop;
    m_nBottom = metrics.nVertRes - unit * settings.nMarginBottom;
    m_nLeft = unit * settings.nMarginLeft;
    // A line is drawn while its top lies at or above the lowest top; a page
    // always takes at least one line, so that printing ends.
    m_nLinesPerPage = m_nBottom >= m_nTop ? (m_nBottom - m_nTop) / m_nPitch + 1 : 1;
}

int CTextPagination::PageCount(int nLines) const
{
    if (nLines <= 0)
        return 1;
    return (nLines + m_nLinesPerPage - 1) / m_nLinesPerPage;
}

std::string CTextPagination::Footer(int nPage)
{
    char text[32];
    snprintf(text, sizeof(text), "- %d -", nPage);
    return text;
}
