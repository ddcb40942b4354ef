// CAppThreadCall: runs a piece of work on the application thread for code
// that plug-ins call from threads of their own (the folder registry, the
// transfer jobs and the mail windows belong to the application thread).
// Called on the application thread, or before the call window exists (in
// tests, before start-up), the work runs at once on the caller's thread.
#pragma once

#include <windows.h>

#include <functional>

class CAppThreadCall
{
public:
    // Makes the call window; on the application thread, once.
    static void Create();
    static void Destroy();
    // Runs the work on the application thread and waits for its end. False
    // when the application thread did not take it within dwTimeoutMs (it
    // then never runs).
    static bool Run(const std::function<void()>& work, DWORD dwTimeoutMs = 60000);
};
