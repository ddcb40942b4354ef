// CReReadText: a backed-up mail file shown again in a transfer encoding
// and a character set the user picks, without touching what is stored.
#pragma once

#include <string>

class CReReadText
{
public:
    // Transfer encodings offered: plain 0, quoted-printable 3, Base64 4.
    // Charset codes: 0 JIS, 1 Shift-JIS, 2 English, 3 UTF-7, 4 UTF-8, 5 EUC,
    // 10-19 the European, Korean, Chinese and Arabic sets.
    static std::string Decode(const std::string& body, int nEncoding, int nCharset);
    // The code of a MIME charset name; -1 when the list has none.
    static int CharsetCode(const std::string& name);
};
