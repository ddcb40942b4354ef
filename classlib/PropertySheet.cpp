#include "classlib/PropertySheet.h"

#include "classlib/AppCore.h"

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
    PROPSHEETHEADERA psh = {};
    psh.dwSize = sizeof(psh);
    psh.dwFlags = PSH_NOAPPLYNOW | PSH_USECALLBACK | (m_bWizard ? PSH_WIZARD : 0);
    psh.hwndParent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    psh.hInstance = AfxGetResourceHandle();
    psh.pszCaption = m_strCaption;
    psh.nPages = static_cast<UINT>(pages.size());
    psh.nStartPage = m_nStartPage;
    psh.phpage = pages.data();
    psh.pfnCallback = SheetCallback;
    m_bFinished = false;
    t_pSheetInit = this;
    INT_PTR result = ::PropertySheetA(&psh);
    t_pSheetInit = nullptr;
    if (m_hWnd)
        Detach();
    if (result < 0)
        return -1;
    if (m_bWizard)
        return m_bFinished ? ID_WIZFINISH : IDCANCEL;
    return result > 0 ? IDOK : IDCANCEL;
}
