// CBuddySpinButton: a spin button whose presses also go to its frame, as 1347
// (upper half) or 1348 (lower half).
#pragma once

#include "classlib/SpinButtonCtrl.h"

const UINT WM_QD_SPIN_UP = 1347;
const UINT WM_QD_SPIN_DOWN = 1348;

class CBuddySpinButton : public CSpinButtonCtrl
{
protected:
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};
