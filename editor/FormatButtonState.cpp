#include "editor/FormatButtonState.h"

#include "resources/editor/EditorWindowResource.h"

void CFormatButtonState::SetFormatState(const char*, bool bBold, bool bItalic, bool bUnderline)
{
    m_bBold = bBold;
    m_bItalic = bItalic;
    m_bUnderline = bUnderline;
}

int CFormatButtonState::GetCheck(UINT nID) const
{
    switch (nID) {
    case ID_HTML_BOLD: return m_bBold ? 1 : 0;
    case ID_HTML_ITALIC: return m_bItalic ? 1 : 0;
    case ID_HTML_UNDERLINE: return m_bUnderline ? 1 : 0;
    default: return -1;
    }
}
