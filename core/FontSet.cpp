#include "core/FontSet.h"

BOOL CFontSet::Create(const LOGFONTA& lf)
{
    DeleteFonts();
    m_logFont = lf;
    m_nHeight = lf.lfHeight;
    LOGFONTA bold = lf;
    bold.lfWeight = FW_BOLD;
    m_hFont = CreateFontIndirectA(&lf);
    m_hBoldFont = CreateFontIndirectA(&bold);
    if (m_hFont && m_hBoldFont)
        return TRUE;
    DeleteFonts();
    return FALSE;
}

void CFontSet::DeleteFonts()
{
    if (m_hFont)
        DeleteObject(m_hFont);
    if (m_hBoldFont)
        DeleteObject(m_hBoldFont);
    m_hFont = m_hBoldFont = nullptr;
}

void CFontSet::AddUser(UINT nWindowId)
{
    for (int i = 0; i < m_users.GetSize(); ++i) {
        if (m_users[i] == nWindowId)
            return;
    }
    m_users.Add(nWindowId);
}

void CFontSet::RemoveUser(UINT nWindowId)
{
    for (int i = 0; i < m_users.GetSize(); ++i) {
        if (m_users[i] == nWindowId) {
            m_users.RemoveAt(i);
            return;
        }
    }
}
