#include "classlib/FrameWnd.h"

#include "classlib/AppCore.h"
#include "classlib/CmdUI.h"
#include "classlib/CommandState.h"
#include "classlib/ControlBar.h"
#include "classlib/FrameMessages.h"
#include "classlib/StatusBar.h"
#include "classlib/View.h"
#include "classlib/WinApp.h"

#include <algorithm>
#include <string>

#include <commctrl.h>

namespace {

// The text of the tooltip being shown: the control reads it after the
// notification returns. A thread's tooltips show one at a time.
thread_local CString t_tipText;
thread_local std::wstring t_tipTextW;

// Line n (from 0) of a command's string "prompt\ntip\nlabel"; empty when
// the string or the line is missing.
CString CommandStringLine(UINT nID, int nLine)
{
    CString text;
    if (!text.LoadString(nID))
        return text;
    for (int i = 0; i < nLine; ++i) {
        int nl = text.Find('\n');
        if (nl < 0)
            return CString();
        text = text.Mid(nl + 1);
    }
    int nl = text.Find('\n');
    return nl >= 0 ? text.Left(nl) : text;
}

// A toolbar button's tip: the second line of its command's string. A tip
// that names a window rather than a command is not a button's.
LRESULT ToolTipText(NMHDR* pHdr)
{
    UINT flags = pHdr->code == TTN_GETDISPINFOA ? reinterpret_cast<NMTTDISPINFOA*>(pHdr)->uFlags
                                                 : reinterpret_cast<NMTTDISPINFOW*>(pHdr)->uFlags;
    if (flags & TTF_IDISHWND)
        return 0;
    t_tipText = CommandStringLine(static_cast<UINT>(pHdr->idFrom), 1);
    if (pHdr->code == TTN_GETDISPINFOA) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(pHdr);
        info->lpszText = const_cast<char*>(t_tipText.GetString());
        info->hinst = nullptr;
    } else {
        t_tipTextW = t_tipText.ToWide();
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(pHdr);
        info->lpszText = const_cast<wchar_t*>(t_tipTextW.c_str());
        info->hinst = nullptr;
    }
    return 0;
}

// The button under the mouse of a fly-by toolbar asks its frame to show the
// command's prompt, and the idle text when the mouse leaves.
LRESULT HotItemChanged(CFrameWnd* pFrame, const NMHDR* pHdr)
{
    auto* pBar = dynamic_cast<CControlBar*>(CWnd::FromHandlePermanent(pHdr->hwndFrom));
    if (!pBar || !(pBar->m_dwStyle & CBRS_FLYBY))
        return 0;
    const auto* hot = reinterpret_cast<const NMTBHOTITEM*>(pHdr);
    UINT id = (hot->dwFlags & HICF_LEAVING) || hot->idNew <= 0 ? AFX_IDS_IDLEMESSAGE : static_cast<UINT>(hot->idNew);
    pFrame->SendMessage(WM_SETMESSAGESTRING, id);
    return 0;
}

// The first line of the command's string in pane 0 of the frame's status bar.
LRESULT ShowMessageString(CFrameWnd* pFrame, WPARAM nID)
{
    HWND hBar = ::GetDlgItem(pFrame->m_hWnd, AFX_IDW_STATUS_BAR);
    if (auto* pBar = dynamic_cast<CStatusBar*>(CWnd::FromHandlePermanent(hBar)))
        pBar->SetPaneText(0, CommandStringLine(static_cast<UINT>(nID), 0));
    return 0;
}

} // namespace

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CLOSE()
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_WM_INITMENUPOPUP()
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUIMessage)
    { WM_SETMESSAGESTRING, 0, 0, 0, AFX_THUNK(*pResult = ShowMessageString(p, wParam)) },
    // Tips and prompts of toolbar buttons (any command id).
    { WM_NOTIFY, static_cast<UINT>(TTN_GETDISPINFOA), 1, 0xFFFF,
      AFX_THUNK((void)p; *pResult = ToolTipText(reinterpret_cast<NMHDR*>(lParam))) },
    { WM_NOTIFY, static_cast<UINT>(TTN_GETDISPINFOW), 1, 0xFFFF,
      AFX_THUNK((void)p; *pResult = ToolTipText(reinterpret_cast<NMHDR*>(lParam))) },
    { WM_NOTIFY, static_cast<UINT>(TBN_HOTITEMCHANGE), 0, 0xFFFF,
      AFX_THUNK(*pResult = HotItemChanged(p, reinterpret_cast<NMHDR*>(lParam))) },
END_MESSAGE_MAP()

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const UINT stateMessage = GetCommandStateMessage();
    if (message == stateMessage && stateMessage != 0)
        return GetCommandState(this, static_cast<UINT>(wParam));
    const UINT imeMessage = GetInputMethodStateMessage();
    if (message == imeMessage && imeMessage != 0)
        return GetInputMethodState(m_hWnd);
    return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!cs.lpszClass) {
        HICON hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDResource));
        cs.lpszClass = AfxRegisterWndClass("CVMFrameWnd", CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), hIcon);
    }
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd)
{
    m_nIDResource = nIDResource;
    m_dwFrameStyle = dwDefaultStyle & FWS_ADDTOTITLE;
    CString title;
    title.LoadString(nIDResource);
    int nl = title.Find('\n');
    m_strTitle = nl >= 0 ? title.Left(nl) : title;
    HMENU hMenu = LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
    DWORD style = dwDefaultStyle & ~static_cast<DWORD>(FWS_ADDTOTITLE);
    if (!CreateEx(0, nullptr, m_strTitle, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                  pParentWnd ? pParentWnd->m_hWnd : nullptr, hMenu)) {
        if (hMenu)
            DestroyMenu(hMenu);
        return FALSE;
    }
    LoadAccelTable(nIDResource);
    return TRUE;
}

BOOL CFrameWnd::LoadAccelTable(UINT nIDResource)
{
    if (m_hAccelTable)
        return FALSE;
    m_hAccelTable = LoadAcceleratorsA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
    return m_hAccelTable != nullptr;
}

void CFrameWnd::ActivateFrame(int nCmdShow)
{
    ShowWindow(nCmdShow == -1 ? SW_SHOW : nCmdShow);
    BringWindowToTop();
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable && m_hWnd)
        return ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, pMsg);
    return FALSE;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, LRESULT* pResult)
{
    if (m_pViewActive && m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pResult))
        return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pResult))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID, nCode, pExtra, pResult);
}

void CFrameWnd::OnClose()
{
    // Closing the main window first asks the application whether it may end.
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd == this && !pApp->SaveAllModified())
        return;
    DestroyWindow();
}

int CFrameWnd::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (Default() == -1)
        return -1;
    return OnCreateClient(lpcs) ? 0 : -1;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCTA)
{
    return TRUE;
}

void CFrameWnd::OnSize(UINT nType, int, int)
{
    Default();
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

void CFrameWnd::RecalcLayout(BOOL)
{
    if (!m_hWnd)
        return;
    RECT rc = {};
    GetClientRect(&rc);
    for (CControlBar* pBar : m_controlBars) {
        if (!pBar->m_hWnd || !pBar->IsVisible() || !(pBar->m_dwStyle & CBRS_ALIGN_TOP))
            continue;
        SIZE size = pBar->CalcFixedLayout(TRUE, TRUE);
        pBar->MoveWindow(rc.left, rc.top, size.cx > rc.right - rc.left ? size.cx : rc.right - rc.left, size.cy);
        rc.top += size.cy;
    }
    for (CControlBar* pBar : m_controlBars) {
        if (!pBar->m_hWnd || !pBar->IsVisible() || !(pBar->m_dwStyle & CBRS_ALIGN_BOTTOM))
            continue;
        SIZE size = pBar->CalcFixedLayout(TRUE, TRUE);
        rc.bottom -= size.cy;
        pBar->MoveWindow(rc.left, rc.bottom, rc.right - rc.left, size.cy);
    }
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    if (HWND hPane = GetDlgItemHwnd(AFX_IDW_PANE_FIRST))
        ::MoveWindow(hPane, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify)
{
    CView* pViewOld = m_pViewActive;
    if (pViewNew == pViewOld)
        return;
    m_pViewActive = pViewNew;
    if (!bNotify)
        return;
    if (pViewOld)
        pViewOld->OnActivateView(FALSE, pViewNew, pViewOld);
    if (pViewNew)
        pViewNew->OnActivateView(TRUE, pViewNew, pViewOld);
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay)
{
    if (!pBar || !pBar->m_hWnd)
        return;
    pBar->ShowWindow(bShow ? SW_SHOWNA : SW_HIDE);
    if (!bDelay)
        RecalcLayout();
}

void CFrameWnd::AddControlBar(CControlBar* pBar)
{
    if (std::find(m_controlBars.begin(), m_controlBars.end(), pBar) == m_controlBars.end())
        m_controlBars.push_back(pBar);
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar)
{
    m_controlBars.erase(std::remove(m_controlBars.begin(), m_controlBars.end(), pBar), m_controlBars.end());
}

void CFrameWnd::OnIdleUpdateCmdUI()
{
    for (CControlBar* pBar : m_controlBars) {
        if (pBar->m_hWnd && pBar->IsVisible())
            pBar->OnUpdateCmdUI(this, TRUE);
    }
}

LRESULT CFrameWnd::OnIdleUpdateCmdUIMessage(WPARAM, LPARAM)
{
    OnIdleUpdateCmdUI();
    return 0;
}

void CFrameWnd::OnSetFocus(HWND)
{
    if (m_pViewActive && m_pViewActive->m_hWnd)
        m_pViewActive->SetFocus();
    else
        Default();
}

void CFrameWnd::OnInitMenuPopup(HMENU hPopup, UINT, BOOL bSysMenu)
{
    Default();
    if (bSysMenu || !hPopup)
        return;
    int count = ::GetMenuItemCount(hPopup);
    for (int i = 0; i < count; ++i) {
        UINT id = ::GetMenuItemID(hPopup, i);
        // Separators (0) and sub-menus (-1) have no command of their own.
        if (id == 0 || id == static_cast<UINT>(-1))
            continue;
        CCmdUI state;
        state.m_hMenu = hPopup;
        state.m_nIndex = static_cast<UINT>(i);
        state.m_nID = id;
        state.DoUpdate(this, m_bAutoMenuEnable);
    }
}
