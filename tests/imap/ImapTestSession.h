// An IMAP4 session for the tests: it keeps a copy of every mail it files (and
// hands it on to a real folder store when it has one), can be told to fail
// filing, and can be made to use the LOGIN command whatever the server offers.
#pragma once

#include "net/ImapSession.h"
#include "net/NetTestSupport.h"
#include "net/Pop3TestSession.h"  // TestSessionFolder
#include "support/TestSupport.h"

#include <string>
#include <vector>

namespace ImapTest {

class CImapTestSession : public CImapSession
{
public:
    explicit CImapTestSession(const NetTest::TestSessionFolder& folder)
    {
        SetInboxPath(folder.Inbox());
        SetIdListFolder(folder.IdFolder());
    }

    void ForceLoginCommand() { m_nLoginMethod = loginCommand; }

    std::vector<std::string> filed;
    bool bFailFiling = false;

protected:
    bool FileReceivedMail(const CString& strPath, bool& bKeepOnServer) override
    {
        bKeepOnServer = false;
        if (bFailFiling)
            return false;
        filed.push_back(TestSupport::ReadFileBytes(strPath));
        if (m_pTargetStore)
            return CImapSession::FileReceivedMail(strPath, bKeepOnServer);
        return true;
    }
};

} // namespace ImapTest
