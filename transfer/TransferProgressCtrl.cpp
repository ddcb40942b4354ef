#include "transfer/TransferProgressCtrl.h"

#include "transfer/ReceiveStatus.h"
#include "transfer/SendStatus.h"
#include "transfer/TransferHost.h"

#include <commctrl.h>

BEGIN_MESSAGE_MAP(CTransferProgressCtrl, CWnd)
    ON_MESSAGE(CTransferStatus::kProgressMessage, OnProgress)
END_MESSAGE_MAP()

BOOL CTransferProgressCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID)
{
    return CWnd::Create(PROGRESS_CLASSA, "", dwStyle, rect, pParent, nID);
}

void CTransferProgressCtrl::Begin(HWND hCounterPane, HWND hDetailPane, int nType, CTransferStatus* pStatus)
{
    try {
        m_pReceiveStatus = nullptr;
        m_pSendStatus = nullptr;
        m_bEnded = false;
        m_nBytes = m_nSize = m_nCurrent = m_nTotal = 0;
        m_hCounterPane = hCounterPane;
        m_hDetailPane = hDetailPane;
        ::SendMessageA(m_hWnd, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        ::SendMessageA(m_hWnd, PBM_SETPOS, 0, 0);
        m_strCounter.Empty();
        m_strDetail.Empty();
        WritePanes();
        m_nType = nType;
        if (pStatus) {
            pStatus->SetProgressWindow(m_hWnd);
            if (nType == 0 || nType == 1) {
                m_pReceiveStatus = static_cast<CReceiveStatus*>(pStatus);
                m_pReceiveStatus->SetProgress("", 0, 0, 0);
            } else {
                m_pSendStatus = static_cast<CSendStatus*>(pStatus);
            }
        }
        ::ShowWindow(m_hWnd, SW_SHOW);
    } catch (...) {
    }
}

void CTransferProgressCtrl::End()
{
    m_pReceiveStatus = nullptr;
    m_pSendStatus = nullptr;
    m_bEnded = true;
    ::ShowWindow(m_hWnd, SW_HIDE);
    ::SendMessageA(m_hWnd, PBM_SETPOS, 0, 0);
}

void CTransferProgressCtrl::SetSendCounter(int nCurrent, int nTotal)
{
    m_nSendCurrent = nCurrent;
    m_nSendTotal = nTotal;
}

void CTransferProgressCtrl::WritePanes()
{
    if (m_hCounterPane)
        ::SetWindowTextA(m_hCounterPane, m_strCounter);
    if (m_hDetailPane)
        ::SetWindowTextA(m_hDetailPane, m_strDetail);
}

LRESULT CTransferProgressCtrl::OnProgress(WPARAM, LPARAM)
{
    if (m_bEnded)
        return 0;
    char text[128];
    text[0] = '\0';
    if (m_pReceiveStatus) {
        m_pReceiveStatus->GetProgress(text, sizeof(text), m_nBytes, m_nSize, m_nCurrent, m_nTotal);
        if (m_nSize > 0)
            ::SendMessageA(m_hWnd, PBM_SETPOS, static_cast<WPARAM>(static_cast<long long>(m_nBytes) * 100 / m_nSize), 0);
        m_strCounter = m_nCurrent > 0 && m_nTotal > 0 ? FormatString(" %d / %d", m_nCurrent, m_nTotal) : CString();
        m_strDetail = m_nBytes > 0 ? FormatString(" %d Byte：%s", m_nBytes, text) : FormatString(" %s", text);
    } else if (m_pSendStatus) {
        m_pSendStatus->GetProgress(text, sizeof(text), m_nBytes, m_nSize);
        if (m_nType == 3) {
            m_strCounter.Empty();
            m_strDetail = m_nBytes > 0 ? FormatString("データ送信中\r\n\r\n%d / %d", m_nBytes, m_nSize)
                                       : FormatString(" %s", text);
        } else {
            m_strCounter = m_nSendCurrent > 0 && m_nSendTotal > 0
                               ? FormatString(" %d / %d", m_nSendCurrent, m_nSendTotal)
                               : CString();
            m_strDetail = m_nBytes > 0 ? FormatString(" %d Byte：%s", m_nBytes, text) : FormatString(" %s", text);
        }
        if (m_nSize > 0)
            ::SendMessageA(m_hWnd, PBM_SETPOS, static_cast<WPARAM>(static_cast<long long>(m_nBytes) * 100 / m_nSize), 0);
    } else {
        if (m_pHost)
            m_pHost->ShowProgressControls();
        return 0;
    }
    WritePanes();
    CString bare = m_strDetail;
    bare.Trim();
    if (m_strCounter.IsEmpty() && bare.IsEmpty())
        ::SendMessageA(m_hWnd, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    else if (m_pHost)
        m_pHost->ShowProgressControls();
    return 0;
}
