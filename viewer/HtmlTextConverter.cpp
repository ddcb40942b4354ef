#include "viewer/HtmlTextConverter.h"

#include "classlib/Mbcs.h"
#include "message/JapaneseCode.h"

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The value of an attribute inside a tag's text, or "".
std::string AttributeValue(const std::string& tag, const char* name)
{
    std::string low = Lower(tag);
    size_t n = std::strlen(name);
    for (size_t at = low.find(name); at != std::string::npos; at = low.find(name, at + 1)) {
        if (at > 0 && !std::isspace(static_cast<unsigned char>(low[at - 1])))
            continue;
        size_t p = at + n;
        while (p < low.size() && std::isspace(static_cast<unsigned char>(low[p])))
            ++p;
        if (p >= low.size() || low[p] != '=')
            continue;
        ++p;
        while (p < low.size() && std::isspace(static_cast<unsigned char>(low[p])))
            ++p;
        if (p >= tag.size())
            return std::string();
        char quote = tag[p];
        if (quote == '"' || quote == '\'') {
            size_t end = tag.find(quote, p + 1);
            return tag.substr(p + 1, end == std::string::npos ? std::string::npos : end - p - 1);
        }
        size_t end = p;
        while (end < tag.size() && !std::isspace(static_cast<unsigned char>(tag[end])) && tag[end] != '>')
            ++end;
        return tag.substr(p, end - p);
    }
    return std::string();
}

void AppendCodePoint(std::string& out, unsigned long cp)
{
    if (cp == 0xA0) {
        out += ' ';
        return;
    }
    if (cp < 0x80) {
        out += static_cast<char>(cp);
        return;
    }
    wchar_t w[2];
    int nw = 1;
    if (cp >= 0x10000) {
        cp -= 0x10000;
        w[0] = static_cast<wchar_t>(0xD800 + (cp >> 10));
        w[1] = static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
        nw = 2;
    } else {
        w[0] = static_cast<wchar_t>(cp);
    }
    char buf[8];
    int n = WideCharToMultiByte(932, 0, w, nw, buf, sizeof(buf), nullptr, nullptr);
    if (n > 0)
        out.append(buf, static_cast<size_t>(n));
}

// Decodes the reference starting at html[i] ("&..."); returns the length used (0 for none).
size_t DecodeReference(const std::string& html, size_t i, std::string& out)
{
    size_t semi = html.find(';', i);
    if (semi == std::string::npos || semi - i > 10)
        return 0;
    std::string name = html.substr(i + 1, semi - i - 1);
    if (!name.empty() && name[0] == '#') {
        unsigned long cp = (name.size() > 1 && (name[1] == 'x' || name[1] == 'X'))
                               ? std::strtoul(name.c_str() + 2, nullptr, 16)
                               : std::strtoul(name.c_str() + 1, nullptr, 10);
        if (cp == 0)
            return 0;
        AppendCodePoint(out, cp);
        return semi - i + 1;
    }
    static const struct { const char* name; const char* text; } kNamed[] = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", " "},
    };
    std::string low = Lower(name);
    for (const auto& e : kNamed) {
        if (low == e.name) {
            out += e.text;
            return semi - i + 1;
        }
    }
    return 0;
}

bool IsBlockTag(const std::string& name)
{
    static const char* const kBlocks[] = {"br", "p", "div", "tr", "li", "h1", "h2", "h3", "h4", "h5", "h6",
                                          "table", "blockquote", "pre", "hr", "ul", "ol", "dd", "dt"};
    for (const char* b : kBlocks)
        if (name == b)
            return true;
    return false;
}

// Ends the current line unless the text is empty or already at a line start.
void EndLine(std::string& out)
{
    if (!out.empty() && (out.size() < 2 || out.compare(out.size() - 2, 2, "\r\n") != 0))
        out += "\r\n";
}

} // namespace

std::string CHtmlTextConverter::ToText(const std::string& html)
{
    std::string out;
    out.reserve(html.size());
    std::string href;         // the open link's address
    size_t linkTextStart = 0; // where its text began in out
    bool pre = false;
    bool space = false;       // a blank is owed before the next text
    for (size_t i = 0; i < html.size();) {
        unsigned char c = static_cast<unsigned char>(html[i]);
        if (c == '<') {
            if (html.compare(i, 4, "<!--") == 0) {
                size_t end = html.find("-->", i + 4);
                i = end == std::string::npos ? html.size() : end + 3;
                continue;
            }
            size_t end = html.find('>', i);
            if (end == std::string::npos)
                break;
            std::string tag = html.substr(i + 1, end - i - 1);
            i = end + 1;
            bool closing = !tag.empty() && tag[0] == '/';
            size_t nameStart = closing ? 1 : 0;
            size_t nameEnd = nameStart;
            while (nameEnd < tag.size() && std::isalnum(static_cast<unsigned char>(tag[nameEnd])))
                ++nameEnd;
            std::string name = Lower(tag.substr(nameStart, nameEnd - nameStart));
            if (!closing && (name == "script" || name == "style" || name == "head" || name == "title")) {
                std::string low = Lower(html.substr(i));
                size_t close = low.find("</" + name);
                i = close == std::string::npos ? html.size() : html.find('>', i + close) + 1;
                if (i == 0)
                    i = html.size();
                continue;
            }
            if (name == "pre")
                pre = !closing;
            if (name == "a") {
                if (!closing) {
                    href = AttributeValue(tag, "href");
                    if (href.compare(0, 7, "mailto:") == 0 || href.compare(0, 7, "MAILTO:") == 0)
                        href = href.substr(7);
                    if (space && !out.empty())
                        out += ' ';
                    space = false;
                    linkTextStart = out.size();
                } else if (!href.empty()) {
                    // The address beside the text, unless the text already is it.
                    if (out.compare(linkTextStart, std::string::npos, href) != 0)
                        out += " <" + href + ">";
                    href.clear();
                }
                continue;
            }
            if (name == "br") {
                out += "\r\n";
                space = false;
            } else if (IsBlockTag(name)) {
                EndLine(out);
                if (!closing && !out.empty() && (name == "p" || name == "table" || name == "blockquote"))
                    out += "\r\n";
                space = false;
            } else if (name == "td" || name == "th") {
                space = true;
            }
            continue;
        }
        if (!pre && (c == '\r' || c == '\n' || c == '\t' || c == ' ')) {
            space = true;
            ++i;
            continue;
        }
        if (space && !out.empty() && out.back() != '\n')
            out += ' ';
        space = false;
        if (c == '&') {
            size_t used = DecodeReference(html, i, out);
            if (used) {
                i += used;
                continue;
            }
        }
        if (Mbcs::IsLeadByte(c) && i + 1 < html.size()) {
            out.append(html, i, 2);
            i += 2;
            continue;
        }
        if (pre && c == '\n' && (out.empty() || out.back() != '\r'))
            out += '\r';
        out += static_cast<char>(c);
        ++i;
    }
    return out;
}

std::string CHtmlTextConverter::MetaCharset(const std::string& html)
{
    std::string low = Lower(html.substr(0, 4096));
    for (size_t at = low.find("<meta"); at != std::string::npos; at = low.find("<meta", at + 5)) {
        size_t end = low.find('>', at);
        if (end == std::string::npos)
            break;
        std::string tag = low.substr(at, end - at);
        size_t cs = tag.find("charset=");
        if (cs == std::string::npos)
            continue;
        size_t p = cs + 8;
        if (p < tag.size() && (tag[p] == '"' || tag[p] == '\''))
            ++p;
        size_t q = p;
        while (q < tag.size() && (std::isalnum(static_cast<unsigned char>(tag[q])) || tag[q] == '-' || tag[q] == '_'))
            ++q;
        return tag.substr(p, q - p);
    }
    return std::string();
}

std::string CHtmlTextConverter::ToShiftJis(const std::string& html, const std::string& mailCharset)
{
    std::string cs = MetaCharset(html);
    if (cs.empty())
        cs = Lower(mailCharset);
    int n = static_cast<int>(html.size());
    if (cs == "utf-8" || cs == "utf8")
        return Utf8ToAnsi(html.data(), n).Str();
    if (cs == "iso-2022-jp" || cs == "csiso2022jp")
        return JisToSjis(html.data(), n).Str();
    if (cs == "euc-jp")
        return EucToSjis(html.data(), n).Str();
    if (cs.empty() || cs == "shift_jis" || cs == "x-sjis" || cs == "us-ascii" || cs == "windows-31j")
        return html;
    UINT cp = GetCodePageOfCharset(cs.c_str());
    return cp ? ConvertCodePageToAnsi(html.data(), n, cp).Str() : html;
}
