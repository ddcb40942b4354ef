// CHtmlTextConverter: the readable text of an HTML part, for showing an HTML
// mail where no HTML engine is available. Block elements become line
// breaks, scripts and styles are dropped, character references are decoded
// to Shift-JIS, and a link keeps its address beside its text so that the
// colour text view still offers it as a link.
#pragma once

#include <string>

class CHtmlTextConverter
{
public:
    // html is Shift-JIS.
    static std::string ToText(const std::string& html);
    // The HTML part in Shift-JIS: from the charset its own meta element
    // names, else from the given one (the mail's).
    static std::string ToShiftJis(const std::string& html, const std::string& mailCharset);
    static std::string MetaCharset(const std::string& html);
};
