// Shared pieces of the transfer tests: an application with a whole mailbox
// on a settings file of its own, accounts on the private servers, a host
// that records what the workers call back, and a loop that plays the main
// thread and keeps what the workers post to it.
#pragma once

#include "core/AccountData.h"
#include "core/QuendalApp.h"
#include "transfer/TransferHost.h"
#include "support/TestSupport.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

class CMailFolderStore;

namespace TransferTest {

struct TestApp : CQuendalApp
{
    explicit TestApp(const CString& folder);
    ~TestApp() override;
    CMailFolderStore* Inbox() { return GetDefaultFolder(1); }
    CMailFolderStore* Sent() { return GetDefaultFolder(2); }
    CMailFolderStore* Outbox() { return GetDefaultFolder(5); }
};

// An account on the private Dovecot (and Postfix for sending) for test user
// nUser; written to Account.dat when the set is saved.
CAccountData* AddAccount(TestApp& app, const char* pszName, int nUser, bool bImap = false);
void SaveAccounts(TestApp& app);

class TestHost : public CTransferHost
{
public:
    TestHost();
    void StartTransferProgress(int nKind, CTransferStatus* pStatus) override;
    void EndTransferProgress(BOOL bNoEvent) override;
    bool Confirm(const char* pszText) override;
    void ShowMessage(const char* pszText) override;
    void ShowSendError(const char* pszText) override;

    std::mutex lock;
    std::vector<int> progressKinds;
    int nProgressEnds = 0;
    std::vector<std::string> messages;
    std::vector<std::string> sendErrors;
};

// The messages the workers and session threads posted to this thread.
class MainLoop
{
public:
    MainLoop();
    // Pumps until the condition holds; false when dwTimeoutMs passed first.
    // onMessage sees every message first (a route command, say).
    bool RunUntil(const std::function<bool()>& until, DWORD dwTimeoutMs = 120000,
                  const std::function<void(const MSG&)>& onMessage = {});
    // Pumps until n messages of that number came.
    bool RunUntilCount(UINT nMessage, int n, DWORD dwTimeoutMs = 120000);
    int Count(UINT nMessage) const;
    // Sum of the wParams of a message (the new mails of 1355).
    int SumWParam(UINT nMessage) const;
    std::vector<MSG> heard;
};

// Receives account nAccount as the receive command does and waits for the
// end of the job; false when it did not start or end in time.
bool ReceiveAndWait(TestHost& host, MainLoop& loop, int nAccount);
// The Message-IDs of the mails, sorted (a mail there twice is listed twice).
std::vector<std::string> SortedMessageIds(const std::vector<std::string>& mails);

// Mail texts of the tests.
std::string JapaneseMail(int n, size_t nBodyBytes = 0);
// The bodies of a folder's mails without the dot-stuffing, in order.
std::vector<std::string> StoredMails(CMailFolderStore* pStore);
// Message-IDs of the files in a user's Maildir.
std::vector<std::string> ServerMessageIds(int nUser);
// Composes a mail of the account into the outbox as the editor stores it.
void StoreOutgoing(TestApp& app, const char* pszAccount, const char* pszTo, const char* pszSubject,
                   const char* pszBody, const char* pszReferFolder = nullptr, const char* pszReferHandle = nullptr);

} // namespace TransferTest
