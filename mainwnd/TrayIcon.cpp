#include "mainwnd/TrayIcon.h"

#include <cstring>

namespace {

const char kTitle[] = "Corvane Mail";
// The count text is kept short so that it shows whole in every shell.
const int kMaxCountTip = 64;

void CopyTip(NOTIFYICONDATAA& data, const CString& tip)
{
    // Cut on a character boundary: a lead byte alone at the end would
    // swallow the terminator in the shell's display.
    const char* p = tip;
    size_t max = sizeof(data.szTip) - 1, n = 0;
    while (p[n] && n < max) {
        size_t step = IsDBCSLeadByte(static_cast<BYTE>(p[n])) && p[n + 1] ? 2 : 1;
        if (n + step > max)
            break;
        n += step;
    }
    std::memcpy(data.szTip, p, n);
    data.szTip[n] = '\0';
}

} // namespace

CString CTrayIcon::FormatTip(int nNewMails)
{
    if (nNewMails == 0)
        return kTitle;
    CString tip;
    tip.Format("%s:%d通のメールを受信", kTitle, nNewMails);
    if (tip.GetLength() > kMaxCountTip)
        tip = tip.Left(kMaxCountTip);
    return tip;
}

void CTrayIcon::SetIcons(HICON hIdle, HICON hTransfer, HICON hNewMail)
{
    m_hIdle = hIdle;
    m_hTransfer = hTransfer;
    m_hNewMail = hNewMail;
}

void CTrayIcon::Add(HWND hWnd)
{
    // The size of the structure this program is built with, not a figure
    // from one platform: the 64-bit structure is larger than the 32-bit one.
    m_data = {};
    m_data.cbSize = sizeof(m_data);
    m_data.hWnd = hWnd;
    m_data.uID = kIconId;
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_data.uCallbackMessage = kCallbackMessage;
    m_data.hIcon = m_hIdle;
    CopyTip(m_data, FormatTip(0));
    // A shell with no notification area (or none yet) refuses; the icon is
    // added again when the shell announces itself.
    ::Shell_NotifyIconA(NIM_DELETE, &m_data);
    ::Shell_NotifyIconA(NIM_ADD, &m_data);
    m_bAdded = true;
}

void CTrayIcon::Remove()
{
    if (!m_bAdded)
        return;
    SetTimerOf(kBlinkTimer, false);
    SetTimerOf(kTransferTimer, false);
    ::Shell_NotifyIconA(NIM_DELETE, &m_data);
    m_bAdded = false;
}

void CTrayIcon::SetTimerOf(UINT_PTR nTimer, bool bOn)
{
    if (!m_bAdded || !m_data.hWnd)
        return;
    if (bOn)
        ::SetTimer(m_data.hWnd, nTimer, kBlinkMs, nullptr);
    else
        ::KillTimer(m_data.hWnd, nTimer);
}

void CTrayIcon::Modify(HICON hIcon, const CString& tip)
{
    m_data.hIcon = hIcon;
    CopyTip(m_data, tip);
    if (m_bAdded)
        ::Shell_NotifyIconA(NIM_MODIFY, &m_data);
}

void CTrayIcon::Reset()
{
    m_nNewMails = 0;
    m_nBlinkPhase = 0;
    SetTimerOf(kBlinkTimer, false);
    Modify(m_hIdle, FormatTip(0));
}

void CTrayIcon::AddNewMailCount(int n)
{
    m_nNewMails += n;
    SetTimerOf(kBlinkTimer, false);
    Modify(m_hIdle, FormatTip(m_nNewMails));
    m_nBlinkPhase = 1;
}

void CTrayIcon::StartNewMailBlink()
{
    if (m_nNewMails == 0)
        return;
    Modify(m_hNewMail, FormatTip(m_nNewMails));
    m_nBlinkPhase = 1;
    SetTimerOf(kBlinkTimer, true);
}

void CTrayIcon::Blink()
{
    m_nBlinkPhase = m_nBlinkPhase ? 0 : 1;
    Modify(m_nBlinkPhase ? m_hNewMail : m_hIdle, FormatTip(m_nNewMails));
}

void CTrayIcon::ShowTransfer(bool bRunning)
{
    SetTimerOf(kBlinkTimer, m_nNewMails != 0);
    Modify(RestingIcon(), FormatTip(m_nNewMails));
    m_nBlinkPhase = bRunning ? 1 : 0;
    m_bTransferShown = bRunning;
    SetTimerOf(kTransferTimer, bRunning);
}

void CTrayIcon::TransferBlink()
{
    if (!m_bTransferShown)
        return;
    m_nBlinkPhase = m_nBlinkPhase ? 0 : 1;
    Modify(m_nBlinkPhase ? m_hTransfer : RestingIcon(), FormatTip(m_nNewMails));
}
