#include "mainwnd/MailSearchThread.h"

#include "core/AppMessages.h"

BEGIN_MESSAGE_MAP(CMailSearchThread, CWinThread)
    ON_THREAD_MESSAGE(WM_QD_QUIT_THREAD, OnQuit)
END_MESSAGE_MAP()
