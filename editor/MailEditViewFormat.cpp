// The format toolbar's commands on the HTML editing view: character and
// paragraph formats at once, and the pop-up menus (tags, table, background)
// and the colour choice dropped below their toolbar button.
#include "editor/MailEditView.h"

#include "editor/MailEditFrame.h"
#include "resources/editor/EditorWindowResource.h"

#include <commctrl.h>

namespace {

// Where a button's pop-up goes: the bottom left of the button on the screen.
POINT BelowButton(HWND hBar, UINT nID)
{
    POINT pt = {};
    RECT rc = {};
    if (hBar && ::SendMessageA(hBar, TB_GETRECT, nID, reinterpret_cast<LPARAM>(&rc))) {
        pt.x = rc.left;
        pt.y = rc.bottom;
        ::ClientToScreen(hBar, &pt);
    } else {
        ::GetCursorPos(&pt);
    }
    return pt;
}

// Two texts alike but for line ends and trailing blanks, as a text part
// comes back from a stored mail.
bool SameText(CString a, CString b)
{
    a.Remove('\r');
    b.Remove('\r');
    a.TrimRight();
    b.TrimRight();
    return a == b;
}

} // namespace

void CMailEditView::RunFormatCommand(UINT nID, HWND hFormatBar)
{
    CQHtmlEditView* html = m_pHtmlView.get();
    if (!m_bodyMode.ShowsHtmlView() || !html || !html->m_hWnd)
        return;
    const POINT below = BelowButton(hFormatBar, nID);
    bool changed = true;
    switch (nID) {
    case ID_HTML_TAG_MENU: html->ShowTagMenu(below.x, below.y); break;
    case ID_HTML_BOLD: changed = html->Bold(); break;
    case ID_HTML_ITALIC: changed = html->Italic(); break;
    case ID_HTML_UNDERLINE: changed = html->Underline(); break;
    case ID_HTML_TEXT_COLOR: html->ChooseForeColor(); break;
    case ID_HTML_LEFT: changed = html->JustifyLeft(); break;
    case ID_HTML_CENTER: changed = html->JustifyCenter(); break;
    case ID_HTML_RIGHT: changed = html->JustifyRight(); break;
    case ID_HTML_INDENT: changed = html->Indent(); break;
    case ID_HTML_OUTDENT: changed = html->Outdent(); break;
    case ID_HTML_NUMBERING: changed = html->OrderList(); break;
    case ID_HTML_BULLETS: changed = html->UnorderList(); break;
    case ID_HTML_TABLE: html->ShowTableMenu(below.x, below.y); break;
    case ID_HTML_HORIZONTAL_LINE: changed = html->InsertHorizontalRule(); break;
    case ID_HTML_IMAGE: changed = html->InsertImage(); break;
    case ID_HTML_BACKGROUND: html->ShowBackgroundMenu(below.x, below.y); break;
    case ID_HTML_ANCHOR: changed = html->InsertHyperlink(); break;
    default: changed = false; break;
    }
    if (changed)
        html->UpdateFormatState();
    html->SetFocus();
}

bool CMailEditView::HtmlViewFormats() const
{
    return m_bodyMode.ShowsHtmlView() && m_pHtmlView && !m_pHtmlView->ShowsTextOnly();
}

void CMailEditView::SetHtmlFont(const char* pszFace, int nSizeIndex)
{
    CQHtmlEditView* html = m_pHtmlView.get();
    if (!m_bodyMode.ShowsHtmlView() || !html || !html->m_hWnd)
        return;
    if (pszFace && *pszFace)
        html->SetFontName(pszFace);
    if (nSizeIndex >= 0)
        html->SetFontSize(nSizeIndex);
    html->SetFocus();
}

void CMailEditView::SetHtmlFormatControls(CComboBox* pFontName, CComboBox* pFontSize,
                                          CHtmlFormatReceiver* pReceiver)
{
    m_pFontNameBox = pFontName;
    m_pFontSizeBox = pFontSize;
    m_pFormatReceiver = pReceiver;
    if (m_pHtmlView)
        m_pHtmlView->SetFormatControls(pFontName, pFontSize, pReceiver);
}

void CMailEditView::ShowFrameFormatBar(bool bShow)
{
    if (auto* frame = dynamic_cast<CMailEditFrame*>(GetParent()))
        frame->ShowFormatBar(bShow);
}

bool CMailEditView::TakeHtmlEditorRequest()
{
    bool requested = m_bHtmlEditorRequested;
    m_bHtmlEditorRequested = false;
    return requested;
}

LRESULT CMailEditView::OnHtmlDocumentComplete(WPARAM wParam, LPARAM lParam)
{
    // A page loaded anew into an HTML mail being text-edited: its text is
    // the text body again, as when text-edit was entered.
    if (m_bHtmlReloadPending) {
        m_bHtmlReloadPending = false;
        if (m_bodyMode.IsTextEditing())
            SetBody(GetHtmlBodyText());
    }
    if (m_bStoredTextPartPending) {
        m_bStoredTextPartPending = false;
        if (!SameText(GetBody(), GetHtmlBodyText()))
            m_bodyMode.KeepTextPart();
    }
    // The HTML editing view tells its parent; the frame acts on it.
    if (CWnd* frame = GetParent())
        frame->PostMessage(kMsgHtmlDocumentComplete, wParam, lParam);
    return 0;
}
