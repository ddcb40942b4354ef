// CCommunicationThread: serves hand-over requests. On 1494 it reads the
// hand-over block and passes the request on to the application thread as a
// thread message whose lParam is the token of its text in the process's
// posted-object table (CPostedObjectTable); the application takes the text
// and gives the token back with 1409. Texts never taken go when the thread
// ends.
#pragma once

#include "classlib/ClassLib.h"

#include <string>
#include <vector>

class CCommunicationThread : public CWinThread
{
public:
    explicit CCommunicationThread(DWORD dwAppThreadId) : m_dwAppThreadId(dwAppThreadId) {}
    ~CCommunicationThread() override { DropPending(); }

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
    void PostText(UINT message, WPARAM wParam, std::string text);
    void DropPending();

    // Tokens of the texts handed to the application thread.
    std::vector<LPARAM> m_pending;
    bool m_bSockets = false;
};
