// CShownMailText: what the mail view shows of one stored mail: the header
// text and the body as Shift-JIS text, decoded from the stored entry
// (transfer encodings and charsets undone by the mail reader, which also
// gives an HTML-only mail the text of its HTML as its body when the
// application asks for it). Where no HTML engine shows the HTML part, the
// view may show the part's own text, links kept, instead.
#pragma once

#include <string>

class CShownMailText
{
public:
    // The stored entry without the end line ".\r\n" of its terminator. A
    // damaged entry too short to hold it loses nothing.
    static size_t ShownLength(const char* pEntry, size_t nLength);

    // When the body is the text of the HTML part rather than the reader's.
    enum HtmlUse
    {
        htmlNever,       // the reader's body alone (searching)
        htmlWhenNoText,  // a mail without a body shows its HTML
        htmlFirst,       // HTML display is wanted: also a body made from the HTML
    };
    // Takes a stored entry: name line, header block, blank line, body.
    void Load(const char* pEntry, size_t nLength, HtmlUse use = htmlWhenNoText);

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
