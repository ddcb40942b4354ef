#include "classlib/PropertyPage.h"

#include "classlib/AppCore.h"
#include "classlib/PropertySheet.h"

CPropertyPage::CPropertyPage(UINT nIDTemplate, const char* pszCaption)
    : CDialog(nIDTemplate), m_strCaption(pszCaption ? pszCaption : "")
{
}

const PROPSHEETPAGEA& CPropertyPage::GetPageTemplate()
{
    m_psp = {};
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_DEFAULT | (m_strCaption.IsEmpty() ? 0 : PSP_USETITLE);
    m_psp.hInstance = AfxGetResourceHandle();
    m_psp.pszTemplate = MAKEINTRESOURCEA(m_nIDTemplate);
    m_psp.pfnDlgProc = PageDlgProc;
    m_psp.pszTitle = m_strCaption;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
    return m_psp;
}

// The page's own procedure sees only WM_INITDIALOG: it attaches the object,
// whose window procedure then takes every later message.
INT_PTR CALLBACK CPropertyPage::PageDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    auto* psp = reinterpret_cast<PROPSHEETPAGEA*>(lParam);
    auto* page = psp ? reinterpret_cast<CPropertyPage*>(psp->lParam) : nullptr;
    if (!page || !page->SubclassWindow(hWnd))
        return TRUE;
    return page->OnInitDialog();
}

BOOL CPropertyPage::OnSetActive()
{
    UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive()
{
    return UpdateData(TRUE);
}

LRESULT CPropertyPage::OnWizardBack()
{
    return 0;
}

LRESULT CPropertyPage::OnWizardNext()
{
    return 0;
}

BOOL CPropertyPage::OnWizardFinish()
{
    return TRUE;
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (!hdr || hdr->hwndFrom != ::GetParent(m_hWnd))
        return CDialog::OnNotify(wParam, lParam, pResult);
    switch (hdr->code) {
    case PSN_SETACTIVE:
        *pResult = OnSetActive() ? 0 : -1;
        // A wizard's frame takes each page's title as it changes pages;
        // it keeps the sheet's own caption.
        if (m_pSheet && m_pSheet->m_bWizard)
            ::PostMessageA(hdr->hwndFrom, PSM_SETTITLEA, 0, reinterpret_cast<LPARAM>(m_pSheet->m_strCaption.GetString()));
        break;
    case PSN_KILLACTIVE:
        *pResult = OnKillActive() ? FALSE : TRUE;
        break;
    case PSN_WIZBACK:
        *pResult = OnWizardBack();
        break;
    case PSN_WIZNEXT:
        *pResult = OnWizardNext();
        break;
    case PSN_WIZFINISH: {
        BOOL finish = OnWizardFinish();
        if (finish && m_pSheet)
            m_pSheet->m_bFinished = true;
        // Wakes the sheet's loop, which ends once the sheet has closed.
        ::PostMessageA(hdr->hwndFrom, WM_NULL, 0, 0);
        // Non-zero keeps the sheet open.
        *pResult = finish ? FALSE : TRUE;
        break;
    }
    case PSN_APPLY:
        if (m_pSheet)
            m_pSheet->m_bApplied = true;
        ::PostMessageA(hdr->hwndFrom, WM_NULL, 0, 0);
        *pResult = PSNRET_NOERROR;
        break;
    case PSN_RESET:
        ::PostMessageA(hdr->hwndFrom, WM_NULL, 0, 0);
        *pResult = 0;
        break;
    default:
        return CDialog::OnNotify(wParam, lParam, pResult);
    }
    // The sheet may read the answer as a dialog result as well.
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, *pResult);
    return TRUE;
}
