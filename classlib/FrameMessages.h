// Messages and strings a frame and its control bars share.
#pragma once

// The status bar's text while no command is pointed at.
#define AFX_IDS_IDLEMESSAGE 0xE001
// Sent to a frame to show the prompt of a command (wParam: its id; the idle
// text for AFX_IDS_IDLEMESSAGE) in pane 0 of its status bar. A frame with
// prompts of its own (plug-in commands) handles it in its own map.
#define WM_SETMESSAGESTRING 0x0362
