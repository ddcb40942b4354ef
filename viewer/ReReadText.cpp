#include "viewer/ReReadText.h"

#include "message/Base64.h"
#include "message/JapaneseCode.h"
#include "message/QuotedPrintable.h"

#include <cstring>

std::string CReReadText::Decode(const std::string& body, int nEncoding, int nCharset)
{
    std::string bytes;
    if (nEncoding == 4) {
        // Base64 line by line; the line ends are not part of the data.
        size_t pos = 0;
        while (pos < body.size()) {
            size_t end = body.find_first_of("\r\n", pos);
            if (end == std::string::npos)
                end = body.size();
            CBase64::DecodeAppend(body.data() + pos, end - pos, bytes);
            pos = body.find_first_not_of("\r\n", end);
            if (pos == std::string::npos)
                break;
        }
    } else if (nEncoding == 3) {
        bytes = CQuotedPrintable::DecodeToString(body.data(), body.size());
    } else {
        bytes = body;
    }
    const int n = static_cast<int>(bytes.size());
    switch (nCharset) {
    case 0: return JisToSjis(bytes.c_str(), n).Str();
    case 3: return Utf7ToAnsi(bytes.c_str(), n).Str();
    case 4: return Utf8ToAnsi(bytes.c_str(), n).Str();
    case 5: return EucToSjis(bytes.c_str(), n).Str();
    default:
        break;
    }
    if (nCharset >= 10 && nCharset <= 19) {
        if (UINT cp = GetCodePageOfCharset(GetCharsetNameByCode(nCharset)))
            return ConvertCodePageToAnsi(bytes.c_str(), n, cp).Str();
    }
    return bytes;
}

int CReReadText::CharsetCode(const std::string& name)
{
    if (name.empty())
        return -1;
    for (int code = 0; code <= 19; ++code) {
        CString known = GetCharsetNameByCode(code);
        if (!known.IsEmpty() && _stricmp(known, name.c_str()) == 0)
            return code;
    }
    if (_stricmp(name.c_str(), "csISO2022JP") == 0)
        return 0;
    if (_stricmp(name.c_str(), "EUC-JP") == 0 || _stricmp(name.c_str(), "x-euc-jp") == 0)
        return 5;
    return -1;
}
