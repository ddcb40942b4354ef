// The pane tests' message loop: window messages are dispatched, and the
// thread messages the code under test posts to the main thread (the test's
// own) are counted by number.
#pragma once

#include <windows.h>

#include <map>

namespace ViewerTest {

inline std::map<UINT, int>& PostedMessages()
{
    static std::map<UINT, int> posted;
    return posted;
}

inline void Pump(DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!msg.hwnd) {
                ++PostedMessages()[msg.message];
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - start < ms);
}

} // namespace ViewerTest
