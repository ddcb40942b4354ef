#include "core/DlgBusy.h"

#include "resources/utils/UtilsResource.h"

namespace {

const UINT_PTR kDoneTimer = 120;
const UINT kDonePollMs = 1000;

} // namespace

BEGIN_MESSAGE_MAP(CDlgBusy, CDialog)
    ON_BN_CLICKED(IDC_BUSY_CANCEL, OnCancelButton)
    ON_MESSAGE(WM_TIMER, OnTimerMsg)
END_MESSAGE_MAP()

CDlgBusy::CDlgBusy(const char* pszMessage, BOOL bShowCancel, CWnd* pParent)
    : CDialog(IDD_BUSY, pParent), m_strMessage(pszMessage), m_bShowCancel(bShowCancel)
{
}

BOOL CDlgBusy::OnInitDialog()
{
    HDC screen = ::GetDC(nullptr);
    m_nColorBits = screen ? GetDeviceCaps(screen, BITSPIXEL) : 0;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    if (m_animation.SubclassDlgItem(IDC_BUSY_ANIMATION, this) && m_animation.OpenBusyAnimation(m_strUserAnimation))
        m_animation.PlayLoop();
    SetDlgItemText(IDC_MESSAGE_TEXT, m_strMessage);
    {
        CSingleLock hold(&m_folderLock, TRUE);
        SetDlgItemText(IDC_BUSY_FOLDER, m_strFolder);
    }
    ::ShowWindow(GetDlgItemHwnd(IDC_BUSY_CANCEL), m_bShowCancel ? SW_SHOW : SW_HIDE);
    m_bDone = false;
    SetTimer(kDoneTimer, kDonePollMs);
    return TRUE;
}

void CDlgBusy::SetCurrentFolderText(const char* pszText)
{
    HWND hWnd;
    {
        CSingleLock hold(&m_folderLock, TRUE);
        m_strFolder = pszText;
        hWnd = m_hWnd;
    }
    if (hWnd)
        ::SetDlgItemTextA(hWnd, IDC_BUSY_FOLDER, pszText);
}

void CDlgBusy::OnCancelButton()
{
    m_bCancelled = true;
    ::EnableWindow(GetDlgItemHwnd(IDC_BUSY_CANCEL), FALSE);
    SetDlgItemText(IDC_MESSAGE_TEXT, "処理を中断しています。");
    m_animation.Stop();
}

void CDlgBusy::OnCancel()
{
    // Escape and the close box cancel the work the way the button does; the
    // dialog itself waits for the work to end.
    if (m_bShowCancel && !m_bCancelled && ::IsWindowEnabled(GetDlgItemHwnd(IDC_BUSY_CANCEL)))
        OnCancelButton();
}

LRESULT CDlgBusy::OnTimerMsg(WPARAM wParam, LPARAM)
{
    if (wParam == kDoneTimer && m_bDone) {
        KillTimer(kDoneTimer);
        EndDialog(0);
    }
    return 0;
}
