// CDialog: a dialog box made from a dialog template of the resources.
//
// DoModal runs a modal loop of our own rather than the system's, so every
// message still passes the thread's PreTranslateMessage: messages posted to
// the thread are dispatched while the dialog is up, and the dialog's keys
// go through IsDialogMessage.
#pragma once

#include "classlib/Wnd.h"

class CDialog : public CWnd
{
public:
    explicit CDialog(UINT nIDTemplate = 0, CWnd* pParentWnd = nullptr);

    virtual INT_PTR DoModal();
    // A modeless dialog; it is destroyed by EndDialog or DestroyWindow.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);
    bool IsModalLoopRunning() const { return m_bContinueModal; }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void GotoDlgCtrl(HWND hWndCtrl);
    void NextDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, 0); }

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

protected:
    LRESULT HandleInitDialog(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    const DLGTEMPLATE* LoadTemplate(UINT nIDTemplate) const;
    BOOL CreateFromTemplate(HWND hParent);

    INT_PTR m_nModalResult = -1;
    bool m_bContinueModal = false;
    bool m_bModeless = false;
};

// The dialog template nIDTemplate of the resources, or null.
const DLGTEMPLATE* AfxLoadDialogTemplate(UINT nIDTemplate);
// Makes a dialog window from a template with pWnd attached from its first
// message on (modeless; a child when the template has WS_CHILD).
HWND AfxCreateDialogWindow(CWnd* pWnd, const DLGTEMPLATE* pTemplate, HWND hParent);
