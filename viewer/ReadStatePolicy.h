// CReadStatePolicy: when a shown mail becomes read, and what a requested
// read notification does to it. Window-less: the mail view asks it and then
// sets its timer, writes the index and posts its messages as told.
#pragma once

#include <windows.h>

class CReadStatePolicy
{
public:
    // Flag word bits of an index record.
    enum { flagNotifyRequested = 0x10, flagNotifyAnswered = 0x20 };
    // Results of the read-notification question.
    enum { answerSend = 1, answerDoNotSend = 2, answerLater = 4 };

    enum class ShowAction {
        None,           // leave the mail unread
        StartTimer,     // mark it read when the delay has passed
        MarkNoFlag,     // announce it without setting the read flag
        MarkRead,       // mark it read at once
    };

    // Showing a mail. The delay is PreViewTime seconds; 0 marks at once
    // (unless marking waits for the end of the text), -1 never sets the flag.
    ShowAction OnShow(int nFolderId, int nIndex, bool bRead, int nPreViewTime, bool bScrollEndRead);
    UINT GetDelayMs() const { return m_nDelayMs; }
    // The delay has passed: true (once) when the mail it was started for is
    // still the one shown and is to be marked read now.
    bool OnTimer();
    // The pane was emptied or another mail is being shown.
    void Cancel() { m_bArmed = false; }
    bool IsTimerArmed() const { return m_bArmed; }

    struct MarkResult
    {
        bool bPending = false;  // remember that the question is owed
        bool bSetRead = false;  // set the read flag and write it
        bool bAnnounce = false; // tell the main thread the mail changed
    };
    // Marking the shown mail read. A mail whose notification request is
    // unanswered stays unread while its window is in the background.
    static MarkResult MarkRead(bool bReadNotifyOn, int nFlags, bool bFrameInFront, bool bSetRead);
    static bool IsNotifyPending(int nFlags)
    {
        return (nFlags & (flagNotifyRequested | flagNotifyAnswered)) == flagNotifyRequested;
    }
    // The flag word after the question was answered; *pbSend says whether
    // the notification is to be sent. "Later" leaves the mail pending.
    static int FlagsAfterAnswer(int nFlags, int nAnswer, bool* pbSend);

private:
    bool m_bArmed = false;
    UINT m_nDelayMs = 0;
    int m_nFolderId = 0;
    int m_nIndex = -1;
};
