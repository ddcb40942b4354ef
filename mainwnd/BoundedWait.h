// Waits the main window does before it goes, each with a bound: a thread
// that never ends or a request that never succeeds must not keep the
// program from closing.
#pragma once

#include <windows.h>

#include <functional>

// Calls attempt until it reports success, waiting nIntervalMs between tries
// (through wait, which keeps the caller's messages served), at most nTries
// times. True when an attempt succeeded.
bool RetryBounded(const std::function<bool()>& attempt, DWORD nIntervalMs, int nTries,
                  const std::function<void(DWORD)>& wait);
// Waits until every running thread of the handles has ended or nTimeoutMs
// passed, delivering messages sent to the calling thread meanwhile (a
// worker may be sending to one of its windows). Returns how many still run.
int WaitForThreadsBounded(const HANDLE* pHandles, int nCount, DWORD nTimeoutMs);
// Sleeps nMs while serving messages sent to the calling thread.
void WaitServingSentMessages(DWORD nMs);
