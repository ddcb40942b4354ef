#include "editor/MailEditThread.h"

#include "core/AppMessages.h"

BEGIN_MESSAGE_MAP(CMailEditThread, CWinThread)
    ON_THREAD_MESSAGE(WM_QD_QUIT_THREAD, OnQuit)
END_MESSAGE_MAP()
