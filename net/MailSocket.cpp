#include "net/MailSocket.h"

#include "net/CommLog.h"
#include "net/NetMessages.h"

CMailSocket::CMailSocket() = default;

CMailSocket::~CMailSocket() = default;

bool CMailSocket::Create()
{
    m_hSocket = socket(AF_INET, SOCK_STREAM, 0);
    if (m_hSocket == INVALID_SOCKET)
        return false;
    ApplyTimeOuts();
    return true;
}

void CMailSocket::ApplyTimeOuts()
{
    DWORD ms = static_cast<DWORD>(m_nTimeOut > 0 ? m_nTimeOut : 0) * 3000;
    setsockopt(m_hSocket, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof(ms));
    setsockopt(m_hSocket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof(ms));
}

bool CMailSocket::ResolveHost(const char* pszHost, int nPort, sockaddr_in& addr)
{
    ZeroMemory(&addr, sizeof(addr));
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<u_short>(nPort));
    addr.sin_addr.s_addr = inet_addr(pszHost ? pszHost : "");
    if (addr.sin_addr.s_addr != INADDR_NONE)
        return true;
    hostent* pHost = pszHost && *pszHost ? gethostbyname(pszHost) : nullptr;
    if (!pHost || pHost->h_addrtype != AF_INET || !pHost->h_addr_list || !pHost->h_addr_list[0]) {
        WSASetLastError(WSAEINVAL);
        return false;
    }
    memcpy(&addr.sin_addr, pHost->h_addr_list[0], sizeof(addr.sin_addr));
    return true;
}

bool CMailSocket::Connect(const char* pszHost, int nPort)
{
    sockaddr_in addr;
    if (!ResolveHost(pszHost, nPort, addr))
        return false;
    WriteCommLog(FormatString("Connect To %s ...\r\n", pszHost));
    if (connect(m_hSocket, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == SOCKET_ERROR) {
        WriteCommLog("Connect Error\r\n");
        return false;
    }
    WriteCommLog("Connect OK\r\n");
    return true;
}

int CMailSocket::Send(const char* pData, int nLength, const char* pszLogText)
{
    if (pszLogText)
        WriteCommLog(pszLogText);
    else if (pData && IsCommLogOn())
        WriteCommLog(CString(pData, nLength));
    if (nLength > 0 && pData) {
        // A blocking send may still take only part of a large buffer.
        int nSent = 0;
        while (nSent < nLength) {
            int n = send(m_hSocket, pData + nSent, nLength - nSent, 0);
            if (n == SOCKET_ERROR || n == 0) {
                PostSocketError();
                return 0;
            }
            nSent += n;
        }
    }
    TouchWatchdog();
    return nLength;
}

int CMailSocket::Receive(char* pBuffer, int nSize)
{
    int n = recv(m_hSocket, pBuffer, nSize, 0);
    if (n == SOCKET_ERROR) {
        PostSocketError();
        return -1;
    }
    return n;
}

int CMailSocket::Close()
{
    if (m_hSocket == INVALID_SOCKET)
        return -1;
    int r = closesocket(m_hSocket);
    m_hSocket = INVALID_SOCKET;
    return r;
}

void CMailSocket::TouchWatchdog()
{
    if (!m_dwWatchdogThreadId)
        return;
    // The watchdog counts silence in seconds: a touch per line of a large
    // mail would only load the message queues.
    DWORD dwNow = GetTickCount();
    if (m_bTouched && dwNow - m_dwLastTouch < kTouchIntervalMs)
        return;
    m_bTouched = true;
    m_dwLastTouch = dwNow;
    PostThreadMessageA(m_dwWatchdogThreadId, CVM_MSG_WATCHDOG_TOUCH, 0, 0);
}

void CMailSocket::PostSocketError()
{
    // Keep the socket error for the caller's log line across the post.
    int nError = WSAGetLastError();
    PostThreadMessageA(GetCurrentThreadId(), CVM_MSG_TRANSFER_ERROR, 0, 0);
    WSASetLastError(nError);
}
