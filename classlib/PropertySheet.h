// CPropertySheet: the platform's property sheet over CPropertyPage objects,
// run modally, as tabbed pages or as a wizard.
#pragma once

#include "classlib/Array.h"
#include "classlib/PropertyPage.h"

// The result of a wizard that ended with Finish (the Finish button's id).
#ifndef ID_WIZFINISH
#define ID_WIZFINISH 0x3025
#endif

class CPropertySheet : public CWnd
{
public:
    CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    CPropertySheet(const char* pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);

    // The pages stay owned by the caller and must outlive the sheet's run.
    void AddPage(CPropertyPage* pPage);
    int GetPageCount() const { return m_pages.GetSize(); }
    CPropertyPage* GetPage(int nIndex) const { return static_cast<CPropertyPage*>(m_pages[nIndex]); }
    void SetWizardMode() { m_bWizard = true; }

    // IDOK or IDCANCEL; in wizard mode ID_WIZFINISH when it ended with Finish.
    virtual INT_PTR DoModal();

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // PSWIZB_BACK, PSWIZB_NEXT, PSWIZB_FINISH, PSWIZB_DISABLEDFINISH.
    void SetWizardButtons(DWORD dwFlags) { ::SendMessageA(m_hWnd, PSM_SETWIZBUTTONS, 0, dwFlags); }

private:
    friend class CPropertyPage;
    static int CALLBACK SheetCallback(HWND hWnd, UINT message, LPARAM lParam);
    // Until a button ends the sheet.
    bool IsRunning() const;

    CString m_strCaption;
    CWnd* m_pParentWnd;
    UINT m_nStartPage;
    bool m_bWizard = false;
    bool m_bFinished = false;
    bool m_bApplied = false;
    CPtrArray m_pages;
};
