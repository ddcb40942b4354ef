// The bytes of a Base64 attachment of a built or delivered mail, found by
// its file name (the part's name="..." parameter).
#pragma once

#include "message/Base64.h"

#include <string>

namespace ArchiveTest {

inline bool ExtractAttachment(const std::string& mail, const std::string& name, std::string& bytes)
{
    size_t at = mail.find("name=\"" + name + "\"");
    if (at == std::string::npos)
        return false;
    size_t body = mail.find("\n\n", at);
    size_t crlfBody = mail.find("\r\n\r\n", at);
    if (crlfBody != std::string::npos && (body == std::string::npos || crlfBody < body))
        body = crlfBody + 4;
    else if (body != std::string::npos)
        body += 2;
    else
        return false;
    size_t end = mail.find("--", body);
    if (end == std::string::npos)
        return false;
    std::string text;
    for (size_t i = body; i < end; ++i)
        if (mail[i] != '\r' && mail[i] != '\n')
            text += mail[i];
    bytes = CBase64::DecodeToString(text.c_str(), static_cast<int>(text.size()));
    return !bytes.empty();
}

} // namespace ArchiveTest
