// CMimeReencoder: a mail of someone else's (an enclosed mail, a stored one)
// rewritten so that it travels where its form cannot, and reads the same:
// parts with lines longer than the 998 octets a server takes, or with 8-bit
// data for a server that did not offer 8BITMIME, get a transfer encoding
// that carries them (quoted-printable for text, Base64 for the rest).
// Texts are whole mails or MIME entities without dot-stuffing.
#pragma once

#include <cstddef>
#include <string>

class CMimeReencoder
{
public:
    // Every part with a line longer than 998 octets that is not yet in
    // quoted-printable or Base64 is put into one; nothing else changes.
    static std::string FitLines(const std::string& entity);
    // FitLines, and every part with 8-bit data is encoded too, header values
    // with raw 8-bit text become encoded words, and multiparts and enclosed
    // mails declared 8bit or binary are declared 7bit.
    static std::string ToSevenBit(const std::string& entity);
    // The parts of a message file declared 8bit or binary (the ones it holds
    // as someone else's bytes; the program's own text is Shift_JIS to be
    // converted as it is sent) in their 7-bit form, the multipart around
    // them declared 7bit.
    static std::string SevenBitRawParts(const std::string& message);
    // Whether any byte is 8-bit.
    static bool HasEightBit(const char* pText, size_t nLength);
    static bool HasEightBit(const std::string& text) { return HasEightBit(text.data(), text.size()); }
    // Whether a line is longer than 998 octets (its line end not counted).
    static bool HasLongLine(const std::string& text);

private:
    enum Mode { modeFitLines, modeSevenBit, modeRawParts };
    static std::string Rewrite(const std::string& entity, Mode mode, bool bDefaultMessage, int nDepth);
};
