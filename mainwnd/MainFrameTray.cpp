// The main window's icon in the notification area and its menu.
#include "mainwnd/MainFrame.h"


#include "core/QuendalApp.h"
#include "mainwnd/KeyboardLedNotifier.h"
#include "mainwnd/MainFrameTransfer.h"
#include "mainwnd/QListView.h"
#include "resources/keys/KeysResource.h"
#include "resources/resource.h"

#include <cstring>

#include <imm.h>

namespace {

// Registered once: the shell sends it when it (re)starts.
const UINT g_msgTaskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");

struct TrayMenuItem
{
    UINT nCommand;  // 0: separator
    const char* pszText;
};
const TrayMenuItem kTrayMenu[] = {
    { 32989, "元のサイズに戻す(&R)" },
    { 33054, "中央に移動(&C)" },
    { 0, nullptr },
    { 32775, "巡回して受信(&J)" },
    { 32842, "選択受信(&D)..." },
    { 0, nullptr },
    { 32778, "メールを作成(&N)" },
    { 32965, "テンプレートから作成(&T)" },
    { 0, nullptr },
    { 33268, "新着メールを確認(&B)" },
    { 0, nullptr },
    { 57665, "Corvane Mailを終了(&X)" },
};
const UINT kRestoreCommand = 32989;
const UINT kCenterCommand = 33054;
const UINT_PTR kLedTimer = 41;
const UINT kMsgToolBarChanged = WM_USER + 396;

HICON LoadTrayIcon(UINT nID)
{
    HICON h = static_cast<HICON>(
        ::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nID), IMAGE_ICON, 16, 16, LR_SHARED));
    if (!h)
        h = static_cast<HICON>(
            ::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, LR_SHARED));
    return h;
}

} // namespace

void CMainFrame::AddTrayIcon()
{
    m_tray.SetIcons(LoadTrayIcon(190), LoadTrayIcon(191), LoadTrayIcon(257));
    m_tray.Add(m_hWnd);
}

void CMainFrame::ShowTrayMenu(UINT nMouseMessage)
{
    if (nMouseMessage == WM_LBUTTONDOWN) {
        if (IsIconic()) {
            PostMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
        } else {
            BringWindowToTop();
            ::SetForegroundWindow(m_hWnd);
        }
        return;
    }
    if (nMouseMessage != WM_RBUTTONDOWN)
        return;
    m_trayMenu.Reset();
    const BOOL bIconic = IsIconic();
    for (const TrayMenuItem& item : kTrayMenu) {
        if (!item.nCommand) {
            m_trayMenu.AppendItem(MF_SEPARATOR, 0, "");
            continue;
        }
        UINT flags = MF_STRING;
        if ((item.nCommand == kRestoreCommand && !bIconic) || (item.nCommand == kCenterCommand && bIconic))
            flags |= MF_GRAYED;
        // The mnemonic is the letter after "&".
        const char* amp = strchr(item.pszText, '&');
        m_trayMenu.AppendItem(flags, item.nCommand, item.pszText, 0, CLR_INVALID, amp ? amp[1] : 0);
    }
    POINT pt;
    ::GetCursorPos(&pt);
    m_bTrayMenuOpen = TRUE;
    m_pOpenMenu = &m_trayMenu;
    ::SetForegroundWindow(m_hWnd);
    // The menu posts the chosen command once; it is not run here as well.
    ::TrackPopupMenu(m_trayMenu.m_hMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
    ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
    m_bTrayMenuOpen = FALSE;
    m_pOpenMenu = nullptr;
    m_trayMenu.Reset();
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT menuResult = 0;
    if (m_pOpenMenu && m_pOpenMenu->HandleOwnerMessage(message, wParam, lParam, menuResult)) {
        return menuResult;
    } else if (message == CTrayIcon::kCallbackMessage) {
        ShowTrayMenu(static_cast<UINT>(lParam));
    } else if (message == g_msgTaskbarCreated && g_msgTaskbarCreated) {
        m_tray.Add(m_hWnd);
        return 1;
    } else if (message == WM_TIMER && wParam == CTrayIcon::kBlinkTimer) {
        m_tray.Blink();
        return 0;
    } else if (message == WM_TIMER && wParam == CTrayIcon::kTransferTimer) {
        m_tray.TransferBlink();
        return 0;
    } else if (message == WM_TIMER && wParam == kLedTimer) {
        CKeyboardLedNotifier::Instance().BlinkStep(m_nLedBlinkType);
        return 0;
    } else if (message == WM_POWERBROADCAST) {
        // Back from a suspend the shell shows the unread counts afresh.
        if (CQuendalApp* pApp = QuendalApp())
            pApp->UpdateUnreadMailRegistry();
    } else if (message == WM_ACTIVATE) {
        OnActivateMessage(LOWORD(wParam) != WA_INACTIVE);
    } else if (message == WM_ACTIVATEAPP) {
        // Left while minimised: the mailbox password is asked before the
        // window shows its mails again.
        CQuendalApp* pApp = QuendalApp();
        if (!wParam && IsIconic() && pApp && pApp->GetProfileInt("Setting", "CheckPassword", 0))
            m_bPasswordOnRestore = TRUE;
    } else if (message == WM_SYSCOMMAND && ((wParam & 0xFFF0) == SC_RESTORE || (wParam & 0xFFF0) == SC_MAXIMIZE)) {
        if (m_bPasswordOnRestore) {
            if (IsZoomed()) {
                m_bPasswordOnRestore = FALSE;
                PostMessage(WM_SYSCOMMAND, wParam, lParam);
            } else if (IsIconic()) {
                CQuendalApp* pApp = QuendalApp();
                if (pApp && !pApp->CheckMailBoxPassword(TRUE, TRUE)) {
                    // Refused: the window stays minimised and the new mail unseen.
                    m_bNoTrayReset = TRUE;
                } else {
                    m_bPasswordOnRestore = FALSE;
                    m_bNoTrayReset = FALSE;
                    PostMessage(WM_SYSCOMMAND, wParam, lParam);
                }
            }
            return 0;
        }
        m_bNoTrayReset = FALSE;
        // Restoring the window counts the new mail as seen.
        if (IsIconic())
            ResetTrayIcon();
    } else if (message == WM_COMMAND && LOWORD(wParam) == kRestoreCommand && lParam == 0) {
        PostMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
        return 0;
    } else if (message == kMsgToolBarChanged) {
        // The toolbar's buttons changed: lay the frame out again.
        RecalcLayout();
        return 0;
    } else if (message == WM_COMMAND && LOWORD(wParam) == ID_MINIMIZE_MAIN_WINDOW && lParam == 0) {
        PostMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return 0;
    }
    return CFrameWnd::WindowProc(message, wParam, lParam);
}

void CMainFrame::OnNewMailsReceived(int nNewMails)
{
    m_tray.AddNewMailCount(nNewMails);
    m_tray.StartNewMailBlink();
    StartLedBlink();
}

void CMainFrame::ShowTransferInTray(BOOL bRunning)
{
    m_tray.ShowTransfer(bRunning != FALSE);
    if (m_tray.GetNewMailCount() > 0)
        StartLedBlink();
}

void CMainFrame::StartLedBlink()
{
    if (!m_bLedBlink)
        return;
    CKeyboardLedNotifier::Instance().Start();
    SetTimer(kLedTimer, m_nLedBlinkInterval > 0 ? static_cast<UINT>(m_nLedBlinkInterval) : 1000);
}

void CMainFrame::OnActivateMessage(BOOL bActive)
{
    SetWindowText("Corvane Mail");
    m_keyDown = m_keyUp = m_keyRepeat = m_showOnKeyUp = 0;
    HIMC hImc = ::ImmGetContext(m_hWnd);
    if (bActive) {
        // The list draws its selection in the active colours again.
        if (m_pListView && m_pListView->m_hWnd)
            m_pListView->Invalidate();
        // Coming back to the window counts the new mail as seen.
        if (!m_bTrayMenuOpen && !m_bNoTrayReset)
            ResetTrayIcon();
        // Typing in the main window starts with the input method off; the
        // user's state comes back when the window is left.
        if (hImc) {
            m_bImeOpenSaved = ::ImmGetOpenStatus(hImc);
            ::ImmSetOpenStatus(hImc, FALSE);
        }
    } else {
        if (hImc)
            ::ImmSetOpenStatus(hImc, m_bImeOpenSaved);
        m_bNoTrayReset = TRUE;
    }
    if (hImc)
        ::ImmReleaseContext(m_hWnd, hImc);
}

void CMainFrame::ResetTrayIcon()
{
    m_tray.Reset();
    if (m_pTransfer)
        m_pTransfer->ResetNewMailCount();
    KillTimer(kLedTimer);
    CKeyboardLedNotifier::Instance().Stop();
}
