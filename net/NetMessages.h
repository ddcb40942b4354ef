// Thread messages that the protocol clients post.
#pragma once

#include <windows.h>

// To the session's own thread: run the next step of the state machine.
constexpr UINT CVM_MSG_SESSION_STEP = 2524;
// To the session's own thread: transfer error (wParam error result, lParam string id).
constexpr UINT CVM_MSG_TRANSFER_ERROR = 1360;
// To the watchdog thread: the connection is alive.
constexpr UINT CVM_MSG_WATCHDOG_TOUCH = 1444;
// To the main thread: a receive pass ended (wParam the number of new mails).
constexpr UINT CVM_MSG_RECEIVE_END = 1355;
// To the session thread: the session finished (wParam error result, lParam string id).
constexpr UINT CVM_MSG_SESSION_FINISHED = 1357;
// To the main thread: a received mail was filed (lParam folder id).
constexpr UINT CVM_MSG_MAIL_FILED = 1346;
// To the session thread from its creator: abort the pass.
constexpr UINT CVM_MSG_SESSION_ABORT = 1358;
