// CCommunicationThread: serves hand-over requests. On 1494 it reads the
// hand-over block and passes the request on to the application thread as a
// thread message whose lParam is a text buffer owned by this thread; the
// application gives the buffer back with 1409.
#pragma once

#include "classlib/ClassLib.h"

#include <memory>
#include <vector>

class CCommunicationThread : public CWinThread
{
public:
    explicit CCommunicationThread(DWORD dwAppThreadId) : m_dwAppThreadId(dwAppThreadId) {}

    BOOL InitInstance() override;
    int ExitInstance() override;

    // Turns one request (command word, length, text) into a thread message
    // for the application thread; false when the request is malformed or unknown.
    bool CarryOutRequest(const std::vector<BYTE>& request);
    // Command 5: six strings that open a new mail window with the To text,
    // the second address text, the subject and the body.
    bool CarryOutMailRequest(const std::vector<BYTE>& request);

    DWORD m_dwAppThreadId;

protected:
    void OnHandOverRequest(WPARAM, LPARAM);
    void OnReleaseText(WPARAM, LPARAM lParam);
    void OnQuit(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    std::vector<std::unique_ptr<char[]>> m_pending;
    bool m_bSockets = false;
};
