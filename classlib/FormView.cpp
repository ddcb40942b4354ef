#include "classlib/FormView.h"

#include "classlib/AppCore.h"

namespace {

// Messages the object leaves go to the dialog manager's defaults.
INT_PTR CALLBACK FormDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// The form object is attached when its window is made, so that it sees
// WM_INITDIALOG.
thread_local CFormView* t_pFormInit = nullptr;

LRESULT CALLBACK FormCreationHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_pFormInit) {
        CFormView* pForm = t_pFormInit;
        t_pFormInit = nullptr;
        pForm->SubclassWindow(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

BEGIN_MESSAGE_MAP(CFormView, CScrollView)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
END_MESSAGE_MAP()

BOOL CFormView::Create(CWnd* pParent, UINT nID, const RECT& rect)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRes = FindResourceA(hInst, MAKEINTRESOURCEA(m_nIDTemplate), reinterpret_cast<LPCSTR>(RT_DIALOG));
    HGLOBAL hGlobal = hRes ? LoadResource(hInst, hRes) : nullptr;
    auto* tmpl = hGlobal ? static_cast<const DLGTEMPLATE*>(LockResource(hGlobal)) : nullptr;
    if (!tmpl || m_hWnd)
        return FALSE;
    t_pFormInit = this;
    HHOOK hook = SetWindowsHookExA(WH_CBT, FormCreationHook, nullptr, GetCurrentThreadId());
    HWND hWnd = CreateDialogIndirectParamA(hInst, tmpl, pParent ? pParent->GetSafeHwnd() : nullptr, FormDlgProc, 0);
    if (hook)
        UnhookWindowsHookEx(hook);
    t_pFormInit = nullptr;
    if (!hWnd)
        return FALSE;
    ::SetWindowLongPtrA(hWnd, GWLP_ID, static_cast<LONG_PTR>(nID));
    ::SetWindowPos(hWnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(hWnd, SW_SHOW);
    return TRUE;
}

LRESULT CFormView::HandleInitDialog(WPARAM, LPARAM)
{
    return OnInitDialog();
}
