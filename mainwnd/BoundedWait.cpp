#include "mainwnd/BoundedWait.h"

#include <vector>

bool RetryBounded(const std::function<bool()>& attempt, DWORD nIntervalMs, int nTries,
                  const std::function<void(DWORD)>& wait)
{
    for (int i = 0; i < nTries; ++i) {
        if (attempt())
            return true;
        if (i + 1 < nTries)
            wait(nIntervalMs);
    }
    return false;
}

int WaitForThreadsBounded(const HANDLE* pHandles, int nCount, DWORD nTimeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<HANDLE> running;
        for (int i = 0; i < nCount; ++i)
            if (pHandles[i] && WaitForSingleObject(pHandles[i], 0) == WAIT_TIMEOUT)
                running.push_back(pHandles[i]);
        DWORD elapsed = GetTickCount() - start;
        if (running.empty() || elapsed >= nTimeoutMs)
            return static_cast<int>(running.size());
        // One at a time: MsgWaitForMultipleObjects takes at most 63 handles.
        DWORD r = MsgWaitForMultipleObjects(1, &running[0], FALSE, nTimeoutMs - elapsed, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0 + 1) {
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // delivers the sent messages only
        }
    }
}

void WaitServingSentMessages(DWORD nMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= nMs)
            return;
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, nMs - elapsed, QS_SENDMESSAGE) == WAIT_OBJECT_0) {
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        }
    }
}
