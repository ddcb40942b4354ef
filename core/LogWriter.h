// The communication log "$$CVM.Log" (path from the application object). The
// log is opened, appended to and closed for every write, so that a crash
// loses nothing and another program may read it meanwhile.
#pragma once

#include "classlib/ClassLib.h"

// Appends the text unchanged when logging is on or bForce is set; a log that
// cannot be opened is skipped silently.
void WriteLog(const char* pszText, BOOL bForce = FALSE);
// Appends the local time "%H:%M:%S\r\n" and an empty line.
void WriteLogTime();
// Appends "%H:%M:%S:" and the text and CR LF.
void WriteLogLine(const char* pszText);
