// Thread messages of the transfer jobs, their session threads and watchdogs
// (WM_USER-based numbers).
#pragma once

#include <windows.h>

enum : UINT
{
    TM_MAILBOX_MISSING = 1336,      // to the main thread: no inbox to receive into
    TM_LIST_CHANGED = 1346,         // to the main thread: a folder's list changed (lParam folder id)
    TM_FOLDER_REDRAW = 1352,        // to the main thread: redraw a folder's counts (lParam folder id)
    TM_RECEIVE_ACCOUNT = 1354,      // worker to session thread: receive account lParam
    TM_SESSION_END = 1355,          // session thread to main thread: wParam the new mails
    TM_SESSION_FINISHED = 1357,     // session to its thread: wParam error value, lParam message id
    TM_SESSION_ABORT = 1358,        // to a session thread: stop softly
    TM_SEND_REQUEST = 1359,         // to the send thread: wParam mode, lParam 1 = POP before SMTP
    TM_TRANSFER_ERROR = 1360,       // socket or dial-up failure
    TM_DIAL_STATE = 1361,           // dial-up progress (wParam the state)
    TM_DIAL_CONNECTED = 1362,       // the line is up: start the session
    TM_SESSION_FAILED = 1363,       // the session failed
    TM_FOLDER_CHANGED = 1386,       // send worker to main thread: wParam folder id
    TM_SELECT_JOB_END = 1392,       // selective-receive worker to main thread: the job ended
    TM_POP_BEFORE_SMTP = 1396,      // send side to a receive session thread: log in only
    TM_QUIT = 1404,                 // to any thread: end the loop
    TM_RECEIVE_JOB_END = 1440,      // receive worker to main thread: the job ended
    TM_WATCHDOG_TOUCH = 1444,       // session thread to watchdog: alive
    TM_WATCHDOG_ARM = 1445,         // lParam the period T in ms
    TM_WATCHDOG_CHECK = 1446,       // the watchdog's own timer
    TM_WATCHDOG_END_WATCHED = 1447, // main frame to watchdog: end the watched thread
    TM_SEND_RESULT = 1724,          // send finished (wParam result, lParam mail handle or -1)
    TM_SEND_QUIT = 1734,            // to the send thread: end the SMTP connection
    TM_SESSION_STEP = 2524,         // a session steps itself
};
