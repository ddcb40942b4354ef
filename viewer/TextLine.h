// CTextLine: one display line of the colour text view.
#pragma once

#include <string>

struct CTextLine
{
    // The bytes of the line, without any line break.
    std::string text;
    // True when the line was cut by wrapping and its text goes on in the next
    // display line; false when it ends at a hard line break.
    bool wrapped = false;
};
