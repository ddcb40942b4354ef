#include "classlib/Dialog.h"

#include "classlib/AppCore.h"
#include "classlib/WinThread.h"

namespace {

// Messages not handled by the object end here, called by the dialog class's
// own procedure; FALSE lets the system do its default dialog handling.
INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// The dialog object is attached when its window is made, so that it sees
// WM_INITDIALOG and everything after it.
thread_local CWnd* t_pDlgInit = nullptr;

LRESULT CALLBACK DialogCreationHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_pDlgInit) {
        CWnd* pDlg = t_pDlgInit;
        t_pDlgInit = nullptr;
        pDlg->SubclassWindow(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

const DLGTEMPLATE* CDialog::LoadTemplate(UINT nIDTemplate) const
{
    return AfxLoadDialogTemplate(nIDTemplate);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM)
{
    return OnInitDialog();
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int nResult)
{
    if (m_bModeless) {
        DestroyWindow();
        return;
    }
    m_nModalResult = nResult;
    if (m_bContinueModal) {
        m_bContinueModal = false;
        // Wakes the modal loop if it waits in GetMessage.
        PostMessage(WM_NULL);
    }
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hWnd)
        return ::IsDialogMessageW(m_hWnd, pMsg);
    return FALSE;
}

void CDialog::GotoDlgCtrl(HWND hWndCtrl)
{
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hWndCtrl), TRUE);
}

const DLGTEMPLATE* AfxLoadDialogTemplate(UINT nIDTemplate)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRes = FindResourceA(hInst, MAKEINTRESOURCEA(nIDTemplate), reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!hRes)
        return nullptr;
    HGLOBAL hGlobal = LoadResource(hInst, hRes);
    return hGlobal ? static_cast<const DLGTEMPLATE*>(LockResource(hGlobal)) : nullptr;
}

HWND AfxCreateDialogWindow(CWnd* pWnd, const DLGTEMPLATE* pTemplate, HWND hParent)
{
    if (!pTemplate || !pWnd || pWnd->m_hWnd)
        return nullptr;
    t_pDlgInit = pWnd;
    HHOOK hook = SetWindowsHookExA(WH_CBT, DialogCreationHook, nullptr, GetCurrentThreadId());
    HWND hWnd = CreateDialogIndirectParamA(AfxGetResourceHandle(), pTemplate, hParent, AfxDlgProc, 0);
    if (hook)
        UnhookWindowsHookEx(hook);
    t_pDlgInit = nullptr;
    return hWnd;
}

BOOL CDialog::CreateFromTemplate(HWND hParent)
{
    return AfxCreateDialogWindow(this, LoadTemplate(m_nIDTemplate), hParent) != nullptr;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    m_bModeless = true;
    return CreateFromTemplate(pParentWnd ? pParentWnd->m_hWnd : nullptr);
}

INT_PTR CDialog::DoModal()
{
    if (!LoadTemplate(m_nIDTemplate))
        return -1;
    HWND hParent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!hParent) {
        CWnd* pMain = AfxGetMainWnd();
        hParent = pMain && ::IsWindowVisible(pMain->m_hWnd) ? pMain->m_hWnd : ::GetActiveWindow();
    }
    if (hParent)
        hParent = ::GetAncestor(hParent, GA_ROOT);
    bool parentWasEnabled = hParent && ::IsWindowEnabled(hParent);

    m_bModeless = false;
    m_nModalResult = -1;
    m_bContinueModal = true;
    if (parentWasEnabled)
        ::EnableWindow(hParent, FALSE);
    if (!CreateFromTemplate(hParent) || !m_hWnd) {
        m_bContinueModal = false;
        if (parentWasEnabled)
            ::EnableWindow(hParent, TRUE);
        return -1;
    }
    if (m_bContinueModal) {
        ShowWindow(SW_SHOWNORMAL);
        ::SetForegroundWindow(m_hWnd);
    }
    while (m_bContinueModal && m_hWnd) {
        if (!AfxPumpMessage()) {
            m_nModalResult = IDCANCEL;
            break;
        }
    }
    m_bContinueModal = false;
    // The owner is enabled again before the dialog goes, so that activation
    // returns to it rather than to another program.
    if (parentWasEnabled) {
        ::EnableWindow(hParent, TRUE);
        ::SetActiveWindow(hParent);
    }
    if (m_hWnd) {
        ShowWindow(SW_HIDE);
        DestroyWindow();
    }
    return m_nModalResult;
}
