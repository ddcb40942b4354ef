// CAddressManagerThread: the address-book thread: it will own the address-book window; for now it only waits for the quit message.
#pragma once

#include "classlib/ClassLib.h"

class CAddressManagerThread : public CWinThread
{
public:
    BOOL InitInstance() override { return TRUE; }

protected:
    void OnQuit(WPARAM, LPARAM) { ::PostQuitMessage(0); }

    DECLARE_MESSAGE_MAP()
};
