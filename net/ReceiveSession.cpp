#include "net/ReceiveSession.h"

#include "core/DateTimeUtil.h"
#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "core/TextFile.h"
#include "net/CommLog.h"
#include "net/MailSocket.h"
#include "net/NetMessages.h"
#include "net/ReceiveProgressSink.h"
#include "resources/resource.h"
#include "resources/selrecv/SelRecvResource.h"
#include "store/MailFolderStore.h"
#include "transfer/DlgRemoteMail.h"

#include <algorithm>

#include <atomic>

namespace {
// Shared by every session of the run so that two sessions filing in the same
// second still make different names.
std::atomic<int> g_fileCounter{0};
}

CReceiveSession::CReceiveSession()
{
    m_nFileCounter = g_fileCounter.load();
    m_pReplyBuffer = new char[kReplyBufferSize];
    m_pReplyBuffer[0] = '\0';
}

CReceiveSession::~CReceiveSession()
{
    delete[] m_pReplyBuffer;
    delete m_pSocket;
    m_pSocket = nullptr;
}

bool CReceiveSession::Start(CDlgRemoteMail*, std::vector<CReceiveSelection>*)
{
    return false;
}

void CReceiveSession::Cancel() {}

bool CReceiveSession::Finish()
{
    return false;
}

bool CReceiveSession::IsRunning()
{
    return false;
}

void CReceiveSession::SetInboxPath(const char* pszPath)
{
    m_strInboxPath = pszPath;
    if (!m_strInboxPath.IsEmpty())
        CreateDirectoryPath(m_strInboxPath);
}

void CReceiveSession::Abort()
{
    if (m_pSocket)
        m_pSocket->GetAbortEvent().SetEvent();
    m_bAbort = 1;
    m_nErrorResult = -1;
}

bool CReceiveSession::SendCommand(const char* pszText, int nLength, bool /*bShowProgress*/, const char* pszLogText)
{
    if (!m_pSocket)
        return false;
    try {
        // The TLS socket returns a negative status when it fails.
        return m_pSocket->Send(pszText, nLength, pszLogText) > 0;
    } catch (const CException&) {
        return false;
    }
}

CString CReceiveSession::GetIdListPath() const
{
    return CombinePath(m_strIdListFolder, CReceivedIdList::FileNameFor(m_strAccountName));
}

CString CReceiveSession::NewMailName()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    int nCounter = g_fileCounter.fetch_add(1) % 1000;
    m_nFileCounter = (nCounter + 1) % 1000;
    return FormatString("QM%lu%03d%03d", static_cast<unsigned long>(CReceivedIdList::CurrentTime()),
                        st.wMilliseconds, nCounter);
}

void CReceiveSession::DiscardPartialMail()
{
    m_strMailName.Empty();
    m_mailBuffer.clear();
}

void CReceiveSession::AddTargetFolder(CMailFolderStore* pStore)
{
    if (!pStore)
        return;
    if (std::find(m_filingRuns.begin(), m_filingRuns.end(), pStore) == m_filingRuns.end()) {
        pStore->BeginFilingRun();
        m_filingRuns.push_back(pStore);
    }
    for (int i = 0; i < m_targetFolders.GetSize(); i++)
        if (m_targetFolders[i] == pStore)
            return;
    m_targetFolders.Add(pStore);
}

void CReceiveSession::EndFilingRuns()
{
    for (CMailFolderStore* pStore : m_filingRuns)
        pStore->EndFilingRun();
    m_filingRuns.clear();
}

void CReceiveSession::CollectTargetFolderNames(CStringArray& names) const
{
    for (int i = 0; i < m_targetFolders.GetSize(); i++) {
        auto* pStore = static_cast<CMailFolderStore*>(m_targetFolders[i]);
        const CString& name = pStore->GetFolderName();
        bool bFound = false;
        for (int j = 0; j < names.GetSize() && !bFound; j++)
            bFound = names[j].CompareNoCase(name) == 0;
        if (!bFound)
            names.Add(name);
    }
}

bool CReceiveSession::FileReceivedMail(std::string& mail, const CString& strName, bool& bKeepOnServer)
{
    bKeepOnServer = false;
    if (!m_pTargetStore)
        return false;
    CString received = FormatDateWithZone(CReceivedIdList::CurrentTime());
    int nIndex = -1;
    NoteFilingIntent(m_pTargetStore, strName);
    if (m_pTargetStore->AddNewMailText(mail, strName, received, FALSE, FALSE, &nIndex) != 1)
        return false;
    bKeepOnServer = m_pTargetStore->LastFilingDecodeFailed() != FALSE;
    AddTargetFolder(m_pTargetStore);
    // wParam names the new mail (its index plus one) for the new-mail notice.
    if (m_dwMainThreadId)
        PostThreadMessageA(m_dwMainThreadId, CVM_MSG_MAIL_FILED, static_cast<WPARAM>(nIndex + 1),
                           m_pTargetStore->GetFolderId());
    return true;
}

int CReceiveSession::CheckReceiveFilter(const CString&)
{
    // The receive rule set is consulted here once the filter rules exist.
    return 0;
}

void CReceiveSession::LogReceiveError(DWORD dwError)
{
    char* pszMessage = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   dwError, 0, reinterpret_cast<char*>(&pszMessage), 0, nullptr);
    WriteCommLog(FormatString("データ受信エラー:[%s]\r\n", pszMessage ? pszMessage : ""));
    if (pszMessage)
        LocalFree(pszMessage);
}

bool CReceiveSession::RunSteps(DWORD nBudgetMs)
{
    DWORD dwStart = GetTickCount();
    m_bInlineSteps = true;
    bool bOk;
    do {
        m_bStepDue = false;
        bOk = Run();
    } while (bOk && m_bStepDue && !m_bAbort && GetTickCount() - dwStart < nBudgetMs);
    m_bInlineSteps = false;
    if (bOk && m_bStepDue)
        PostToOwner(CVM_MSG_SESSION_STEP, 0, 0);
    return bOk;
}

void CReceiveSession::PostToOwner(UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (nMessage == CVM_MSG_SESSION_STEP && m_bInlineSteps) {
        m_bStepDue = true;
        return;
    }
    if (m_dwOwnerThreadId)
        PostThreadMessageA(m_dwOwnerThreadId, nMessage, wParam, lParam);
}

CString CReceiveSession::GetHeaderField(const CString& header, const char* pszName)
{
    // Header names compare without case; folded lines continue a field.
    int nNameLength = static_cast<int>(strlen(pszName));
    int nPos = 0;
    int nLength = header.GetLength();
    while (nPos < nLength) {
        int nEnd = header.Find('\n', nPos);
        if (nEnd < 0)
            nEnd = nLength;
        CString line = header.Mid(nPos, nEnd - nPos);
        line.TrimRight("\r");
        if (line.IsEmpty())
            break;
        if (line.GetLength() > nNameLength && line[nNameLength] == ':' &&
            line.Left(nNameLength).CompareNoCase(pszName) == 0) {
            CString value = line.Mid(nNameLength + 1);
            int nNext = nEnd + 1;
            while (nNext < nLength && (header[nNext] == ' ' || header[nNext] == '\t')) {
                int nLineEnd = header.Find('\n', nNext);
                if (nLineEnd < 0)
                    nLineEnd = nLength;
                CString more = header.Mid(nNext, nLineEnd - nNext);
                more.TrimRight("\r");
                value += more;
                nNext = nLineEnd + 1;
            }
            return value.Trim();
        }
        nPos = nEnd + 1;
    }
    return CString();
}

int CReceiveSession::FindExpiredMail()
{
    if (m_pDialog || !m_bLeaveOnServer || m_nDeleteAfterDays <= 0 || m_nDeleteMode == 2 || m_bLoginOnly ||
        m_nErrorResult != 0)
        return 0;
    long long now = CReceivedIdList::CurrentTime();
    long long span = static_cast<long long>(m_nDeleteAfterDays) * 86400;
    for (int i = 0; i < m_listC.GetRecordCount(TRUE); i++) {
        CReceivedIdRecord* pRecord = m_listC.GetIdRecord(i);
        if (!pRecord || pRecord->m_bDeleted || pRecord->m_strStamp.IsEmpty())
            continue;
        if (atoll(pRecord->m_strStamp) + span > now)
            continue;
        // Only a number the server gave in this session names the right mail.
        CReceivedIdRecord* pServer = m_listA.FindId(pRecord->m_strId);
        if (!pServer)
            continue;
        m_listC.MarkRecordDeleted(pRecord);
        return pServer->m_nNumber;
    }
    return 0;
}

void CReceiveSession::WriteIdListBack()
{
    if (m_bLoginOnly || m_listC.GetFilePath().IsEmpty())
        return;
    m_listC.WriteToFile(FALSE);
}

void CReceiveSession::ReportMailBytes()
{
    m_nMailBytes = m_mailBuffer.size() > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(m_mailBuffer.size());
    if (m_pProgress)
        m_pProgress->SetMailBytes(m_nMailBytes);
}

CString CReceiveSession::LoadIdLists()
{
    m_listA.Reset();
    m_listB.Reset();
    m_listC.Reset();
    CString idPath = m_strIdListFolder.IsEmpty() ? CString() : GetIdListPath();
    if (!m_bLoginOnly && !IsSelectionMode() && !idPath.IsEmpty()) {
        m_listB.SetFilePath(idPath);
        m_listB.ReadFromFile(TRUE);
        // A pass stopped between noting a mail and recording it: the mail
        // counts as received only when its folder holds it.
        auto isFiled = [&](int nFolderId, const CString& strName) {
            CMailFolderStore* pStore = m_pTargetStore && m_pTargetStore->GetFolderId() == nFolderId
                                           ? m_pTargetStore
                                           : QuendalApp() ? QuendalApp()->FindFolder(nFolderId) : nullptr;
            return pStore && pStore->HasMailNamed(strName);
        };
        if (m_listB.ResolvePending(isFiled))
            m_listB.WriteToFile(FALSE);
    }
    return idPath;
}

void CReceiveSession::StartIdListPass(const CString& strIdPath)
{
    // A listing for the window receives nothing and must leave the id file
    // as it is.
    bool bListingOnly = m_pDialog && !m_pSelection;
    m_listC.SetFilePath(m_bLoginOnly || bListingOnly ? CString() : strIdPath);
    if (m_pSelection && !strIdPath.IsEmpty())
        m_listC.ReadFromFile(TRUE);
    else
        m_listC.CopyFrom(m_listB);  // kept as it is unless the server's listing replaces it
    m_listC.StartPass();
}

CString CReceiveSession::AccountHeaderLine() const
{
    return FormatString("%s: %s\r\n", "X-ReceiveAcount", m_strAccountName.GetString());
}

int CReceiveSession::ReceiveFilterDecision()
{
    if (!m_bFilterAvailable || !m_bDivideUpAtReceive || m_pSelection)
        return 0;
    return CheckReceiveFilter(AccountHeaderLine() + m_strHeader);
}

void CReceiveSession::RecordUndelivered(int nKind)
{
    CUndeliveredMail mail;
    mail.nKind = nKind;
    mail.nNumber = m_nCurrentNumber;
    mail.nSize = m_nCurrentSize;
    mail.strSubject = GetHeaderField(m_strHeader, "Subject");
    mail.strFrom = GetHeaderField(m_strHeader, "From");
    mail.strDate = GetHeaderField(m_strHeader, "Date");
    mail.strMessageId = GetHeaderField(m_strHeader, "Message-ID");
    mail.strHeader = m_strHeader;
    m_undelivered.push_back(mail);
}

void CReceiveSession::BeginMail()
{
    m_strMailName = NewMailName();
    m_mailBuffer = AccountHeaderLine().Str();
    // Room for the whole mail at once, as far as its size is known.
    if (m_nCurrentSize > 0 && m_nCurrentSize < 64 * 1024 * 1024)
        m_mailBuffer.reserve(m_mailBuffer.size() + static_cast<size_t>(m_nCurrentSize) + m_nCurrentSize / 32 + 256);
    m_nMailBytes = 0;
    if (m_pProgress) {
        m_pProgress->SetMailCount(m_nMessageCount);
        m_pProgress->SetMailStart(m_nCurrentNumber, m_nCurrentSize);
    }
}

bool CReceiveSession::IsBackupSize(size_t nBytes, int nLimitMb)
{
    return nLimitMb <= 0 || nBytes < static_cast<size_t>(nLimitMb) * 1024 * 1024;
}

void CReceiveSession::WriteReceiveBackup(const CString& strName)
{
    if (m_strBackupFolder.IsEmpty() || strName.IsEmpty() || !IsBackupSize(m_mailBuffer.size(), m_nBackupLimitMb))
        return;
    if (!DirectoryExists(m_strBackupFolder))
        CreateDirectoryPath(m_strBackupFolder);
    // Written before filing: the copy is what is left to re-read when the
    // filing itself goes wrong.
    if (!WriteFileData(CombinePath(m_strBackupFolder, strName), m_mailBuffer.data(), m_mailBuffer.size()))
        WriteCommLog(FormatString("Backup Error:[%s]\r\n", CombinePath(m_strBackupFolder, strName).GetString()));
}

bool CReceiveSession::FileMail(const CString& strId, bool& bKeepOnServer)
{
    ReportMailBytes();
    CString name = m_strMailName;
    bKeepOnServer = false;
    WriteReceiveBackup(name);
    m_strFilingId = strId;
    bool bFiled = !name.IsEmpty() && FileReceivedMail(m_mailBuffer, name, bKeepOnServer);
    m_strFilingId.Empty();
    DiscardPartialMail();
    if (!bFiled)
        return false;
    m_nReceivedCount++;
    return true;
}

void CReceiveSession::NoteFilingIntent(CMailFolderStore* pTarget, const CString& strName)
{
    if (!pTarget || m_strFilingId.IsEmpty() || IsSelectionMode() || m_bLoginOnly || m_listC.GetFilePath().IsEmpty())
        return;
    m_listC.AddPendingAndSave(m_strFilingId, m_nCurrentNumber, pTarget->GetFolderId(), strName);
}

bool CReceiveSession::RecordFiledMail(const CString& strId, bool bKeepOnServer)
{
    bool bDelete;
    if (m_pSelection) {
        bDelete = m_nIndex < static_cast<int>(m_pSelection->size()) && (*m_pSelection)[m_nIndex].bDelete;
        if (bDelete)
            m_listC.MarkIdDeleted(strId);
        else
            m_listC.AddIdAndSave(strId, m_nCurrentNumber, "");
        if (bDelete && !m_listC.GetFilePath().IsEmpty())
            m_listC.WriteToFile(FALSE);
    } else {
        bDelete = !m_bLeaveOnServer && !m_pDialog;
        if (m_bKeepOnce) {
            bDelete = false;
            m_bKeepOnce = FALSE;
        }
        if (m_bDeleteOnce) {
            bDelete = true;
            m_bDeleteOnce = FALSE;
        }
        // The id is what keeps the mail from coming again, whether it stays
        // on the server or is deleted there at the end of the pass (a pass
        // cut short before its QUIT deletes nothing): it goes to the id file
        // at once, right after the mail's record. The files are forced onto
        // the disk before the first deletion (NextQueuedDelete). In delete
        // mode the next pass deletes a known mail on the server, so a mail
        // that is to stay there is not recorded.
        if (m_bLeaveOnServer || (bDelete && !bKeepOnServer)) {
            m_listC.AddIdAndSave(strId, m_nCurrentNumber, "");
        } else if (m_listC.MarkIdDeleted(strId) && !m_listC.GetFilePath().IsEmpty()) {
            m_listC.WriteToFile(FALSE);  // the note made before filing goes
        }
    }
    return bDelete && !bKeepOnServer;
}

void CReceiveSession::QueueDelete(int nNumber, const CString& strId)
{
    m_queuedDeletes.emplace_back(nNumber, strId);
}

bool CReceiveSession::NextQueuedDelete(int& nNumber, CString& strId)
{
    if (m_nNextQueuedDelete >= m_queuedDeletes.size())
        return false;
    if (m_nNextQueuedDelete == 0 && !FlushTargetFolders()) {
        WriteCommLog("Flush Error: the received mails stay on the server\r\n");
        m_queuedDeletes.clear();
        return false;
    }
    nNumber = m_queuedDeletes[m_nNextQueuedDelete].first;
    strId = m_queuedDeletes[m_nNextQueuedDelete].second;
    m_nNextQueuedDelete++;
    return true;
}

bool CReceiveSession::FlushTargetFolders()
{
    bool bFlushed = true;
    for (int i = 0; i < m_targetFolders.GetSize(); i++)
        bFlushed = static_cast<CMailFolderStore*>(m_targetFolders[i])->FlushFiledMails() && bFlushed;
    return bFlushed;
}

void CReceiveSession::EndAfterFilingError(int nErrorResult)
{
    WriteCommLog("Error @ SetFileToFolder\r\n");
    m_bEndingAfterError = true;
    ReportTransferError(nErrorResult, IDS_RECEIVE_ERROR);
}

void CReceiveSession::ReportTransferError(int nErrorResult, UINT nMessageId)
{
    m_nErrorResult = nErrorResult;
    m_nErrorMessageId = nMessageId;
    PostToOwner(CVM_MSG_TRANSFER_ERROR, static_cast<WPARAM>(nErrorResult), nMessageId);
}

CString CReceiveSession::SystemMessage(DWORD dwError)
{
    char* pszMessage = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   dwError, 0, reinterpret_cast<char*>(&pszMessage), 0, nullptr);
    CString text(pszMessage ? pszMessage : "");
    if (pszMessage)
        LocalFree(pszMessage);
    return text.TrimRight();
}

void CReceiveSession::BeginPass(CDlgRemoteMail* pDialog, std::vector<CReceiveSelection>* pSelection)
{
    m_pDialog = pDialog;
    m_pSelection = pSelection;
    m_nErrorResult = 0;
    m_nErrorMessageId = 0;
    m_strErrorText.Empty();
    m_nReceivedCount = 0;
    m_nIndex = 0;
    m_bQuitting = false;
    m_bEndingAfterError = false;
    m_bRunning = true;
    m_undelivered.clear();
    m_queuedDeletes.clear();
    m_nNextQueuedDelete = 0;
}

bool CReceiveSession::StartListing()
{
    if (!m_pDialog)
        return true;
    if (m_nMessageCount < m_pDialog->GetServerCount()) {
        ReportMailboxChanged();
        return false;
    }
    m_pDialog->SetServerCount(std::max(m_nMessageCount, 0));
    if (m_pDialog->IsNewestOnly()) {
        int nCount = std::max(m_nMessageCount, 0);
        m_nListAfter = nCount - std::min(nCount, std::max(m_pDialog->GetNewestCount(), 0));
        return true;
    }
    m_nListAfter = m_pDialog->GetLastMailNumber();
    if (m_nListAfter > 0) {
        // The listing goes on after the last listed mail only when that
        // mail is still where the window saw it.
        CString id = ServerIdOf(m_nListAfter);
        CString listed = m_pDialog->GetLastMailId();
        if (m_nListAfter > m_nMessageCount || (!id.IsEmpty() && !listed.IsEmpty() && id != listed)) {
            ReportMailboxChanged();
            return false;
        }
    }
    return true;
}

int CReceiveSession::ListingNumber() const
{
    int nNumber = m_nListAfter + m_nIndex + 1;
    return nNumber >= 1 && nNumber <= m_nMessageCount ? nNumber : 0;
}

void CReceiveSession::ListServerMail(const CString& strHeader, const CString& strId, int nNumber, int nSize)
{
    if (m_pDialog)
        m_pDialog->AddServerMail(strHeader, strId, nNumber, nSize);
}

bool CReceiveSession::SelectionMatchesServer()
{
    if (!m_pSelection)
        return true;
    for (const CReceiveSelection& entry : *m_pSelection) {
        if (entry.nNumber < 1 || entry.nNumber > m_nMessageCount) {
            ReportMailboxChanged();
            return false;
        }
        CString id = ServerIdOf(entry.nNumber);
        if (!entry.strId.IsEmpty() && !id.IsEmpty() && id != entry.strId) {
            ReportMailboxChanged();
            return false;
        }
    }
    return true;
}

void CReceiveSession::ReportMailboxChanged()
{
    WriteCommLog("The mailbox changed since it was listed\r\n");
    m_nErrorResult = -2;
    m_nErrorMessageId = IDS_MAILBOX_CHANGED;
}

void CReceiveSession::CloseSocket()
{
    if (!m_pSocket)
        return;
    m_pSocket->Close();
    delete m_pSocket;
    m_pSocket = nullptr;
}

void CReceiveSession::ForgetIdLists()
{
    m_listB.Reset();
    m_listB.SetFilePath("");
    m_listC.Reset();
    m_listC.SetFilePath("");
}
