// CMailSocket: the blocking TCP connection of one protocol session. Used only
// on the session's thread; failures are also reported to that thread by
// posting the transfer-error message, and every successful exchange tells the
// session's watchdog thread that the connection is alive.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "classlib/ClassLib.h"

class CMailSocket
{
public:
    CMailSocket();
    CMailSocket(const CMailSocket&) = delete;
    CMailSocket& operator=(const CMailSocket&) = delete;
    virtual ~CMailSocket();

    // Creates the socket and sets its send and receive time-outs.
    virtual bool Create();
    // host: a name or a dotted IPv4 address.
    virtual bool Connect(const char* pszHost, int nPort);
    // Returns nLength on success (also when there is nothing to send), 0 on
    // failure. pszLogText, when given, is logged in place of the data.
    virtual int Send(const char* pData, int nLength, const char* pszLogText = nullptr);
    // One receive call: the byte count, 0 when the peer closed, -1 on error.
    virtual int Receive(char* pBuffer, int nSize);

    // The closesocket result, or -1 when nothing was open.
    int Close();
    bool IsOpen() const { return m_hSocket != INVALID_SOCKET; }

    void SetOwner(void* pOwner) { m_pOwner = pOwner; }
    void* GetOwner() const { return m_pOwner; }
    // In the unit of the account's time-out; blocking calls wait T x 3 seconds.
    void SetTimeOut(int nTimeOut) { m_nTimeOut = nTimeOut; }
    int GetTimeOut() const { return m_nTimeOut; }
    void SetWatchdogThreadId(DWORD dwThreadId) { m_dwWatchdogThreadId = dwThreadId; }
    // Signalled by the owner to ask for an abort; nothing here waits on it.
    CEvent& GetAbortEvent() { return m_abortEvent; }

protected:
    void ApplyTimeOuts();
    void TouchWatchdog();
    // Posts the transfer-error message (0, 0) to the calling thread.
    static void PostSocketError();
    // Resolves a dotted address or a host name; false with WSAEINVAL when unknown.
    static bool ResolveHost(const char* pszHost, int nPort, sockaddr_in& addr);

    SOCKET m_hSocket = INVALID_SOCKET;
    WSAEVENT m_hWsaEvent = WSA_INVALID_EVENT;  // made by CLineSocket
    void* m_pOwner = nullptr;
    CEvent m_abortEvent{FALSE, TRUE};
    BYTE m_bPlainFirst = 0;  // used by CTlsSocket
    int m_nTimeOut = 60;
    DWORD m_dwWatchdogThreadId = 0;
    static constexpr DWORD kTouchIntervalMs = 200;
    bool m_bTouched = false;
    DWORD m_dwLastTouch = 0;
};
