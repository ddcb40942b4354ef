#include "editor/DlgSendProgress.h"

#include "resources/editor/EditorWindowResource.h"

#include <commctrl.h>

BOOL CDlgSendProgress::Open(CWnd* pFrame, int nMailKind, CTransferStatus* pStatus)
{
    m_pFrame = pFrame;
    m_pStatus = pStatus;
    if (!m_hWnd && !Create(IDD_SEND_PROGRESS, pFrame))
        return FALSE;
    CenterWindow(pFrame ? pFrame->m_hWnd : nullptr);
    SetWindowText(nMailKind == 11 ? "開封確認通知を送信中" : "メール送信中");
    SetDlgItemText(IDC_SP_TEXT, "送信準備中");
    ShowWindow(SW_SHOW);
    return TRUE;
}

BOOL CDlgSendProgress::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND hPlace = GetDlgItemHwnd(IDC_SP_PROGRESS);
    RECT rc = {};
    ::GetWindowRect(hPlace, &rc);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    ::ShowWindow(hPlace, SW_HIDE);
    if (m_progress.Create(WS_CHILD | WS_VISIBLE, rc, this, IDC_SP_PROGRESS + 100) && m_pStatus)
        m_progress.Begin(nullptr, GetDlgItemHwnd(IDC_SP_TEXT), 3, m_pStatus);
    return TRUE;
}

void CDlgSendProgress::Refresh()
{
    if (m_progress.m_hWnd)
        m_progress.End();
    if (m_hWnd)
        ShowWindow(SW_HIDE);
}

void CDlgSendProgress::OnCancel()
{
    if (m_pFrame && m_pFrame->m_hWnd)
        m_pFrame->PostMessage(WM_COMMAND, ID_EDIT_SEND_CANCEL);
}
