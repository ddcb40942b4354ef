// The protocol half of CSmtpSession: the SMTP step machine.
#include "net/SmtpSession.h"

#include "net/SmtpSettingHint.h"

#include "core/Md5.h"
#include "message/AddressList.h"
#include "message/Base64.h"
#include "message/DotStuffer.h"
#include "message/JapaneseCode.h"
#include "message/MailMessage.h"
#include "message/MimeReencoder.h"
#include "net/LineSocket.h"
#include "net/NetMessages.h"
#include "net/SmtpStatusSink.h"
#include "net/TlsSocket.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Every line of a reply is kept for the status window; a server that sends
// continuation lines without end must not take the memory with it.
const int kMaxReplyLength = 256 * 1024;

CString ExceptionText(const CException& e)
{
    char text[512] = {};
    if (!e.GetErrorMessage(text, sizeof(text)))
        return CString();
    return text;
}

SmtpBeforeSendHook g_beforeSendHook = nullptr;

const char* const kTraceNames[] = {
    "NONE",      "CONNECT", "HELLO", "EHELLO",     "STARTTLS",   "EHELLO",      "AUTH PLAIN", "AUTH LOGIN",  "AUTH LOGIN MD5",
    "AUTH LOGIN", "AUTH LOGIN", "RSET", "FROM", "RCPT", "DATA", "SENDMESSAGE", "CANCEL RSET", "QUIT"};

bool StartsWithNoCase(const char* pszText, const char* pszPrefix)
{
    return _strnicmp(pszText, pszPrefix, strlen(pszPrefix)) == 0;
}

// The first number of a reply line: its first run of digits; a "-" right
// after it (a continued multi-line reply) gives -1.
int ParseReplyCode(const char* pszLine)
{
    const char* p = pszLine;
    while (*p && !(*p >= '0' && *p <= '9'))
        ++p;
    if (!*p)
        return -1;
    long value = 0;
    int digits = 0;
    while (*p >= '0' && *p <= '9') {
        if (digits < 11)
            value = value * 10 + (*p - '0');
        ++digits;
        ++p;
    }
    if (*p == '-')
        return -1;
    return static_cast<int>(value);
}

bool IsReplyIncomplete(const CString& line)
{
    if (line.IsEmpty() || line[0] == '\r' || line[0] == '\n')
        return true;
    return ParseReplyCode(line) < 0;
}

bool IsContinuationLine(const char* p, size_t n)
{
    if (n == 0)
        return false;
    if (p[0] == ' ' || p[0] == '\t')
        return true;
    // The full-width blank of code page 932.
    return n >= 2 && static_cast<unsigned char>(p[0]) == 0x81 && static_cast<unsigned char>(p[1]) == 0x40;
}

// Splits text into lines; a CR, an LF, CR LF or LF CR ends a line. Each
// entry is (start, length without the line end, has a line end).
struct LineSpan
{
    size_t start;
    size_t length;
    bool ended;
};

std::vector<LineSpan> SplitLines(const char* p, size_t n)
{
    std::vector<LineSpan> lines;
    size_t start = 0;
    for (size_t i = 0; i < n; ++i) {
        if (p[i] != '\r' && p[i] != '\n')
            continue;
        lines.push_back({start, i - start, true});
        if (i + 1 < n && (p[i + 1] == '\r' || p[i + 1] == '\n') && p[i + 1] != p[i])
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.push_back({start, n - start, false});
    return lines;
}

// The message file holds the program's own text in Shift_JIS, which goes
// out as JIS line by line; a part the file declares 8bit (an attached mail
// of 8-bit text) holds someone else's bytes, which go out unchanged. The
// parts are those of the top-level multipart, found by its boundary.
class RawPartTracker
{
public:
    explicit RawPartTracker(const CString& boundary) : m_delimiter(boundary.IsEmpty() ? "" : "--" + boundary.Str()) {}

    // Whether the line goes out as it is.
    bool IsRaw(const char* p, size_t n)
    {
        if (!m_delimiter.empty() && n >= m_delimiter.size() && memcmp(p, m_delimiter.data(), m_delimiter.size()) == 0) {
            m_inPartHeader = true;
            m_partRaw = m_raw = false;
            return false;
        }
        if (m_inPartHeader) {
            if (n == 0) {
                m_inPartHeader = false;
                m_raw = m_partRaw;
            } else {
                std::string line(p, n);
                for (char& c : line)
                    c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
                if (line.compare(0, 26, "content-transfer-encoding:") == 0 &&
                    (line.find("8bit") != std::string::npos || line.find("binary") != std::string::npos))
                    m_partRaw = true;
            }
            return false;
        }
        return m_raw;
    }

private:
    std::string m_delimiter;
    bool m_inPartHeader = false;
    bool m_partRaw = false;
    bool m_raw = false;
};

CString HexDigest(const unsigned char digest[16])
{
    CString hex;
    for (int i = 0; i < 16; ++i)
        hex.AppendFormat("%02x", digest[i]);
    return hex;
}

} // namespace

CSmtpSession::CSmtpSession() : m_strBoundary("_MULTIPART_BOUNDARY_") {}

CSmtpSession::~CSmtpSession()
{
    CloseSocket();
}

void CSmtpSession::SetBeforeSendHook(SmtpBeforeSendHook hook) { g_beforeSendHook = hook; }

void CSmtpSession::SetServer(const char* pszHost, int nPort)
{
    m_strHost = pszHost;
    m_nPort = nPort;
}

void CSmtpSession::SetAuthUser(const char* pszUser, const char* pszPassword)
{
    m_bUseEhlo = true;
    m_bAuthenticate = true;
    m_bAuthRequested = true;
    m_strUser = pszUser;
    m_strPassword = pszPassword;
}

void CSmtpSession::SetAuthMethods(bool bLogin, bool bCramMd5, bool bPlain)
{
    m_bAllowLogin = bLogin;
    m_bAllowCramMd5 = bCramMd5;
    m_bAllowPlain = bPlain;
}

void CSmtpSession::SetFrom(const char* pszAddress) { m_strFrom = SingleLine(pszAddress); }

void CSmtpSession::SetTo(const char* pszText)
{
    m_toList.RemoveAll();
    ParseAddressList(SingleLine(pszText), &m_toList);
}

void CSmtpSession::SetCc(const char* pszText)
{
    m_ccList.RemoveAll();
    ParseAddressList(SingleLine(pszText), &m_ccList);
}

void CSmtpSession::SetBcc(const char* pszText)
{
    m_bccList.RemoveAll();
    ParseAddressList(SingleLine(pszText), &m_bccList);
}

// ---------------------------------------------------------------------------

bool CSmtpSession::Start()
{
    m_cancelEvent.ResetEvent();
    m_bDataReplyDue = false;
    m_bSecondPhase = false;
    m_nMessageIndex = 0;
    m_nRecipientIndex = 0;
    m_nSentCount = 0;
    m_bErrorOccurred = false;
    m_bAborted = false;
    m_bAllSent = false;
    if (m_bConnectionOpen && m_pSocket && m_pSocket->IsOpen()) {
        m_nState = StateRset;
    } else {
        CloseSocket();
        m_nState = StateConnect;
    }
    m_nRecipientTotal = m_toList.GetSize() + m_ccList.GetSize() + m_bccList.GetSize();
    return Run(0);
}

bool CSmtpSession::SendQuit()
{
    m_cancelEvent.ResetEvent();
    m_nState = StateQuit;
    m_bKeepConnection = false;
    m_bConnectionOpen = true;
    bool bOk = Run(0);
    if (!bOk && m_dwOwnerThreadId)
        PostThreadMessageA(m_dwOwnerThreadId, CVM_MSG_SMTP_END, 1, 0);
    return bOk;
}

void CSmtpSession::SetTrace(int nStep, int nState)
{
    // Once a reply has failed, its text is what the user must see.
    if (nState == StateStartTls || m_bErrorOccurred)
        return;
    m_strLastError.Format("ERROR[%d] @ SMTP STATUS %s", nStep, kTraceNames[nState]);
}

bool CSmtpSession::FailNow(const char* pszText)
{
    if (pszText)
        m_strLastError = pszText;
    CloseSocket();
    m_nState = StateNone;
    return false;
}

bool CSmtpSession::PostStep()
{
    if (m_dwOwnerThreadId)
        PostThreadMessageA(m_dwOwnerThreadId, CVM_MSG_SESSION_STEP, 0, 0);
    return true;
}

void CSmtpSession::PostEnd(bool bSent)
{
    if (m_dwOwnerThreadId)
        PostThreadMessageA(m_dwOwnerThreadId, CVM_MSG_SMTP_END, bSent ? 1 : 0, 0);
}

bool CSmtpSession::Run(int nStep)
{
    CSingleLock lock(&m_runLock, TRUE);

    if (!m_bDataReplyDue && WaitForSingleObject(m_cancelEvent, 0) == WAIT_OBJECT_0)
        return RunCancelled();

    const int nState = m_nState;
    m_nExecState = nState;
    SetTrace(nStep, nState);

    Step step = stepFailed;
    switch (nState) {
    case StateNone:
        CloseSocket();
        if (m_bErrorOccurred)
            return false;
        PostEnd(true);
        return true;
    case StateConnect:
        step = StepConnect();
        break;
    case StateHello:
        step = StepHello();
        break;
    case StateEhello:
    case StateNegotiate:
        step = StepEhello(nState == StateNegotiate);
        break;
    case StateStartTls:
        step = StepStartTls();
        break;
    case StateAuthPlain:
    case StateAuthLogin:
    case StateAuthCramMd5:
        step = StepAuthCommand(nState);
        break;
    case StateAuthUser:
        step = StepAuthUser();
        break;
    case StateAuthPassword:
        step = StepAuthPassword();
        break;
    case StateRset:
    case StateCancelRset:
        step = StepRset(nState);
        break;
    case StateFrom:
        step = StepFrom();
        break;
    case StateRcpt:
        step = StepRcpt();
        break;
    case StateData:
        step = StepData();
        break;
    case StateSendMessage:
        step = StepSendMessage();
        break;
    case StateQuit:
        step = StepQuit();
        break;
    default:
        return FailNow(nullptr);
    }
    if (step == stepFailed)
        return false;
    if (step == stepDone)
        return true;
    return AfterReply(nStep);
}

bool CSmtpSession::RunCancelled()
{
    CloseSocket();
    m_nState = StateNone;
    if (m_bErrorOccurred)
        return false;
    // Only a session whose every message the server has taken counts as
    // sent; anything cut short is reported as not sent.
    if (!m_bAllSent) {
        m_bAborted = true;
        PostEnd(false);
        return false;
    }
    PostEnd(true);
    return true;
}

CSmtpSession::Step CSmtpSession::Fail(const char* pszText)
{
    FailNow(pszText);
    return stepFailed;
}

CSmtpSession::Step CSmtpSession::StepConnect()
{
    m_nAuthMethod = 0;
    m_b8BitMime = false;
    m_bTlsEstablished = false;
    m_bAuthenticate = m_bAuthRequested;
    if (!Connect()) {
        CString text = "サーバに接続できませんでした。";
        if (CTlsSocket* pTls = dynamic_cast<CTlsSocket*>(m_pSocket)) {
            if (!pTls->GetErrorText().IsEmpty())
                text += "\r\n" + pTls->GetErrorText();
        }
        return Fail(text);
    }
    m_nNextState = (m_bUseEhlo || m_bAuthenticate) ? StateEhello : StateHello;
    return stepAwaitReply;
}

CSmtpSession::Step CSmtpSession::StepHello()
{
    if (!SendText(FormatString("HELO %s\r\n", GetHelloName().GetString())))
        return Fail("メールサーバに接続できませんでした。");
    m_nNextState = StateRset;
    return stepAwaitReply;
}

CSmtpSession::Step CSmtpSession::StepEhello(bool bNegotiate)
{
    if (bNegotiate) {
        CTlsSocket* pTls = dynamic_cast<CTlsSocket*>(m_pSocket);
        if (!pTls || !pTls->StartTls(m_strHost, m_nPort)) {
            CString text = "メールサーバに接続できませんでした。[Negotiate]";
            if (pTls && !pTls->GetErrorText().IsEmpty())
                text += "\r\n" + pTls->GetErrorText();
            return Fail(text);
        }
        m_bTlsEstablished = true;
        // Whatever came before the handshake is not to be trusted.
        m_strTlsPending.Empty();
        m_nExecState = StateEhello;
    }
    if (!SendText(FormatString("EHLO %s\r\n", GetHelloName().GetString())))
        return Fail("メールサーバに接続できませんでした。");
    if (m_bTlsEstablished)
        m_nNextState = StateRset;
    else if (m_bSsl && m_nPort != 465)
        m_nNextState = StateStartTls;
    else
        m_nNextState = StateRset;
    return stepAwaitReply;
}

CSmtpSession::Step CSmtpSession::StepStartTls()
{
    if (!SendText("STARTTLS\r\n"))
        return Fail("メールサーバに接続できませんでした。[STARTTLS]");
    m_nNextState = StateNegotiate;
    return stepAwaitReply;
}

CSmtpSession::Step CSmtpSession::StepAuthCommand(int nState)
{
    const char* command = nState == StateAuthPlain   ? "AUTH PLAIN\r\n"
                          : nState == StateAuthLogin ? "AUTH LOGIN\r\n"
                                                     : "AUTH CRAM-MD5\r\n";
    if (!SendText(command))
        return Fail("メールサーバにログインできませんでした。");
    m_nNextState = nState == StateAuthLogin ? StateAuthUser : StateAuthPassword;
    return stepAwaitReply;
}

CSmtpSession::Step CSmtpSession::StepAuthUser()
{
    std::string user = CBase64::EncodeToString(m_strUser.GetString(), m_strUser.GetLength()) + "\r\n";
    if (!SendText(user.c_str(), static_cast<int>(user.size())))
        return Fail("メールサーバにログインできませんでした。");
    m_nNextState = StateAuthPassword;
    return stepAwaitReply;
}

CSmtpSession::Step CSmtpSession::StepAuthPassword()
{
    if (!SendText(MakeAuthAnswer() + "\r\n", -1, "*********\r\n"))
        return Fail("メールサーバにログインできませんでした。");
    m_nNextState = StateRset;
    return stepAwaitReply;
}

CSmtpSession::Step CSmtpSession::StepRset(int nState)
{
    if (!SendText("RSET\r\n"))
        return Fail(nullptr);
    m_nNextState = nState == StateRset ? StateFrom : StateQuit;
    return stepAwaitReply;
}

CSmtpSession::Step CSmtpSession::StepFrom()
{
    if (RecipientCount() == 0) {
        m_strLastError = "宛先が設定されていません。";
        m_bErrorOccurred = true;
        m_nState = StateQuit;
        PostStep();
        return stepDone;
    }
    // The file is read and checked before MAIL FROM: its 8-bit data decides
    // what MAIL FROM says, and once the server waits for the text nothing
    // but the text or a closed connection ends it.
    if (!PrepareMessageData()) {
        m_bErrorOccurred = true;
        m_nState = StateCancelRset;
        PostStep();
        return stepDone;
    }
    // A mail passed on under its source's sender is sent by the one who
    // passed it on: bounces go back to them, and their server accepts it.
    const CString& sender = m_strResentFrom.IsEmpty() ? m_strFrom : m_strResentFrom;
    if (!SendText(FormatString("MAIL FROM:<%s>%s\r\n", ExtractMailAddress(sender).GetString(),
                               m_bEightBitData ? " BODY=8BITMIME" : "")))
        return Fail("メールサーバに認証されませんでした。");
    m_nNextState = StateRcpt;
    return stepAwaitReply;
}

CSmtpSession::Step CSmtpSession::StepRcpt()
{
    if (!SendText(FormatString("RCPT TO:<%s>\r\n", ExtractMailAddress(CurrentRecipient()).GetString())))
        return Fail(nullptr);
    ++m_nRecipientIndex;
    m_nNextState = m_nRecipientIndex < RecipientCount() ? StateRcpt : StateData;
    return stepAwaitReply;
}

CSmtpSession::Step CSmtpSession::StepData()
{
    if (!SendText("DATA\r\n"))
        return Fail(nullptr);
    m_nNextState = StateSendMessage;
    return stepAwaitReply;
}

CSmtpSession::Step CSmtpSession::StepSendMessage()
{
    if (!SendMessageData()) {
        // Without the final dot the server drops what it has received.
        bool bCancelled = WaitForSingleObject(m_cancelEvent, 0) == WAIT_OBJECT_0;
        CloseSocket();
        m_nState = StateNone;
        if (bCancelled && !m_bErrorOccurred) {
            m_bAborted = true;
            PostEnd(false);
        }
        m_bErrorOccurred = true;
        return stepFailed;
    }
    m_nNextState = StateQuit;  // decided after the reply
    m_bDataReplyDue = true;
    return stepAwaitReply;
}

CSmtpSession::Step CSmtpSession::StepQuit()
{
    if (m_bKeepConnection && !m_bErrorOccurred) {
        PostEnd(true);
        return stepDone;
    }
    if (!SendText("QUIT\r\n"))
        return Fail(nullptr);
    m_nNextState = StateNone;
    return stepAwaitReply;
}

bool CSmtpSession::AfterReply(int nStep)
{
    bool bRead = false;
    try {
        bRead = ReadReply();
        m_bDataReplyDue = false;
    } catch (const CException& e) {
        m_bDataReplyDue = false;
        m_strLastError.Format("ERROR[%d][%s][%s]", 113, ExceptionText(e).GetString(), m_strLastLine.GetString());
        return FailNow(nullptr);
    }
    if (!bRead) {
        if (m_nNextState == StateNone) {
            // A server that hangs up on QUIT without a word has still ended.
            m_nState = StateNone;
            return PostStep();
        }
        if (WaitForSingleObject(m_cancelEvent, 0) == WAIT_OBJECT_0) {
            m_nState = m_nNextState;
            return PostStep();
        }
        m_strLastError.Format("ReadLine Error[%d][%d]", nStep, static_cast<int>(WSAGetLastError()));
        m_bErrorOccurred = true;
        return FailNow(nullptr);
    }
    if (!CheckReply(m_nNextState)) {
        m_nState = m_nNextState;
        return PostStep();
    }
    // Each EHLO reply tells what this connection offers (after STARTTLS
    // the server may say more than before).
    if (m_nExecState == StateEhello)
        m_b8BitMime = ReplyOffers("8BITMIME");
    if (m_nExecState == StateEhello && m_bAuthenticate && m_nNextState == StateRset)
        ChooseAuthFromEhloReply();
    if (m_nExecState == StateAuthPassword)
        m_bAuthenticate = false;
    if (m_nExecState == StateSendMessage)
        ChooseAfterMessage();
    m_nState = m_nNextState;
    return PostStep();
}

bool CSmtpSession::ReplyOffers(const char* pszKeyword) const
{
    int start = 0;
    while (start < m_strReply.GetLength()) {
        int end = m_strReply.Find('\n', start);
        if (end < 0)
            end = m_strReply.GetLength();
        CString line = m_strReply.Mid(start, end - start);
        line.TrimRight("\r\n \t");
        // The keyword is the first word after the code and its "-" or blank
        // (a keyword may begin with a digit: "8BITMIME").
        int pos = 0;
        while (pos < line.GetLength() && isdigit(static_cast<unsigned char>(line[pos])))
            ++pos;
        if (pos < line.GetLength() && (line[pos] == '-' || line[pos] == ' '))
            ++pos;
        int wordEnd = line.Find(' ', pos);
        CString word = wordEnd < 0 ? line.Mid(pos) : line.Mid(pos, wordEnd - pos);
        if (word.CompareNoCase(pszKeyword) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

void CSmtpSession::ChooseAuthFromEhloReply()
{
    bool bSeenAuth = false;
    int start = 0;
    while (start < m_strReply.GetLength()) {
        int end = m_strReply.Find('\n', start);
        if (end < 0)
            end = m_strReply.GetLength();
        ChooseAuthMethod(m_strReply.Mid(start, end - start), bSeenAuth);
        start = end + 1;
    }
    if (bSeenAuth)
        m_nNextState = m_nAuthMethod == 2 ? StateAuthCramMd5 : m_nAuthMethod == 1 ? StateAuthLogin : StateAuthPlain;
    else
        m_bAuthenticate = false;
}

void CSmtpSession::ChooseAfterMessage()
{
    ++m_nSentCount;
    ++m_nMessageIndex;
    m_nRecipientIndex = 0;
    if (!m_bSecondPhase && m_nMessageIndex < m_messageFiles.GetSize()) {
        m_nNextState = StateFrom;
    } else if (m_bAttachToOnly && !m_ccMessageFiles.IsEmpty() && m_ccList.GetSize() + m_bccList.GetSize() > 0) {
        if (!m_bSecondPhase) {
            m_bSecondPhase = true;
            m_nMessageIndex = 0;
        }
        m_nNextState = m_nMessageIndex < m_ccMessageFiles.GetSize() ? StateFrom : StateQuit;
    } else {
        m_nNextState = StateQuit;
    }
    if (m_nNextState == StateQuit)
        m_bAllSent = true;
}

// ---------------------------------------------------------------------------

bool CSmtpSession::Connect()
{
    CloseSocket();
    if (m_strHost.IsEmpty() || m_nPort == -1)
        return false;
    if (m_bSsl) {
        CTlsSocket* pTls = new CTlsSocket;
        pTls->SetPlainFirst(m_nPort != 465);
        m_pSocket = pTls;
    } else {
        m_pSocket = new CLineSocket;
    }
    m_pSocket->SetTimeOut(m_nTimeOut);
    m_pSocket->SetWatchdogThreadId(m_dwWatchdogThreadId);
    m_pSocket->SetOwner(this);
    if (!m_pSocket->Create())
        return false;
    return m_pSocket->Connect(m_strHost, m_nPort);
}

void CSmtpSession::CloseSocket()
{
    if (!m_pSocket)
        return;
    m_pSocket->Close();
    delete m_pSocket;
    m_pSocket = nullptr;
    m_strTlsPending.Empty();
}

bool CSmtpSession::SendText(const char* pszText, int nLength, const char* pszLogText)
{
    if (!m_pSocket || !pszText)
        return false;
    if (nLength < 0)
        nLength = static_cast<int>(strlen(pszText));
    return m_pSocket->Send(pszText, nLength, pszLogText) == nLength;
}

bool CSmtpSession::ReadReplyLine(CString& line)
{
    if (!m_pSocket)
        return false;
    if (!m_bSsl) {
        CLineSocket* pLine = static_cast<CLineSocket*>(m_pSocket);
        char buffer[1024 + 2];
        int n = pLine->ReadLine(buffer, 1024);
        if (n < 0)
            return false;
        line = CString(buffer, n);
        return true;
    }
    // The TLS socket hands out whatever arrived; replies are cut into lines
    // here and read by their codes as over a plain connection.
    CTlsSocket* pTls = static_cast<CTlsSocket*>(m_pSocket);
    for (;;) {
        int lf = m_strTlsPending.Find('\n');
        if (lf >= 0) {
            line = m_strTlsPending.Left(lf + 1);
            m_strTlsPending = m_strTlsPending.Mid(lf + 1);
            line.TrimRight("\r\n");
            line += "\r\n";
            return true;
        }
        if (m_strTlsPending.GetLength() > 1024) {
            line = m_strTlsPending.Left(1024);
            m_strTlsPending = m_strTlsPending.Mid(1024);
            return true;
        }
        CString text = pTls->ReadText();
        if (text.IsEmpty() && (pTls->HasReadError() || pTls->IsClosed()))
            return false;
        m_strTlsPending += text;
    }
}

bool CSmtpSession::ReadReply()
{
    m_strReply.Empty();
    m_strLastLine.Empty();
    m_nReplyCode = 0;
    for (;;) {
        if (!m_pSocket || (!m_bDataReplyDue && WaitForSingleObject(m_cancelEvent, 0) == WAIT_OBJECT_0))
            return false;
        CString line;
        if (!ReadReplyLine(line))
            return false;
        m_strReply += line;
        m_strLastLine = line;
        if (!IsReplyIncomplete(line))
            break;
        // A reply that never ends is a broken server, not a longer text.
        if (m_strReply.GetLength() > kMaxReplyLength) {
            WSASetLastError(WSAEMSGSIZE);
            return false;
        }
    }
    m_nReplyCode = ParseReplyCode(m_strLastLine);
    if (m_pStatus) {
        if (m_pStatus->GetDisplayMode() == 2)
            m_pStatus->SetStatusText(m_strReply);
        else
            m_pStatus->SetStatusText(GetReplyText(m_nReplyCode) + "\r\n\r\n" + m_strReply);
    }
    return true;
}

bool CSmtpSession::CheckReply(int nNextState)
{
    const int code = m_nReplyCode;
    int required = 0;  // the first digit a reply must have; 0 = any
    switch (m_nExecState) {
    case StateHello:
    case StateRset:
    case StateCancelRset:
    case StateFrom:
    case StateRcpt:
    case StateSendMessage:
    case StateStartTls:
    case StateAuthPassword:
        required = 2;
        break;
    case StateEhello:
        required = nNextState == StateRset ? 2 : 0;
        break;
    case StateData:
        required = 3;
        break;
    case StateAuthPlain:
    case StateAuthLogin:
    case StateAuthCramMd5:
    case StateAuthUser:
        // Credentials go out only after the server has asked for them.
        required = 3;
        break;
    default:
        break;
    }
    bool bOk = code != 421 && (required == 0 || code / 100 == required);
    if (bOk)
        return true;
    CString raw = m_strReply;
    raw.TrimRight("\r\n");
    m_strLastError.Format("SMTP Error Code [%d]\r\n%s\r\n%s", code, GetReplyText(code).GetString(), raw.GetString());
    CString hint = SmtpSettingHint(code, raw);
    if (!hint.IsEmpty())
        m_strLastError += "\r\n\r\n" + hint;
    m_bErrorOccurred = true;
    m_nNextState = StateQuit;
    return false;
}

void CSmtpSession::ChooseAuthMethod(const CString& text, bool& bSeenAuth)
{
    CString line = text;
    line.MakeUpper();
    // Only the AUTH extension line counts, not a host name that holds the
    // word ("250-auth.example.com"): the keyword follows the reply code.
    int pos = 0;
    while (pos < line.GetLength() && (isdigit(static_cast<unsigned char>(line[pos])) || line[pos] == '-' ||
                                      line[pos] == ' '))
        ++pos;
    if (line.Mid(pos, 4) != "AUTH" || (pos + 4 < line.GetLength() && line[pos + 4] != ' ' && line[pos + 4] != '='))
        return;
    bSeenAuth = true;
    if (m_bAllowCramMd5 && line.Find("CRAM-MD5") >= 0)
        m_nAuthMethod = 2;
    else if (m_bAllowLogin && line.Find("LOGIN") >= 0)
        m_nAuthMethod = 1;
    else if (m_bAllowPlain && line.Find("PLAIN") >= 0)
        m_nAuthMethod = 0;
}

CString CSmtpSession::MakeAuthAnswer()
{
    std::string answer;
    if (m_nAuthMethod == 2) {
        CString line = m_strLastLine;
        line.TrimRight("\r\n");
        int blank = line.FindOneOf(" \t");
        CString encoded = blank >= 0 ? line.Mid(blank + 1) : CString();
        encoded.Trim();
        std::string challenge = CBase64::DecodeToString(encoded, encoded.GetLength());
        unsigned char digest[16];
        HmacMD5(challenge.data(), challenge.size(), m_strPassword.GetString(),
                static_cast<size_t>(m_strPassword.GetLength()), digest);
        std::string plain = m_strUser.Str() + " " + HexDigest(digest).Str();
        answer = CBase64::EncodeToString(plain.data(), plain.size());
    } else if (m_nAuthMethod == 0) {
        // RFC 4616: authorisation identity (empty), user and password.
        std::string plain;
        plain += '\0';
        plain += m_strUser.Str();
        plain += '\0';
        plain += m_strPassword.Str();
        answer = CBase64::EncodeToString(plain.data(), plain.size());
    } else {
        answer = CBase64::EncodeToString(m_strPassword.GetString(), static_cast<size_t>(m_strPassword.GetLength()));
    }
    return CString(answer);
}

int CSmtpSession::RecipientCount() const
{
    if (!m_bAttachToOnly)
        return m_toList.GetSize() + m_ccList.GetSize() + m_bccList.GetSize();
    return m_bSecondPhase ? m_ccList.GetSize() + m_bccList.GetSize() : m_toList.GetSize();
}

CString CSmtpSession::CurrentRecipient() const
{
    int i = m_nRecipientIndex;
    if (m_bAttachToOnly && m_bSecondPhase)
        i += m_toList.GetSize();
    if (i < m_toList.GetSize())
        return m_toList[i];
    i -= m_toList.GetSize();
    if (i < m_ccList.GetSize())
        return m_ccList[i];
    i -= m_ccList.GetSize();
    return i < m_bccList.GetSize() ? m_bccList[i] : CString();
}

CString CSmtpSession::GetHelloName()
{
    char name[256] = {};
    if (gethostname(name, sizeof(name) - 1) != 0 || !name[0] || strlen(name) > 64)
        return "localhost";
    for (const char* p = name; *p; ++p) {
        char c = *p;
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'))
            return "localhost";
    }
    return name;
}

// ---------------------------------------------------------------------------
// The message text

bool CSmtpSession::PrepareMessageData()
{
    m_messageData.clear();
    m_nHeaderEnd = 0;
    const CStringArray& files = m_bSecondPhase ? m_ccMessageFiles : m_messageFiles;
    if (m_nMessageIndex >= files.GetSize()) {
        m_strLastError.Format("ERROR[%d] @ SMTP STATUS SENDMESSAGE", 2);
        return false;
    }
    const CString path = files[m_nMessageIndex];
    if (g_beforeSendHook)
        g_beforeSendHook(path, m_bAttachToOnly ? TRUE : FALSE);
    if (m_pStatus)
        m_pStatus->SetStatusText("メールの送信を開始しました");
    try {
        CFile file;
        if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) {
            m_strLastError.Format("ERROR[%d] @ SMTP STATUS SENDMESSAGE", 2);
            return false;
        }
        ULONGLONG nLength = file.GetLength();
        if (nLength > 0x7FFFFFF0ull) {
            m_strLastError.Format("ERROR[%d] @ SMTP STATUS SENDMESSAGE", 2);
            return false;
        }
        m_messageData.resize(static_cast<size_t>(nLength));
        size_t nDone = 0;
        while (nDone < m_messageData.size()) {
            UINT n = file.Read(&m_messageData[nDone], static_cast<UINT>(m_messageData.size() - nDone));
            if (n == 0)
                break;
            nDone += n;
        }
        m_messageData.resize(nDone);
    } catch (CFileException& e) {
        m_strLastError.Format("ERROR[%d][%s]", 11, ExceptionText(e).GetString());
        return false;
    }
    size_t end = m_messageData.find("\r\n\r\n");
    if (end == std::string::npos) {
        m_strLastError.Format("ERROR[%d] @ SMTP STATUS SENDMESSAGE", 2);
        return false;
    }
    m_nHeaderEnd = end + 2;
    // Someone else's 8-bit data goes out as it is only to a server that
    // takes it; to any other it goes in a 7-bit form that reads the same.
    m_bEightBitData = HasEightBitRawData();
    if (m_bEightBitData && !m_b8BitMime) {
        std::string plain = CMimeReencoder::SevenBitRawParts(CDotStuffer::Undo(m_messageData));
        m_messageData = CDotStuffer::Stuff(plain.data(), plain.size());
        m_nHeaderEnd = m_messageData.find("\r\n\r\n") + 2;
        m_bEightBitData = HasEightBitRawData();
    }
    return true;
}

bool CSmtpSession::HasEightBitRawData() const
{
    const std::string& data = m_messageData;
    CMailMessage top;
    top.ParseHeaderText(data.substr(0, m_nHeaderEnd).c_str());
    RawPartTracker rawParts(top.m_strBoundary);
    const size_t bodyStart = m_nHeaderEnd + 2;
    if (bodyStart >= data.size())
        return false;
    for (const LineSpan& span : SplitLines(data.data() + bodyStart, data.size() - bodyStart)) {
        const char* line = data.data() + bodyStart + span.start;
        if (rawParts.IsRaw(line, span.length) && CMimeReencoder::HasEightBit(line, span.length))
            return true;
    }
    return false;
}

bool CSmtpSession::SendMessageData()
{
    const std::string& data = m_messageData;
    m_nTotalBytes = static_cast<int>(data.size());
    m_nSentBytes = 0;
    if (m_pStatus) {
        CMailMessage message;
        message.Parse(data.c_str(), static_cast<int>(m_nHeaderEnd));
        m_pStatus->SetProgress(message.m_strSubject, m_nTotalBytes, 0);
    }
    int nReported = 0;
    // A connection that fails under the text leaves the system's reason;
    // a cancel leaves none.
    auto send = [&](const char* p, int n) -> bool {
        if (SendText(p, n))
            return true;
        DWORD dwError = WSAGetLastError();
        if (WaitForSingleObject(m_cancelEvent, 0) != WAIT_OBJECT_0)
            m_strLastError.Format("SendMessageDataエラー\r\n%s", AfxSystemErrorText(dwError).GetString());
        return false;
    };
    CMailMessage top;
    top.Parse(data.c_str(), static_cast<int>(m_nHeaderEnd));
    RawPartTracker rawParts(top.m_strBoundary);
    auto sendLine = [&](const char* p, size_t n, bool bRaw = false) -> bool {
        if (WaitForSingleObject(m_cancelEvent, 0) == WAIT_OBJECT_0)
            return false;
        CString out;
        if (n == 1 && p[0] == '.')
            out = "..";
        else if (bRaw)
            out = CString(p, static_cast<int>(n));
        else
            out = SjisToJis(p, static_cast<int>(n));
        out += "\r\n";
        // Long lines go out whole; the socket cuts them as it needs.
        if (!send(out, out.GetLength()))
            return false;
        m_nSentBytes += static_cast<int>(n) + 2;
        if (m_pStatus && m_nSentBytes - nReported > m_nTotalBytes / 100) {
            nReported = m_nSentBytes;
            m_pStatus->SetProgressData(m_nSentBytes, true);
        }
        return true;
    };

    // The header, without the program's own lines and without Bcc.
    bool bSkipContinuation = false;
    for (const LineSpan& span : SplitLines(data.data(), m_nHeaderEnd)) {
        const char* p = data.data() + span.start;
        if (IsContinuationLine(p, span.length)) {
            if (bSkipContinuation)
                continue;
        } else {
            bSkipContinuation = false;
            CString head(p, static_cast<int>(std::min<size_t>(span.length, 64)));
            // Header lines the program writes for itself never leave it.
            int colon = head.Find(':');
            if (colon > 0 && IsPrivateHeader(head.Left(colon), true))
                continue;
            if (StartsWithNoCase(head, "Bcc")) {
                bSkipContinuation = true;
                continue;
            }
        }
        if (!sendLine(p, span.length))
            return false;
    }
    if (!send("\r\n", 2))
        return false;

    const size_t bodyStart = m_nHeaderEnd + 2;
    if (bodyStart < data.size()) {
        for (const LineSpan& span : SplitLines(data.data() + bodyStart, data.size() - bodyStart)) {
            const char* line = data.data() + bodyStart + span.start;
            if (!sendLine(line, span.length, rawParts.IsRaw(line, span.length)))
                return false;
        }
    }
    if (!send(".\r\n", 3))
        return false;
    if (m_pStatus) {
        m_pStatus->SetProgressData(m_nTotalBytes, true);
        m_pStatus->SetStatusText("メールの送信が完了しました");
    }
    m_messageData.clear();
    return true;
}
