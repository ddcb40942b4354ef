// CTlsSocket: a CMailSocket encrypted through the platform's security
// provider (Schannel), either from the first byte (POP3 on 995, SMTP on 465)
// or after the session's STLS/STARTTLS (plain-first mode, then StartTls).
// The server's certificate must be trusted for the host name it was reached
// by; otherwise the connection ends and the error text says why.
#pragma once

#define SECURITY_WIN32
#include "net/MailSocket.h"

#include <security.h>
#include <schannel.h>
#include <wincrypt.h>

#include <string>
#include <vector>

class CTlsSocket : public CMailSocket
{
public:
    CTlsSocket();
    ~CTlsSocket() override;

    bool Create() override;
    bool Connect(const char* pszHost, int nPort) override;
    // Returns nLength on success; a negative provider status on failure (no
    // thread message is posted for a failed encrypted send).
    int Send(const char* pData, int nLength, const char* pszLogText = nullptr) override;

    // The next piece of decrypted data; in plain-first mode whatever has
    // arrived. Empty with HasReadError() or IsClosed() when nothing came.
    CString ReadText();
    // The same, appended to out; the count of bytes appended.
    size_t ReadAppend(std::string& out);
    // Handshake on the open plain connection, then the certificate check.
    bool StartTls(const char* pszHost, int nPort);
    // Before the handshake after STLS: drops the LF of the reply's CR LF when
    // it is still on its way, so that it is not taken for handshake data.
    void DropLateLineFeed(DWORD dwWaitMs);
    // Sends the closing message of the TLS connection and closes the socket.
    void Shutdown();

    void SetPlainFirst(bool bPlainFirst) { m_bPlainFirst = bPlainFirst ? 1 : 0; }
    bool IsPlainFirst() const { return m_bPlainFirst != 0; }
    // Subject text of a client certificate in the "MY" store to offer; empty
    // offers one only when the server asks.
    void SetClientCertSubject(const char* pszSubject) { m_strClientSubject = pszSubject; }
    const CString& GetErrorText() const { return m_strErrorText; }
    bool HasReadError() const { return m_bReadError; }
    bool IsClosed() const { return m_bClosed; }
    SECURITY_STATUS GetLastStatus() const { return m_lastStatus; }

private:
    bool LoadProvider();
    SECURITY_STATUS AcquireCredentials(bool bWithClientCert);
    // The provider and credentials a handshake needs.
    bool PrepareCredentials();
    // Handshake on the connected socket, then the server certificate check.
    bool Negotiate(const char* pszHost, int nPort);
    SECURITY_STATUS Handshake();
    // Sends a handshake token and frees it; on failure the context is gone.
    bool SendHandshakeToken(const SecBuffer& token);
    SECURITY_STATUS HandshakeLoop(bool bReadFirst, const char* pSeed, DWORD cbSeed);
    void SelectClientCertificate();
    bool CheckServerCertificate();
    bool SendAll(const char* pData, int nLength);
    bool EnsureStreamSizes();
    void DeleteContext();
    void FreeCredentials();
    // The result of a recv call: false for an error (reported to the
    // session's thread) or the peer's close, both noted.
    bool CheckReceived(int nReceived);
    CString ReadPlainText();

    CString m_strHost;
    int m_nPort = 0;
    CString m_strErrorText;
    CString m_strClientSubject;
    HMODULE m_hSecurityDll = nullptr;
    SecurityFunctionTableA m_sspi{};
    bool m_bWsaStarted = false;
    CredHandle m_hCredentials{};
    bool m_bCredentials = false;
    CtxtHandle m_hContext{};
    bool m_bContext = false;
    PCCERT_CONTEXT m_pServerCert = nullptr;
    PCCERT_CONTEXT m_pClientCert = nullptr;
    HCERTSTORE m_hMyStore = nullptr;
    SCHANNEL_CRED m_schannelCred{};
    SecPkgContext_StreamSizes m_sizes{};
    bool m_bSizes = false;
    // Encrypted bytes received and not yet decrypted.
    std::vector<char> m_recv;
    DWORD m_cbRecv = 0;
    std::vector<char> m_send;
    bool m_bReadError = false;
    bool m_bClosed = false;
    SECURITY_STATUS m_lastStatus = SEC_E_OK;
};
