// CMailWindowThread: the thread of a window that shows mails of one folder
// (a viewer, a thread tree or a related-mail list). The application keeps
// these threads in its viewer list: it ends them at shut-down (1404) and
// keeps the index of a folder they show loaded, and hands them fonts and
// colours (1478) and the keyword list (1418) changed in the settings. A
// thread tells the application 1406 when it ends.
#pragma once

#include "classlib/ClassLib.h"

class CMailWindowThread : public CWinThread
{
public:
    CMailWindowThread();
    ~CMailWindowThread() override;

    int ExitInstance() override;

    // The folder of the shown mails; 0 for none.
    int GetDocFolderId() const { return m_nFolderId; }

    // Starts the thread, waits until its window exists (serving messages
    // sent to this thread meanwhile) and registers it with the application;
    // on the application thread only. False when the thread gave up (it is
    // then gone).
    static BOOL StartAndRegister(CMailWindowThread* pThread);

    int m_nFolderId = 0;

protected:
    // A window that drags mails or takes drops starts OLE on its thread;
    // OLE ends with the thread, after the window and its drop targets.
    void StartOle();
    // Set by InitInstance once the window stands (or when it gave up).
    void SignalReady() { SetEvent(m_hReady); }

    // The window shows the fonts and colours (and the keyword colours)
    // written by the settings dialogs.
    virtual void ApplyViewSettings() = 0;
    virtual void ReloadKeywords() = 0;
    void OnApplyViewSettings(WPARAM, LPARAM) { ApplyViewSettings(); }
    void OnKeywordsChanged(WPARAM, LPARAM) { ReloadKeywords(); }

    DECLARE_MESSAGE_MAP()

private:
    HANDLE m_hReady = nullptr;
    bool m_bOle = false;
};
