// HTML mail in the editor view: the HTML editing view in the body's place,
// or the text body while the mail's text part is written, and its source.
#include "editor/MailEditView.h"

#include "core/QuendalApp.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/html/HtmlResource.h"
#include "viewer/HeaderViewThread.h"

bool CMailEditView::ShowHtmlPane(bool bShow, const char* pszPath, bool bLoad, bool bModified)
{
    if (!bShow) {
        m_bodyMode.LeaveHtml();
        m_bHtmlReloadPending = m_bStoredTextPartPending = false;
        ShowBodyPane();
        return true;
    }
    if (!m_pHtmlView) {
        auto view = std::make_unique<CQHtmlEditView>();
        RECT rc = {};
        if (!view->Create(this, kHtmlViewId, rc)) {
            DWORD error = GetLastError();
            CString format, text;
            format.LoadString(IDS_HTML_SHOW_ERROR);
            text.Format(format, AfxSystemErrorText(error).GetString());
            AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        m_pHtmlView = std::move(view);
        // Where no engine is installed the view shows the page's text in the
        // body's own font.
        m_pHtmlView->SendMessage(WM_SETFONT, m_body.SendMessage(WM_GETFONT), FALSE);
        m_pHtmlView->SetFormatControls(m_pFontNameBox, m_pFontSizeBox, m_pFormatReceiver);
    }
    if (pszPath && *pszPath) {
        m_strHtmlPath = pszPath;
        m_bHtmlEditorRequested = true;
        m_body.SendMessage(EM_SETMODIFY, FALSE);
    }
    m_bodyMode.EnterHtml();
    if (pszPath && *pszPath) {
        // A new page while the text body stands in the view's place: once
        // loaded, its text replaces that body.
        m_bHtmlReloadPending = m_bodyMode.IsTextEditing();
        m_pHtmlView->SetModifiedAfterLoad(bModified ? 1 : 0);
        m_pHtmlView->Navigate(pszPath);
    } else if (bLoad) {
        m_pHtmlView->LoadEditPage();
    }
    ShowBodyPane();
    return true;
}

void CMailEditView::ShowBodyPane()
{
    const bool html = m_bodyMode.ShowsHtmlView();
    if (!html && m_pHtmlView && m_pHtmlView->m_hWnd)
        m_pHtmlView->ShowWindow(SW_HIDE);
    ShowFrameFormatBar(html);
    RecalcLayout();
    if (html) {
        m_pHtmlView->ShowWindow(SW_SHOW);
        m_pHtmlView->SetFocus();
    } else {
        m_body.ShowWindow(SW_SHOW);
        m_body.SetFocus();
    }
}

bool CMailEditView::ToggleHtmlMode()
{
    if (IsHtmlMode())
        return ShowHtmlPane(false, nullptr, false, false);
    // The first switch loads the empty page; later ones show what was written.
    return ShowHtmlPane(true, nullptr, !m_pHtmlView, false);
}

void CMailEditView::ToggleHtmlTextEdit()
{
    switch (m_bodyMode.ToggleTextEdit()) {
    case CHtmlBodyMode::stepNone:
        return;
    case CHtmlBodyMode::stepShowHtml:
        break;
    case CHtmlBodyMode::stepAskEnter: {
        CString question;
        question.LoadString(IDS_HTML_TEXT_FROM_HTML_QUESTION);
        if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES)
            MakeHtmlTextPart();
        m_bodyMode.EnterTextEdit();
        break;
    }
    }
    ShowBodyPane();
}

void CMailEditView::ShowHtmlSource()
{
    if (!IsHtmlMode())
        return;
    auto* thread = new CHeaderViewThread;
    thread->SetPlainText("HTMLのソース", GetHtmlText());
    if (!thread->CreateThread())
        delete thread;
}

void CMailEditView::OnUpdateHtmlSource(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsHtmlMode());
}

void CMailEditView::OnUpdateHtmlTextEdit(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsHtmlMode());
    pCmdUI->SetCheck(m_bodyMode.IsTextEditing() ? 1 : 0);
}

CString CMailEditView::GetHtmlText() const
{
    return m_pHtmlView ? m_pHtmlView->GetDocumentHtml() : CString();
}

CString CMailEditView::GetHtmlBodyText() const
{
    return m_pHtmlView ? m_pHtmlView->GetBodyText("shift_jis") : CString();
}

CString CMailEditView::GetHtmlTextPart() const
{
    return m_bodyMode.TextPartIsBody() ? GetBody() : GetHtmlBodyText();
}

bool CMailEditView::LacksHtmlTextPart() const
{
    return m_bodyMode.TextPartIsBody() && IsBodyEmpty();
}

void CMailEditView::MakeHtmlTextPart()
{
    SetBody(GetHtmlBodyText());
    m_bChanged = true;
}

void CMailEditView::BeginExternalHtmlEdit(const char* pszFile)
{
    m_strHtmlTempFile = pszFile;
    m_bHtmlEditedExternally = true;
}

void CMailEditView::EndExternalHtmlEdit(bool bStarted)
{
    m_bHtmlEditedExternally = false;
    ::EnableWindow(GetBodyWindow(), TRUE);
    // What the editor wrote counts as a change of the mail.
    if (bStarted)
        ShowHtmlPane(true, m_strHtmlTempFile, true, true);
}

HWND CMailEditView::GetBodyWindow() const
{
    if (m_bodyMode.ShowsHtmlView() && m_pHtmlView && m_pHtmlView->m_hWnd)
        return m_pHtmlView->m_hWnd;
    return m_body.m_hWnd;
}

bool CMailEditView::IsBodyModified() const
{
    return ::SendMessageA(m_body.m_hWnd, EM_GETMODIFY, 0, 0) != 0;
}
