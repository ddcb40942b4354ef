// CSmtpSession: one outgoing mail and its SMTP connection.
//
// The building half (message/SmtpSessionCompose.cpp) writes the outgoing
// message file from the values given to the setters. The protocol half
// (net/SmtpSession.cpp) sends prepared message files to one server as a step
// machine: every call of Run sends one command, reads and checks its reply,
// chooses the next state and posts the step message to the owning thread,
// which calls Run again.
//
// Message files are Shift_JIS with CR LF line ends and already carry the
// dot-stuffing of the SMTP transfer in every part, so that a receiver sees
// each line as written; lines are converted to ISO-2022-JP as they are sent.
#pragma once

#include "classlib/ClassLib.h"
#include "message/RelatedPartList.h"
#include "message/SmtpComposeSource.h"

#include <cstdint>
#include <string>

class CMailSocket;
class CLineSocket;
class CTlsSocket;
class CSmtpStatusSink;

// Thread message to the owner when a session is over (wParam 1 sent, 0 not).
constexpr UINT CVM_MSG_SMTP_END = 1724;

// Called with the path of each prepared message file and the flag
// "attachments only to To" just before it is sent (the plug-in host installs
// it and calls its own list).
typedef void (*SmtpBeforeSendHook)(const char* pszPath, BOOL bAttachToOnly);

class CSmtpSession
{
public:
    enum State {
        StateNone = 0,
        StateConnect = 1,
        StateHello = 2,
        StateEhello = 3,
        StateStartTls = 4,
        StateNegotiate = 5,
        StateAuthPlain = 6,
        StateAuthLogin = 7,
        StateAuthCramMd5 = 8,
        StateAuthUser = 9,
        StateAuthPassword = 10,
        StateRset = 11,
        StateFrom = 12,
        StateRcpt = 13,
        StateData = 14,
        StateSendMessage = 15,
        StateCancelRset = 16,
        StateQuit = 17,
    };
    // Send modes of the building half.
    enum { SendModeResend = 2, SendModeReadReceipt = 11 };

    CSmtpSession();
    CSmtpSession(const CSmtpSession&) = delete;
    CSmtpSession& operator=(const CSmtpSession&) = delete;
    virtual ~CSmtpSession();

    // ================= Protocol =================
    // Starts sending the first file of the send lists.
    bool Start();
    // One protocol step; false when the session failed (GetLastErrorText says
    // why) or was cancelled. nStep only appears in the trace texts.
    virtual bool Run(int nStep = 0);
    // Ends a connection kept open for a batch: QUIT and close.
    bool SendQuit();
    // Asks the session to stop; it notices at its next step or line.
    void Cancel() { m_cancelEvent.SetEvent(); }
    CEvent& GetCancelEvent() { return m_cancelEvent; }
    // True when the session ended because it was cancelled before every
    // message had been accepted by the server.
    bool IsAborted() const { return m_bAborted; }
    int GetState() const { return m_nState; }
    // Number of message files the server has accepted.
    int GetSentCount() const { return m_nSentCount; }

    void SetServer(const char* pszHost, int nPort);
    void SetAuthUser(const char* pszUser, const char* pszPassword);
    void SetUseEhlo(bool bEhlo) { m_bUseEhlo = bEhlo; }
    void SetSsl(bool bSsl) { m_bSsl = bSsl; }
    void SetAuthMethods(bool bLogin, bool bCramMd5, bool bPlain);
    void SetTimeOut(int nTimeOut) { m_nTimeOut = nTimeOut; }
    void SetOwnerThreadId(DWORD dwThreadId) { m_dwOwnerThreadId = dwThreadId; }
    DWORD GetOwnerThreadId() const { return m_dwOwnerThreadId; }
    void SetWatchdogThreadId(DWORD dwThreadId) { m_dwWatchdogThreadId = dwThreadId; }
    void SetStatusSink(CSmtpStatusSink* pStatus) { m_pStatus = pStatus; }
    // The window the send job reports its result to (kept for the job).
    void SetNotifyWindow(HWND hWnd) { m_hNotifyWnd = hWnd; }
    HWND GetNotifyWindow() const { return m_hNotifyWnd; }
    void SetConnectionOpen(bool bOpen) { m_bConnectionOpen = bOpen; }
    void SetKeepConnection(bool bKeep) { m_bKeepConnection = bKeep; }
    bool IsKeepConnection() const { return m_bKeepConnection; }
    static void SetBeforeSendHook(SmtpBeforeSendHook hook);

    void SetFrom(const char* pszAddress);
    void SetTo(const char* pszText);
    void AddTo(const char* pszAddress) { m_toList.Add(SingleLine(pszAddress)); }
    void SetCc(const char* pszText);
    void AddCc(const char* pszAddress) { m_ccList.Add(SingleLine(pszAddress)); }
    void SetBcc(const char* pszText);
    void AddBcc(const char* pszAddress) { m_bccList.Add(SingleLine(pszAddress)); }
    void SetAttachToOnly(bool bAttachToOnly) { m_bAttachToOnly = bAttachToOnly ? 1 : 0; }
    bool IsAttachToOnly() const { return m_bAttachToOnly != 0; }

    void AddMessageFile(const char* pszPath) { m_messageFiles.Add(pszPath); }
    void AddCcMessageFile(const char* pszPath) { m_ccMessageFiles.Add(pszPath); }
    void ClearMessageFiles() { m_messageFiles.RemoveAll(); }
    void ClearCcMessageFiles() { m_ccMessageFiles.RemoveAll(); }
    const CStringArray& GetMessageFiles() const { return m_messageFiles; }
    const CStringArray& GetCcMessageFiles() const { return m_ccMessageFiles; }

    const CString& GetLastErrorText() const { return m_strLastError; }
    const CStringArray& GetToList() const { return m_toList; }
    const CStringArray& GetCcList() const { return m_ccList; }
    const CStringArray& GetBccList() const { return m_bccList; }

    // ================= Building the message =================
    bool BuildMessage(const char* pszPath, bool bForSending = false, bool bKeepMessageId = false,
                      bool bAttachComment = false, bool bWithoutAttachments = false, bool bCompanion = false);
    // Everything after the header block.
    bool WriteMessageBody(CFile& file, bool bForSending, bool bKeepMessageId, bool bAttachComment,
                          bool bWithoutAttachments, bool bCompanion);
    // Japanese explanation of an SMTP reply code; empty for unknown codes.
    static CString GetReplyText(int nCode);

    // Body lines: Shift_JIS, each normally ending in CR LF.
    void AddBodyLine(const char* pszLine);
    void AddHtmlLine(const char* pszLine);
    // Splits a text into body lines; long lines are broken after "、" or "。".
    void AddBodyText(const char* pszText);
    // The plain body kept in the stored copy of a mail whose body goes out
    // as an archive (companion build).
    void AddSecondBodyLine(const char* pszLine) { m_secondBodyLines.Add(pszLine); }
    const CStringArray& GetBodyLines() const { return m_bodyLines; }

    void AddAttachment(const char* pszPath) { m_attachFiles.Add(pszPath); }
    void AddInlineTextFile(const char* pszPath) { m_inlineTextFiles.Add(pszPath); }
    void AddInlineImageFile(const char* pszPath) { m_inlineImageFiles.Add(pszPath); }
    void SetHtmlFile(const char* pszPath) { m_strHtmlFilePath = pszPath; }
    void AddHtmlRelatedFile(const char* pszPath) { m_htmlRelatedFiles.Add(pszPath); }
    const CStringArray& GetAttachments() const { return m_attachFiles; }

    void SetAccountName(const char* pszName) { m_strAccountName = SingleLine(pszName); }
    // The account's own address; its domain names the Content-IDs of the
    // related parts.
    void SetAccountAddress(const char* pszAddress);
    void SetSignName(const char* pszName) { m_strSignName = SingleLine(pszName); }
    void SetCreateFolderId(int nId) { m_nCreateFolderId = nId; }
    void SetReferMail(int nFolderId, const char* pszHandle);
    void SetReferMailHandle(const char* pszHandle) { m_strReferHandle = SingleLine(pszHandle); }
    void SetKeepFromAddress(bool bKeep) { m_bKeepFromAddress = bKeep; }
    void SetSendMode(int nMode) { m_nSendMode = nMode; }
    int GetSendMode() const { return m_nSendMode; }
    void SetArchivePassword(const char* pszPassword) { m_strArcPassword = pszPassword; }
    void SetArchiveId(const char* pszId) { m_strArcId = SingleLine(pszId); }
    // The stored Date of a mail sent again (send mode 2).
    void SetOriginalDate(const char* pszDate) { m_strOriginalDate = SingleLine(pszDate); }
    // A date to write instead of the current time.
    void SetDateText(const char* pszDate) { m_strDateText = SingleLine(pszDate); }
    void SetSubject(const char* pszSubject);
    const CString& GetSubject() const { return m_strSubject; }
    void SetOriginalTo(const char* pszText) { m_strOriginalTo = SingleLine(pszText); }
    void SetOriginalCc(const char* pszText) { m_strOriginalCc = SingleLine(pszText); }
    void SetFromName(const char* pszName) { m_strFromName = SingleLine(pszName); }
    // 0 "name <address>", 1 "address (name)", 2 the address alone.
    void SetAddressDispType(int nType) { m_nAddressDispType = nType; }
    void SetReplyTo(const char* pszText) { m_strReplyTo = SingleLine(pszText); }
    void SetResentFrom(const char* pszText) { m_strResentFrom = SingleLine(pszText); }
    void SetResentTo(const char* pszText);
    void SetResentCc(const char* pszText);
    void SetResentBcc(const char* pszText);
    void SetMessageId(const char* pszId) { m_strMessageId = SingleLine(pszId); }
    const CString& GetMessageId() const { return m_strMessageId; }
    // The owner's part of new Message-IDs.
    void SetMessageIdText(const char* pszText) { m_strMessageIdText = SingleLine(pszText); }
    void SetInReplyTo(const char* pszText) { m_strInReplyTo = SingleLine(pszText); }
    void SetReferences(const char* pszText) { m_strReferences = SingleLine(pszText); }
    void SetReadReceipt(bool bWanted, const char* pszAddress = nullptr);
    // Whole header lines, each ended by CR LF.
    void SetPriorityHeaders(const char* pszBlock);
    void SetHtmlMail(bool bHtml) { m_bHtmlMail = bHtml; }
    void SetTextIsHtml(bool bHtml) { m_bTextIsHtml = bHtml; }
    void SetHtmlText(const char* pszText) { m_strHtmlText = pszText; }
    CRelatedPartList& GetRelatedPartList() { return m_relatedParts; }
    void SetNotificationText(const char* pszText) { m_strNotificationText = pszText; }
    void SetArchiveWithCompanion(bool bCompanion) { m_bArchiveWithCompanion = bCompanion; }
    bool IsArchiveWithCompanion() const { return m_bArchiveWithCompanion; }
    // The comment listing the attachments in the Cc copy goes on top of the
    // body when asked for although attachments go to everyone.
    void SetAttachComment(bool bComment) { m_bAttachComment = bComment; }
    void SetComposeSource(CSmtpComposeSource* pSource) { m_pSource = pSource ? pSource : &m_defaultSource; }

    bool HasCc() const { return !m_ccList.IsEmpty(); }
    bool HasCcOrBcc() const { return !m_ccList.IsEmpty() || !m_bccList.IsEmpty(); }
    // The attachment-comment flag for the main file.
    bool GetAttachCommentFlag() const;
    // Empties the body, HTML, address and file lists.
    void ResetComposition();
    // Drops the archive of the body file from the attachments (before the
    // companion build).
    void RemoveBodyArchive();
    void DeleteTempArchives();
    const CString& GetBodyArchivePath() const { return m_strBodyArchivePath; }
    const CString& GetBoundary() const { return m_strBoundary; }

protected:
    // ---- Protocol ----
    bool Connect();
    void CloseSocket();
    bool SendText(const char* pszText, int nLength = -1, const char* pszLogText = nullptr);
    // Reads one reply; false when the connection failed.
    bool ReadReply();
    bool ReadReplyLine(CString& line);
    bool CheckReply(int nNextState);
    void ChooseAuthMethod(const CString& line, bool& bSeenAuth);
    // Reads and checks the message file of the current transaction.
    bool PrepareMessageData();
    bool SendMessageData();
    CString MakeAuthAnswer();
    CString CurrentRecipient() const;
    int RecipientCount() const;
    bool PostStep();
    void PostEnd(bool bSent);

    // One protocol state each: send its command and say whether its reply
    // is due, or whether the step is over (done) or the session failed.
    enum Step { stepAwaitReply, stepDone, stepFailed };
    bool RunCancelled();
    Step Fail(const char* pszText);
    Step StepConnect();
    Step StepHello();
    Step StepEhello(bool bNegotiate);
    Step StepStartTls();
    Step StepAuthCommand(int nState);
    Step StepAuthUser();
    Step StepAuthPassword();
    Step StepRset(int nState);
    Step StepFrom();
    Step StepRcpt();
    Step StepData();
    Step StepSendMessage();
    Step StepQuit();
    // Reads the reply of the state's command and picks the next state.
    bool AfterReply(int nStep);
    void ChooseAuthFromEhloReply();
    // Whether a line of the last reply names the extension (EHLO).
    bool ReplyOffers(const char* pszKeyword) const;
    // Whether a part of the prepared message that goes out as it is holds
    // 8-bit data.
    bool HasEightBitRawData() const;
    void ChooseAfterMessage();
    void SetTrace(int nStep, int nState);
    bool FailNow(const char* pszText);
    static CString GetHelloName();

    // ---- Building ----
    bool ArchiveAttachments();
    CString ArchiveFile(const CString& path);
    void WriteText(CFile& file, const CString& text);
    void WriteBoundary(CFile& file, const CString& boundary);
    bool WriteFilePart(CFile& file, const CString& path, const CString& boundary, int nKind,
                       const char* pszContentId = nullptr, const CString* pReadyText = nullptr);
    void WriteBase64Lines(CFile& file, const char* pData, size_t nLength);
    // Base64 of the rest of the source file, one block at a time.
    void WriteBase64File(CFile& file, CFile& source);
    // The part header of a base64 file part (attachment or inline image).
    CString EncodedPartHeader(const CString& name, int nKind, const char* pszContentId, bool bReady,
                              int64_t created, int64_t modified);
    // A file part streamed from the opened file.
    bool WriteEncodedFilePart(CFile& file, CFile& part, const CString& path, const CString& boundary, int nKind,
                              const char* pszContentId, int64_t created, int64_t modified);
    CString MakeBoundarySuffix();
    CString MakeMessageId();
    int BodyLengthSum() const;
    // The text part: the body lines with the attachment comment, in
    // Shift_JIS without dot-stuffing.
    std::string TextPartText(bool bAttachComment, bool bCompanion) const;
    // How a text travels: JIS in 7 bits as the send converts the lines;
    // JIS in quoted-printable when a line would pass the 998 octets a
    // server takes; UTF-8 in Base64 when it holds characters JIS lacks.
    enum { textSevenBit, textQuotedPrintable, textUtf8Base64 };
    static int ChooseTextForm(const std::string& text);
    static const char* TextFormEncoding(int nForm);
    // The text in its form, dot-stuffed for the message file; bJisNow
    // converts 7-bit text here rather than when it is sent.
    static std::string EncodeTextPart(const std::string& text, int nForm, bool bJisNow);
    // Whether an attached mail holds 8-bit data.
    bool EnclosesEightBitMail() const;
    // The file-name parameter (" filename=..." and, for a long name, the
    // sections of RFC 2231), without the ";" after it.
    static CString FileNameParameter(const CString& name);
    bool IsSingleHtmlPart() const;
    CString AddressHeaderValue(const CStringArray& entries) const;
    void SetBuildError(int nGroup);

public:
    // Folded encoded form of a header value that starts at the column:
    // words holding 8-bit text as ISO-2022-JP encoded words (set off by a
    // blank, at most 75 characters each), lines folded with CR LF and a blank
    // at 76 characters where a blank allows. bWhole encodes the whole value
    // when it holds any 8-bit text (a display name, a parameter value).
    static CString EncodeFoldedText(const char* pszText, int nStartColumn = 0, bool bWhole = false);
    // Tokens of a header value (message identifiers) joined by one blank,
    // folded before a token that would take the line past 76 characters.
    static CString FoldAtBlanks(const char* pszValue, int nStartColumn);
    // One address entry as written in an address header.
    static CString FormatHeaderAddress(const char* pszEntry);
    // A header value as one line: line breaks and other control characters
    // (from a decoded header word, a mail link, another program) become
    // blanks, a line break before a blank (a fold) vanishes; tabs stay.
    static CString SingleLine(const char* pszText);

protected:
    // ---- Protocol members ----
    CCriticalSection m_runLock;
    CEvent m_cancelEvent{FALSE, TRUE};
    // The final dot of a message went out and the server's answer to it is
    // not read yet: a cancel waits for that answer, since the server may
    // already keep the mail.
    bool m_bDataReplyDue = false;
    CMailSocket* m_pSocket = nullptr;
    CString m_strTlsPending;  // decrypted bytes not yet returned as lines
    CString m_strHost;
    int m_nPort = -1;
    int m_nTimeOut = 60;
    bool m_bUseEhlo = false;
    bool m_bAuthenticate = false;
    bool m_bAuthRequested = false;  // every new connection logs in again
    CString m_strUser;
    CString m_strPassword;
    bool m_bSsl = false;
    bool m_bTlsEstablished = false;
    bool m_b8BitMime = false;       // the server's EHLO reply offered 8BITMIME
    bool m_bEightBitData = false;   // the prepared message goes out with 8-bit data
    bool m_bAllowLogin = true;
    bool m_bAllowCramMd5 = true;
    bool m_bAllowPlain = true;
    int m_nAuthMethod = 0;  // 0 PLAIN, 1 LOGIN, 2 CRAM-MD5
    int m_nState = StateNone;
    int m_nExecState = StateNone;
    int m_nNextState = StateNone;
    CString m_strReply;      // every line of the last reply
    CString m_strLastLine;   // its last line
    int m_nReplyCode = 0;
    CString m_strLastError;
    bool m_bErrorOccurred = false;
    bool m_bConnectionOpen = false;
    bool m_bKeepConnection = false;
    bool m_bAborted = false;
    bool m_bAllSent = false;  // the server has taken every message file
    std::string m_messageData;  // the message file being sent
    size_t m_nHeaderEnd = 0;    // its header block with the last line end
    CStringArray m_toList, m_ccList, m_bccList;
    int m_nRecipientTotal = 0;
    int m_nRecipientIndex = 0;
    CString m_strFrom;
    BYTE m_bAttachToOnly = 0;
    CStringArray m_messageFiles, m_ccMessageFiles;
    int m_nMessageIndex = 0;
    bool m_bSecondPhase = false;
    int m_nSentCount = 0;
    int m_nTotalBytes = 0;
    int m_nSentBytes = 0;
    DWORD m_dwOwnerThreadId = 0;
    DWORD m_dwWatchdogThreadId = 0;
    CSmtpStatusSink* m_pStatus = nullptr;
    HWND m_hNotifyWnd = nullptr;

    // ---- Composition members ----
    CString m_strAccountName, m_strAccountAddress, m_strSignName;
    int m_nCreateFolderId = 0;
    int m_nReferFolder = 0;
    CString m_strReferHandle;
    bool m_bKeepFromAddress = false;
    int m_nSendMode = 0;
    CString m_strArcPassword, m_strArcId;
    CString m_strOriginalDate, m_strDateText;
    CString m_strSubject;
    CString m_strOriginalTo, m_strOriginalCc;
    CString m_strFromName;
    int m_nAddressDispType = 0;
    CString m_strReplyTo, m_strResentFrom, m_strResentTo, m_strResentCc, m_strResentBcc;
    CString m_strMessageId, m_strMessageIdText, m_strInReplyTo, m_strReferences;
    bool m_bReadReceipt = false;
    CString m_strReadReceiptAddress;
    CString m_strPriorityHeaders;
    CStringArray m_bodyLines, m_secondBodyLines, m_htmlLines;
    bool m_bHtmlMail = false;
    bool m_bTextIsHtml = false;
    CString m_strHtmlText;
    CString m_strHtmlFilePath;
    CRelatedPartList m_relatedParts;
    CStringArray m_attachFiles, m_inlineTextFiles, m_inlineImageFiles, m_htmlRelatedFiles;
    CString m_strNotificationText;
    bool m_bArchiveWithCompanion = false;
    bool m_bAttachComment = false;
    CString m_strBodyArchivePath;
    CStringArray m_tempArchives;
    CString m_strBoundary;
    CString m_strAltBoundary;
    bool m_bBuildMultipart = false;  // structure chosen by the header block
    bool m_bBuildSingleHtml = false;
    int m_nTextForm = textSevenBit;
    CSmtpComposeSource m_defaultSource;
    CSmtpComposeSource* m_pSource = &m_defaultSource;
};
