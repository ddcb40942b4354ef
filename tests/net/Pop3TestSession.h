// Receiving sessions for the tests, which keep what they file; the POP3 one
// also answers the receive filter with a fixed decision.
#pragma once

#include "net/Pop3Session.h"
#include "support/TestSupport.h"

#include <string>
#include <vector>

namespace NetTest {

// A temporary mailbox for one session: the inbox work folder and the folder
// of the received-id files.
class TestSessionFolder
{
public:
    TestSessionFolder() { CreateDirectoryA(Inbox(), nullptr); }
    CString Inbox() const { return m_dir.Path() + "\\In.Box"; }
    CString IdFolder() const { return m_dir.Path(); }
    CString Root() const { return m_dir.Path(); }
    CString IdFilePath(const char* pszAccount = "fake") const
    {
        return m_dir.Path() + "\\CVMUidl_" + pszAccount + ".dat";
    }
    std::string IdFileText(const char* pszAccount = "fake") const
    {
        return TestSupport::FileExists(IdFilePath(pszAccount)) ? TestSupport::ReadFileBytes(IdFilePath(pszAccount))
                                                               : std::string();
    }
    void WriteIdFile(const std::string& text, const char* pszAccount = "fake") const
    {
        TestSupport::WriteFileBytes(IdFilePath(pszAccount), text);
    }
    // Mail files the session left in its inbox work folder.
    std::vector<std::string> LeftoverFiles() const
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA(Inbox() + "\\*", &fd);
        if (h == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(fd.cFileName);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
        return names;
    }

private:
    TestSupport::TempDir m_dir;
};

// A receiving session for the tests: it keeps a copy of every mail it files
// (and hands it on to a real folder store when it has one), can be told to
// fail filing, and can abort after a number of filed mails.
template <class TSession>
class TestFilingSession : public TSession
{
public:
    explicit TestFilingSession(const TestSessionFolder& folder)
    {
        this->SetInboxPath(folder.Inbox());
        this->SetIdListFolder(folder.IdFolder());
    }

    std::vector<std::string> filed;
    bool bFailFiling = false;
    // Sets the abort flag, as the session thread's cancel message does, when
    // this many mails have been filed.
    int nAbortAtFiling = 0;

protected:
    bool FileReceivedMail(std::string& mail, const CString& strName, bool& bKeepOnServer) override
    {
        bKeepOnServer = false;
        if (bFailFiling)
            return false;
        filed.push_back(mail);
        if (nAbortAtFiling && static_cast<int>(filed.size()) == nAbortAtFiling)
            this->SetAbort();
        if (this->m_pTargetStore)
            return TSession::FileReceivedMail(mail, strName, bKeepOnServer);
        return true;
    }
};

class CPop3TestSession : public TestFilingSession<CPop3Session>
{
public:
    using TestFilingSession::TestFilingSession;

    int nFilterDecision = 0;

protected:
    int CheckReceiveFilter(const CString&) override { return nFilterDecision; }
};

} // namespace NetTest
