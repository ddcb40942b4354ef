// Waiting in an end-to-end test for something the program does in its own time.
#pragma once

#include <windows.h>

#include <functional>

namespace E2e {

// Polls done every 50 ms until it holds (true) or the time is up (false).
inline bool WaitFor(DWORD timeoutMs, const std::function<bool()>& done)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

} // namespace E2e
