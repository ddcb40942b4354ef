// CImapSession: receives the mails of one account's IMAP4 mailbox as a step
// machine on the receiving-session base: each call of Run sends one command
// (tagged "A" and the number of the state that sends it), reads its reply,
// chooses the next state and posts the step message to the session thread.
// Logins by LOGIN, AUTHENTICATE LOGIN and AUTHENTICATE CRAM-MD5; ids from
// X-UIDL or Message-ID; deletion by STORE \Deleted and EXPUNGE.
//
// Message data arrives in literals ("{n}" and n bytes): they are read by
// their size, as bytes, so that nothing of the protocol ends up in a mail
// and nothing in a mail (a NUL, a bare LF, a line that looks like a tagged
// reply) can confuse the protocol. A mail is marked \Deleted only after it
// has been filed.
#pragma once

#include "message/DotStuffer.h"
#include "net/ReceiveSession.h"

#include <string>
#include <vector>

class CLineSocket;

class CImapSession : public CReceiveSession
{
public:
    // States of the step machine; the number of the state that sends a
    // command is in its tag.
    enum State {
        stEnd = 0,
        stConnect = 1,
        stCapability = 2,
        stLogin = 3,
        stAuthUser = 4,
        stAuthPassword = 5,
        stSelect = 6,
        stIdsByMessageId = 8,
        stIdsByXUidl = 9,
        stSize = 10,
        stHeader = 11,
        stText = 12,
        stDelete = 13,
        stExpunge = 14,
        stFinish = 15,
        stCancel = 16
    };
    // Login methods.
    enum { loginUnchosen = 0, loginAuthLogin = 1, loginCramMd5 = 2, loginCommand = 3 };

    CImapSession();
    ~CImapSession() override;

    bool Run() override;
    bool Start(CDlgRemoteMail* pDialog, std::vector<CReceiveSelection>* pSelection) override;
    void Cancel() override;
    bool Finish() override;
    bool IsRunning() override;

    void SetUseCramMd5(bool bUse) { m_bUseCramMd5 = bUse; }
    void SetMailboxName(const char* pszName) { m_strMailbox = pszName; }
    int GetLoginMethod() const { return m_nLoginMethod; }

    // An argument of an IMAP command (RFC 3501 astring): an atom as it is,
    // else a quoted string with '\' and '"' escaped. Empty when only a
    // literal can carry the text (CR, LF, NUL or 8-bit bytes).
    static CString QuoteArgument(const char* pszText);
    // The size of the literal announced at the end of a reply line ("{n}"
    // before its CR LF), or -1 when the line announces none.
    static long long LiteralSize(const char* pszLine, int nLength);

protected:
    enum Reply { replyOk, replyContinue, replyFailed, replyReadError, replyAborted };

    bool StepConnect();
    // Sends one command under the tag of the given state.
    bool SendTagged(int nTagState, const CString& text, const char* pszLogText = nullptr);
    bool SendLogin();
    // Reads up to the tagged reply (or a continuation "+" when one may come).
    Reply ReadReply(bool bContinuationWanted);
    // One line of the reply, long lines joined; false on a read failure.
    bool ReadFullLine(std::string& line);
    Reply ReadLiteral(long long nSize, bool bToMailFile, std::string& bytes);
    void HandleUntagged(const std::string& line, const std::vector<std::string>& literals);
    void HandleIdListing(const std::string& line, const std::vector<std::string>& literals);
    void StartMailText();
    void WriteMailBytes(const char* pData, size_t nLength);
    bool OnReplyOk();
    void OnFailure(Reply reply);
    void ReportReadFailure();
    void AfterListing();
    // Picks the message at or after the index (state 10, 13 or 15).
    void SelectMessage(int nIndex);
    void HeaderStep();
    // Files the downloaded mail; false when it could not be filed.
    bool StoreMail();
    // Sends STORE \Deleted for the next queued deletion; false when none is left.
    bool SendQueuedDelete(bool& bSent);
    CString IdOf(int nNumber) const;
    // The id under which the message's receipt is recorded in an ordinary
    // pass.
    CString ReceiptIdOf(int nNumber) const;
    CString ServerIdOf(int nNumber) override { return IdOf(nNumber); }
    // The selected mail now fetched is to stay unread on the server.
    bool KeepUnread() const;
    CLineSocket* LineSocket() const;

    CString m_strTag;
    CString m_strMailbox = "INBOX";
    CString m_strLastLine;       // the last line read (a continuation's challenge)
    int m_nLoginMethod = loginUnchosen;
    bool m_bUseCramMd5 = false;
    int m_nDeletedCount = 0;     // messages marked \Deleted and not yet expunged
    int m_nDeleteNumber = 0;     // the message the pending STORE marks
    bool m_bExpiredDelete = false;
    bool m_bTooLarge = false;
    bool m_bEnded = false;       // LOGOUT went out: read errors are no failure
    bool m_bReplyStarted = false;
    bool m_bStopAfterFailure = false;
    bool m_bFound = false;       // the reply carried the data the state asked for
    std::vector<CString> m_ids;  // by message number - 1
    std::vector<CString> m_uids; // the same, the messages' UIDs (empty when not given)
    CString m_strUidValidity;    // of the selected mailbox, empty when not given
    std::vector<bool> m_markedDeleted;
    std::string m_header;        // RFC822.HEADER of the current message
    bool m_bPrevCR = false;      // line-end state of the bytes written to the mail file
    CDotStuffer m_stuffer;       // the mail file is kept dot-doubled, as POP3 delivers it
};
