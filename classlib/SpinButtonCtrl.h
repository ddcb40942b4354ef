// CSpinButtonCtrl: an up-down control.
#pragma once

#include "classlib/Wnd.h"

#include <commctrl.h>

class CSpinButtonCtrl : public CWnd
{
public:
    void SetRange32(int nLower, int nUpper) { SendMessage(UDM_SETRANGE32, static_cast<WPARAM>(nLower), nUpper); }
    int SetPos32(int nPos) { return static_cast<int>(SendMessage(UDM_SETPOS32, 0, nPos)); }
    int GetPos32() const { return static_cast<int>(SendMessage(UDM_GETPOS32)); }
};
