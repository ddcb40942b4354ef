#include "viewer/HeaderViewThread.h"

#include "resources/shownmail/ShownMailResource.h"
#include "viewer/ColorTextView.h"
#include "viewer/HeaderDisplayText.h"
#include "viewer/HeaderViewFrame.h"

#include <ole2.h>

void CHeaderViewThread::SetHeaderData(const char* pszTitle, const char* pszHeader)
{
    m_strTitle = pszTitle ? pszTitle : "";
    m_strHeader = pszHeader ? pszHeader : "";
    m_bHeader = true;
}

void CHeaderViewThread::SetPlainText(const char* pszTitle, const char* pszText)
{
    SetHeaderData(pszTitle, pszText);
    m_bHeader = false;
}

BOOL CHeaderViewThread::InitInstance()
{
    if (FAILED(OleInitialize(nullptr))) {
        AfxMessageBox(100, MB_OK | MB_ICONSTOP);
        return FALSE;
    }
    m_bOle = true;
    auto* frame = new CHeaderViewFrame;
    if (!frame->LoadFrame(IDR_HEADER_WINDOW, WS_OVERLAPPEDWINDOW)) {
        delete frame;
        return FALSE;
    }
    m_pMainWnd = frame;
    frame->SetWindowText(m_strTitle);
    frame->ShowWindow(SW_SHOW);
    frame->SetForegroundWindow();
    frame->BringWindowToTop();
    if (CColorTextView* view = frame->GetView()) {
        view->SetFont(nullptr);
        std::string text = m_bHeader ? CHeaderDisplayText::SkipAccountLines(m_strHeader.Str()) : m_strHeader.Str();
        view->SetText(std::move(text));
        view->Invalidate();
        view->SetFocus();
    }
    m_strHeader.Empty();
    return TRUE;
}

int CHeaderViewThread::ExitInstance()
{
    if (m_bOle)
        OleUninitialize();
    m_bOle = false;
    return CWinThread::ExitInstance();
}
