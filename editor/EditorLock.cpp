#include "editor/EditorLock.h"

CEditorLock::Action CEditorLock::OnRestore(bool bMinimised, bool bMaximised)
{
    if (!m_bLocked) {
        m_bUnlockPending = false;
        return carryOut;
    }
    if (bMaximised) {
        m_bLocked = false;
        return carryOut;
    }
    return bMinimised ? askPassword : ignore;
}

void CEditorLock::OnPassword(bool bRight)
{
    m_bUnlockPending = !bRight;
    if (bRight)
        m_bLocked = false;
}
