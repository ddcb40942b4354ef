// CButton: a button control.
#pragma once

#include "classlib/Wnd.h"

class CButton : public CWnd
{
public:
    UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }
    UINT GetButtonStyle() const { return static_cast<UINT>(GetStyle() & 0xFF); }
};
