#include "editor/ArchiverCommand.h"

std::string CArchiverCommand::Quote(const std::string& text)
{
    // Shift_JIS trail bytes never take the value of the double quote, so a
    // byte-wise doubling keeps double-byte characters whole.
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

bool CArchiverCommand::Split(const char* pszCommand, std::vector<std::string>& words)
{
    words.clear();
    const char* p = pszCommand ? pszCommand : "";
    for (;;) {
        while (*p == ' ' || *p == '\t')
            ++p;
        if (!*p)
            return true;
        std::string word;
        while (*p && *p != ' ' && *p != '\t') {
            if (*p != '"') {
                word += *p++;
                continue;
            }
            ++p;
            for (;;) {
                if (!*p)
                    return false;
                if (*p == '"' && p[1] == '"') {
                    word += '"';
                    p += 2;
                } else if (*p == '"') {
                    ++p;
                    break;
                } else {
                    word += *p++;
                }
            }
        }
        words.push_back(word);
    }
}

bool CArchiverCommand::ParseZip(const char* pszCommand)
{
    std::vector<std::string> words;
    if (!Split(pszCommand, words))
        return false;
    // Switches are recognised by the raw text: a quoted word is never one.
    std::vector<std::string> raw;
    const char* p = pszCommand;
    for (size_t i = 0; i < words.size(); ++i) {
        while (*p == ' ' || *p == '\t')
            ++p;
        const char* start = p;
        bool quoted = false;
        while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
            if (*p == '"')
                quoted = !quoted;
            ++p;
        }
        raw.emplace_back(start, p);
    }
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& r = raw[i];
        if (r == "-j") {
            m_bJunkPaths = true;
        } else if (r == "-q") {
            m_bQuiet = true;
        } else if (r.compare(0, 2, "-P") == 0) {
            m_bHasPassword = true;
            if (r.size() > 2)
                m_password = words[i].substr(2);
            else if (i + 1 < words.size())
                m_password = words[++i];
            else
                return false;
        } else if (!r.empty() && r[0] == '-') {
            return false;
        } else if (m_archive.empty()) {
            m_archive = words[i];
        } else {
            m_files.push_back(words[i]);
        }
    }
    return !m_archive.empty() && !m_files.empty();
}

bool CArchiverCommand::ParseLha(const char* pszCommand)
{
    std::vector<std::string> words;
    if (!Split(pszCommand, words) || words.size() < 3)
        return false;
    m_command = words[0];
    m_archive = words[1];
    m_files.assign(words.begin() + 2, words.end());
    return true;
}
