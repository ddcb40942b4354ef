#include "mainwnd/ColumnMeasure.h"

#include "mainwnd/FontSetting.h"

CColumnMeasure::CColumnMeasure(const CString& dateFormat)
    : m_strDateFormat(dateFormat), m_hScreen(::GetDC(nullptr)), m_hDC(::CreateCompatibleDC(m_hScreen))
{
    LOGFONTA lf = GetFontSetting("FontList");
    lf.lfHeight = FontPixelHeight(lf.lfHeight, ::GetDeviceCaps(m_hScreen, LOGPIXELSY));
    lf.lfWeight = FW_BOLD;
    m_hFont = ::CreateFontIndirectA(&lf);
    if (m_hDC && m_hFont)
        m_hOld = ::SelectObject(m_hDC, m_hFont);
}

CColumnMeasure::~CColumnMeasure()
{
    if (m_hOld)
        ::SelectObject(m_hDC, m_hOld);
    if (m_hFont)
        ::DeleteObject(m_hFont);
    if (m_hDC)
        ::DeleteDC(m_hDC);
    ::ReleaseDC(nullptr, m_hScreen);
}
