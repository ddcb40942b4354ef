// Shared helpers of the SMTP tests: a fixed source of time and randomness,
// driving a session through its thread messages, the scripted peer and the
// private servers' folders.
#pragma once

#include <winsock2.h>

#include "classlib/ClassLib.h"
#include "net/SmtpSession.h"

#include <string>
#include <vector>

namespace SmtpTest {

// Time, random numbers and Message-ID token that never change.
class FixedSource : public CSmtpComposeSource
{
public:
    int64_t Now() override { return m_now; }
    unsigned Random() override { return m_random; }
    CString UniqueToken() override { return "T0K3N"; }

    int64_t m_now = 1700000000;  // 2023-11-15 07:13:20 in Japan
    unsigned m_random = 0x1234;
};

struct SessionResult
{
    bool bResult = false;  // what the last Run returned
    int nEnd = -1;         // wParam of the end message, -1 when none came
    int nSteps = 0;
};

// Starts the session on this thread and answers its step messages until it
// ends or fails. pfnEachStep, when given, runs before every further step.
SessionResult DriveSession(CSmtpSession& session, void (*pfnEachStep)(CSmtpSession&, int) = nullptr);

// One script for the scripted peer (see fake_smtp.py).
class FakeSmtpScript
{
public:
    FakeSmtpScript& Send(const std::string& line) { m_steps.push_back("S " + line); return *this; }
    FakeSmtpScript& Read(int nCount = 1)
    {
        for (int i = 0; i < nCount; ++i)
            m_steps.push_back("R");
        return *this;
    }
    FakeSmtpScript& Exchange(const std::string& reply) { return Read().Send(reply); }
    FakeSmtpScript& ReadData() { m_steps.push_back("D"); return *this; }
    FakeSmtpScript& Silence(int nSeconds) { m_steps.push_back("Z " + std::to_string(nSeconds)); return *this; }
    FakeSmtpScript& Close() { m_steps.push_back("X"); return *this; }
    const std::vector<std::string>& Steps() const { return m_steps; }

private:
    std::vector<std::string> m_steps;
};

// One connection of the scripted peer: Start hands over the script and
// returns the port to connect to; Transcript waits for the end and returns
// what the client sent.
class FakeSmtpServer
{
public:
    FakeSmtpServer() = default;
    ~FakeSmtpServer();
    FakeSmtpServer(const FakeSmtpServer&) = delete;
    FakeSmtpServer& operator=(const FakeSmtpServer&) = delete;

    // 0 when the peer is not running.
    int Start(const FakeSmtpScript& script);
    std::string Transcript();
    // The transcript cut into lines without their line ends.
    std::vector<std::string> Lines();

private:
    SOCKET m_control = INVALID_SOCKET;
    std::string m_buffered;
};

// A message file with CR LF line ends written from the given lines.
void WriteMessageFile(const char* pszPath, const std::vector<std::string>& lines);

// The private servers' state folder (Windows path), empty when unknown.
CString ServersDir();
CString MaildirNew(const char* pszUser);
void ClearMaildir(const char* pszUser);
// The delivered mail whose Message-ID is the given one, waited for up to
// nSeconds; empty when none came.
std::string WaitForDeliveredMail(const char* pszUser, const CString& messageId, int nSeconds = 15);
// Whether something listens at the address.
bool ServerAnswers(const char* pszHost, int nPort);

// Text of a Base64 string.
std::string DecodeBase64(const std::string& text);

// One header line as every reader needs it (the column it starts at
// counted): at most 998 octets, 76 where a blank allows a fold, encoded
// words of at most 75 characters set off from the text before them.
void ExpectHeaderLineFits(const std::string& line, size_t nStartColumn);

} // namespace SmtpTest
