// CBusyAnimateCtrl: the animation control that shows the program is busy.
#pragma once

#include "classlib/AnimateCtrl.h"

// The built-in busy clip (resource type "AVI").
const UINT IDR_BUSY_ANIMATION = 442;

class CBusyAnimateCtrl : public CAnimateCtrl
{
public:
    // Opens the user's clip when one is named and present, else the built-in one.
    BOOL OpenBusyAnimation(const char* pszUserFile = nullptr);
    // Plays every frame, repeating without end.
    BOOL PlayLoop() { return Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1)); }
    // Stops and shows the first frame, the picture of a program at rest.
    void Rest()
    {
        Stop();
        Play(0, 0, 1);
    }
};
