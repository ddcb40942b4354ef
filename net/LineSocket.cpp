#include "net/LineSocket.h"

#include "net/CommLog.h"

CLineSocket::CLineSocket()
{
    m_hWsaEvent = WSACreateEvent();
}

CLineSocket::~CLineSocket()
{
    Close();
    if (m_hWsaEvent != WSA_INVALID_EVENT)
        WSACloseEvent(m_hWsaEvent);
}

int CLineSocket::NextByte(char& ch)
{
    if (m_nRecvPos >= m_nRecvLength) {
        int n = recv(m_hSocket, m_recvBuffer, sizeof(m_recvBuffer), 0);
        if (n == SOCKET_ERROR)
            return -1;
        if (n == 0)
            return 0;
        m_nRecvPos = 0;
        m_nRecvLength = n;
    }
    ch = m_recvBuffer[m_nRecvPos++];
    return 1;
}

int CLineSocket::FailRead(int nResult)
{
    // A closed connection in the middle of a reply is as fatal as an error.
    if (nResult == 0)
        WSASetLastError(WSAECONNABORTED);
    PostSocketError();
    return -1;
}

int CLineSocket::Finish(char* pBuffer, int nCount, bool bTouch)
{
    pBuffer[nCount] = '\0';
    if (IsCommLogOn())
        WriteCommLog(pBuffer);
    if (bTouch)
        TouchWatchdog();
    return nCount;
}

int CLineSocket::ReadLine(char* pBuffer, int nSize)
{
    int nPos = 0;
    char ch = 0;
    int r;
    if (!m_bMidLine) {
        if ((r = NextByte(ch)) <= 0) {
            pBuffer[0] = '\0';
            return FailRead(r);
        }
        if (ch == '\n' && m_nPrevEnd == EndCR && (m_nLineEnd == 0 || m_nLineEnd == -1)) {
            m_nLineEnd = 0;  // the rest of the previous CR LF
        } else if (ch == '\n' && m_nPrevEnd == EndLF && (m_nLineEnd == 1 || m_nLineEnd == -1)) {
            m_nLineEnd = 1;
            memcpy(pBuffer, "\r\n", 2);
            return Finish(pBuffer, 2, false);
        } else if (ch == '\r' && m_nPrevEnd == EndCR && (m_nLineEnd == 2 || m_nLineEnd == -1)) {
            m_nLineEnd = 2;
            memcpy(pBuffer, "\r\n", 2);
            return Finish(pBuffer, 2, false);
        } else if (ch == '\r' && m_nPrevEnd == EndCR && m_nLineEnd == 0) {
            // CR CR LF: the stray CR and what follows it end the previous line.
            if ((r = NextByte(ch)) <= 0) {
                if (r == 0)
                    WSASetLastError(WSAECONNABORTED);
                pBuffer[0] = '\0';
                throw CSocketException(WSAGetLastError());
            }
        } else if (ch != '\0') {
            pBuffer[nPos++] = ch;
        }
    }
    m_bMidLine = false;
    while (nPos < nSize) {
        if ((r = NextByte(ch)) <= 0) {
            // What came of the broken line stays readable as a text.
            pBuffer[nPos] = '\0';
            return FailRead(r);
        }
        if (ch == '\r' || ch == '\n') {
            pBuffer[nPos++] = '\r';
            pBuffer[nPos++] = '\n';
            m_nPrevEnd = ch == '\r' ? EndCR : EndLF;
            return Finish(pBuffer, nPos, true);
        }
        if (ch != '\0')
            pBuffer[nPos++] = ch;
    }
    m_bMidLine = true;
    return Finish(pBuffer, nPos, true);
}

int CLineSocket::ReadRaw(char* pBuffer, int nSize)
{
    if (nSize <= 0)
        return 0;
    char ch = 0;
    int r;
    if (m_nPrevEnd == EndCR && m_nLineEnd != 2 && !m_bMidLine) {
        if ((r = NextByte(ch)) <= 0)
            return r < 0 ? FailRead(r) : 0;
        if (ch != '\n')
            m_nRecvPos--;  // still in the buffer: NextByte just took it from there
    }
    m_nPrevEnd = EndNone;
    m_bMidLine = false;
    if (m_nRecvPos >= m_nRecvLength) {
        int n = recv(m_hSocket, m_recvBuffer, sizeof(m_recvBuffer), 0);
        if (n == SOCKET_ERROR)
            return FailRead(-1);
        if (n == 0)
            return 0;
        m_nRecvPos = 0;
        m_nRecvLength = n;
    }
    int nCount = m_nRecvLength - m_nRecvPos;
    if (nCount > nSize)
        nCount = nSize;
    memcpy(pBuffer, m_recvBuffer + m_nRecvPos, static_cast<size_t>(nCount));
    m_nRecvPos += nCount;
    TouchWatchdog();
    return nCount;
}
