// CAnimateCtrl: an animation control playing an AVI clip.
#pragma once

#include "classlib/Wnd.h"

#include <commctrl.h>

class CAnimateCtrl : public CWnd
{
public:
    BOOL Open(const char* pszFileName) { return static_cast<BOOL>(SendMessage(ACM_OPENA, 0, reinterpret_cast<LPARAM>(pszFileName))); }
    // A clip of the module's "AVI" resources.
    BOOL Open(HINSTANCE hInst, UINT nID)
    {
        return static_cast<BOOL>(SendMessage(ACM_OPENA, reinterpret_cast<WPARAM>(hInst), reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(nID))));
    }
    BOOL Play(UINT nFrom, UINT nTo, UINT nRep) { return static_cast<BOOL>(SendMessage(ACM_PLAY, nRep, MAKELONG(nFrom, nTo))); }
    BOOL Stop() { return static_cast<BOOL>(SendMessage(ACM_STOP)); }
    BOOL Close() { return static_cast<BOOL>(SendMessage(ACM_OPENA)); }
};
