#include "plugin/MapiRequestFile.h"

#include <cstdio>
#include <cstring>

namespace {

const char kMagic[] = "CVMAIL-MAPI-REQUEST 1";

std::string Escape(const std::string& value)
{
    std::string out;
    for (char c : value) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\0': break;
        default: out += c; break;
        }
    }
    return out;
}

std::string Unescape(const std::string& value)
{
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        // Shift_JIS: a lead byte takes the next byte as it is, even a backslash.
        unsigned char u = static_cast<unsigned char>(c);
        if (((u >= 0x81 && u <= 0x9F) || (u >= 0xE0 && u <= 0xFC)) && i + 1 < value.size()) {
            out += c;
            out += value[++i];
            continue;
        }
        if (c != '\\' || i + 1 >= value.size()) {
            out += c;
            continue;
        }
        switch (value[++i]) {
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        default: out += value[i]; break;
        }
    }
    return out;
}

// Escape works byte by byte: a trail byte 0x5C ("\") of a Shift_JIS
// character must not be doubled, or the character would break.
std::string EscapeMultiByte(const std::string& value)
{
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        unsigned char u = static_cast<unsigned char>(value[i]);
        if (((u >= 0x81 && u <= 0x9F) || (u >= 0xE0 && u <= 0xFC)) && i + 1 < value.size()) {
            out += value[i];
            out += value[++i];
            continue;
        }
        out += Escape(std::string(1, value[i]));
    }
    return out;
}

} // namespace

std::string FormatMapiRecipient(const char* pszName, const char* pszAddress)
{
    std::string name = pszName ? pszName : "";
    std::string address = pszAddress ? pszAddress : "";
    size_t colon = address.find(':');
    if (colon != std::string::npos)
        address = address.substr(colon + 1);
    if (address.empty())
        return name;
    if (name.empty() || name == address)
        return address;
    // A name with list or bracket characters is quoted, so it stays one recipient.
    if (name.find_first_of(",;<>\"") != std::string::npos) {
        std::string quoted = "\"";
        for (char c : name) {
            if (c == '"' || c == '\\')
                quoted += '\\';
            quoted += c;
        }
        name = quoted + "\"";
    }
    return name + " <" + address + ">";
}

void AppendMapiRecipient(std::string& list, const std::string& recipient)
{
    // Each recipient ends with a comma, as the address book fills a field.
    if (recipient.empty())
        return;
    list += recipient;
    list += ',';
}

std::string FormatMapiRequest(const MapiMailRequest& r)
{
    std::string text = std::string(kMagic) + "\r\n";
    auto line = [&text](const char* key, const std::string& value) {
        text += key;
        text += '\t';
        text += EscapeMultiByte(value);
        text += "\r\n";
    };
    line("To", r.to);
    line("Cc", r.cc);
    line("Bcc", r.bcc);
    line("Subject", r.subject);
    line("Body", r.body);
    for (const std::string& a : r.attachments)
        line("Attach", a);
    return text;
}

bool ParseMapiRequest(const std::string& text, MapiMailRequest& r)
{
    r = MapiMailRequest();
    size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 2;
        if (first) {
            if (line != kMagic)
                return false;
            first = false;
            continue;
        }
        size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        std::string key = line.substr(0, tab), value = Unescape(line.substr(tab + 1));
        if (key == "To") r.to = value;
        else if (key == "Cc") r.cc = value;
        else if (key == "Bcc") r.bcc = value;
        else if (key == "Subject") r.subject = value;
        else if (key == "Body") r.body = value;
        else if (key == "Attach" && !value.empty()) r.attachments.push_back(value);
    }
    return !first;
}

std::string MakeUniqueFolder(const std::string& baseFolder)
{
    std::string base = baseFolder;
    if (!base.empty() && base.back() != '\\')
        base += '\\';
    static LONG counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        LONG n = InterlockedIncrement(&counter);
        char name[64];
        std::snprintf(name, sizeof(name), "$$F%lX%lX%lX", GetCurrentProcessId(), GetTickCount(),
                      static_cast<unsigned long>(n));
        std::string path = base + name;
        // A folder that exists already belongs to another send: never reuse it.
        if (CreateDirectoryA(path.c_str(), nullptr))
            return path + "\\";
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return std::string();
    }
    return std::string();
}

void RemoveEmptyCopyFolder(const std::string& filePath)
{
    // The folder's name starts after the last separator before the file
    // name; a trail byte of Shift_JIS may be a backslash and is skipped.
    size_t nameStart = 0, folderStart = 0;
    for (size_t i = 0; i < filePath.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(filePath[i])) && i + 1 < filePath.size()) {
            ++i;
            continue;
        }
        if (filePath[i] == '\\') {
            folderStart = nameStart;
            nameStart = i + 1;
        }
    }
    if (nameStart == 0 || filePath.compare(folderStart, 3, "$$F") != 0)
        return;
    // Fails, as it should, while anything is left in the folder.
    RemoveDirectoryA(filePath.substr(0, nameStart - 1).c_str());
}

std::string MapiTempFolder()
{
    char temp[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(sizeof(temp), temp);
    if (!n || n >= sizeof(temp))
        return std::string();
    std::string folder(temp, n);
    if (folder.back() != '\\')
        folder += '\\';
    return folder;
}
