// A small POP3 server for the faults a real server does not make: odd line
// ends, silence, a connection dropped in the middle of a mail, no UIDL, a
// greeting without an APOP stamp, STLS refused. It records every command.
#pragma once

#include "NetTestSupport.h"

#include <algorithm>
#include <mutex>

namespace NetTest {

struct FakeMail
{
    std::string uidl;
    std::string text;  // with CR LF line ends, not byte-stuffed
};

struct FakePop3Options
{
    std::string greeting = "+OK fake ready <1896.697170952@fake.example>";
    std::string eol = "\r\n";       // line end of every line the server sends
    bool bUidl = true;
    bool bRefuseStls = true;
    bool bSilentGreeting = false;   // say nothing after connecting
    // RETR of this number sends half the mail, then goes silent or closes.
    int nBreakRetr = 0;
    bool bBreakByClosing = false;
    bool bPipelining = false;       // CAPA announces PIPELINING (else CAPA is unknown)
    int nRefuseList = 0;            // LIST of this number answers -ERR
    int nRefuseDele = 0;            // DELE of this number answers -ERR
    // A real mailbox: the mails deleted in a session are gone at its QUIT
    // (and only then), and nBreakRetr breaks the first connection only.
    bool bMailbox = false;
};

class FakePop3Server
{
public:
    FakePop3Server(std::vector<FakeMail> mails, FakePop3Options options = FakePop3Options(), int nConnections = 1)
        : m_mails(std::move(mails)), m_options(std::move(options)),
          m_server([this](SOCKET s) { Serve(s); }, nConnections)
    {
    }
    int Port() const { return m_server.Port(); }
    std::vector<std::string> Commands()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_commands;
    }
    bool Received(const char* pszPrefix)
    {
        for (const std::string& c : Commands())
            if (c.compare(0, strlen(pszPrefix), pszPrefix) == 0)
                return true;
        return false;
    }
    std::vector<int> Deleted()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_deleted;
    }
    // With bMailbox: the UIDLs of the mails still on the server.
    std::vector<std::string> Remaining()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        std::vector<std::string> uidls;
        for (const FakeMail& m : m_mails)
            uidls.push_back(m.uidl);
        return uidls;
    }

private:
    bool Line(SOCKET s, const std::string& text) { return SendAll(s, text + m_options.eol); }

    std::string Stuffed(const std::string& text)
    {
        std::string out;
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find("\r\n", pos);
            std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            if (!line.empty() && line[0] == '.')
                out += '.';
            out += line + m_options.eol;
            if (end == std::string::npos)
                break;
            pos = end + 2;
        }
        return out;
    }

    void Serve(SOCKET s)
    {
        if (m_options.bSilentGreeting) {
            std::string ignored;
            while (RecvLine(s, ignored)) {
            }
            return;
        }
        Line(s, m_options.greeting);
        bool bFirstConnection = m_nServed++ == 0;
        std::vector<int> sessionDeletes;
        std::string line;
        while (RecvLine(s, line)) {
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                line.pop_back();
            {
                std::lock_guard<std::mutex> lock(m_lock);
                m_commands.push_back(line);
            }
            std::string verb = line.substr(0, line.find(' '));
            int n = atoi(line.c_str() + verb.size());
            bool bValid = n >= 1 && n <= static_cast<int>(m_mails.size());
            if (verb == "USER" || verb == "PASS" || verb == "APOP") {
                Line(s, "+OK");
            } else if (verb == "STLS") {
                Line(s, m_options.bRefuseStls ? "-ERR not here" : "+OK");
            } else if (verb == "CAPA" && m_options.bPipelining) {
                Line(s, "+OK");
                Line(s, "TOP");
                Line(s, "UIDL");
                Line(s, "PIPELINING");
                Line(s, ".");
            } else if ((verb == "LIST" && n == m_options.nRefuseList) || (verb == "DELE" && n == m_options.nRefuseDele)) {
                Line(s, "-ERR refused");
            } else if (verb == "STAT") {
                size_t total = 0;
                for (auto& m : m_mails)
                    total += m.text.size();
                Line(s, "+OK " + std::to_string(m_mails.size()) + " " + std::to_string(total));
            } else if (verb == "UIDL") {
                if (!m_options.bUidl) {
                    Line(s, "-ERR no UIDL");
                    continue;
                }
                Line(s, "+OK");
                for (size_t i = 0; i < m_mails.size(); i++)
                    Line(s, std::to_string(i + 1) + " " + m_mails[i].uidl);
                Line(s, ".");
            } else if (verb == "LIST" && bValid) {
                Line(s, "+OK " + std::to_string(n) + " " + std::to_string(m_mails[n - 1].text.size()));
            } else if (verb == "TOP" && bValid) {
                const std::string& text = m_mails[n - 1].text;
                size_t end = text.find("\r\n\r\n");
                Line(s, "+OK");
                SendAll(s, Stuffed(text.substr(0, end == std::string::npos ? text.size() : end + 2)) + m_options.eol);
                Line(s, ".");
            } else if (verb == "RETR" && bValid) {
                Line(s, "+OK");
                std::string body = Stuffed(m_mails[n - 1].text);
                if (n == m_options.nBreakRetr && (bFirstConnection || !m_options.bMailbox)) {
                    SendAll(s, body.substr(0, body.size() / 2));
                    if (m_options.bBreakByClosing)
                        return;
                    std::string ignored;
                    while (RecvLine(s, ignored)) {
                    }
                    return;
                }
                SendAll(s, body);
                Line(s, ".");
            } else if (verb == "DELE" && bValid) {
                {
                    std::lock_guard<std::mutex> lock(m_lock);
                    m_deleted.push_back(n);
                }
                sessionDeletes.push_back(n);
                Line(s, "+OK");
            } else if (verb == "QUIT") {
                if (m_options.bMailbox) {
                    std::lock_guard<std::mutex> lock(m_lock);
                    std::sort(sessionDeletes.begin(), sessionDeletes.end());
                    sessionDeletes.erase(std::unique(sessionDeletes.begin(), sessionDeletes.end()), sessionDeletes.end());
                    for (auto it = sessionDeletes.rbegin(); it != sessionDeletes.rend(); ++it)
                        m_mails.erase(m_mails.begin() + (*it - 1));
                }
                Line(s, "+OK bye");
                return;
            } else {
                Line(s, "-ERR");
            }
        }
    }

    std::vector<FakeMail> m_mails;
    FakePop3Options m_options;
    std::mutex m_lock;
    std::vector<std::string> m_commands;
    std::vector<int> m_deleted;
    int m_nServed = 0;  // connections taken so far
    FakeServer m_server;  // last: its thread uses the members above
};

} // namespace NetTest
