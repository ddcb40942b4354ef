// The communication log of the protocol clients. Writing goes through a
// writer the application installs while logging is switched on; with none
// installed nothing is written.
#pragma once

typedef void (*CommLogWriter)(const char* pszText);

// Returns the writer that was installed before.
CommLogWriter SetCommLogWriter(CommLogWriter writer);
bool IsCommLogOn();
void WriteCommLog(const char* pszText);
