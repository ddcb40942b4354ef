// CReceiveNotifyThread: the thread of the new-mail notification window. The
// main window starts it and then only posts to it: 2048 shows the window,
// 2049 (more mail while it is up) starts its display time again. The thread
// ends when its window closes; a notice is posted through PostNotice, which
// refuses it once the thread has begun to end, so that it is not lost.
#pragma once

#include "classlib/ClassLib.h"

class CNotifyMailData;
class CNotifyUserWnd;

class CReceiveNotifyThread : public CWinThread
{
public:
    enum { msgShow = WM_USER + 1024, msgShowAgain = WM_USER + 1025 };

    explicit CReceiveNotifyThread(CNotifyMailData* pData) : m_pData(pData) {}

    // Posts a notice to the thread; false when the thread has begun to end
    // and would not take it (a new thread must show it).
    static bool PostNotice(DWORD dwThreadId, UINT nMessage);

    BOOL InitInstance() override;
    int Run() override;
    int ExitInstance() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

private:
    CNotifyMailData* m_pData;
    CNotifyUserWnd* m_pWnd = nullptr;
    bool m_bShowPending = false;  // a notice came while the window was closing
    enum { kGoOn = -0x4E4F54 };
};
