#include "viewer/UuencodedParts.h"

#include "classlib/Mbcs.h"
#include "core/FileUtil.h"
#include "message/Uuencode.h"

#include <cstdio>
#include <cstring>

namespace {

bool StartsWithNoCase(const std::string& text, size_t pos, size_t end, const char* prefix)
{
    size_t n = strlen(prefix);
    if (end - pos < n)
        return false;
    return _strnicmp(text.c_str() + pos, prefix, n) == 0;
}

} // namespace

std::string CUuencodedParts::SafeFileName(const std::string& name)
{
    // Only the last path component counts; a double-byte character is never
    // taken for a separator.
    size_t start = 0;
    for (size_t i = 0; i < name.size();) {
        size_t n = Mbcs::CharLength(name.data() + i, name.size() - i);
        if (n == 1 && (name[i] == '/' || name[i] == '\\' || name[i] == ':'))
            start = i + 1;
        i += n;
    }
    std::string plain;
    for (size_t i = start; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        plain += c < 0x20 ? '_' : static_cast<char>(c);
    }
    // The reserved characters go, and a device name gets a "_" before it.
    plain = MakeValidFileName(plain.c_str()).GetString();
    // Trailing dots and blanks vanish from Windows names; names of dots only
    // would climb out of the folder.
    while (!plain.empty() && (plain.back() == '.' || plain.back() == ' '))
        plain.pop_back();
    return plain;
}

bool CUuencodedParts::Convert(const std::string& mail, const std::string& mailFileName)
{
    m_parts.clear();
    m_output.clear();
    size_t split = mail.find("\r\n\r\n");
    std::string header = split == std::string::npos ? mail : mail.substr(0, split);
    size_t bodyStart = split == std::string::npos ? mail.size() : split + 4;
    m_output = header + "\r\n\r\n";

    size_t kept = bodyStart;  // start of the text not yet carried over
    bool inBlock = false;
    Part current;
    int counter = 0;
    size_t pos = bodyStart;
    while (pos < mail.size()) {
        size_t end = pos;
        while (end < mail.size() && mail[end] != '\r' && mail[end] != '\n')
            ++end;
        // A line ends at CR, LF or CR LF.
        size_t next = end;
        if (next < mail.size() && mail[next] == '\r')
            ++next;
        if (next < mail.size() && mail[next] == '\n')
            ++next;
        if (!inBlock && StartsWithNoCase(mail, pos, end, "begin ")) {
            m_output.append(mail, kept, pos - kept);
            kept = pos;
            std::string line = mail.substr(pos, end - pos);
            size_t blank = line.find_last_of(' ');
            std::string name = SafeFileName(line.substr(blank + 1));
            if (name.empty()) {
                char fallback[32];
                snprintf(fallback, sizeof(fallback), "%03d", counter);
                name = mailFileName + fallback;
            }
            ++counter;
            current = Part();
            current.name = name;
            inBlock = true;
        } else if (inBlock && StartsWithNoCase(mail, pos, end, "end")) {
            m_parts.push_back(current);
            inBlock = false;
            kept = std::min(next, mail.size());
        } else if (inBlock) {
            CUuencode::DecodeLineAppend(mail.data() + pos, end - pos, current.data);
        }
        if (next == pos)
            break;
        pos = next;
    }
    if (m_parts.empty()) {
        m_output.clear();
        return false;
    }
    // The text after the last block stays in the mail, as the stretches
    // before each block do; an unfinished block is kept as text too.
    if (kept < mail.size())
        m_output.append(mail, kept, std::string::npos);
    return true;
}
