// The editor frame's status bar: the idle prompt, the read-receipt and
// body-as-archive indicators, and the body's character count and caret
// position (the body control writes panes 3 and 4).
#include "editor/MailEditFrame.h"

#include "core/QuendalApp.h"
#include "editor/MailEditView.h"
#include "resources/resource.h"

namespace {

const int kPaneCount = 11;
const int kReadReceiptPane = 1, kBodyArchivePane = 2, kCountPane = 3, kCaretPane = 4;
const UINT kReadReceiptIcon = 410, kBodyArchiveIcon = 450;

HICON LoadPaneIcon(UINT nId)
{
    return static_cast<HICON>(
        ::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nId), IMAGE_ICON, 20, 16, LR_SHARED));
}

} // namespace

BOOL CMailEditFrame::CreateStatusBar()
{
    UINT indicators[kPaneCount] = {};
    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(indicators, kPaneCount))
        return FALSE;
    m_wndStatusBar.SetPaneWidth(kReadReceiptPane, 20);
    m_wndStatusBar.SetPaneWidth(kBodyArchivePane, 20);
    m_wndStatusBar.SetPaneWidth(kCountPane, 100);
    m_wndStatusBar.SetPaneWidth(kCaretPane, 110);
    CString prompt;
    prompt.LoadString(IDS_IDLE_PROMPT);
    if (CQuendalApp* app = QuendalApp()) {
        CString key = app->GetHelpKeyText(2);
        if (!key.IsEmpty())
            prompt.Replace("F1", key);
    }
    m_wndStatusBar.SetPaneText(0, prompt);
    UpdateIndicators();
    RecalcLayout();
    return TRUE;
}

void CMailEditFrame::UpdateIndicators()
{
    if (!m_wndStatusBar.m_hWnd)
        return;
    bool receipt = m_pView && m_pView->m_bReadReceipt;
    m_wndStatusBar.SetIcon(kReadReceiptPane, receipt ? LoadPaneIcon(kReadReceiptIcon) : nullptr);
    m_wndStatusBar.SetIcon(kBodyArchivePane, m_bBodyAsArchive ? LoadPaneIcon(kBodyArchiveIcon) : nullptr);
}
