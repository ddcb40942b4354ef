// Text matching of the mail search: keywords and searched texts are compared
// lower-cased (Latin letters only; double-byte characters are left alone) and
// a keyword must start on a character boundary, so that the second byte of one
// Shift_JIS character and the first of the next never make a hit.
#pragma once

#include "classlib/ClassLib.h"

#include <string>
#include <vector>

namespace MailSearchText {

// The keywords of a condition text: split at blanks and the full-width
// space, a phrase in double quotes kept whole, each lower-cased.
std::vector<std::string> SplitKeywords(const char* pszText);

// Appends the text lower-cased to out.
void AppendLower(std::string& out, const char* p, size_t n);

// Appends body text lower-cased with its line breaks undone: a break
// between two double-byte characters (a Japanese line wrapped in the middle
// of a word) or next to a blank is dropped, one between two single-byte
// characters becomes a blank.
void AppendJoinedLines(std::string& out, const char* p, size_t n);

// Whether the (lower-cased) needle occurs in the (lower-cased) text at a
// character boundary.
bool Contains(const std::string& text, const std::string& needle);

// Whether a stored mail, once decoded, may hold anything beyond ASCII: it
// may unless all of it is 7-bit text with no escape sequence, no encoded
// word, no character reference and no mention of an encoding that turns
// ASCII into other characters (base64, quoted-printable, uuencode, UTF-7,
// HZ). A keyword with a double-byte character cannot occur in a mail that
// may not, which spares decoding most mails of a Japanese search.
bool MayHoldNonAscii(const char* p, size_t n);
// Whether the keyword has a byte beyond ASCII.
bool IsNonAscii(const std::string& keyword);

// Keyword mode Or (bAll false): any keyword occurs; And: all occur. No
// keyword: false.
bool MatchKeywords(const std::string& text, const std::vector<std::string>& keywords, bool bAll);

} // namespace MailSearchText
