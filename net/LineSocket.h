// CLineSocket: a CMailSocket that returns the server's reply one line at a
// time, every line end normalised to CR LF whatever the server sends (CR LF,
// LF alone or CR alone; the convention is learned from the stream).
#pragma once

#include "classlib/SocketException.h"
#include "net/MailSocket.h"

class CLineSocket : public CMailSocket
{
public:
    CLineSocket();
    ~CLineSocket() override;

    // Reads one line into pBuffer, which must hold nSize + 2 bytes: the
    // stored bytes (line text and CR LF) and a terminating zero. A line longer
    // than nSize comes in pieces of nSize bytes without a line end. Returns
    // the number of bytes stored, or -1 on a socket error or a closed
    // connection; the buffer is zero-terminated either way (after a failure
    // it holds what came of the broken line). Throws CSocketException when
    // the connection fails while skipping the rest of a CR CR LF line end.
    int ReadLine(char* pBuffer, int nSize);
    // Raw bytes for a transfer counted by its size (an IMAP literal): what
    // the line reader has already buffered first, else one receive call. The
    // LF still pending after a line that ended at CR is skipped first, and
    // the line after the bytes starts afresh. Returns the byte count (at most
    // nSize), 0 when the peer closed, -1 on a socket error.
    int ReadRaw(char* pBuffer, int nSize);
    void ResetLineEnd() { m_nLineEnd = -1; }
    // -1 unknown, 0 CR LF, 1 LF alone, 2 CR alone.
    int GetLineEnd() const { return m_nLineEnd; }

private:
    enum { EndNone = -1, EndCR = 0, EndLF = 1 };
    // 1 with a byte, 0 when the peer closed, -1 on a socket error.
    int NextByte(char& ch);
    int FailRead(int nResult);
    int Finish(char* pBuffer, int nCount, bool bTouch);

    int m_nPrevEnd = EndNone;
    int m_nLineEnd = -1;
    // A piece of a long line was returned; the next byte continues it.
    bool m_bMidLine = false;
    // Received bytes not yet handed out; one recv call fills it.
    char m_recvBuffer[65536];
    int m_nRecvPos = 0;
    int m_nRecvLength = 0;
};
