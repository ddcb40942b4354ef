#include "viewer/HeaderDisplayText.h"

#include "classlib/Mbcs.h"
#include "message/AddressList.h"
#include "message/MailHeader.h"
#include "message/MailMessage.h"

#include <cstring>

namespace {

bool IsAddressHeader(const char* name)
{
    return _stricmp(name, "To") == 0 || _stricmp(name, "Cc") == 0 || _stricmp(name, "Bcc") == 0 ||
           _stricmp(name, "From") == 0;
}

} // namespace

std::string CHeaderDisplayText::SkipAccountLines(const std::string& header)
{
    static const char* const kSkipped[] = {"QM", "X-ReceiveAcount", "X-SendAcount"};
    size_t pos = 0;
    for (;;) {
        bool skip = false;
        for (const char* prefix : kSkipped) {
            if (header.compare(pos, strlen(prefix), prefix) == 0)
                skip = true;
        }
        if (!skip)
            break;
        size_t eol = header.find("\r\n", pos);
        if (eol == std::string::npos)
            return std::string();
        pos = eol + 2;
    }
    return header.substr(pos);
}

std::vector<std::string> CHeaderDisplayText::CutValue(const std::string& value, size_t nMax)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start < value.size() || pieces.empty()) {
        size_t end = start;
        while (end < value.size()) {
            size_t n = Mbcs::CharLength(value.data() + end, value.size() - end);
            if (end + n - start > nMax)
                break;
            end += n;
        }
        if (end == start && start < value.size())
            end = start + 1;  // a single character wider than the limit
        pieces.push_back(value.substr(start, end - start));
        start = end;
        if (start >= value.size())
            break;
    }
    return pieces;
}

std::vector<CHeaderDisplayText::MenuItem> CHeaderDisplayText::FieldMenu(const CMailMessage& message, int nKind)
{
    std::vector<MenuItem> items;
    if (nKind == kindNone)
        return items;
    for (int i = 0; i < message.GetHeaderCount(); ++i) {
        const CMailHeader* header = message.GetHeaderAt(i);
        const char* name = header->m_strName.GetString();
        if (IsPrivateHeader(name) || _stricmp(name, "Received") == 0)
            continue;
        const bool address = IsAddressHeader(name);
        const bool date = _stricmp(name, "Date") == 0;
        if (nKind == kindOther && (address || date))
            continue;
        if (nKind == kindDate && !date)
            continue;
        if ((nKind == kindTo || nKind == kindCc || nKind == kindFrom) && !address)
            continue;
        if (address && nKind != kindOther) {
            CStringArray entries;
            ParseAddressList(header->m_strValue, &entries);
            for (int k = 0; k < entries.GetSize(); ++k) {
                MenuItem item;
                item.text = std::string(name) + "\t" + entries[k].GetString();
                item.value = entries[k].GetString();
                item.bAddress = true;
                items.push_back(item);
            }
            continue;
        }
        std::vector<std::string> pieces = CutValue(header->m_strValue.Str(), 82);
        for (size_t k = 0; k < pieces.size(); ++k) {
            MenuItem item;
            item.text = (k == 0 ? std::string(name) : std::string()) + "\t" + pieces[k];
            item.value = pieces[k];
            items.push_back(item);
        }
    }
    return items;
}
