#include "classlib/PropertySheet.h"

#include "classlib/AppCore.h"
#include "classlib/WinThread.h"

#include <vector>

namespace {

// The sheet being created on this thread, attached to its window as soon as
// the window exists.
thread_local CPropertySheet* t_pSheetInit = nullptr;

} // namespace

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_pParentWnd(pParentWnd), m_nStartPage(iSelectPage)
{
    m_strCaption.LoadString(nIDCaption);
}

CPropertySheet::CPropertySheet(const char* pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_strCaption(pszCaption ? pszCaption : ""), m_pParentWnd(pParentWnd), m_nStartPage(iSelectPage)
{
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    pPage->m_pSheet = this;
    m_pages.Add(pPage);
}

int CALLBACK CPropertySheet::SheetCallback(HWND hWnd, UINT message, LPARAM)
{
    if (message == PSCB_INITIALIZED && t_pSheetInit) {
        t_pSheetInit->SubclassWindow(hWnd);
        t_pSheetInit = nullptr;
    }
    return 0;
}

BOOL CPropertySheet::PreTranslateMessage(MSG* pMsg)
{
    return m_hWnd && ::SendMessageA(m_hWnd, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(pMsg));
}

bool CPropertySheet::IsRunning() const
{
    return m_hWnd && ::SendMessageA(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0) != 0;
}

INT_PTR CPropertySheet::DoModal()
{
    std::vector<HPROPSHEETPAGE> pages;
    for (int i = 0; i < m_pages.GetSize(); ++i) {
        HPROPSHEETPAGE h = ::CreatePropertySheetPageA(&GetPage(i)->GetPageTemplate());
        if (!h) {
            for (HPROPSHEETPAGE made : pages)
                ::DestroyPropertySheetPage(made);
            return -1;
        }
        pages.push_back(h);
    }
    HWND hParent = m_pParentWnd ? ::GetAncestor(m_pParentWnd->m_hWnd, GA_ROOT) : nullptr;
    // Modeless under a loop of our own, as CDialog::DoModal does, so that
    // messages posted to the thread are still dispatched while it runs.
    PROPSHEETHEADERA psh = {};
    psh.dwSize = sizeof(psh);
    psh.dwFlags = PSH_NOAPPLYNOW | PSH_USECALLBACK | PSH_MODELESS | (m_bWizard ? PSH_WIZARD : 0);
    psh.hwndParent = hParent;
    psh.hInstance = AfxGetResourceHandle();
    psh.pszCaption = m_strCaption;
    psh.nPages = static_cast<UINT>(pages.size());
    psh.nStartPage = m_nStartPage;
    psh.phpage = pages.data();
    psh.pfnCallback = SheetCallback;
    m_bFinished = false;
    m_bApplied = false;
    t_pSheetInit = this;
    HWND hSheet = reinterpret_cast<HWND>(::PropertySheetA(&psh));
    t_pSheetInit = nullptr;
    if (!hSheet)
        return -1;
    // Over its owner, or in the middle of the screen without one (the
    // system would put it in the top left corner).
    if (m_hWnd)
        CenterWindow();
    bool parentWasEnabled = hParent && ::IsWindowEnabled(hParent);
    if (parentWasEnabled)
        ::EnableWindow(hParent, FALSE);
    while (IsRunning()) {
        if (!AfxPumpMessage())
            break;
    }
    if (parentWasEnabled) {
        ::EnableWindow(hParent, TRUE);
        ::SetActiveWindow(hParent);
    }
    if (::IsWindow(hSheet))
        ::DestroyWindow(hSheet);
    if (m_hWnd)
        Detach();
    if (m_bWizard)
        return m_bFinished ? ID_WIZFINISH : IDCANCEL;
    return m_bApplied ? IDOK : IDCANCEL;
}
