// CHeaderDisplayText: what the header displays show of a mail's header,
// worked out without a window: the raw header of the header window without
// the program's leading account lines, and the items of the menu a
// clickable header field opens.
#pragma once

#include <string>
#include <vector>

class CMailMessage;

class CHeaderDisplayText
{
public:
    // Field kinds of a clickable header field.
    enum Kind { kindNone = -1, kindOther = 0, kindTo = 1, kindCc = 2, kindFrom = 3, kindDate = 4 };

    struct MenuItem
    {
        std::string text;   // the item's text ("name", TAB, value or entry)
        std::string value;  // what copying the item puts on the clipboard, or the address entry
        bool bAddress = false;  // a submenu for one address entry
    };

    // The header from its first line that is not an account line of the
    // program ("QM", "X-ReceiveAcount", "X-SendAcount"); only leading lines
    // are skipped.
    static std::string SkipAccountLines(const std::string& header);

    // The menu of a field of the given kind over the parsed header, in the
    // order of the header lines: private lines and "Received" left out;
    // kind 0 every line but To, Cc, Bcc, From and Date, kind 4 only Date,
    // kinds 1-3 the address lines, one submenu per address entry. A value
    // longer than 82 bytes is cut into several items (never inside a
    // double-byte character), the first carrying the name.
    static std::vector<MenuItem> FieldMenu(const CMailMessage& message, int nKind);

    // Pieces of at most nMax bytes.
    static std::vector<std::string> CutValue(const std::string& value, size_t nMax);
};
