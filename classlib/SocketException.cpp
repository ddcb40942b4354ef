#include "classlib/SocketException.h"

bool CSocketException::GetErrorMessage(char* pszError, UINT nMaxError, UINT* pnHelpContext) const
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (!pszError || nMaxError == 0)
        return false;
    CString text = AfxSystemErrorText(static_cast<DWORD>(m_nWsaError));
    lstrcpynA(pszError, text, static_cast<int>(nMaxError));
    return !text.IsEmpty();
}
