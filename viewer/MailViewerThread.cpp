#include "viewer/MailViewerThread.h"

#include "core/AppMessages.h"

BEGIN_MESSAGE_MAP(CMailViewerThread, CWinThread)
    ON_THREAD_MESSAGE(WM_QD_QUIT_THREAD, OnQuit)
END_MESSAGE_MAP()
