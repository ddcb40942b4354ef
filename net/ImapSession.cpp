#include "net/ImapSession.h"

#include "core/Md5.h"
#include "message/Base64.h"
#include "net/CommLog.h"
#include "net/LineSocket.h"
#include "net/NetMessages.h"
#include "resources/resource.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

const UINT kMsgConnectFailed = IDS_CONNECT_FAILED;
const UINT kMsgReceiveError = IDS_RECEIVE_ERROR;
const UINT kMsgSocketCreate = IDS_SOCKET_CREATE_FAILED;
const UINT kMsgLoginFailed = IDS_LOGIN_FAILED;

const int kErrConnect = 1;
const int kErrLogin = 2;
const int kErrFirstLine = 41;    // no reply at all to a command
const int kErrFurtherLine = 42;  // the reply broke off
const int kErrRefused = 43;      // the server refused a command after the login
const int kErrFiling = 110;

const char kHiddenPassword[] = "*********";
// A reply line is joined from pieces of the reply buffer; nothing a server
// says outside a literal needs more than this.
const size_t kMaxReplyLine = 1024 * 1024;
const size_t kProgressStep = 65536;
// Literals other than the mail text (a header, an id listing) are kept in
// memory; one reply may carry this much of them.
const size_t kMaxKeptLiterals = 16 * 1024 * 1024;
const int kMaxMessages = 1000000;

bool StartsNoCase(const std::string& text, const char* pszPrefix)
{
    return _strnicmp(text.c_str(), pszPrefix, strlen(pszPrefix)) == 0;
}

std::string Upper(const std::string& text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return out;
}

void TrimLineEnd(std::string& line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
}

// The first run of digits after pos, or -1.
long long NumberAt(const std::string& text, size_t pos)
{
    while (pos < text.size() && !isdigit(static_cast<unsigned char>(text[pos])))
        pos++;
    if (pos >= text.size())
        return -1;
    long long value = 0;
    for (int nDigits = 0; pos < text.size() && isdigit(static_cast<unsigned char>(text[pos])); pos++, nDigits++)
        if (nDigits < 11)
            value = value * 10 + (text[pos] - '0');
    return value;
}

// "* n FETCH ..." gives n; 0 for any other line.
int FetchNumber(const std::string& line)
{
    if (line.size() < 3 || line[0] != '*' || line[1] != ' ' || !isdigit(static_cast<unsigned char>(line[2])))
        return 0;
    size_t end = line.find(' ', 2);
    if (end == std::string::npos || Upper(line.substr(end + 1, 5)) != "FETCH")
        return 0;
    long long n = NumberAt(line, 2);
    return n > 0 && n <= 0x7FFFFFFF ? static_cast<int>(n) : 0;
}

// Mail text goes to the store with CR LF line ends and without NUL bytes,
// as the POP3 line reader hands it on.
void AppendNormalised(std::string& out, const char* p, size_t n, bool& bPrevCR)
{
    for (size_t i = 0; i < n; i++) {
        char c = p[i];
        if (c == '\0')
            continue;
        if (c == '\n') {
            if (!bPrevCR)
                out += "\r\n";
            bPrevCR = false;
        } else if (c == '\r') {
            out += "\r\n";
            bPrevCR = true;
        } else {
            out += c;
            bPrevCR = false;
        }
    }
}

} // namespace

CImapSession::CImapSession()
{
    m_nPort = 143;
    m_nMessageCount = -1;
}

CImapSession::~CImapSession() = default;

CLineSocket* CImapSession::LineSocket() const
{
    return static_cast<CLineSocket*>(m_pSocket);
}

CString CImapSession::QuoteArgument(const char* pszText)
{
    CString text(pszText ? pszText : "");
    bool bAtom = !text.IsEmpty();
    for (int i = 0; i < text.GetLength(); i++) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\0' || c == '\r' || c == '\n' || c >= 0x80)
            return CString();
        if (c <= 0x20 || c == 0x7F || strchr("(){%*\"\\]", c))
            bAtom = false;
    }
    if (bAtom)
        return text;
    CString quoted("\"");
    for (int i = 0; i < text.GetLength(); i++) {
        if (text[i] == '\\' || text[i] == '"')
            quoted += '\\';
        quoted += text[i];
    }
    quoted += '"';
    return quoted;
}

long long CImapSession::LiteralSize(const char* pszLine, int nLength)
{
    int nEnd = nLength;
    while (nEnd > 0 && (pszLine[nEnd - 1] == '\r' || pszLine[nEnd - 1] == '\n'))
        nEnd--;
    if (nEnd < 3 || pszLine[nEnd - 1] != '}')
        return -1;
    int nPos = nEnd - 2;
    long long value = 0;
    long long scale = 1;
    int nDigits = 0;
    while (nPos >= 0 && isdigit(static_cast<unsigned char>(pszLine[nPos]))) {
        if (++nDigits > 10)
            return -1;
        value += (pszLine[nPos] - '0') * scale;
        scale *= 10;
        nPos--;
    }
    if (nDigits == 0 || nPos < 0 || pszLine[nPos] != '{')
        return -1;
    return value;
}

bool CImapSession::Start(CDlgRemoteMail* pDialog, std::vector<CReceiveSelection>* pSelection)
{
    BeginPass(pDialog, pSelection);
    m_nMessageCount = -1;
    m_nCurrentNumber = 0;
    m_nDeletedCount = 0;
    m_bEnded = false;
    m_bTooLarge = false;
    m_ids.clear();
    m_uids.clear();
    m_strUidValidity.Empty();
    m_markedDeleted.clear();
    StartIdListPass(LoadIdLists());
    m_nState = stConnect;
    return Run();
}

bool CImapSession::StepConnect()
{
    auto fail = [&](UINT nMessage) {
        m_nErrorResult = kErrConnect;
        m_nErrorMessageId = nMessage;
        m_nState = stEnd;
        Cancel();
        return false;
    };
    if (m_strServer.IsEmpty() || m_nPort == -1)
        return fail(kMsgConnectFailed);
    try {
        m_pSocket = new CLineSocket;
    } catch (const std::bad_alloc&) {
        m_pSocket = nullptr;
        WriteCommLog("Server Create Error\r\n");
        PostToOwner(CVM_MSG_TRANSFER_ERROR, 0, kMsgSocketCreate);
        return fail(kMsgSocketCreate);
    }
    m_pSocket->SetOwner(this);
    m_pSocket->SetTimeOut(m_nTimeOut);
    m_pSocket->SetWatchdogThreadId(m_dwWatchdogThreadId);
    if (!m_pSocket->Create()) {
        WriteCommLog("Server Create Error\r\n");
        PostToOwner(CVM_MSG_TRANSFER_ERROR, 0, kMsgSocketCreate);
        return fail(kMsgSocketCreate);
    }
    if (!m_pSocket->Connect(m_strServer, m_nPort))
        return fail(kMsgConnectFailed);
    std::string greeting;
    if (!ReadFullLine(greeting))
        return fail(kMsgConnectFailed);
    TrimLineEnd(greeting);
    m_strLastLine = greeting.c_str();
    // "* PREAUTH" would also be a greeting, but a session that skips the
    // login must not be mistaken for one that logged in with our account.
    if (!StartsNoCase(greeting, "* OK")) {
        m_strErrorText = greeting.c_str();
        return fail(kMsgConnectFailed);
    }
    m_nState = stCapability;
    PostToOwner(CVM_MSG_SESSION_STEP, 0, 0);
    return true;
}

bool CImapSession::SendTagged(int nTagState, const CString& text, const char* pszLogText)
{
    m_strTag = FormatString("%s%03d", "A", nTagState);
    CString command = FormatString("%s %s\r\n", m_strTag.GetString(), text.GetString());
    if (!pszLogText)
        return SendCommand(command, command.GetLength(), true);
    CString log = FormatString("%s %s\r\n", m_strTag.GetString(), pszLogText);
    return SendCommand(command, command.GetLength(), false, log);
}

bool CImapSession::SendLogin()
{
    CString user = QuoteArgument(m_strUser);
    CString password = QuoteArgument(m_strPassword);
    if (!user.IsEmpty() && !password.IsEmpty())
        return SendTagged(stLogin, "LOGIN " + user + " " + password,
                          FormatString("LOGIN %s %s", user.GetString(), kHiddenPassword));
    // A text that no quoted string can carry goes as a literal: its size,
    // the server's go-ahead, then its bytes.
    m_strTag = FormatString("%s%03d", "A", stLogin);
    std::string pending = m_strTag.Str() + " LOGIN ";
    std::string log = pending;
    const CString* args[2] = {&m_strUser, &m_strPassword};
    for (int i = 0; i < 2; i++) {
        const CString& arg = *args[i];
        CString quoted = i == 0 ? user : password;
        if (!quoted.IsEmpty()) {
            pending += quoted.Str();
            log += i == 0 ? quoted.Str() : std::string(kHiddenPassword);
        } else {
            std::string size = FormatString("{%d}\r\n", arg.GetLength()).Str();
            pending += size;
            log += size;
            if (!SendCommand(pending.c_str(), static_cast<int>(pending.size()), false, log.c_str()))
                return false;
            Reply reply = ReadReply(true);
            if (reply != replyContinue) {
                m_bStopAfterFailure = true;
                OnFailure(reply == replyOk ? replyFailed : reply);
                return false;
            }
            pending = arg.Str();
            log = i == 0 ? arg.Str() : std::string(kHiddenPassword);
        }
        if (i == 0) {
            pending += " ";
            log += " ";
        }
    }
    pending += "\r\n";
    log += "\r\n";
    return SendCommand(pending.c_str(), static_cast<int>(pending.size()), false, log.c_str());
}

bool CImapSession::ReadFullLine(std::string& line)
{
    line.clear();
    for (;;) {
        int n;
        try {
            n = LineSocket() ? LineSocket()->ReadLine(m_pReplyBuffer, kLineSize) : -1;
        } catch (const CSocketException& e) {
            WSASetLastError(e.m_nWsaError);
            n = -1;
        }
        if (n < 0)
            return false;
        line.append(m_pReplyBuffer, static_cast<size_t>(n));
        if (n >= 2 && m_pReplyBuffer[n - 2] == '\r' && m_pReplyBuffer[n - 1] == '\n')
            return true;
        if (line.size() > kMaxReplyLine) {
            WSASetLastError(WSAEMSGSIZE);
            return false;
        }
    }
}

CImapSession::Reply CImapSession::ReadReply(bool bContinuationWanted)
{
    m_bReplyStarted = false;
    for (;;) {
        std::string line;
        if (!ReadFullLine(line))
            return replyReadError;
        m_bReplyStarted = true;
        std::vector<std::string> literals;
        size_t nKept = 0;  // bytes of the literals kept for the handler
        for (;;) {
            long long nSize = LiteralSize(line.data(), static_cast<int>(line.size()));
            if (nSize < 0)
                break;
            if (nSize > 0x7FFFFFFF) {
                WSASetLastError(WSAEMSGSIZE);
                return replyReadError;
            }
            TrimLineEnd(line);
            // The message text goes straight to the mail file; everything
            // else in a literal is small and kept for the state's handler.
            std::string head = Upper(line.substr(0, line.rfind('{')));
            while (!head.empty() && head.back() == ' ')
                head.pop_back();
            bool bText = m_nState == stText && FetchNumber(line) == m_nCurrentNumber &&
                         ((head.size() >= 11 && head.compare(head.size() - 11, 11, "RFC822.TEXT") == 0) ||
                          (head.size() >= 10 && head.compare(head.size() - 10, 10, "BODY[TEXT]") == 0));
            // Anything but the mail text is held in memory: a reply that
            // announces more than that is refused, not cut (a cut header
            // would be filed as the mail's header).
            if (!bText && static_cast<unsigned long long>(nSize) > kMaxKeptLiterals - nKept) {
                WSASetLastError(WSAEMSGSIZE);
                return replyReadError;
            }
            std::string bytes;
            Reply reply = ReadLiteral(nSize, bText, bytes);
            if (reply != replyOk)
                return reply;
            if (bText)
                m_bFound = true;
            nKept += bytes.size();
            literals.push_back(std::move(bytes));
            std::string more;
            if (!ReadFullLine(more))
                return replyReadError;
            line += more;
            if (line.size() > kMaxReplyLine) {
                WSASetLastError(WSAEMSGSIZE);
                return replyReadError;
            }
        }
        TrimLineEnd(line);
        m_strLastLine = CString(line.data(), static_cast<int>(line.size()));
        std::string tagPrefix = m_strTag.Str() + " ";
        if (Upper(line.substr(0, tagPrefix.size())) == tagPrefix) {
            std::string status = Upper(line.substr(tagPrefix.size(), 3));
            return status == "OK" || status == "OK " ? replyOk : replyFailed;
        }
        if (!line.empty() && line[0] == '+')
            return bContinuationWanted ? replyContinue : replyFailed;
        if (StartsNoCase(line, "* BYE") && (line.size() == 5 || line[5] == ' ')) {
            // The normal answer to LOGOUT; anywhere else the server is
            // closing the connection on us.
            if (m_bEnded)
                continue;
            return replyFailed;
        }
        if (StartsNoCase(line, "* BAD ") || StartsNoCase(line, "-ERR ") || StartsNoCase(line, "BAD: "))
            return replyFailed;
        HandleUntagged(line, literals);
    }
}

CImapSession::Reply CImapSession::ReadLiteral(long long nSize, bool bToMailFile, std::string& bytes)
{
    long long nRemaining = nSize;
    while (nRemaining > 0) {
        if (m_bAbort && bToMailFile)
            return replyAborted;
        int nWant = nRemaining < kLineSize ? static_cast<int>(nRemaining) : static_cast<int>(kLineSize);
        int n = LineSocket()->ReadRaw(m_pReplyBuffer, nWant);
        if (n <= 0) {
            if (n == 0)
                WSASetLastError(WSAECONNABORTED);
            return replyReadError;
        }
        if (bToMailFile)
            WriteMailBytes(m_pReplyBuffer, static_cast<size_t>(n));
        else
            bytes.append(m_pReplyBuffer, static_cast<size_t>(n));
        nRemaining -= n;
    }
    return replyOk;
}

void CImapSession::HandleUntagged(const std::string& line, const std::vector<std::string>& literals)
{
    std::string upper = Upper(line);
    switch (m_nState) {
    case stCapability:
        if (m_nLoginMethod == loginUnchosen && !m_bUseCramMd5) {
            if (upper.find("AUTH=LOGIN") != std::string::npos)
                m_nLoginMethod = loginAuthLogin;
            else if (upper.find("AUTH=PLAIN") != std::string::npos)
                m_nLoginMethod = loginCommand;
        }
        break;
    case stSelect:
        if (m_nMessageCount < 0 && upper.find("EXISTS") != std::string::npos) {
            // Every message gets an id slot; a count no mailbox can have
            // must not take the memory with it.
            long long n = NumberAt(line, 0);
            m_nMessageCount = n < 0 ? 0 : n > kMaxMessages ? kMaxMessages : static_cast<int>(n);
        }
        if (size_t at = upper.find("[UIDVALIDITY "); at != std::string::npos) {
            long long n = NumberAt(line, at + 13);
            if (n > 0)
                m_strUidValidity = FormatString("%lld", n);
        }
        break;
    case stIdsByMessageId:
    case stIdsByXUidl:
        HandleIdListing(line, literals);
        break;
    case stSize: {
        size_t pos = upper.find("RFC822.SIZE");
        if (FetchNumber(line) == m_nCurrentNumber && pos != std::string::npos) {
            long long n = NumberAt(line, pos + 11);
            m_nCurrentSize = n >= 0 && n <= 0x7FFFFFFF ? static_cast<int>(n) : 0x7FFFFFFF;
            m_bFound = true;
        }
        break;
    }
    case stHeader:
        if (FetchNumber(line) == m_nCurrentNumber && upper.find("RFC822.HEADER") != std::string::npos) {
            m_header.clear();
            bool bPrevCR = false;
            if (!literals.empty())
                AppendNormalised(m_header, literals[0].data(), literals[0].size(), bPrevCR);
            m_bFound = true;
        }
        break;
    case stText:
        // An empty text may come as "" or NIL instead of a literal.
        if (FetchNumber(line) == m_nCurrentNumber &&
            (upper.find("RFC822.TEXT") != std::string::npos || upper.find("BODY[TEXT]") != std::string::npos))
            m_bFound = true;
        break;
    default:
        break;
    }
}

void CImapSession::HandleIdListing(const std::string& line, const std::vector<std::string>& literals)
{
    int n = FetchNumber(line);
    if (n < 1 || n > static_cast<int>(m_ids.size()))
        return;
    std::string upper = Upper(line);
    size_t flags = upper.find("FLAGS (");
    if (flags != std::string::npos) {
        size_t end = upper.find(')', flags);
        if (upper.substr(flags, end == std::string::npos ? std::string::npos : end - flags).find("\\DELETED") !=
            std::string::npos)
            m_markedDeleted[n - 1] = true;
    }
    for (size_t at = upper.find("UID "); at != std::string::npos; at = upper.find("UID ", at + 4)) {
        if (at > 0 && (upper[at - 1] == '(' || upper[at - 1] == ' ')) {
            long long uid = NumberAt(line, at + 4);
            if (uid > 0 && static_cast<size_t>(n) <= m_uids.size())
                m_uids[n - 1] = FormatString("%lld", uid);
            break;
        }
    }
    if (literals.empty())
        return;
    CString fields(literals[0].data(), static_cast<int>(literals[0].size()));
    m_ids[n - 1] = GetHeaderField(fields, m_nState == stIdsByXUidl ? "X-UIDL" : "Message-ID");
}

bool CImapSession::Run()
{
    if (m_bAbort && m_nState != stEnd && m_nState != stCancel && !m_bEnded) {
        m_nState = stCancel;
        m_nErrorResult = -1;
    }
    bool bSent = true;
    bool bContinuation = false;
    m_bFound = false;
    m_bStopAfterFailure = false;
    switch (m_nState) {
    case stEnd:
        Cancel();
        return true;
    case stConnect:
        return StepConnect();
    case stCapability:
        bSent = SendTagged(stCapability, "CAPABILITY");
        break;
    case stLogin:
        if (m_nLoginMethod == loginAuthLogin || m_nLoginMethod == loginCramMd5) {
            bSent = SendTagged(stLogin, FormatString("%s %s", "AUTHENTICATE",
                                                     m_nLoginMethod == loginAuthLogin ? "LOGIN" : "CRAM-MD5"));
            bContinuation = true;
        } else {
            bSent = SendLogin();
            if (!bSent && m_bStopAfterFailure)
                return false;
        }
        break;
    case stAuthUser: {
        // The reply to a continuation still carries the AUTHENTICATE tag.
        CString line = (CBase64::EncodeToString(m_strUser.GetString(), m_strUser.GetLength()) + "\r\n").c_str();
        bSent = SendCommand(line, line.GetLength(), true);
        bContinuation = true;
        break;
    }
    case stAuthPassword: {
        std::string answer;
        if (m_nLoginMethod == loginCramMd5) {
            CString challenge = m_strLastLine.Mid(1).Trim();
            std::string decoded = CBase64::DecodeToString(challenge, challenge.GetLength());
            unsigned char digest[16];
            HmacMD5(decoded.data(), decoded.size(), m_strPassword.GetString(),
                    static_cast<size_t>(m_strPassword.GetLength()), digest);
            std::string response = m_strUser.Str() + " ";
            for (unsigned char b : digest)
                response += FormatString("%02x", b).Str();
            answer = CBase64::EncodeToString(response.data(), response.size());
        } else {
            answer = CBase64::EncodeToString(m_strPassword.GetString(), m_strPassword.GetLength());
        }
        answer += "\r\n";
        bSent = SendCommand(answer.c_str(), static_cast<int>(answer.size()), false,
                            FormatString("%s\r\n", kHiddenPassword));
        break;
    }
    case stSelect: {
        CString mailbox;
        for (int i = 0; i < m_strMailbox.GetLength(); i++) {
            if (m_strMailbox[i] == '\\' || m_strMailbox[i] == '"')
                mailbox += '\\';
            mailbox += m_strMailbox[i];
        }
        m_nMessageCount = -1;
        bSent = SendTagged(stSelect, FormatString("%s \"%s\"", "SELECT", mailbox.GetString()));
        break;
    }
    case stIdsByMessageId:
    case stIdsByXUidl:
        m_ids.assign(static_cast<size_t>(m_nMessageCount), CString());
        m_uids.assign(static_cast<size_t>(m_nMessageCount), CString());
        m_markedDeleted.assign(static_cast<size_t>(m_nMessageCount), false);
        bSent = SendTagged(m_nState, FormatString("%s %d:%d %s", "FETCH", 1, m_nMessageCount,
                                                  m_nState == stIdsByXUidl
                                                      ? "(UID FLAGS BODY.PEEK[HEADER.FIELDS (X-UIDL)])"
                                                      : "(UID FLAGS BODY.PEEK[HEADER.FIELDS (MESSAGE-ID)])"));
        break;
    case stSize:
        m_header.clear();
        m_nCurrentSize = 0;
        bSent = SendTagged(stSize, FormatString("%s %d (%s)", "FETCH", m_nCurrentNumber, "RFC822.SIZE"));
        break;
    case stHeader:
        bSent = SendTagged(stHeader, FormatString("%s %d (%s)", "FETCH", m_nCurrentNumber, "RFC822.HEADER"));
        break;
    case stText:
        StartMailText();
        // A mail to be left unread on the server is fetched without
        // setting its \Seen flag.
        bSent = SendTagged(stText, FormatString("%s %d (%s)", "FETCH", m_nCurrentNumber,
                                                KeepUnread() ? "BODY.PEEK[TEXT]" : "RFC822.TEXT"));
        break;
    case stDelete:
        bSent = SendTagged(stDelete, FormatString("STORE %d +FLAGS (\\Deleted)", m_nDeleteNumber));
        break;
    case stExpunge:
        bSent = SendTagged(stExpunge, "EXPUNGE");
        break;
    case stFinish: {
        if (SendQueuedDelete(bSent))
            break;
        int nExpired = FindExpiredMail();
        if (nExpired > 0) {
            m_nDeleteNumber = nExpired;
            m_bExpiredDelete = true;
            m_nState = stDelete;
            bSent = SendTagged(stDelete, FormatString("STORE %d +FLAGS (\\Deleted)", m_nDeleteNumber));
        } else if (m_nDeletedCount > 0) {
            m_nState = stExpunge;
            bSent = SendTagged(stExpunge, "EXPUNGE");
        } else {
            WriteIdListBack();
            m_bEnded = true;
            bSent = SendTagged(stFinish, "LOGOUT");
        }
        break;
    }
    case stCancel:
    default:
        // Mails already filed are marked even when the pass is cut short, as
        // they would come again otherwise.
        if (m_nState == stCancel && SendQueuedDelete(bSent))
            break;
        m_nState = stCancel;
        m_bEnded = true;
        bSent = SendTagged(stCancel, "LOGOUT");
        break;
    }
    if (!bSent) {
        if (!m_bEnded && m_nErrorResult == 0) {
            m_nErrorResult = kErrFirstLine;
            m_nErrorMessageId = kMsgReceiveError;
        }
        m_nState = stEnd;
        Cancel();
        return false;
    }
    Reply reply = ReadReply(bContinuation);
    if (reply == replyAborted) {
        // Whatever is left of the literal cannot be skipped in time; the
        // connection goes without a LOGOUT.
        DiscardPartialMail();
        m_nErrorResult = -1;
        m_bEnded = true;
        m_nState = stEnd;
        PostToOwner(CVM_MSG_SESSION_STEP, 0, 0);
        return true;
    }
    if (reply == replyReadError || reply == replyFailed) {
        if (m_bEnded) {
            m_nState = stEnd;
            PostToOwner(CVM_MSG_SESSION_STEP, 0, 0);
            return true;
        }
        OnFailure(reply);
        return false;
    }
    if (!OnReplyOk())
        return true;
    PostToOwner(CVM_MSG_SESSION_STEP, 0, 0);
    return true;
}

void CImapSession::OnFailure(Reply reply)
{
    if (m_nState == stText) {
        DiscardPartialMail();
    }
    if (reply == replyReadError) {
        ReportReadFailure();
    } else if (m_nState == stLogin || m_nState == stAuthUser || m_nState == stAuthPassword) {
        m_nErrorResult = kErrLogin;
        m_nErrorMessageId = kMsgLoginFailed;
        m_strErrorText = m_strLastLine;
    } else if (m_nErrorResult == 0) {
        m_nErrorResult = kErrRefused;
        m_nErrorMessageId = kMsgReceiveError;
        m_strErrorText = m_strLastLine;
    }
    WriteCommLog(FormatString("IMAP failure in state %d: [%s]\r\n", m_nState, m_strLastLine.GetString()));
    m_nState = stEnd;
    Cancel();
}

void CImapSession::ReportReadFailure()
{
    DWORD dwError = WSAGetLastError();
    int nCode = m_bReplyStarted ? kErrFurtherLine : kErrFirstLine;
    m_strErrorText = FormatString("ReadLine Error[%d][%lu]", nCode, static_cast<unsigned long>(dwError));
    WriteCommLog(m_strErrorText + "\r\n");
    WriteCommLog(FormatString("Error[%s]\r\n", SystemMessage(dwError).GetString()));
    ReportTransferError(nCode, kMsgReceiveError);
}

bool CImapSession::OnReplyOk()
{
    bool bLoggedIn = false;
    switch (m_nState) {
    case stCapability:
        if (m_nLoginMethod == loginUnchosen && m_bUseCramMd5)
            m_nLoginMethod = loginCramMd5;
        m_nState = stLogin;
        break;
    case stLogin:
        if (m_strLastLine.Left(1) == "+")
            m_nState = m_nLoginMethod == loginAuthLogin ? stAuthUser : stAuthPassword;
        else
            bLoggedIn = true;
        break;
    case stAuthUser:
        if (m_strLastLine.Left(1) == "+")
            m_nState = stAuthPassword;
        else
            bLoggedIn = true;
        break;
    case stAuthPassword:
        bLoggedIn = true;
        break;
    case stSelect:
        if (m_nMessageCount < 1) {
            // An emptied mailbox is news to a window that listed mails.
            if (m_pDialog)
                StartListing();
            m_nState = stFinish;
        }
        else
            m_nState = stIdsByXUidl;
        break;
    case stIdsByXUidl: {
        int nFound = 0;
        for (const CString& id : m_ids)
            if (!id.IsEmpty())
                nFound++;
        if (nFound < m_nMessageCount)
            m_nState = stIdsByMessageId;
        else
            AfterListing();
        break;
    }
    case stIdsByMessageId:
        AfterListing();
        break;
    case stSize:
        if (!m_bFound) {
            SelectMessage(m_nIndex + 1);  // gone from the mailbox meanwhile
            break;
        }
        m_bTooLarge = !IsSelectionMode() && m_nSizeLimit > 0 &&
                      static_cast<long long>(m_nSizeLimit) * 1024 < m_nCurrentSize;
        m_nState = stHeader;
        break;
    case stHeader:
        if (!m_bFound) {
            SelectMessage(m_nIndex + 1);
            break;
        }
        HeaderStep();
        break;
    case stText:
        if (!m_bFound) {
            DiscardPartialMail();
            SelectMessage(m_nIndex + 1);
            break;
        }
        if (!StoreMail()) {
            // Filed nothing, so nothing is marked \Deleted; what was filed
            // before is still expunged on the way out.
            EndAfterFilingError(kErrFiling);
            m_nState = stFinish;
        }
        break;
    case stDelete:
        m_nDeletedCount++;
        if (!m_bExpiredDelete && !m_pSelection)
            m_listC.MarkIdDeleted(ReceiptIdOf(m_nDeleteNumber));
        m_bExpiredDelete = false;
        m_nState = stFinish;
        break;
    case stExpunge:
        m_nDeletedCount = 0;
        m_nState = stFinish;
        break;
    case stFinish:
    case stCancel:
    default:
        m_nState = stEnd;
        break;
    }
    if (bLoggedIn)
        m_nState = m_bLoginOnly ? stFinish : stSelect;
    return true;
}

void CImapSession::AfterListing()
{
    for (int n = 1; n <= static_cast<int>(m_ids.size()); n++)
        m_listA.AppendId(m_ids[n - 1], n);
    if (!IsSelectionMode()) {
        // Keep only the ids still on the server, with the time they first
        // came. A known message still there in delete mode was filed by a
        // pass that ended before its EXPUNGE: it is not fetched again but
        // deleted.
        m_listC.Reset();
        for (int n = 1; n <= static_cast<int>(m_ids.size()); n++) {
            CString id = ReceiptIdOf(n);
            if (CReceivedIdRecord* pKnown = m_listB.FindId(id)) {
                m_listC.AddId(id, n, pKnown->m_strStamp);
                if (!m_bLeaveOnServer && !m_pDialog)
                    QueueDelete(n, id);
            }
        }
    }
    m_nIndex = 0;
    if ((m_pDialog && !StartListing()) || !SelectionMatchesServer()) {
        m_nState = stFinish;
        return;
    }
    SelectMessage(0);
}

bool CImapSession::KeepUnread() const
{
    return m_pSelection && m_nIndex < static_cast<int>(m_pSelection->size()) && (*m_pSelection)[m_nIndex].bKeepUnread;
}

CString CImapSession::IdOf(int nNumber) const
{
    return nNumber >= 1 && nNumber <= static_cast<int>(m_ids.size()) ? m_ids[nNumber - 1] : CString();
}

CString CImapSession::ReceiptIdOf(int nNumber) const
{
    // Mails that are deleted after receiving are known by their UID: a
    // Message-ID that two different mails share must not have the second
    // deleted unseen. Left on the server, they keep the ids of earlier
    // versions, so that nothing known comes again.
    if (m_bLeaveOnServer || IsSelectionMode() || m_strUidValidity.IsEmpty() || nNumber < 1 ||
        nNumber > static_cast<int>(m_uids.size()) || m_uids[nNumber - 1].IsEmpty())
        return IdOf(nNumber);
    return "UID:" + m_strUidValidity + ":" + m_uids[nNumber - 1];
}

void CImapSession::SelectMessage(int nIndex)
{
    m_nIndex = nIndex;
    m_bTooLarge = false;
    int nNumber = 0;
    if (m_pSelection) {
        while (m_nIndex < static_cast<int>(m_pSelection->size())) {
            const CReceiveSelection& entry = (*m_pSelection)[m_nIndex];
            if (entry.bNoReceive && entry.bDelete) {
                m_nCurrentNumber = entry.nNumber;
                if (entry.nNumber < 1 || entry.nNumber > m_nMessageCount) {
                    m_nState = stFinish;
                    return;
                }
                QueueDelete(entry.nNumber, IdOf(entry.nNumber));
                m_nIndex++;
                continue;
            }
            if (!entry.bNoReceive) {
                nNumber = entry.nNumber;
                break;
            }
            m_nIndex++;
        }
    } else if (m_pDialog) {
        nNumber = ListingNumber();
    } else {
        // A message already marked \Deleted was received before (by a pass
        // that broke off before its EXPUNGE) or is being deleted by another
        // client: either way it is not new mail.
        while (m_nIndex < m_nMessageCount &&
               ((m_nIndex < static_cast<int>(m_markedDeleted.size()) && m_markedDeleted[m_nIndex]) ||
                (!m_pDialog && m_listB.FindId(ReceiptIdOf(m_nIndex + 1)))))
            m_nIndex++;
        nNumber = m_nIndex + 1;
    }
    if (nNumber < 1 || nNumber > m_nMessageCount) {
        m_nState = stFinish;
        return;
    }
    m_nCurrentNumber = nNumber;
    m_nState = stSize;
}

void CImapSession::HeaderStep()
{
    m_strHeader = CString(m_header.data(), static_cast<int>(m_header.size()));
    if (m_pDialog) {
        ListServerMail(m_strHeader, IdOf(m_nCurrentNumber), m_nCurrentNumber, m_nCurrentSize);
        SelectMessage(m_nIndex + 1);
        return;
    }
    int nDecision = ReceiveFilterDecision();
    if (!m_bTooLarge && nDecision == 0) {
        m_nState = stText;
        return;
    }
    RecordUndelivered(m_bTooLarge ? 0 : nDecision);
    if (nDecision == 2)
        QueueDelete(m_nCurrentNumber, IdOf(m_nCurrentNumber));
    SelectMessage(m_nIndex + 1);
}

void CImapSession::StartMailText()
{
    BeginMail();
    // The store files from the dot-doubled form that POP3 delivers and
    // undoes it where it decodes; IMAP sends the text as it is.
    m_stuffer = CDotStuffer();
    m_stuffer.Append(m_mailBuffer, m_header.data(), m_header.size());
    m_bPrevCR = false;
}

void CImapSession::WriteMailBytes(const char* pData, size_t nLength)
{
    if (m_strMailName.IsEmpty())
        return;
    std::string lines;
    AppendNormalised(lines, pData, nLength, m_bPrevCR);
    m_stuffer.Append(m_mailBuffer, lines.data(), lines.size());
    if (m_mailBuffer.size() - static_cast<size_t>(m_nMailBytes) >= kProgressStep)
        ReportMailBytes();
}

bool CImapSession::SendQueuedDelete(bool& bSent)
{
    CString id;
    if (!NextQueuedDelete(m_nDeleteNumber, id))
        return false;
    m_nState = stDelete;
    bSent = SendTagged(stDelete, FormatString("STORE %d +FLAGS (\\Deleted)", m_nDeleteNumber));
    return true;
}

bool CImapSession::StoreMail()
{
    bool bKeepOnServer = false;
    CString id = ReceiptIdOf(m_nCurrentNumber);
    if (!FileMail(id, bKeepOnServer))
        return false;
    if (RecordFiledMail(id, bKeepOnServer))
        QueueDelete(m_nCurrentNumber, id);
    SelectMessage(m_nIndex + 1);
    return true;
}

void CImapSession::Cancel()
{
    CloseSocket();
    Finish();
}

bool CImapSession::Finish()
{
    if (!m_bRunning)
        return false;
    m_bRunning = false;
    m_nState = stEnd;
    DiscardPartialMail();
    EndFilingRuns();
    if (!IsSelectionMode() && !m_bLoginOnly)
        ForgetIdLists();
    if (m_dwMainThreadId)
        PostThreadMessageA(m_dwMainThreadId, CVM_MSG_RECEIVE_END, static_cast<WPARAM>(m_nReceivedCount), 0);
    PostToOwner(CVM_MSG_SESSION_FINISHED, static_cast<WPARAM>(m_nErrorResult), m_nErrorMessageId);
    return true;
}

bool CImapSession::IsRunning()
{
    return m_nState > stConnect;
}
