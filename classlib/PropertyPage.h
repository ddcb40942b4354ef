// CPropertyPage: one page of a property sheet, made by the sheet from a
// dialog template. The object is attached to its window when the page first
// shows, so its message map and data exchange work as in any dialog.
#pragma once

#include "classlib/Dialog.h"

#include <commctrl.h>

class CPropertySheet;

class CPropertyPage : public CDialog
{
public:
    explicit CPropertyPage(UINT nIDTemplate, const char* pszCaption = nullptr);

    // Called as the sheet shows or leaves the page; FALSE keeps it from
    // showing (OnSetActive) or from being left (OnKillActive).
    virtual BOOL OnSetActive();
    virtual BOOL OnKillActive();
    // Wizard buttons: 0 goes on, -1 stays, a template id goes to that page.
    virtual LRESULT OnWizardBack();
    virtual LRESULT OnWizardNext();
    // TRUE lets the sheet end with Finish.
    virtual BOOL OnWizardFinish();

    CPropertySheet* GetSheet() const { return m_pSheet; }
    // The PROPSHEETPAGE the sheet makes the page from.
    const PROPSHEETPAGEA& GetPageTemplate();

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    friend class CPropertySheet;
    static INT_PTR CALLBACK PageDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    CString m_strCaption;
    PROPSHEETPAGEA m_psp = {};
    CPropertySheet* m_pSheet = nullptr;
};
