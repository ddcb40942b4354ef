// CDlgSelectFont: the platform's font chooser in the program's own template
// ("フォント", with the character-set list and a Japanese sample).
#pragma once

#include "classlib/ClassLib.h"

#include <commdlg.h>

class CDlgSelectFont
{
public:
    // plfInitial may be null; dwFlags are the chooser's CF_ flags.
    CDlgSelectFont(const LOGFONTA* plfInitial, DWORD dwFlags = CF_SCREENFONTS, CWnd* pParent = nullptr);

    // IDOK or IDCANCEL.
    INT_PTR DoModal();
    const LOGFONTA& GetLogFont() const { return m_logFont; }
    // Point size in tenths.
    int GetSize() const { return m_cf.iPointSize; }

    CHOOSEFONTA m_cf = {};

private:
    LOGFONTA m_logFont = {};
};
