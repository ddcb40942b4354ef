// CMailViewerThread: a viewer window's thread. The viewer subsystem gives it its document, frame and view; the application only needs its folder and its end on the quit message.
#pragma once

#include "classlib/ClassLib.h"

class CMailViewerThread : public CWinThread
{
public:
    BOOL InitInstance() override { return TRUE; }
    // The folder of the document's mail; 0 for none.
    int GetDocFolderId() const { return m_nFolderId; }

    int m_nFolderId = 0;

protected:
    void OnQuit(WPARAM, LPARAM) { ::PostQuitMessage(0); }

    DECLARE_MESSAGE_MAP()
};
