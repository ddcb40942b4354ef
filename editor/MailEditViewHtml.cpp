// HTML mail in the editor view: the HTML editing view in the body's place.
#include "editor/MailEditView.h"

#include "core/QuendalApp.h"
#include "resources/html/HtmlResource.h"

bool CMailEditView::ShowHtmlPane(bool bShow, const char* pszPath, bool bLoad, bool bModified)
{
    if (!bShow) {
        if (m_pHtmlView && m_pHtmlView->m_hWnd)
            m_pHtmlView->ShowWindow(SW_HIDE);
        m_bHtmlMode = false;
        ShowFrameFormatBar(false);
        RecalcLayout();
        m_body.SetFocus();
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
        m_pHtmlView->SetFormatControls(m_pFontNameBox, m_pFontSizeBox, m_pFormatReceiver);
    }
    if (pszPath && *pszPath) {
        m_strHtmlPath = pszPath;
        m_bHtmlEditorRequested = true;
        m_body.SendMessage(EM_SETMODIFY, FALSE);
    }
    m_bHtmlMode = true;
    if (pszPath && *pszPath) {
        m_pHtmlView->SetModifiedAfterLoad(bModified ? 1 : 0);
        m_pHtmlView->Navigate(pszPath);
    } else if (bLoad) {
        m_pHtmlView->LoadEditPage();
    }
    ShowFrameFormatBar(true);
    RecalcLayout();
    m_pHtmlView->ShowWindow(SW_SHOW);
    m_pHtmlView->SetFocus();
    return true;
}

bool CMailEditView::ToggleHtmlMode()
{
    if (m_bHtmlMode)
        return ShowHtmlPane(false, nullptr, false, false);
    // The first switch loads the empty page; later ones show what was written.
    return ShowHtmlPane(true, nullptr, !m_pHtmlView, false);
}

CString CMailEditView::GetHtmlText() const
{
    return m_pHtmlView ? m_pHtmlView->GetDocumentHtml() : CString();
}

CString CMailEditView::GetHtmlBodyText() const
{
    return m_pHtmlView ? m_pHtmlView->GetBodyText("shift_jis") : CString();
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
    if (m_bHtmlMode && m_pHtmlView && m_pHtmlView->m_hWnd)
        return m_pHtmlView->m_hWnd;
    return m_body.m_hWnd;
}

bool CMailEditView::IsBodyModified() const
{
    return ::SendMessageA(m_body.m_hWnd, EM_GETMODIFY, 0, 0) != 0;
}
