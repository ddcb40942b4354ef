// CCmdUI: the state of one user-interface element of a command (a menu item
// or a toolbar button) while the command routing asks who enables, checks or
// names it. Update handlers (ON_UPDATE_COMMAND_UI) receive one of these.
#pragma once

#include "classlib/CmdTarget.h"

#include <windows.h>

class CWnd;

class CCmdUI
{
public:
    CCmdUI() = default;
    virtual ~CCmdUI() = default;

    UINT m_nID = 0;
    UINT m_nIndex = 0;          // position in the menu or in the control bar
    HMENU m_hMenu = nullptr;    // the menu being updated, or null
    CWnd* m_pOther = nullptr;   // the control bar being updated, or null
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;

    virtual void Enable(BOOL bOn = TRUE);
    // 0 unchecked, 1 checked, 2 indeterminate.
    virtual void SetCheck(int nCheck = 1);
    virtual void SetRadio(BOOL bOn = TRUE) { SetCheck(bOn ? 1 : 0); }
    virtual void SetText(const char* pszText);
    // Lets the next target in the routing decide as well.
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Asks pTarget's routing for the state. With bDisableIfNoHandler an
    // element whose command nobody handles, and whose state no update handler
    // set, is disabled.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler);
};
