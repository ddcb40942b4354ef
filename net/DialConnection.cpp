#include "net/DialConnection.h"

#include "dialhelper/Vonlink.h"
#include "net/CommLog.h"
#include "net/NetMessages.h"

#include <atomic>
#include <utility>
#include <vector>

namespace {

// RASCS_Connected, RASCS_Disconnected.
const int kConnected = 8192;
const int kDisconnected = 8193;
const DWORD kNotifierRasDialFunc2 = 2;
const int kEnumSlots = 128;
// Room in RASDIALPARAMS for a user name or password, without the terminator.
const int kCredentialBytes = 256;
const DWORD kModemSettleMs = 5000;

const char kHangUpFailed[] = "ダイアルアップネットワーク切断の実行に失敗しました。\r\n手動で切断してください。";

std::atomic<HMODULE> g_library{nullptr};
std::atomic<bool> g_applicationRunning{true};

// Which thread waits for the notifications of which connection. The lock is
// also held from the dial call until the new connection is listed here, so
// that an early notification finds its thread.
CCriticalSection g_tableLock;
std::vector<std::pair<HRASCONN, DWORD>> g_table;

void Register(HRASCONN hConn, DWORD nThreadId)
{
    CSingleLock lock(&g_tableLock, TRUE);
    g_table.emplace_back(hConn, nThreadId);
}

void Unregister(HRASCONN hConn)
{
    if (hConn == nullptr)
        return;
    CSingleLock lock(&g_tableLock, TRUE);
    for (auto it = g_table.begin(); it != g_table.end(); ++it) {
        if (it->first == hConn) {
            g_table.erase(it);
            return;
        }
    }
}

DWORD ThreadOf(HRASCONN hConn)
{
    CSingleLock lock(&g_tableLock, TRUE);
    for (const auto& pair : g_table)
        if (pair.first == hConn)
            return pair.second;
    return 0;
}

HRASCONN FirstConnection()
{
    CSingleLock lock(&g_tableLock, TRUE);
    return g_table.empty() ? nullptr : g_table.front().first;
}

template <class PFN>
PFN Export(const char* pszName)
{
    HMODULE hLibrary = g_library.load();
    return hLibrary ? reinterpret_cast<PFN>(reinterpret_cast<void*>(GetProcAddress(hLibrary, pszName))) : nullptr;
}

// Copies at most nMax bytes without splitting a double-byte character.
void CopyBounded(char* pszTarget, const char* pszSource, int nMax)
{
    int n = 0;
    if (pszSource) {
        while (pszSource[n] != '\0') {
            int nChar = static_cast<int>(Mbcs::CharLength(pszSource + n, 2));
            if (n + nChar > nMax)
                break;
            n += nChar;
        }
        memcpy(pszTarget, pszSource, static_cast<size_t>(n));
    }
    pszTarget[n] = '\0';
}

// Called by the remote-access service on a thread of its own for every
// change of the connection state; it only reads the state and passes it on.
DWORD WINAPI DialNotify(ULONG_PTR, DWORD, HRASCONN hConn, UINT, RASCONNSTATE, DWORD dwError, DWORD)
{
    if (!g_applicationRunning.load())
        hConn = FirstConnection();
    int nState = CDialConnection::GetConnectStatus(hConn);
    DWORD nThreadId = ThreadOf(hConn);
    if (nThreadId != 0)
        PostThreadMessageA(nThreadId, CDialConnection::kMsgDialState, static_cast<WPARAM>(nState), dwError);
    return nState != kConnected;
}

} // namespace

CDialConnection::~CDialConnection()
{
    Unregister(m_hRasConn);
}

void CDialConnection::SetEntry(const char* pszEntry, BOOL bKeepLine)
{
    m_strEntry = pszEntry;
    m_bKeepLine = bKeepLine;
}

void CDialConnection::SetCancelHint(BOOL bShow, const char* pszHint)
{
    m_bShowCancelHint = bShow;
    m_strCancelHint = pszHint;
}

void CDialConnection::Post(UINT nMessage, WPARAM wParam, LPARAM lParam) const
{
    if (m_nThreadId != 0)
        PostThreadMessageA(m_nThreadId, nMessage, wParam, lParam);
}

bool CDialConnection::Dial(const char* pszEntry, const char* pszUser, const char* pszPassword,
                           CTransferStatus* pStatus)
{
    if (pStatus)
        m_pStatus = pStatus;
    if (m_hRasConn && m_nThreadId) {
        Post(kMsgDialConnected, 0, 0);
        return true;
    }

    // Any line that is up serves, whichever entry it was dialled for.
    if (auto pfnEnum = Export<PFN_QDRasEnumConnections>("QDRasEnumConnections")) {
        std::vector<RASCONNA> connections(kEnumSlots);
        for (RASCONNA& connection : connections)
            connection.dwSize = sizeof(RASCONNA);
        DWORD cbSize = static_cast<DWORD>(connections.size() * sizeof(RASCONNA));
        DWORD nCount = 0;
        DWORD nResult = pfnEnum(connections.data(), &cbSize, &nCount);
        CString line;
        line.Format("QDRasEnumConnections[%d][%d]\r\n", static_cast<int>(nResult), static_cast<int>(nCount));
        WriteCommLog(line);
        if (nCount > 0 && m_nThreadId) {
            Post(kMsgDialConnected, 0, 0);
            return true;
        }
    }

    auto pfnDial = Export<PFN_QDRasDial>("QDRasDial");
    if (pfnDial == nullptr)
        return false;

    RASDIALPARAMSA params = {};
    params.dwSize = sizeof(params);
    CopyBounded(params.szEntryName, pszEntry, RAS_MaxEntryName);
    BOOL bPasswordStored = FALSE;
    if (auto pfnParams = Export<PFN_QDRasGetEntryDialParams>("QDRasGetEntryDialParams"))
        pfnParams(nullptr, &params, &bPasswordStored);
    if (!bPasswordStored) {
        CopyBounded(params.szUserName, pszUser, kCredentialBytes);
        CopyBounded(params.szPassword, pszPassword, kCredentialBytes);
    }

    DWORD nResult;
    {
        CSingleLock lock(&g_tableLock, TRUE);
        HRASCONN hConn = nullptr;
        nResult = pfnDial(nullptr, nullptr, &params, kNotifierRasDialFunc2, reinterpret_cast<LPVOID>(&DialNotify),
                          &hConn);
        m_hRasConn = hConn;
        if (hConn)
            Register(hConn, m_nThreadId);
    }
    SecureZeroMemory(params.szPassword, sizeof(params.szPassword));
    if (nResult == 0)
        return true;
    Post(CVM_MSG_TRANSFER_ERROR, 0, kIdsDialFailed);
    return false;
}

void CDialConnection::OnDialState(int nState)
{
    CString text;
    switch (nState) {
    case 0:
        text = "ポートをオープンしています";
        break;
    case 1:
        text = "ポートを正常にオープンできました";
        break;
    case 2:
        if (m_bShowCancelHint)
            text = "接続中です(" + m_strCancelHint + "でキャンセルできます)";
        else
            text = "接続中です・・・";
        m_bDialling = TRUE;
        break;
    case 5:
        text = "ユーザを確認中です・・・";
        break;
    case 14:
        text = "ユーザが確認されました";
        break;
    case 16:
        text = "リセット中です";
        break;
    case kConnected:
        text = "正常に接続できました";
        Post(kMsgDialConnected, 0, 0);
        Unregister(m_hRasConn);
        break;
    case kDisconnected: {
        text = "回線は切断／中断されました";
        HangUp();
        Post(CVM_MSG_TRANSFER_ERROR, kDisconnected, kIdsLineDropped);
        m_bDialling = FALSE;
        break;
    }
    case -1:
        if (m_bDialling) {
            Post(CVM_MSG_TRANSFER_ERROR, static_cast<WPARAM>(-1), kIdsLineDropped);
            HangUp();
            m_bDialling = FALSE;
        }
        break;
    default:
        break;
    }
    if (!text.IsEmpty() && m_pStatus)
        SetTransferStatusText(m_pStatus, text);
}

void CDialConnection::HangUp()
{
    if (m_hRasConn == nullptr)
        return;
    // A connection that is gone must not stay listed: its handle could be
    // taken for the first connection or given out again by the service.
    Unregister(m_hRasConn);
    if (auto pfnHangUp = Export<PFN_QDRasHangUp>("QDRasHangUp")) {
        pfnHangUp(m_hRasConn);
        m_bDialling = FALSE;
        // The service needs a moment before the port can be used again.
        Sleep(kModemSettleMs);
    } else {
        AfxMessageBox(kHangUpFailed);
    }
    m_hRasConn = nullptr;
}

int CDialConnection::GetConnectStatus(HRASCONN hConn)
{
    auto pfnStatus = Export<PFN_QDRasGetConnectStatus>("QDRasGetConnectStatus");
    if (pfnStatus == nullptr)
        return -1;
    RASCONNSTATUSA status = {};
    status.dwSize = sizeof(status);
    // A failed query leaves the record as it was: the state is unknown then,
    // not "opening the port".
    if (pfnStatus(hConn, &status) != 0)
        return -1;
    return static_cast<int>(status.rasconnstate);
}

void CDialConnection::SetLibrary(HMODULE hLibrary)
{
    g_library.store(hLibrary);
}

HMODULE CDialConnection::GetLibrary()
{
    return g_library.load();
}

void CDialConnection::SetApplicationRunning(bool bRunning)
{
    g_applicationRunning.store(bRunning);
}
