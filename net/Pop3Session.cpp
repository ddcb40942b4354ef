#include "net/Pop3Session.h"

#include "core/Md5.h"
#include "net/CommLog.h"
#include "net/LineSocket.h"
#include "net/NetMessages.h"
#include "net/TlsSocket.h"
#include "resources/resource.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

const UINT kMsgConnectFailed = IDS_CONNECT_FAILED;
const UINT kMsgUserNotFound = IDS_POP3_USER_NOT_FOUND;
const UINT kMsgReceiveError = IDS_RECEIVE_ERROR;
const UINT kMsgSocketCreate = IDS_SOCKET_CREATE_FAILED;
const UINT kMsgLoginFailed = IDS_LOGIN_FAILED;

bool StartsNoCase(const char* pszText, const char* pszPrefix)
{
    return _strnicmp(pszText, pszPrefix, strlen(pszPrefix)) == 0;
}

bool IsPositive(const char* pszReply)
{
    return StartsNoCase(pszReply, "+OK");
}

bool IsNegative(const char* pszReply)
{
    return StartsNoCase(pszReply, "-ERR");
}

} // namespace

CPop3Session::CPop3Session()
{
    m_nPort = 110;
}

CPop3Session::~CPop3Session() = default;

int CPop3Session::GetReplyNumber(const char* pszReply, int n)
{
    const char* p = pszReply;
    while (*p && !(*p >= '0' && *p <= '9'))
        p++;
    for (int nRun = 1; *p; nRun++) {
        long long value = 0;
        int nDigits = 0;
        while (*p >= '0' && *p <= '9') {
            if (nDigits < 11)
                value = value * 10 + (*p - '0');
            nDigits++;
            p++;
        }
        if (nRun == n) {
            if (*p == '-')
                return -1;
            return value > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(value);
        }
        while (*p && !(*p >= '0' && *p <= '9'))
            p++;
    }
    return 0;
}

CString CPop3Session::GetApopStamp(const char* pszGreeting)
{
    CString greeting(pszGreeting);
    int nStart = greeting.Find('<');
    if (nStart < 0)
        return CString();
    int nEnd = greeting.Find('>', nStart);
    if (nEnd < 0)
        return CString();
    return greeting.Mid(nStart, nEnd - nStart + 1);
}

bool CPop3Session::Start(CDlgRemoteMail* pDialog, std::vector<CReceiveSelection>* pSelection)
{
    BeginPass(pDialog, pSelection);
    m_nRetrAhead = 0;
    m_nMessageCount = 0;
    m_bUidl = true;
    CString idPath = LoadIdLists();
    m_nStoredCount = m_listB.GetLiveCount();
    if (!Connect()) {
        if (m_nErrorResult == 0)
            m_nErrorResult = 1;
        if (m_nErrorMessageId == 0)
            m_nErrorMessageId = kMsgConnectFailed;
        Finish();
        return false;
    }
    m_nState = 1;
    StartIdListPass(idPath);
    return Run();
}

bool CPop3Session::Connect()
{
    if (m_strServer.IsEmpty() || m_nPort == -1)
        return false;
    CTlsSocket* pTls = nullptr;
    try {
        if (m_bTls) {
            pTls = new CTlsSocket;
            pTls->SetPlainFirst(m_nPort != 995);
            m_pSocket = pTls;
        } else {
            m_pSocket = new CLineSocket;
        }
    } catch (const std::bad_alloc&) {
        WriteCommLog("Server Create Error\r\n");
        PostToOwner(CVM_MSG_TRANSFER_ERROR, 0, kMsgSocketCreate);
        m_nErrorMessageId = kMsgSocketCreate;
        return false;
    }
    m_tlsPending.clear();
    m_nTlsPos = 0;
    m_bTlsSkipLF = false;
    m_pSocket->SetOwner(this);
    m_pSocket->SetTimeOut(m_nTimeOut);
    m_pSocket->SetWatchdogThreadId(m_dwWatchdogThreadId);
    auto fail = [&](const char* pszWhy) {
        if (pTls && !pTls->GetErrorText().IsEmpty())
            m_strErrorText = pTls->GetErrorText();
        else if (pszWhy)
            m_strErrorText = pszWhy;
        delete m_pSocket;
        m_pSocket = nullptr;
        m_nErrorResult = 1;
        m_nErrorMessageId = kMsgConnectFailed;
        PostToOwner(CVM_MSG_TRANSFER_ERROR, 0, kMsgConnectFailed);
        return false;
    };
    if (!m_pSocket->Create()) {
        if (pTls)
            m_strErrorText = pTls->GetErrorText();
        delete m_pSocket;
        m_pSocket = nullptr;
        return false;
    }
    if (!m_pSocket->Connect(m_strServer, m_nPort))
        return fail(nullptr);
    if (!ReadReply())
        return fail(nullptr);
    m_strGreeting = m_strReply;
    if (pTls && pTls->IsPlainFirst()) {
        if (!IsPositive(m_strReply))
            return fail(nullptr);
        if (!SendPop3(cmdNone, "STLS\r\n") || !ReadReply())
            return fail(nullptr);
        if (!IsPositive(m_strReply))
            return fail("サーバがSTLSを受け付けませんでした。");
        // Nothing sent in plain text before the handshake may count after it.
        if (m_bTlsSkipLF && m_nTlsPos >= m_tlsPending.size())
            pTls->DropLateLineFeed(m_nTimeOut * 1000);
        m_tlsPending.clear();
        m_nTlsPos = 0;
        m_bTlsSkipLF = false;
        if (!pTls->StartTls(m_strServer, m_nPort))
            return fail(nullptr);
    }
    if (!IsPositive(m_strGreeting))
        return fail(nullptr);
    return true;
}

bool CPop3Session::SendQueuedDelete(bool& bOk)
{
    int nNumber = 0;
    if (!NextQueuedDelete(nNumber, m_strDeleteId))
        return false;
    bOk = SendPop3(cmdDele, FormatString("DELE %d\r\n", nNumber));
    return true;
}

bool CPop3Session::SendPop3(Command command, const CString& text, const char* pszLogText)
{
    m_lastCommand = command;
    return SendCommand(text, text.GetLength(), pszLogText == nullptr, pszLogText);
}

int CPop3Session::ReadReplyLine()
{
    char* pBuffer = m_pReplyBuffer;
    pBuffer[0] = '\0';
    if (!m_pSocket)
        return -1;
    if (!m_bTls) {
        try {
            return static_cast<CLineSocket*>(m_pSocket)->ReadLine(pBuffer, kLineSize);
        } catch (const CSocketException& e) {
            WSASetLastError(e.m_nWsaError);
            return -1;
        }
    }
    // The TLS socket hands out decrypted pieces; cut them into lines the way
    // the plain line reader does.
    auto* pTls = static_cast<CTlsSocket*>(m_pSocket);
    for (;;) {
        size_t nAvail = m_tlsPending.size() - m_nTlsPos;
        const char* p = m_tlsPending.data() + m_nTlsPos;
        if (m_bTlsSkipLF && nAvail) {
            m_bTlsSkipLF = false;
            if (*p == '\n') {
                m_nTlsPos++;
                continue;
            }
        }
        size_t nLimit = nAvail < static_cast<size_t>(kLineSize) ? nAvail : static_cast<size_t>(kLineSize);
        size_t k = 0;
        while (k < nLimit && p[k] != '\r' && p[k] != '\n')
            k++;
        if (k < nLimit) {
            memcpy(pBuffer, p, k);
            pBuffer[k] = '\r';
            pBuffer[k + 1] = '\n';
            pBuffer[k + 2] = '\0';
            m_nTlsPos += k + 1;
            if (p[k] == '\r') {
                if (k + 1 < nAvail) {
                    if (p[k + 1] == '\n')
                        m_nTlsPos++;
                } else {
                    m_bTlsSkipLF = true;
                }
            }
            return static_cast<int>(k + 2);
        }
        if (nAvail >= static_cast<size_t>(kLineSize)) {
            memcpy(pBuffer, p, kLineSize);
            pBuffer[kLineSize] = '\0';
            m_nTlsPos += kLineSize;
            return kLineSize;
        }
        m_tlsPending.erase(0, m_nTlsPos);
        m_nTlsPos = 0;
        size_t nHad = m_tlsPending.size();
        if (pTls->ReadAppend(m_tlsPending) == 0) {
            if (pTls->IsClosed())
                WSASetLastError(WSAECONNABORTED);
            return -1;
        }
        // NUL bytes are dropped, as the plain line reader drops them.
        if (memchr(m_tlsPending.data() + nHad, '\0', m_tlsPending.size() - nHad)) {
            auto from = m_tlsPending.begin() + static_cast<std::ptrdiff_t>(nHad);
            m_tlsPending.erase(std::remove(from, m_tlsPending.end(), '\0'), m_tlsPending.end());
        }
    }
}

bool CPop3Session::ReadReply()
{
    int n = ReadReplyLine();
    if (n < 0)
        return false;
    m_strReply = m_pReplyBuffer;
    return true;
}

void CPop3Session::ReportReadFailure(int nErrorResult, const char* pszWhere)
{
    DWORD dwError = WSAGetLastError();
    WriteCommLog(pszWhere);
    WriteCommLog(CString("[") + m_pReplyBuffer + "]");
    WriteCommLog(FormatString("Error[%s]\r\n", SystemMessage(dwError).GetString()));
    ReportTransferError(nErrorResult, kMsgReceiveError);
}

bool CPop3Session::Run()
{
    // A mail already filed is still deleted: skipping its DELE would leave
    // it on the server to be received again.
    if (m_bAbort && m_nState != 0 && m_nState != 14 && m_nState != 17 && !m_bQuitting) {
        m_nState = 17;
        m_nErrorResult = -1;
    }
    // The replies to commands sent ahead come before any later ones.
    if (m_nRetrAhead &&
        (m_nState >= 15 || (m_nState == 5 && m_nCurrentNumber != m_nRetrAhead))) {
        if (!DropRetrAhead()) {
            ReportReadFailure(13, "Error@GetResponseServer\r\n");
            return true;
        }
    }
    bool bSent = true;   // a command went out and its reply is due
    bool bOk = true;
    switch (m_nState) {
    case 0:
        Cancel();
        return false;
    case 1:
        if (m_bApop) {
            CString stamp = GetApopStamp(m_strGreeting);
            if (stamp.IsEmpty()) {
                // Without a time stamp there is nothing to digest; sending
                // the password in its place would defeat APOP.
                WriteCommLog("APOP: no time stamp in the greeting\r\n");
                m_nErrorResult = 2;
                m_nErrorMessageId = kMsgLoginFailed;
                m_nState = 17;
                bSent = false;
                break;
            }
            char digest[33];
            GetMD5HexString(stamp + m_strPassword, digest);
            bOk = SendPop3(cmdPass, FormatString("APOP %s %s\r\n", m_strUser.GetString(), digest),
                           FormatString("APOP %s\r\n", m_strUser.GetString()));
            m_nState = 3;
        } else {
            bOk = SendPop3(cmdUser, FormatString("USER %s\r\n", m_strUser.GetString()));
            m_nState = 2;
        }
        break;
    case 2:
        bOk = SendPop3(cmdPass, FormatString("PASS %s\r\n", m_strPassword.GetString()), "PASS *********\r\n");
        m_nState = 3;
        break;
    case 3:
        if (!m_bCapaAsked && !ReadCapabilities()) {
            ReportReadFailure(13, "Error@GetResponseServer\r\n");
            return true;
        }
        bOk = SendPop3(cmdStat, "STAT\r\n");
        m_nState = 8;
        break;
    case 5:
        if (m_bPipelining && ListLeadsToRetr()) {
            if (!SendListAndRetr())
                return m_nState != 0;  // a failed send ends the session; a failed read was reported
            bSent = false;
            break;
        }
        bOk = SendPop3(cmdList, FormatString("LIST %d\r\n", m_nCurrentNumber));
        m_nState = 6;
        break;
    case 8:
        bOk = SendPop3(cmdUidl, "UIDL\r\n");
        m_nState = 9;
        break;
    case 10:
        if (m_pSelection && m_nIndex < static_cast<int>(m_pSelection->size()) && (*m_pSelection)[m_nIndex].bDelete &&
            (*m_pSelection)[m_nIndex].bNoReceive) {
            m_nState = 14;
            bSent = false;
            break;
        }
        bOk = SendPop3(cmdTop, FormatString("TOP %d 0\r\n", m_nCurrentNumber));
        m_nState = 11;
        break;
    case 11:
        ReadHeaderStep();
        return true;
    case 12:
        bOk = SendPop3(cmdRetr, FormatString("RETR %d\r\n", m_nCurrentNumber));
        if (!bOk)
            m_nState = 17;
        else
            m_nState = 13;
        break;
    case 13:
        ReceiveMailStep();
        return true;
    case 14:
        QueueDelete(m_nCurrentNumber, m_strDeleteId);
        m_strDeleteId.Empty();
        GoToNextMail();
        bSent = false;
        break;
    case 15:
    case 16: {
        if (m_bPipelining && m_nState == 15) {
            if (!SendQueuedDeletesAtOnce(bOk))
                return true;
            if (!bOk)
                break;
            bSent = false;
            break;
        }
        if (SendQueuedDelete(bOk)) {
            m_nState = 15;
            break;
        }
        int nNumber = FindExpiredMail();
        if (nNumber > 0) {
            bOk = SendPop3(cmdDeleExpired, FormatString("DELE %d\r\n", nNumber));
            m_nState = 16;
            break;
        }
        m_nState = 17;
    }
        [[fallthrough]];
    case 17:
    default:
        // Mails already filed are deleted even when the pass is cut short,
        // as they would come again otherwise.
        if (m_nState == 17 && SendQueuedDelete(bOk))
            break;
        m_bQuitting = true;
        bOk = SendPop3(cmdQuit, "QUIT\r\n");
        m_nState = 0;
        break;
    }
    if (!bOk) {
        m_nState = 0;
        return false;
    }
    if (bSent) {
        if (!ReadReply()) {
            if (!m_bQuitting) {
                ReportReadFailure(13, "Error@GetResponseServer\r\n");
                return true;
            }
        } else {
            HandleReply();
        }
    }
    PostToOwner(CVM_MSG_SESSION_STEP, 0, 0);
    return true;
}

bool CPop3Session::ReadCapabilities()
{
    m_bCapaAsked = true;
    m_bPipelining = false;
    if (!SendPop3(cmdNone, "CAPA\r\n") || !ReadReply())
        return false;
    if (!IsPositive(m_strReply))
        return true;
    for (;;) {
        int n = ReadReplyLine();
        if (n < 0)
            return false;
        if (strcmp(m_pReplyBuffer, ".\r\n") == 0)
            return true;
        if (_strnicmp(m_pReplyBuffer, "PIPELINING", 10) == 0 &&
            (m_pReplyBuffer[10] == '\r' || m_pReplyBuffer[10] == ' '))
            m_bPipelining = true;
    }
}

bool CPop3Session::ListLeadsToRetr() const
{
    return !IsSelectionMode() && m_nSizeLimit <= 0 && m_bUidl && !(m_bFilterAvailable && m_bDivideUpAtReceive);
}

int CPop3Session::PeekNextNumber()
{
    int nSaved = m_nIndex;
    m_nIndex++;
    int nNumber = CurrentNumber();
    m_nIndex = nSaved;
    return nNumber >= 1 && nNumber <= m_nMessageCount ? nNumber : 0;
}

bool CPop3Session::DropRetrAhead()
{
    m_nRetrAhead = 0;
    if (!ReadReply() || !ReadReply())
        return false;
    if (!IsPositive(m_strReply))
        return true;
    bool bLineStart = true;
    for (;;) {
        int n = ReadReplyLine();
        if (n < 0)
            return false;
        if (bLineStart && strcmp(m_pReplyBuffer, ".\r\n") == 0)
            return true;
        bLineStart = n >= 2 && m_pReplyBuffer[n - 2] == '\r' && m_pReplyBuffer[n - 1] == '\n';
    }
}

bool CPop3Session::SendListAndRetr()
{
    // The current mail's commands went out with the previous mail's, unless
    // it is the first; the next mail's go out now.
    CString commands;
    if (m_nRetrAhead != m_nCurrentNumber)
        commands = FormatString("LIST %d\r\nRETR %d\r\n", m_nCurrentNumber, m_nCurrentNumber);
    int nNext = PeekNextNumber();
    if (nNext > 0)
        commands += FormatString("LIST %d\r\nRETR %d\r\n", nNext, nNext);
    m_nRetrAhead = 0;
    m_lastCommand = cmdList;
    if (!commands.IsEmpty() && !SendPop3(cmdList, commands)) {
        m_nState = 0;
        return false;
    }
    m_nRetrAhead = nNext;
    m_nState = 6;
    if (!ReadReply()) {
        ReportReadFailure(13, "Error@GetResponseServer\r\n");
        return false;
    }
    HandleReply();
    bool bRetrWanted = m_nState == 12;
    m_lastCommand = cmdRetr;
    if (!ReadReply()) {
        ReportReadFailure(13, "Error@GetResponseServer\r\n");
        return false;
    }
    if (bRetrWanted) {
        m_nState = 13;
        HandleReply();
        return true;
    }
    // The LIST failed: the mail the RETR brings anyway is read and dropped.
    if (IsPositive(m_strReply)) {
        bool bLineStart = true;
        for (;;) {
            int n = ReadReplyLine();
            if (n < 0) {
                ReportReadFailure(11, "Error@GetResponseServer\r\n");
                return false;
            }
            if (bLineStart && strcmp(m_pReplyBuffer, ".\r\n") == 0)
                break;
            bLineStart = n >= 2 && m_pReplyBuffer[n - 2] == '\r' && m_pReplyBuffer[n - 1] == '\n';
        }
    }
    return true;
}

bool CPop3Session::SendQueuedDeletesAtOnce(bool& bOk)
{
    std::vector<CString> ids;
    CString commands;
    int nNumber = 0;
    CString id;
    while (NextQueuedDelete(nNumber, id)) {
        CString line = FormatString("DELE %d\r\n", nNumber);
        if (IsCommLogOn())
            WriteCommLog(line);
        commands += line;
        ids.push_back(id);
    }
    m_nState = 16;
    bOk = true;
    if (ids.empty())
        return true;
    m_lastCommand = cmdDele;
    bOk = SendCommand(commands, commands.GetLength(), false, "");
    if (!bOk)
        return true;
    bool bAllDeleted = true;
    for (const CString& deleted : ids) {
        if (!ReadReply()) {
            ReportReadFailure(13, "Error@GetResponseServer\r\n");
            return false;
        }
        if (!IsPositive(m_strReply))
            bAllDeleted = false;
        else if (!deleted.IsEmpty())
            m_listC.MarkIdDeleted(deleted);
    }
    if (!bAllDeleted)
        m_nState = 17;
    return true;
}

void CPop3Session::HandleReply()
{
    const char* pszReply = m_strReply;
    if (m_lastCommand == cmdQuit) {
        // The server applies the deletions only now: before, the ids of the
        // mails it was asked to delete must stay in the id file.
        if (IsPositive(pszReply))
            WriteIdListBack();
        return;
    }
    if (!IsPositive(pszReply)) {
        switch (m_lastCommand) {
        case cmdUidl:
            if (IsNegative(pszReply)) {
                // No UIDL: go by number; ids are then the mails' Message-IDs.
                m_bUidl = false;
                m_nIndex = 0;
                if (!CheckAgainstWindow())
                    return;
                GoToCurrentNumber();
                return;
            }
            break;
        case cmdUser:
            m_nErrorMessageId = kMsgUserNotFound;
            m_nErrorResult = 2;
            break;
        case cmdPass:
            m_nErrorMessageId = kMsgLoginFailed;
            m_nErrorResult = 2;
            break;
        default:
            break;
        }
        m_nState = 17;
        return;
    }
    switch (m_lastCommand) {
    case cmdPass:
        if (m_bLoginOnly)
            m_nState = 17;
        break;
    case cmdStat:
        m_nMessageCount = GetReplyNumber(pszReply, 1);
        if (m_nMessageCount < 1) {
            // An emptied mailbox is news to a window that listed mails.
            if (m_pDialog)
                StartListing();
            m_nState = 17;
        }
        break;
    case cmdUidl:
        if (!ReadUidlListing()) {
            ReportReadFailure(13, "Error@GetResponseServer\r\n");
            m_nState = 0;
            return;
        }
        StartAfterListing();
        break;
    case cmdList:
        HandleSize();
        break;
    case cmdDele:
        if (!m_strDeleteId.IsEmpty())
            m_listC.MarkIdDeleted(m_strDeleteId);
        m_strDeleteId.Empty();
        break;
    default:
        break;
    }
}

bool CPop3Session::ReadUidlListing()
{
    m_listA.Reset();
    for (;;) {
        int n = ReadReplyLine();
        if (n < 0)
            return false;
        if (strcmp(m_pReplyBuffer, ".\r\n") == 0)
            return true;
        int nNumber = atoi(m_pReplyBuffer);
        const char* p = m_pReplyBuffer;
        while (*p == ' ')
            p++;
        while (*p >= '0' && *p <= '9')
            p++;
        while (*p == ' ' || *p == '\t')
            p++;
        CString id(p);
        id.TrimRight();
        if (nNumber > 0)
            m_listA.AppendId(id, nNumber);
    }
}

void CPop3Session::StartAfterListing()
{
    if (!IsSelectionMode()) {
        // Keep only the ids still on the server, with the time they first
        // came. A known mail still there in delete mode was filed by a pass
        // that ended before its QUIT: it is not fetched again but deleted.
        m_listC.Reset();
        for (int i = 0; i < m_listA.GetRecordCount(TRUE); i++) {
            CReceivedIdRecord* pServer = m_listA.GetIdRecord(i);
            if (CReceivedIdRecord* pKnown = m_listB.FindId(pServer->m_strId)) {
                m_listC.AddId(pServer->m_strId, pServer->m_nNumber, pKnown->m_strStamp);
                if (!m_bLeaveOnServer)
                    QueueDelete(pServer->m_nNumber, pServer->m_strId);
            }
        }
    }
    m_nIndex = 0;
    if (!CheckAgainstWindow())
        return;
    if (m_pSelection) {
        if (m_pSelection->empty()) {
            m_nState = 15;
            return;
        }
        m_nCurrentNumber = (*m_pSelection)[0].nNumber;
        const CReceiveSelection& entry = (*m_pSelection)[0];
        m_nState = entry.bNoReceive && entry.bDelete ? 14 : 12;
        return;
    }
    GoToCurrentNumber();
}

bool CPop3Session::CheckAgainstWindow()
{
    if ((m_pDialog && !StartListing()) || !SelectionMatchesServer()) {
        m_nState = 17;
        return false;
    }
    return true;
}

CString CPop3Session::ServerIdOf(int nNumber)
{
    if (!m_bUidl)
        return CString();
    for (int i = 0; i < m_listA.GetRecordCount(TRUE); i++) {
        CReceivedIdRecord* pServer = m_listA.GetIdRecord(i);
        if (pServer && pServer->m_nNumber == nNumber)
            return pServer->m_strId;
    }
    return CString();
}

void CPop3Session::GoToCurrentNumber()
{
    int nNumber = CurrentNumber();
    if (nNumber >= 1 && nNumber <= m_nMessageCount) {
        m_nCurrentNumber = nNumber;
        m_nState = 5;
    } else {
        m_nState = 15;
    }
}

int CPop3Session::CurrentNumber()
{
    if (m_pSelection)
        return m_nIndex < static_cast<int>(m_pSelection->size()) ? (*m_pSelection)[m_nIndex].nNumber : 0;
    if (m_pDialog)
        return ListingNumber();
    if (m_bUidl) {
        while (m_nIndex < m_listA.GetRecordCount(TRUE)) {
            CReceivedIdRecord* pServer = m_listA.GetIdRecord(m_nIndex);
            if (m_listB.FindId(pServer->m_strId)) {
                m_nIndex++;
                continue;
            }
            return pServer->m_nNumber;
        }
        return 0;
    }
    if (m_bLeaveOnServer)
        return m_nIndex + 1 + m_nStoredCount;
    return m_nIndex + 1;
}

void CPop3Session::GoToNextMail()
{
    m_nIndex++;
    if (m_pSelection) {
        while (m_nIndex < static_cast<int>(m_pSelection->size())) {
            const CReceiveSelection& entry = (*m_pSelection)[m_nIndex];
            m_nCurrentNumber = entry.nNumber;
            if (entry.bNoReceive && entry.bDelete) {
                m_nState = 14;
                return;
            }
            if (!entry.bNoReceive) {
                m_nState = 12;
                return;
            }
            m_nIndex++;
        }
        m_nState = 15;
        return;
    }
    GoToCurrentNumber();
}

void CPop3Session::HandleSize()
{
    m_nCurrentSize = GetReplyNumber(m_strReply, 2);
    m_bTooLarge = false;
    if (!IsSelectionMode()) {
        if (m_nSizeLimit > 0 && static_cast<long long>(m_nSizeLimit) * 1024 < m_nCurrentSize) {
            m_bTooLarge = true;
            m_nState = 10;
        } else if (m_bUidl) {
            m_nState = m_bFilterAvailable && m_bDivideUpAtReceive ? 10 : 12;
        } else {
            m_nState = 10;
        }
    } else {
        m_nState = 10;
    }
}

void CPop3Session::ReadHeaderStep()
{
    m_strHeader.Empty();
    bool bLineStart = true;
    for (;;) {
        int n = ReadReplyLine();
        if (n < 0) {
            ReportReadFailure(12, FormatString("ReadLine Error[%d][%d]\r\n", n, WSAGetLastError()));
            return;
        }
        const char* p = m_pReplyBuffer;
        if (bLineStart && strcmp(p, ".\r\n") == 0)
            break;
        if (bLineStart && *p == '.')
            p++;
        m_strHeader += p;
        bLineStart = n >= 2 && m_pReplyBuffer[n - 2] == '\r' && m_pReplyBuffer[n - 1] == '\n';
    }
    if (m_pDialog) {
        CString id = ServerIdOf(m_nCurrentNumber);
        ListServerMail(m_strHeader, id.IsEmpty() ? GetHeaderField(m_strHeader, "Message-ID") : id, m_nCurrentNumber,
                       m_nCurrentSize);
        GoToNextMail();
    } else if (m_bTooLarge) {
        RecordUndelivered(0);
        GoToNextMail();
    } else {
        int nDecision = ReceiveFilterDecision();
        if (nDecision == 0) {
            m_nState = 12;
        } else {
            RecordUndelivered(nDecision == 2 ? 2 : 1);
            if (nDecision == 2) {
                m_strDeleteId = m_bUidl && m_nIndex < m_listA.GetRecordCount(TRUE)
                                    ? m_listA.GetIdRecord(m_nIndex)->m_strId
                                    : CString();
                m_nState = 14;
            } else {
                GoToNextMail();
            }
        }
    }
    PostToOwner(CVM_MSG_SESSION_STEP, 0, 0);
}

void CPop3Session::ReceiveMailStep()
{
    BeginMail();
    CString header;
    bool bInHeader = true;
    bool bLineStart = true;
    for (;;) {
        int n = ReadReplyLine();
        if (n < 0) {
            DWORD dwError = WSAGetLastError();
            DiscardPartialMail();
            ReportReadFailure(11, FormatString("ReadLine Error[%d][%lu]\r\n", n, dwError));
            return;
        }
        const char* p = m_pReplyBuffer;
        if (bLineStart && strcmp(p, ".\r\n") == 0)
            break;
        if (bInHeader) {
            const char* pLine = bLineStart && *p == '.' ? p + 1 : p;
            if (bLineStart && strcmp(pLine, "\r\n") == 0)
                bInHeader = false;
            else
                header += pLine;
        }
        // The mail keeps the dot-doubled lines as they came: that is the
        // form the store files from and undoes where it decodes.
        m_mailBuffer.append(p, static_cast<size_t>(n));
        bLineStart = n >= 2 && m_pReplyBuffer[n - 2] == '\r' && m_pReplyBuffer[n - 1] == '\n';
        if (m_mailBuffer.size() - static_cast<size_t>(m_nMailBytes) >= 65536)
            ReportMailBytes();
    }
    m_strHeader = header;
    CString id;
    if (m_bUidl && !m_pSelection) {
        if (m_nIndex < m_listA.GetRecordCount(TRUE))
            id = m_listA.GetIdRecord(m_nIndex)->m_strId;
    } else if (m_bUidl && m_pSelection) {
        for (int i = 0; i < m_listA.GetRecordCount(TRUE) && id.IsEmpty(); i++)
            if (m_listA.GetIdRecord(i)->m_nNumber == m_nCurrentNumber)
                id = m_listA.GetIdRecord(i)->m_strId;
    } else {
        id = GetHeaderField(header, "Message-ID");
    }
    bool bKeepOnServer = false;
    if (!FileMail(id, bKeepOnServer)) {
        // Never delete what could not be stored; what was filed before is
        // still deleted on the way out.
        EndAfterFilingError(18);
        m_nState = 17;
        PostToOwner(CVM_MSG_SESSION_STEP, 0, 0);
        return;
    }
    // Without UIDL this pass knows the mail's number now; later passes do not.
    if (!m_bUidl)
        m_listA.AppendId(id, m_nCurrentNumber);

    // Queued at once: a pass cut short after this point still deletes it.
    if (RecordFiledMail(id, bKeepOnServer))
        QueueDelete(m_nCurrentNumber, m_pSelection ? CString() : id);
    GoToNextMail();
    PostToOwner(CVM_MSG_SESSION_STEP, 0, 0);
}

void CPop3Session::Cancel()
{
    if (m_pSocket && m_bTls)
        static_cast<CTlsSocket*>(m_pSocket)->Shutdown();
    CloseSocket();
    Finish();
}

bool CPop3Session::Finish()
{
    if (!m_bRunning)
        return false;
    m_bRunning = false;
    m_nState = 0;
    DiscardPartialMail();
    EndFilingRuns();
    if (!IsSelectionMode())
        ForgetIdLists();
    // The main thread counts the new mails of the pass from this message.
    if (m_dwMainThreadId)
        PostThreadMessageA(m_dwMainThreadId, CVM_MSG_RECEIVE_END, static_cast<WPARAM>(m_nReceivedCount), 0);
    PostToOwner(CVM_MSG_SESSION_FINISHED, static_cast<WPARAM>(m_nErrorResult), m_nErrorMessageId);
    return true;
}

bool CPop3Session::IsRunning()
{
    return m_nState > 0;
}
