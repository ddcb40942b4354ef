#include "core/DlgSelectFont.h"

#include "resources/utils/UtilsResource.h"

CDlgSelectFont::CDlgSelectFont(const LOGFONTA* plfInitial, DWORD dwFlags, CWnd* pParent)
{
    if (plfInitial) {
        m_logFont = *plfInitial;
        dwFlags |= CF_INITTOLOGFONTSTRUCT;
    }
    m_cf.lStructSize = sizeof(m_cf);
    m_cf.hwndOwner = pParent ? pParent->m_hWnd : nullptr;
    m_cf.lpLogFont = &m_logFont;
    m_cf.Flags = dwFlags | CF_ENABLETEMPLATE;
    m_cf.hInstance = AfxGetResourceHandle();
    m_cf.lpTemplateName = MAKEINTRESOURCEA(IDD_SELECT_FONT);
}

INT_PTR CDlgSelectFont::DoModal()
{
    if (!m_cf.hwndOwner) {
        CWnd* pMain = AfxGetMainWnd();
        m_cf.hwndOwner = pMain ? pMain->m_hWnd : ::GetActiveWindow();
    }
    return ChooseFontA(&m_cf) ? IDOK : IDCANCEL;
}
