// The state of a command as a frame's routing sees it now, answered to a
// registered window message ("CVMCommandState", wParam the command id) that
// another process (a test driver) can send: kCommandHandled when a handler
// takes the command, plus kCommandEnabled when its menu item would be enabled.
// Likewise "CVMInputMethodState": whether the input method is open where the
// frame's thread has the keyboard focus (the system offers no other process
// a way to ask).
#pragma once

#include <windows.h>

class CCmdTarget;
class CFrameWnd;

#define CVM_COMMAND_STATE_MESSAGE "CVMCommandState"
enum : LRESULT { kCommandHandled = 1, kCommandEnabled = 2 };

UINT GetCommandStateMessage();
LRESULT GetCommandState(CFrameWnd* pFrame, UINT nID);

// Whether an update handler of the target's routing greys the command now;
// a command that no update handler looks at is not greyed.
bool IsCommandGreyed(CCmdTarget* pTarget, UINT nID);

#define CVM_INPUT_METHOD_STATE_MESSAGE "CVMInputMethodState"
UINT GetInputMethodStateMessage();
// 1 open, 0 closed, -1 when the focused window (else the frame) has no
// input context; called on the frame's thread.
LRESULT GetInputMethodState(HWND hFrame);
