#include "viewer/ShownMailText.h"

#include "store/MailFileReader.h"
#include "viewer/HtmlTextConverter.h"

#include <cstring>

size_t CShownMailText::ShownLength(const char* pEntry, size_t nLength)
{
    // Every stored entry ends "\r\n.\r\n"; the view drops its last three
    // bytes. A shorter (damaged) entry is shown as it is.
    if (nLength >= 3 && std::memcmp(pEntry + nLength - 3, ".\r\n", 3) == 0)
        return nLength - 3;
    return nLength;
}

void CShownMailText::Load(const char* pEntry, size_t nLength, HtmlUse use)
{
    m_header.clear();
    m_body.clear();
    m_html.clear();
    m_charset.clear();
    m_bFromHtml = false;
    if (!pEntry)
        return;
    std::string text(pEntry, ShownLength(pEntry, nLength));
    size_t blank = text.find("\r\n\r\n");
    std::string block = blank == std::string::npos ? text : text.substr(0, blank);
    size_t eol = block.find("\r\n");
    m_header = eol == std::string::npos ? std::string() : block.substr(eol + 2);
    if (blank == std::string::npos)
        return;  // all header, no body

    // The mail as it was filed (without the name line), decoded part by part.
    std::string mail = m_header;
    mail += "\r\n\r\n";
    mail.append(text, blank + 4, std::string::npos);
    CMailFileReader reader;
    reader.ParseMailText(mail, FALSE);
    m_body = reader.GetBody().Str();
    m_html = reader.GetHtmlText().Str();
    m_charset = reader.GetValues().strCharset.Str();
    const bool bodyIsHtml = m_body.empty() || (use == htmlFirst && reader.BodyFromHtml());
    if (!m_html.empty() && use != htmlNever && bodyIsHtml) {
        m_body = CHtmlTextConverter::ToText(CHtmlTextConverter::ToShiftJis(m_html, m_charset));
        m_bFromHtml = true;
    }
}
