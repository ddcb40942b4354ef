// A hidden window of a test that owns what the test puts on the clipboard.
#pragma once

#include <windows.h>

class ClipboardOwner
{
public:
    ClipboardOwner() { m_hwnd = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr); }
    ~ClipboardOwner() { DestroyWindow(m_hwnd); }
    ClipboardOwner(const ClipboardOwner&) = delete;
    ClipboardOwner& operator=(const ClipboardOwner&) = delete;

    // Empties the clipboard and puts the data (owned by the clipboard after
    // success) in the format; no data leaves it empty.
    bool Put(UINT format, HANDLE data)
    {
        if (!OpenClipboard(m_hwnd))
            return false;
        EmptyClipboard();
        bool ok = !data || SetClipboardData(format, data) != nullptr;
        CloseClipboard();
        return ok;
    }
    HWND Window() const { return m_hwnd; }

private:
    HWND m_hwnd;
};
