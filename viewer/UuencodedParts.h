// CUuencodedParts: finds the uuencoded blocks of a mail body, decodes them
// and gives the body that remains without them. Window-less: the mail view
// writes the parts into the mail's attachment folder and files the result.
//
// A block runs from a line beginning "begin " to a line beginning "end"
// (both case-insensitive). Its file name is the text after the last blank
// of the begin line, reduced to a plain name: anything up to a path
// separator is dropped and characters a file name cannot hold become "_",
// so that a mail can only ever name a file inside its own attachment
// folder. An empty or unusable name becomes the mail file name followed by
// the block's number ("%s%03d").
#pragma once

#include <string>
#include <vector>

class CUuencodedParts
{
public:
    struct Part
    {
        std::string name;
        std::string data;
    };

    // Splits the stored mail (without its end line) at the first blank line
    // and converts the body. False when the body holds no complete block.
    bool Convert(const std::string& mail, const std::string& mailFileName);

    const std::vector<Part>& Parts() const { return m_parts; }
    // The header, a blank line and the kept text of the body.
    const std::string& Output() const { return m_output; }

    // The plain file name a begin line's name is reduced to; empty when
    // nothing usable is left.
    static std::string SafeFileName(const std::string& name);

private:
    std::vector<Part> m_parts;
    std::string m_output;
};
