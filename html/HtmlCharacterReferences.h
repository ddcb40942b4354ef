// Character references of HTML ("&amp;", "&#26085;", "&#x65E5;") as a reader
// of the page sees them.
#pragma once

#include <string>

// Numeric references and &nbsp; &amp; &lt; &gt; &quot; become their
// characters; anything else, an unknown name included, stays as written.
std::wstring DecodeCharacterReferences(const std::wstring& text);
