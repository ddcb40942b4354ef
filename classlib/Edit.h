// CEdit: an edit control.
#pragma once

#include "classlib/Wnd.h"

class CEdit : public CWnd
{
public:
    void SetLimitText(UINT nMax) { SendMessage(EM_LIMITTEXT, nMax); }
    void SetSel(int nStart, int nEnd) { SendMessage(EM_SETSEL, static_cast<WPARAM>(nStart), nEnd); }
};
