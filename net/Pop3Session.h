// CPop3Session: receives the mail of one POP3 account as a step machine: each
// call of Run sends at most one command, reads its reply, chooses the next
// state and posts the step message to the session thread, whose message loop
// calls Run again. Logins USER/PASS and APOP, STLS and TLS from the start
// (port 995), a size limit, leaving mail on the server with received-id
// lists, and deletion after receiving or after a number of days.
//
// A mail is deleted from the server only after it has been filed safely.
#pragma once

#include "net/ReceiveSession.h"

#include <string>

class CPop3Session : public CReceiveSession
{
public:
    CPop3Session();
    ~CPop3Session() override;

    bool Run() override;
    bool Start(CDlgRemoteMail* pDialog, std::vector<CReceiveSelection>* pSelection) override;
    void Cancel() override;
    bool Finish() override;
    bool IsRunning() override;

    void SetApop(bool bApop) { m_bApop = bApop; }
    bool IsUidlAvailable() const { return m_bUidl; }

    // The n-th number (from 1) of a reply; -1 when a minus sign follows it, 0 when missing.
    static int GetReplyNumber(const char* pszReply, int n);
    // "<...>" of the greeting, or empty.
    static CString GetApopStamp(const char* pszGreeting);

private:
    enum Command { cmdNone, cmdUser, cmdPass, cmdStat, cmdList, cmdUidl, cmdTop, cmdRetr, cmdDele, cmdDeleExpired, cmdQuit };

    bool Connect();
    bool SendPop3(Command command, const CString& text, const char* pszLogText = nullptr);
    // Sends DELE for the next queued deletion; false when none is left.
    bool SendQueuedDelete(bool& bOk);
    // One reply line into the reply buffer (normalised to CR LF); -1 on failure.
    int ReadReplyLine();
    bool ReadReply();
    void ReportReadFailure(int nErrorResult, const char* pszWhere);
    void HandleReply();
    bool ReadUidlListing();
    void StartAfterListing();
    void HandleSize();
    void ReadHeaderStep();
    void ReceiveMailStep();
    void GoToNextMail();
    // Asks the server's capabilities (CAPA); false when the reply could not
    // be read. A server without CAPA just gets no pipelining.
    bool ReadCapabilities();
    // LIST of the current mail leads straight to its RETR: no size limit, no
    // header check, ids from UIDL and no list of the user's choosing.
    bool ListLeadsToRetr() const;
    // With pipelining: LIST and RETR of the current mail in one write, both
    // replies read. Sets the next state as the two steps would.
    bool SendListAndRetr();
    // The number of the mail after the current one in an ordinary pass; 0
    // when there is none.
    int PeekNextNumber();
    // Reads and drops the replies to the LIST and RETR sent ahead for a mail
    // that the pass no longer fetches (it ended first); false when they
    // could not be read.
    bool DropRetrAhead();
    // With pipelining: every queued DELE in one write, then their replies.
    bool SendQueuedDeletesAtOnce(bool& bOk);
    CString ServerIdOf(int nNumber) override;
    // Checks the listing window's view or the user's selection against the
    // server's mailbox; false (and the pass ends) when they no longer match.
    bool CheckAgainstWindow();
    // POP3 number of the mail at the current index; 0 past the end.
    int CurrentNumber();
    // Goes on with the mail at the current index (its size first), or to the
    // end of the pass when there is none.
    void GoToCurrentNumber();
    std::string m_tlsPending;  // decrypted bytes not yet handed out as lines
    size_t m_nTlsPos = 0;
    bool m_bTlsSkipLF = false;
    bool m_bPipelining = false;  // the server announced PIPELINING (RFC 2449)
    bool m_bCapaAsked = false;
    // With pipelining: the number of the next mail, whose LIST and RETR went
    // out with the current mail's, so that its text is on its way while the
    // current one is filed; 0 when none is ahead.
    int m_nRetrAhead = 0;
    bool m_bApop = false;
    bool m_bUidl = true;
    bool m_bTooLarge = false;
    int m_nStoredCount = 0;  // ids in list B at the start (resume point without UIDL)
    Command m_lastCommand = cmdNone;
    CString m_strGreeting;
    CString m_strDeleteId;   // removed from list C when its DELE succeeds
};
