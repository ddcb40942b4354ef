// CReceiveProgressSink: what a receiving session reports while it runs. The
// session thread's progress object implements it; the session keeps a
// pointer it does not own and reports nothing when none is set.
#pragma once

class CReceiveProgressSink
{
public:
    virtual ~CReceiveProgressSink() = default;

    // Number of mails of the pass, once the server has told it.
    virtual void SetMailCount(int nTotal) = 0;
    // Start of one mail: its number in the pass and its size in bytes.
    virtual void SetMailStart(int nCurrent, int nSize) = 0;
    // Bytes of the current mail received so far.
    virtual void SetMailBytes(int nDone) = 0;
};
