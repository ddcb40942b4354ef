// CGdiSelection: selects a GDI object (font, pen, brush, bitmap) into a
// device context and selects the previous one back when it goes, on every
// path out of the function. The object itself stays the caller's.
#pragma once

#include <windows.h>

class CGdiSelection
{
public:
    CGdiSelection(HDC hdc, HGDIOBJ hObject) : m_hdc(hdc), m_hOld(hObject ? SelectObject(hdc, hObject) : nullptr) {}
    CGdiSelection(const CGdiSelection&) = delete;
    CGdiSelection& operator=(const CGdiSelection&) = delete;
    ~CGdiSelection()
    {
        if (m_hOld && m_hOld != HGDI_ERROR)
            SelectObject(m_hdc, m_hOld);
    }

    // The object that was selected before (null when nothing was selected).
    HGDIOBJ Previous() const { return m_hOld; }

private:
    HDC m_hdc;
    HGDIOBJ m_hOld;
};
