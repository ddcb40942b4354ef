// The state of a command as a frame's routing sees it now, answered to a
// registered window message ("CVMCommandState", wParam the command id) that
// another process (a test driver) can send: kCommandHandled when a handler
// takes the command, plus kCommandEnabled when its menu item would be enabled.
#pragma once

#include <windows.h>

class CFrameWnd;

#define CVM_COMMAND_STATE_MESSAGE "CVMCommandState"
enum : LRESULT { kCommandHandled = 1, kCommandEnabled = 2 };

UINT GetCommandStateMessage();
LRESULT GetCommandState(CFrameWnd* pFrame, UINT nID);
