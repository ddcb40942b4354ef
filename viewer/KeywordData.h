// CKeywordData: one entry of the keyword highlight list: a word to
// highlight in mail text, its colour and whether it is drawn bold.
#pragma once

#include "core/DataStrgRecord.h"

class CKeywordData : public CDataStrgRecord
{
public:
    const CString& GetKeyword() const { return m_strKeyword; }
    COLORREF GetColor() const { return m_crColor; }
    BOOL GetBold() const { return m_bBold; }
    void SetKeyword(const char* pszKeyword) { m_strKeyword = pszKeyword ? pszKeyword : ""; }
    void SetColor(COLORREF crColor) { m_crColor = crColor; }
    void SetBold(BOOL bBold) { m_bBold = bBold ? TRUE : FALSE; }

    CString m_strKeyword;
    COLORREF m_crColor = 0;
    BOOL m_bBold = FALSE;
};
