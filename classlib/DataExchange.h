// CDataExchange and the DDX/DDV functions: moving values between a dialog's
// controls and its members in either direction.
#pragma once

#include "classlib/String.h"

#include <windows.h>

class CWnd;

class CDataExchange
{
public:
    // Thrown by Fail(); UpdateData catches it and reports failure.
    struct Failure {};

    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_pDlgWnd(pDlgWnd), m_bSaveAndValidate(bSaveAndValidate) {}

    // The control's handle; the control becomes the one Fail() gives the focus.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Gives the last prepared control the focus and abandons the exchange.
    [[noreturn]] void Fail();

    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
    HWND m_hWndLastControl = nullptr;
    bool m_bEditLastControl = false;
};

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// Limits an edit to nChars bytes when filling; checks the length when saving.
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
