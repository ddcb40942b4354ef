// CShownMailText: what the mail view shows of one stored mail: the header
// text and the body as Shift-JIS text, decoded from the stored entry
// (transfer encodings and charsets undone by the mail reader). A mail whose
// only text is HTML is shown as the text of its HTML part.
#pragma once

#include <string>

class CShownMailText
{
public:
    // The stored entry without the end line ".\r\n" of its terminator. A
    // damaged entry too short to hold it loses nothing.
    static size_t ShownLength(const char* pEntry, size_t nLength);

    // Takes a stored entry: name line, header block, blank line, body.
    void Load(const char* pEntry, size_t nLength);

    // The header block without the store's own name line.
    const std::string& HeaderText() const { return m_header; }
    // The text for the body view.
    const std::string& Body() const { return m_body; }
    // Hands the body over without a copy (a large mail).
    std::string TakeBody() { return std::move(m_body); }
    // The raw HTML part, when the mail has one in its text.
    const std::string& Html() const { return m_html; }
    bool BodyFromHtml() const { return m_bFromHtml; }
    const std::string& Charset() const { return m_charset; }

private:
    std::string m_header;
    std::string m_body;
    std::string m_html;
    std::string m_charset;
    bool m_bFromHtml = false;
};
