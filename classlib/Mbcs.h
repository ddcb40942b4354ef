// Code page 932 byte classification. Narrow strings of the program are
// Shift_JIS throughout; every scan for an ASCII delimiter must step over the
// second byte of a double-byte character (the second byte of "ソ" is 0x5C).
#pragma once

#include <cstddef>

namespace Mbcs {

inline bool IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

inline bool IsLeadByte(char c) { return IsLeadByte(static_cast<unsigned char>(c)); }

// Length of the character starting at p, given the bytes left (1 or 2).
inline size_t CharLength(const char* p, size_t left)
{
    return (left >= 2 && IsLeadByte(p[0]) && p[1] != '\0') ? 2 : 1;
}

// True when byte offset pos of s (length len) is the second byte of a
// double-byte character.
bool IsTrailByteAt(const char* s, size_t len, size_t pos);

} // namespace Mbcs
