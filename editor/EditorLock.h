// CEditorLock: the password lock of an editor window. A window that is
// minimised when the application loses the focus is locked (when the
// settings ask for it); restoring it, from the system menu or from the
// application's "bring to the front" message alike, then needs the mailbox
// password.
#pragma once

class CEditorLock
{
public:
    enum Action { carryOut, ignore, askPassword };

    void SetEnabled(bool bEnabled) { m_bEnabled = bEnabled; }
    // The application lost the focus.
    void OnDeactivated(bool bMinimised)
    {
        if (m_bEnabled && bMinimised)
            m_bLocked = true;
    }
    // A restore or maximise command: what to do with it.
    Action OnRestore(bool bMinimised, bool bMaximised);
    // The answer to the password question asked for askPassword.
    void OnPassword(bool bRight);

    bool IsLocked() const { return m_bLocked; }
    bool IsUnlockPending() const { return m_bUnlockPending; }

private:
    bool m_bEnabled = false;
    bool m_bLocked = false;
    bool m_bUnlockPending = false;
};
