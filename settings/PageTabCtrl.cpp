#include "settings/PageTabCtrl.h"

#include <commctrl.h>

BOOL CPageTabCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (!CreateEx(WS_EX_CONTROLPARENT, WC_TABCONTROLA, "", dwStyle, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, pParentWnd->m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID))))
        return FALSE;
    SetFont(pParentWnd->GetFont(), FALSE);
    return TRUE;
}

void CPageTabCtrl::AddPage(const char* pszCaption, COptionPageDialog* pPage, UINT nIDTemplate)
{
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(pszCaption);
    SendMessage(TCM_INSERTITEMA, m_pages.size(), reinterpret_cast<LPARAM>(&item));
    pPage->Create(nIDTemplate, this);
    RECT rc;
    GetClientRect(&rc);
    pPage->SetWindowPos(nullptr, 4, 22, rc.right - 8, rc.bottom - 26, SWP_NOZORDER | SWP_HIDEWINDOW);
    m_pages.push_back({ CString(pszCaption), std::unique_ptr<COptionPageDialog>(pPage), nIDTemplate });
}

COptionPageDialog* CPageTabCtrl::GetPage(int nIndex) const
{
    if (m_pages.empty())
        return nullptr;
    if (nIndex < 0 || nIndex >= GetPageCount())
        nIndex = 0;
    return m_pages[static_cast<size_t>(nIndex)].page.get();
}

int CPageTabCtrl::SelectPage(int nIndex)
{
    if (m_pages.empty())
        return 1;
    if (nIndex < 0 || nIndex >= GetPageCount())
        nIndex = 0;
    COptionPageDialog* current = GetCurrentPage();
    if (current && current->m_hWnd && current->IsWindowVisible()) {
        current->UpdateData(TRUE);
        current->ShowWindow(SW_HIDE);
    }
    COptionPageDialog* page = GetPage(nIndex);
    m_nCurrent = nIndex;
    SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(nIndex));
    page->SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    page->UpdateData(FALSE);
    return 1;
}

int CPageTabCtrl::SelectPageOf(COptionPageDialog* pPage)
{
    for (size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages[i].page.get() == pPage)
            return SelectPage(static_cast<int>(i));
    }
    return SelectPage(0);
}

int CPageTabCtrl::SelectNext(int nDirection)
{
    int count = GetPageCount();
    if (count == 0)
        return 1;
    int next = nDirection == 1 ? m_nCurrent + 1 : m_nCurrent - 1;
    if (next >= count)
        next = 0;
    if (next < 0)
        next = count - 1;
    return SelectPage(next);
}

BOOL CPageTabCtrl::UpdateCurrentPage(BOOL bSaveAndValidate)
{
    COptionPageDialog* page = GetCurrentPage();
    return page ? page->UpdateData(bSaveAndValidate) : TRUE;
}

void CPageTabCtrl::RemoveCurrentPage()
{
    int sel = static_cast<int>(SendMessage(TCM_GETCURSEL));
    if (sel < 0 || sel >= GetPageCount())
        return;
    SendMessage(TCM_DELETEITEM, static_cast<WPARAM>(sel));
    COptionPageDialog* page = m_pages[static_cast<size_t>(sel)].page.get();
    if (page->m_hWnd)
        page->DestroyWindow();
    m_pages.erase(m_pages.begin() + sel);
    if (m_nCurrent >= GetPageCount())
        m_nCurrent = 0;
}

BOOL CPageTabCtrl::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == TCN_SELCHANGE) {
        SelectPage(static_cast<int>(SendMessage(TCM_GETCURSEL)));
        *pResult = 0;
        return TRUE;
    }
    return FALSE;
}

BOOL CPageTabCtrl::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->hwnd == m_hWnd && (::GetKeyState(VK_CONTROL) & 0x8000)) {
        if (pMsg->wParam == VK_PRIOR || pMsg->wParam == VK_NEXT) {
            SelectNext(pMsg->wParam == VK_NEXT ? 1 : 0);
            return TRUE;
        }
    }
    return FALSE;
}
