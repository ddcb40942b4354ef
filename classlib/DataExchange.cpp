#include "classlib/DataExchange.h"

#include "classlib/AppCore.h"
#include "classlib/Wnd.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND hWnd = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    m_hWndLastControl = hWnd;
    m_bEditLastControl = false;
    return hWnd;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND hWnd = PrepareCtrl(nIDC);
    m_bEditLastControl = true;
    return hWnd;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_hWndLastControl) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl)
            ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    throw Failure();
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (!hWnd)
        return;
    if (pDX->m_bSaveAndValidate) {
        int len = ::GetWindowTextLengthA(hWnd);
        char* p = value.GetBuffer(len + 1);
        ::GetWindowTextA(hWnd, p, len + 1);
        value.ReleaseBuffer();
    } else {
        ::SetWindowTextA(hWnd, value);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (!hWnd)
        return;
    if (pDX->m_bSaveAndValidate) {
        char buf[64] = {};
        ::GetWindowTextA(hWnd, buf, sizeof(buf));
        char* end = nullptr;
        errno = 0;
        long v = std::strtol(buf, &end, 10);
        while (end && (*end == ' ' || *end == '\t'))
            ++end;
        if (end == buf || !end || *end || errno == ERANGE || v < INT_MIN || v > INT_MAX) {
            AfxMessageBox("整数を入力してください。", MB_ICONEXCLAMATION);
            pDX->Fail();
        }
        value = static_cast<int>(v);
    } else {
        char buf[32];
        wsprintfA(buf, "%d", value);
        ::SetWindowTextA(hWnd, buf);
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (!hWnd)
        return;
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(hWnd, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(hWnd, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd)
        return;
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (hWnd)
        rControl.SubclassWindow(hWnd);
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars)
{
    if (pDX->m_bSaveAndValidate) {
        if (value.GetLength() > nChars) {
            CString text;
            text.Format("%d 文字以内で入力してください。", nChars);
            AfxMessageBox(text, MB_ICONEXCLAMATION);
            pDX->Fail();
        }
    } else if (pDX->m_hWndLastControl && pDX->m_bEditLastControl) {
        ::SendMessageA(pDX->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0);
    }
}
