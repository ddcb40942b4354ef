// Shared pieces of the protocol tests: the private Dovecot (addresses, users,
// Maildirs), scripted fake servers for faults a real server does not make, a
// relay that passes bytes one at a time, and a message loop that drives a
// receive session the way its session thread does.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "classlib/ClassLib.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/ReceiveSession.h"

class CMailFolderStore;

namespace NetTest {

// Names that resolve to the private Dovecot (see scripts/servers.d/dovecot.sh).
constexpr const char* kHost = "mail.cvm.test";
constexpr const char* kWrongNameHost = "wrongname.cvm.test";
constexpr const char* kExpiredHost = "expired.cvm.test";
constexpr const char* kUntrustedHost = "untrusted.cvm.test";
constexpr const char* kDovecotAddress = "127.0.0.2";

// Users 1 to 9; each test uses its own so that tests may run side by side.
CString UserName(int nUser);
CString Password(int nUser);
// The user's Maildir (Windows path), emptied of mail and Dovecot's indexes.
CString ClearMaildir(int nUser);
// Puts a mail into the user's Maildir "new" folder.
void DeliverMail(int nUser, const std::string& mail);
// Mails left on the server for the user (new and cur).
int CountServerMails(int nUser);
// Whether the private Dovecot answers; tests that need it are skipped otherwise.
bool DovecotAvailable();
// Deletes the files (not the subfolders) of a folder.
void DeleteFilesIn(const CString& folder);
// Makes the folder and sets the store up as the inbox kept in it.
void SetUpInbox(CMailFolderStore& inbox, const CString& folder);

// Byte-level helpers for the fake servers.
bool SendAll(SOCKET s, const std::string& data);
// Reads up to and including the next LF; false when the peer closed.
bool RecvLine(SOCKET s, std::string& line);

// A server on 127.0.0.1 that plays a script against each connection it takes.
class FakeServer
{
public:
    using Script = std::function<void(SOCKET)>;
    explicit FakeServer(Script script, int nConnections = 1);
    ~FakeServer();
    int Port() const { return m_nPort; }

private:
    SOCKET m_listen = INVALID_SOCKET;
    int m_nPort = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

// Listens on the Dovecot address at a port of its own and relays every
// connection to a Dovecot port, one byte per send in both directions, so
// that TLS records and reply lines arrive split everywhere.
class ByteRelay
{
public:
    // bByteByByte false passes bytes on as they come (for Reset alone).
    ByteRelay(int nListenPort, int nTargetPort, bool bByteByByte = true);
    ~ByteRelay();
    int Port() const { return m_nPort; }
    // Resets every client connection (the client sees a connection reset).
    void Reset();

private:
    void Serve(SOCKET client);
    SOCKET m_listen = INVALID_SOCKET;
    int m_nPort = 0;
    int m_nTargetPort = 0;
    bool m_bByteByByte = true;
    std::mutex m_lock;
    std::vector<SOCKET> m_clients;
    std::atomic<bool> m_reset{false};
    std::thread m_thread;
    std::vector<std::thread> m_pipes;
    std::atomic<bool> m_stop{false};
};

// What a pass reported to its session thread.
struct PassResult
{
    bool bStarted = false;
    bool bFinished = false;        // the end-of-session message came
    int nFinishResult = 0;         // its wParam
    UINT nFinishMessage = 0;       // its lParam
    int nNewMails = -1;            // what the end-of-receive message told the main thread
    std::vector<std::pair<int, UINT>> errors;  // every transfer-error message
    bool bKilled = false;          // stopped by the test between two steps
};

// While it lives, records in order what the store writes ("write" and the
// file name), what it flushes ("flush" and the file name) and the commands
// that delete mail on the server ("log DELE", "log STORE \\Deleted").
class StoreEventRecorder
{
public:
    StoreEventRecorder();
    ~StoreEventRecorder();
    StoreEventRecorder(const StoreEventRecorder&) = delete;
    StoreEventRecorder& operator=(const StoreEventRecorder&) = delete;
    std::vector<std::string> Events() const;
};

// While it lives, the disk is full from the n-th append to a mail data file
// on (counted from its start): that write stops half done with a disk-full
// error, as do all after it.
class DiskFullAt
{
public:
    explicit DiskFullAt(int nDataWrite);
    ~DiskFullAt();
    DiskFullAt(const DiskFullAt&) = delete;
    DiskFullAt& operator=(const DiskFullAt&) = delete;
};

// Starts the session on this thread and runs its step machine until it
// ends, as the session thread does.
// stopBefore, when given, is asked before every step: true leaves the
// session where it is, as if the program had been killed there (the caller
// then deletes it without a log-out).
PassResult RunPass(CReceiveSession& session, DWORD dwTimeoutMs = 120000,
                   std::vector<CReceiveSelection>* pSelection = nullptr,
                   const std::function<bool()>& stopBefore = {});

} // namespace NetTest
