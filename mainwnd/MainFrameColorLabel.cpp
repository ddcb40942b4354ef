// The colour label menu of the mail list, popped up at the focused row.
#include "mainwnd/MainFrame.h"

#include "core/QuendalApp.h"
#include "mainwnd/ColorLabelMenu.h"
#include "mainwnd/QListView.h"

#include <commctrl.h>

void CMainFrame::ShowColorLabelMenu()
{
    CQuendalApp* pApp = QuendalApp();
    if (!pApp || !m_pListView || !m_pListView->m_hWnd)
        return;
    HWND hList = m_pListView->m_hWnd;
    POINT pt = { 8, 8 };
    const int focused = ListView_GetNextItem(hList, -1, LVNI_FOCUSED);
    RECT rc = {};
    if (focused >= 0 && ListView_GetItemRect(hList, focused, &rc, LVIR_LABEL))
        pt = { rc.left + 8, rc.bottom };
    ::ClientToScreen(hList, &pt);
    m_labelMenu.Reset();
    ColorLabelMenu::Build(m_labelMenu, pApp->m_colorNames);
    m_pOpenMenu = &m_labelMenu;
    // The menu posts the chosen label command; the list takes it.
    ::TrackPopupMenu(m_labelMenu.m_hMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
    m_pOpenMenu = nullptr;
    m_labelMenu.Reset();
}
