#include "editor/DlgBodyReplace.h"

#include "editor/MailEditCtrl.h"

CDlgBodyReplace::CDlgBodyReplace(CMailEditCtrl& body, CWnd* pParent)
    : CDlgReplace(body.m_hWnd, pParent), m_body(body)
{
}

bool CDlgBodyReplace::FindNext()
{
    if (m_strFind.IsEmpty())
        return false;
    if (!m_body.FindNext(m_bMatchCase != FALSE, m_bFromStart != FALSE, m_strFind)) {
        m_bFromStart = TRUE;
        return false;
    }
    m_bFromStart = FALSE;
    return true;
}

int CDlgBodyReplace::ReplaceAll()
{
    if (m_strFind.IsEmpty())
        return 0;
    int count = m_body.ReplaceAll(true, m_strFind, m_strReplace, m_bMatchCase != FALSE);
    m_bFromStart = TRUE;
    return count < 0 ? 0 : count;
}

bool CDlgBodyReplace::IsHitSelected()
{
    return !m_bFromStart && m_body.IsHitSelected();
}

void CDlgBodyReplace::ReplaceSelection()
{
    m_body.InsertText(m_strReplace);
}
