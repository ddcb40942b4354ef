// An IMAP4 session for the tests: it keeps a copy of every mail it files (and
// hands it on to a real folder store when it has one), can be told to fail
// filing, and can be made to use the LOGIN command whatever the server offers.
#pragma once

#include "net/ImapSession.h"
#include "net/NetTestSupport.h"
#include "net/Pop3TestSession.h"  // TestSessionFolder, TestFilingSession
#include "support/TestSupport.h"

#include <string>
#include <vector>

namespace ImapTest {

class CImapTestSession : public NetTest::TestFilingSession<CImapSession>
{
public:
    using TestFilingSession::TestFilingSession;

    void ForceLoginCommand() { m_nLoginMethod = loginCommand; }
};

} // namespace ImapTest
