// CSmtpStatusSink: what the SMTP session reports while it sends. The send
// job's progress object implements it; the session keeps a pointer it does
// not own and reports nothing when none is set.
#pragma once

class CSmtpStatusSink
{
public:
    virtual ~CSmtpStatusSink() = default;

    // Detail line of the progress display (a reply, or what is being done).
    virtual void SetStatusText(const char* pszText) = 0;
    // 2: show raw replies instead of their explanations.
    virtual int GetDisplayMode() const { return 0; }
    // Start of one mail: its subject and size in bytes.
    virtual void SetProgress(const char* pszSubject, int nTotal, int nSent) = 0;
    // Bytes sent so far; bNotify asks for the display to be updated.
    virtual void SetProgressData(int nSent, bool bNotify) = 0;
};
