#include "net/TlsSocket.h"

#include "net/CommLog.h"

#include <algorithm>

namespace {

const DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                            ISC_RET_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM;
const DWORD kHandshakeBufferSize = 65536;

// Trust errors that say nothing about this certificate: revocation lists
// cannot be fetched from here.
const DWORD kIgnoredTrustErrors = CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION;

CString CertificateReason(DWORD dwPolicyError, DWORD dwTrustError, const CString& host)
{
    switch (static_cast<HRESULT>(dwPolicyError)) {
    case CERT_E_CN_NO_MATCH:
        return FormatString("証明書はサーバ名[%s]に対して発行されたものではありません。", host.GetString());
    case CERT_E_EXPIRED:
        return "証明書の有効期限が切れているか、まだ有効になっていません。";
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_CHAINING:
        return "証明書は信頼されていない認証局が発行したものです。";
    case CRYPT_E_REVOKED:
        return "証明書は失効しています。";
    case CERT_E_WRONG_USAGE:
        return "証明書はサーバの認証に使えません。";
    default:
        break;
    }
    if (dwTrustError & CERT_TRUST_IS_NOT_TIME_VALID)
        return "証明書の有効期限が切れているか、まだ有効になっていません。";
    if (dwTrustError & CERT_TRUST_IS_REVOKED)
        return "証明書は失効しています。";
    if (dwTrustError & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN))
        return "証明書は信頼されていない認証局が発行したものです。";
    if (dwTrustError & CERT_TRUST_IS_NOT_SIGNATURE_VALID)
        return "証明書の署名が正しくありません。";
    if (dwTrustError & CERT_TRUST_IS_NOT_VALID_FOR_USAGE)
        return "証明書はサーバの認証に使えません。";
    return "証明書を確認できませんでした。";
}

} // namespace

CTlsSocket::CTlsSocket() = default;

CTlsSocket::~CTlsSocket()
{
    DeleteContext();
    FreeCredentials();
    if (m_pServerCert)
        CertFreeCertificateContext(m_pServerCert);
    if (m_pClientCert)
        CertFreeCertificateContext(m_pClientCert);
    if (m_hMyStore)
        CertCloseStore(m_hMyStore, 0);
    Close();
    if (m_hSecurityDll)
        FreeLibrary(m_hSecurityDll);
    if (m_bWsaStarted)
        WSACleanup();
}

bool CTlsSocket::LoadProvider()
{
    if (m_hSecurityDll)
        return true;
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof(vi);
    GetVersionExA(&vi);
    const char* pszDll;
    if (vi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS || (vi.dwPlatformId == VER_PLATFORM_WIN32_NT && vi.dwMajorVersion >= 5))
        pszDll = "Secur32.dll";
    else if (vi.dwPlatformId == VER_PLATFORM_WIN32_NT && vi.dwMajorVersion == 4)
        pszDll = "Security.dll";
    else
        return false;
    m_hSecurityDll = LoadLibraryA(pszDll);
    if (!m_hSecurityDll) {
        m_strErrorText.Format("Error 0x%lx loading %s.\n", GetLastError(), pszDll);
        return false;
    }
    auto pInit = reinterpret_cast<INIT_SECURITY_INTERFACE_A>(
        reinterpret_cast<void*>(GetProcAddress(m_hSecurityDll, "InitSecurityInterfaceA")));
    if (!pInit) {
        m_strErrorText.Format("Error 0x%lx reading InitSecurityInterface entry point.\n", GetLastError());
        FreeLibrary(m_hSecurityDll);
        m_hSecurityDll = nullptr;
        return false;
    }
    PSecurityFunctionTableA pTable = pInit();
    if (!pTable) {
        m_strErrorText.Format("Error 0x%lx reading security interface.\n", GetLastError());
        FreeLibrary(m_hSecurityDll);
        m_hSecurityDll = nullptr;
        return false;
    }
    // The table's size differs between 32 and 64 bits; copy the platform's own.
    m_sspi = *pTable;
    return true;
}

bool CTlsSocket::Create()
{
    if (!LoadProvider())
        return false;
    if (!m_bWsaStarted) {
        WSADATA wsa;
        m_bWsaStarted = WSAStartup(MAKEWORD(1, 1), &wsa) == 0;
    }
    if (m_bPlainFirst)
        return CMailSocket::Create();
    return true;
}

SECURITY_STATUS CTlsSocket::AcquireCredentials(bool bWithClientCert)
{
    if (!m_hMyStore) {
        m_hMyStore = CertOpenSystemStoreA(0, "MY");
        if (!m_hMyStore) {
            m_strErrorText.Format("Error 0x%lx returned by CertOpenSystemStore\n", GetLastError());
            return SEC_E_NO_CREDENTIALS;
        }
    }
    ZeroMemory(&m_schannelCred, sizeof(m_schannelCred));
    m_schannelCred.dwVersion = SCHANNEL_CRED_VERSION;
    m_schannelCred.dwFlags = SCH_CRED_NO_DEFAULT_CREDS | SCH_CRED_MANUAL_CRED_VALIDATION;
    if (bWithClientCert && !m_strClientSubject.IsEmpty()) {
        if (m_pClientCert) {
            CertFreeCertificateContext(m_pClientCert);
            m_pClientCert = nullptr;
        }
        m_pClientCert = CertFindCertificateInStore(m_hMyStore, X509_ASN_ENCODING, 0, CERT_FIND_SUBJECT_STR_A,
                                                   m_strClientSubject.GetString(), nullptr);
        if (!m_pClientCert) {
            m_strErrorText.Format("Error 0x%lx returned by CertFindCertificateInStore\n", GetLastError());
            return SEC_E_NO_CREDENTIALS;
        }
        m_schannelCred.cCreds = 1;
        m_schannelCred.paCred = &m_pClientCert;
    }
    FreeCredentials();
    TimeStamp expiry;
    SECURITY_STATUS status = m_sspi.AcquireCredentialsHandleA(
        nullptr, const_cast<char*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, nullptr, &m_schannelCred, nullptr, nullptr,
        &m_hCredentials, &expiry);
    if (status != SEC_E_OK) {
        m_strErrorText.Format("Error 0x%lx returned by AcquireCredentialsHandle\n", static_cast<unsigned long>(status));
        return status;
    }
    m_bCredentials = true;
    return SEC_E_OK;
}

bool CTlsSocket::Connect(const char* pszHost, int nPort)
{
    if (m_bPlainFirst)
        return CMailSocket::Connect(pszHost, nPort);
    if (!PrepareCredentials())
        return false;
    m_hSocket = socket(AF_INET, SOCK_STREAM, 0);
    if (m_hSocket == INVALID_SOCKET)
        return false;
    // Without time-outs a silent server would hold the session thread forever.
    ApplyTimeOuts();
    sockaddr_in addr;
    if (!ResolveHost(pszHost, nPort, addr)) {
        Close();
        return false;
    }
    WriteCommLog(FormatString("Connect To %s ...\r\n", pszHost));
    if (connect(m_hSocket, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == SOCKET_ERROR) {
        WriteCommLog("Connect Error\r\n");
        Close();
        return false;
    }
    WriteCommLog("Connect OK\r\n");
    return Negotiate(pszHost, nPort);
}

bool CTlsSocket::StartTls(const char* pszHost, int nPort)
{
    m_bPlainFirst = 0;
    return PrepareCredentials() && Negotiate(pszHost, nPort);
}

bool CTlsSocket::PrepareCredentials()
{
    if (!m_hSecurityDll && !LoadProvider())
        return false;
    return AcquireCredentials(false) == SEC_E_OK;
}

bool CTlsSocket::Negotiate(const char* pszHost, int nPort)
{
    m_strHost = pszHost;
    m_nPort = nPort;
    if (Handshake() != SEC_E_OK)
        return false;
    return CheckServerCertificate();
}

bool CTlsSocket::SendAll(const char* pData, int nLength)
{
    int nSent = 0;
    while (nSent < nLength) {
        int n = send(m_hSocket, pData + nSent, nLength - nSent, 0);
        if (n == SOCKET_ERROR || n == 0)
            return false;
        nSent += n;
    }
    return true;
}

bool CTlsSocket::SendHandshakeToken(const SecBuffer& token)
{
    bool bSent = SendAll(static_cast<const char*>(token.pvBuffer), static_cast<int>(token.cbBuffer));
    m_sspi.FreeContextBuffer(token.pvBuffer);
    if (!bSent) {
        DeleteContext();
        m_strErrorText = "Error sending the TLS handshake\n";
    }
    return bSent;
}

SECURITY_STATUS CTlsSocket::Handshake()
{
    SecBuffer outBuffer{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &outBuffer};
    DWORD dwRetFlags = 0;
    TimeStamp expiry;
    m_cbRecv = 0;
    SECURITY_STATUS status = m_sspi.InitializeSecurityContextA(
        &m_hCredentials, nullptr, const_cast<char*>(m_strHost.GetString()), kContextFlags, 0, SECURITY_NATIVE_DREP,
        nullptr, 0, &m_hContext, &outDesc, &dwRetFlags, &expiry);
    if (status != SEC_I_CONTINUE_NEEDED) {
        m_strErrorText.Format("Error 0x%lx returned by InitializeSecurityContext\n", static_cast<unsigned long>(status));
        return m_lastStatus = status;
    }
    m_bContext = true;
    if (outBuffer.cbBuffer && outBuffer.pvBuffer) {
        if (!SendHandshakeToken(outBuffer))
            return m_lastStatus = SEC_E_INTERNAL_ERROR;
    } else {
        DeleteContext();
        return m_lastStatus = SEC_E_INTERNAL_ERROR;
    }
    return HandshakeLoop(true, nullptr, 0);
}

SECURITY_STATUS CTlsSocket::HandshakeLoop(bool bReadFirst, const char* pSeed, DWORD cbSeed)
{
    std::vector<char> io(std::max<DWORD>(kHandshakeBufferSize, cbSeed));
    DWORD cbIo = 0;
    if (pSeed && cbSeed) {
        memcpy(io.data(), pSeed, cbSeed);
        cbIo = cbSeed;
    }
    bool bRead = bReadFirst;
    SECURITY_STATUS status = SEC_I_CONTINUE_NEEDED;
    while (status == SEC_I_CONTINUE_NEEDED || status == SEC_E_INCOMPLETE_MESSAGE ||
           status == SEC_I_INCOMPLETE_CREDENTIALS) {
        if (cbIo == 0 || status == SEC_E_INCOMPLETE_MESSAGE) {
            if (bRead) {
                if (cbIo >= io.size()) {
                    status = SEC_E_INTERNAL_ERROR;
                    break;
                }
                int n = recv(m_hSocket, io.data() + cbIo, static_cast<int>(io.size() - cbIo), 0);
                if (n == SOCKET_ERROR || n == 0) {
                    m_strErrorText = "Error reading the TLS handshake\n";
                    status = SEC_E_INTERNAL_ERROR;
                    break;
                }
                cbIo += static_cast<DWORD>(n);
            } else {
                bRead = true;
            }
        }
        SecBuffer inBuffers[2] = {{cbIo, SECBUFFER_TOKEN, io.data()}, {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc inDesc{SECBUFFER_VERSION, 2, inBuffers};
        SecBuffer outBuffer{0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &outBuffer};
        DWORD dwRetFlags = 0;
        TimeStamp expiry;
        status = m_sspi.InitializeSecurityContextA(&m_hCredentials, &m_hContext, nullptr, kContextFlags, 0,
                                                   SECURITY_NATIVE_DREP, &inDesc, 0, nullptr, &outDesc, &dwRetFlags,
                                                   &expiry);
        if (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED ||
            (FAILED(status) && (dwRetFlags & ISC_RET_EXTENDED_ERROR))) {
            if (outBuffer.cbBuffer && outBuffer.pvBuffer && !SendHandshakeToken(outBuffer))
                return m_lastStatus = SEC_E_INTERNAL_ERROR;
        } else if (outBuffer.pvBuffer) {
            m_sspi.FreeContextBuffer(outBuffer.pvBuffer);
        }
        if (status == SEC_E_INCOMPLETE_MESSAGE)
            continue;
        if (status == SEC_E_OK) {
            // Application data that came with the last handshake record.
            if (inBuffers[1].BufferType == SECBUFFER_EXTRA && inBuffers[1].cbBuffer) {
                m_recv.assign(io.data() + cbIo - inBuffers[1].cbBuffer, io.data() + cbIo);
                m_cbRecv = inBuffers[1].cbBuffer;
            } else {
                m_cbRecv = 0;
            }
            break;
        }
        if (FAILED(status))
            break;
        if (status == SEC_I_INCOMPLETE_CREDENTIALS) {
            SelectClientCertificate();
            bRead = false;
            continue;
        }
        if (inBuffers[1].BufferType == SECBUFFER_EXTRA && inBuffers[1].cbBuffer) {
            memmove(io.data(), io.data() + cbIo - inBuffers[1].cbBuffer, inBuffers[1].cbBuffer);
            cbIo = inBuffers[1].cbBuffer;
        } else {
            cbIo = 0;
        }
    }
    if (FAILED(status)) {
        if (m_strErrorText.IsEmpty())
            m_strErrorText.Format("Error 0x%lx returned by InitializeSecurityContext\n", static_cast<unsigned long>(status));
        DeleteContext();
    }
    return m_lastStatus = status;
}

void CTlsSocket::SelectClientCertificate()
{
    SecPkgContext_IssuerListInfoEx issuers{};
    if (m_sspi.QueryContextAttributesA(&m_hContext, SECPKG_ATTR_ISSUER_LIST_EX, &issuers) != SEC_E_OK)
        return;
    CERT_CHAIN_FIND_BY_ISSUER_PARA findPara{};
    findPara.cbSize = sizeof(findPara);
    findPara.pszUsageIdentifier = szOID_PKIX_KP_CLIENT_AUTH;
    findPara.cIssuer = issuers.cIssuers;
    findPara.rgIssuer = issuers.aIssuers;
    PCCERT_CHAIN_CONTEXT pChain = nullptr;
    while (m_hMyStore) {
        pChain = CertFindChainInStore(m_hMyStore, X509_ASN_ENCODING, 0, CERT_CHAIN_FIND_BY_ISSUER, &findPara, pChain);
        if (!pChain)
            break;
        PCCERT_CONTEXT pCert = pChain->rgpChain[0]->rgpElement[0]->pCertContext;
        SCHANNEL_CRED cred = m_schannelCred;
        cred.cCreds = 1;
        cred.paCred = &pCert;
        CredHandle hCred;
        TimeStamp expiry;
        if (m_sspi.AcquireCredentialsHandleA(nullptr, const_cast<char*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, nullptr,
                                             &cred, nullptr, nullptr, &hCred, &expiry) == SEC_E_OK) {
            FreeCredentials();
            m_hCredentials = hCred;
            m_bCredentials = true;
            break;
        }
    }
    if (pChain)
        CertFreeCertificateChain(pChain);
    if (issuers.aIssuers)
        m_sspi.FreeContextBuffer(issuers.aIssuers);
}

bool CTlsSocket::CheckServerCertificate()
{
    if (m_pServerCert) {
        CertFreeCertificateContext(m_pServerCert);
        m_pServerCert = nullptr;
    }
    SECURITY_STATUS status =
        m_sspi.QueryContextAttributesA(&m_hContext, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &m_pServerCert);
    if (status != SEC_E_OK || !m_pServerCert) {
        m_strErrorText.Format("サーバ証明書を取得できませんでした。[0x%08lX]", static_cast<unsigned long>(status));
        Shutdown();
        return false;
    }
    LPSTR usages[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH), const_cast<LPSTR>(szOID_SERVER_GATED_CRYPTO),
                      const_cast<LPSTR>(szOID_SGC_NETSCAPE)};
    CERT_CHAIN_PARA chainPara{};
    chainPara.cbSize = sizeof(chainPara);
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = sizeof(usages) / sizeof(usages[0]);
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT pChain = nullptr;
    if (!CertGetCertificateChain(nullptr, m_pServerCert, nullptr, m_pServerCert->hCertStore, &chainPara, 0, nullptr,
                                 &pChain)) {
        m_strErrorText.Format("サーバ証明書を確認できませんでした。[0x%08lX]", GetLastError());
        Shutdown();
        return false;
    }
    std::wstring host = m_strHost.ToWide();
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA sslPara{};
    sslPara.cbSize = sizeof(sslPara);
    sslPara.dwAuthType = AUTHTYPE_SERVER;
    sslPara.pwszServerName = const_cast<wchar_t*>(host.c_str());
    CERT_CHAIN_POLICY_PARA policyPara{};
    policyPara.cbSize = sizeof(policyPara);
    policyPara.pvExtraPolicyPara = &sslPara;
    CERT_CHAIN_POLICY_STATUS policyStatus{};
    policyStatus.cbSize = sizeof(policyStatus);
    DWORD dwPolicyError = 0;
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, pChain, &policyPara, &policyStatus))
        dwPolicyError = GetLastError();
    else
        dwPolicyError = policyStatus.dwError;
    // Some providers pass an unknown root in the policy check and report it
    // only in the chain's own trust status, so both must be clean.
    DWORD dwTrustError = pChain->TrustStatus.dwErrorStatus & ~kIgnoredTrustErrors;
    CertFreeCertificateChain(pChain);
    if (dwPolicyError == 0 && dwTrustError == 0)
        return true;
    m_strErrorText.Format("サーバ証明書の検証に失敗しました。\r\n%s\r\n[0x%08lX][0x%08lX]",
                          CertificateReason(dwPolicyError, dwTrustError, m_strHost).GetString(),
                          static_cast<unsigned long>(dwPolicyError), static_cast<unsigned long>(dwTrustError));
    WriteCommLog(m_strErrorText + "\r\n");
    Shutdown();
    return false;
}

bool CTlsSocket::EnsureStreamSizes()
{
    if (!m_bContext)
        return false;
    SecPkgContext_StreamSizes sizes{};
    if (m_sspi.QueryContextAttributesA(&m_hContext, SECPKG_ATTR_STREAM_SIZES, &sizes) != SEC_E_OK)
        return false;
    size_t cbRecord = static_cast<size_t>(sizes.cbHeader) + sizes.cbMaximumMessage + sizes.cbTrailer;
    if (!m_bSizes || memcmp(&sizes, &m_sizes, sizeof(sizes)) != 0 || m_recv.size() < cbRecord) {
        m_sizes = sizes;
        m_bSizes = true;
        // Room for several records, so that one read takes what has come.
        if (m_recv.size() < cbRecord * 4)
            m_recv.resize(cbRecord * 4);
        m_send.resize(cbRecord);
    }
    return true;
}

int CTlsSocket::Send(const char* pData, int nLength, const char* pszLogText)
{
    if (m_bPlainFirst)
        return CMailSocket::Send(pData, nLength, pszLogText);
    if (pszLogText)
        WriteCommLog(pszLogText);
    else if (pData && IsCommLogOn())
        WriteCommLog(CString(pData, nLength));
    if (nLength <= 0 || !pData)
        return nLength;
    if (!EnsureStreamSizes())
        return SEC_E_INTERNAL_ERROR;
    int nDone = 0;
    while (nDone < nLength) {
        DWORD cbChunk = std::min<DWORD>(static_cast<DWORD>(nLength - nDone), m_sizes.cbMaximumMessage);
        char* pBuffer = m_send.data();
        memcpy(pBuffer + m_sizes.cbHeader, pData + nDone, cbChunk);
        SecBuffer buffers[4] = {{m_sizes.cbHeader, SECBUFFER_STREAM_HEADER, pBuffer},
                                {cbChunk, SECBUFFER_DATA, pBuffer + m_sizes.cbHeader},
                                {m_sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, pBuffer + m_sizes.cbHeader + cbChunk},
                                {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
        SECURITY_STATUS status = m_sspi.EncryptMessage(&m_hContext, 0, &desc, 0);
        if (FAILED(status))
            return m_lastStatus = status;
        int cbTotal = static_cast<int>(buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
        if (!SendAll(pBuffer, cbTotal))
            return m_lastStatus = SEC_E_INTERNAL_ERROR;
        nDone += static_cast<int>(cbChunk);
    }
    TouchWatchdog();
    return nLength;
}

bool CTlsSocket::CheckReceived(int nReceived)
{
    if (nReceived == SOCKET_ERROR) {
        m_bReadError = true;
        PostSocketError();
        return false;
    }
    if (nReceived == 0) {
        m_bClosed = true;
        return false;
    }
    return true;
}

CString CTlsSocket::ReadPlainText()
{
    CString text;
    char buffer[1024];
    for (;;) {
        int n = recv(m_hSocket, buffer, sizeof(buffer), 0);
        if (!CheckReceived(n))
            break;
        text.Append(buffer, n);
        u_long nWaiting = 0;
        if (ioctlsocket(m_hSocket, FIONREAD, &nWaiting) != 0 || nWaiting == 0)
            break;
    }
    return text;
}

size_t CTlsSocket::ReadAppend(std::string& out)
{
    m_bReadError = false;
    if (m_bPlainFirst) {
        CString text = ReadPlainText();
        if (!text.IsEmpty()) {
            WriteCommLog(text);
            TouchWatchdog();
        }
        out.append(text.GetString(), static_cast<size_t>(text.GetLength()));
        return static_cast<size_t>(text.GetLength());
    }
    // Whole records are decrypted in place and their data appended at once.
    const size_t start = out.size();
    auto got = [&]() { return out.size() > start; };
    if (!EnsureStreamSizes()) {
        m_bReadError = true;
        return 0;
    }
    SECURITY_STATUS status = SEC_E_OK;
    for (;;) {
        if (m_cbRecv == 0 || status == SEC_E_INCOMPLETE_MESSAGE) {
            if (status == SEC_E_INCOMPLETE_MESSAGE && got())
                break;  // the rest of the record comes with the next read
            if (m_cbRecv >= m_recv.size())
                m_recv.resize(m_recv.size() * 2);
            int n = recv(m_hSocket, m_recv.data() + m_cbRecv, static_cast<int>(m_recv.size() - m_cbRecv), 0);
            if (!CheckReceived(n))
                break;
            m_cbRecv += static_cast<DWORD>(n);
        }
        SecBuffer buffers[4] = {{m_cbRecv, SECBUFFER_DATA, m_recv.data()},
                                {0, SECBUFFER_EMPTY, nullptr},
                                {0, SECBUFFER_EMPTY, nullptr},
                                {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
        status = m_sspi.DecryptMessage(&m_hContext, &desc, 0, nullptr);
        if (status == SEC_E_INCOMPLETE_MESSAGE)
            continue;
        if (status == SEC_I_CONTEXT_EXPIRED) {
            m_lastStatus = status;
            m_bClosed = true;
            break;
        }
        if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE) {
            m_lastStatus = status;
            m_bReadError = true;
            break;
        }
        SecBuffer* pData = nullptr;
        SecBuffer* pExtra = nullptr;
        for (SecBuffer& b : buffers) {
            if (b.BufferType == SECBUFFER_DATA && !pData)
                pData = &b;
            else if (b.BufferType == SECBUFFER_EXTRA && !pExtra)
                pExtra = &b;
        }
        if (pData && pData->cbBuffer)
            out.append(static_cast<const char*>(pData->pvBuffer), pData->cbBuffer);
        if (pExtra && pExtra->cbBuffer) {
            memmove(m_recv.data(), pExtra->pvBuffer, pExtra->cbBuffer);
            m_cbRecv = pExtra->cbBuffer;
        } else {
            m_cbRecv = 0;
        }
        if (status == SEC_I_RENEGOTIATE) {
            std::vector<char> seed(m_recv.begin(), m_recv.begin() + m_cbRecv);
            m_cbRecv = 0;
            if (HandshakeLoop(false, seed.data(), static_cast<DWORD>(seed.size())) != SEC_E_OK) {
                m_bReadError = true;
                break;
            }
            status = SEC_E_OK;
            if (m_cbRecv == 0 && got())
                break;
            continue;
        }
        if (m_cbRecv == 0 && got())
            break;
    }
    if (got()) {
        if (IsCommLogOn())
            WriteCommLog(CString(out.substr(start)));
        TouchWatchdog();
    }
    return out.size() - start;
}

CString CTlsSocket::ReadText()
{
    std::string text;
    ReadAppend(text);
    return CString(text);
}

void CTlsSocket::DropLateLineFeed(DWORD dwWaitMs)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(m_hSocket, &set);
    timeval tv{static_cast<long>(dwWaitMs / 1000), static_cast<long>((dwWaitMs % 1000) * 1000)};
    if (select(0, &set, nullptr, nullptr, &tv) != 1)
        return;
    char ch = 0;
    if (recv(m_hSocket, &ch, 1, MSG_PEEK) == 1 && ch == '\n')
        recv(m_hSocket, &ch, 1, 0);
}

void CTlsSocket::Shutdown()
{
    if (m_bContext && m_hSocket != INVALID_SOCKET) {
        DWORD dwType = SCHANNEL_SHUTDOWN;
        SecBuffer token{sizeof(dwType), SECBUFFER_TOKEN, &dwType};
        SecBufferDesc tokenDesc{SECBUFFER_VERSION, 1, &token};
        if (m_sspi.ApplyControlToken(&m_hContext, &tokenDesc) == SEC_E_OK) {
            SecBuffer outBuffer{0, SECBUFFER_TOKEN, nullptr};
            SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &outBuffer};
            DWORD dwRetFlags = 0;
            TimeStamp expiry;
            SECURITY_STATUS status = m_sspi.InitializeSecurityContextA(
                &m_hCredentials, &m_hContext, nullptr, kContextFlags, 0, SECURITY_NATIVE_DREP, nullptr, 0,
                &m_hContext, &outDesc, &dwRetFlags, &expiry);
            if (!FAILED(status) && outBuffer.pvBuffer && outBuffer.cbBuffer)
                SendAll(static_cast<const char*>(outBuffer.pvBuffer), static_cast<int>(outBuffer.cbBuffer));
            if (outBuffer.pvBuffer)
                m_sspi.FreeContextBuffer(outBuffer.pvBuffer);
        }
    }
    DeleteContext();
    Close();
}

void CTlsSocket::DeleteContext()
{
    if (m_bContext) {
        m_sspi.DeleteSecurityContext(&m_hContext);
        m_bContext = false;
    }
    m_bSizes = false;
}

void CTlsSocket::FreeCredentials()
{
    if (m_bCredentials) {
        m_sspi.FreeCredentialsHandle(&m_hCredentials);
        m_bCredentials = false;
    }
}
