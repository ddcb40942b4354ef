// CDotStuffer: the dot-doubled form in which mail text travels (POP3, SMTP)
// and is kept between "\r\n.\r\n" terminators in the store: every line that
// begins with "." carries a second one, so that no line of a mail can be
// taken for the terminator.
#pragma once

#include <cstddef>
#include <string>

class CDotStuffer
{
public:
    // Appends the bytes to out with a dot doubled at each line start. The
    // line state carries over between calls, so text may come in pieces.
    // A line starts after LF (of CR LF, or alone), as the receiving side of
    // the protocols and the store's reader see it.
    void Append(std::string& out, const char* pData, size_t nLength);
    // Whether the next byte starts a line.
    bool AtLineStart() const { return m_bLineStart; }

    static std::string Stuff(const char* pData, size_t nLength);
    // The one place where the doubling is undone: the first of two dots at
    // the start of a line goes (the text itself begins at a line start).
    static std::string Undo(const std::string& text);

private:
    bool m_bLineStart = true;
};
