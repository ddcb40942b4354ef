// Searches of byte runs for the paths that scan whole mails and index
// files: the platform's C library looks at one byte at a time, these look at
// sixteen. Byte values only; a caller that must not stop inside a
// double-byte character checks the hit itself.
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ByteSearch {

namespace Detail {

inline int Matches(__m128i block, __m128i needle) { return _mm_movemask_epi8(_mm_cmpeq_epi8(block, needle)); }

} // namespace Detail

// The first c in [p, p + n), or nullptr.
inline const char* Find(const char* p, size_t n, char c)
{
    const __m128i needle = _mm_set1_epi8(c);
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        int mask = Detail::Matches(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), needle);
        if (mask)
            return p + i + __builtin_ctz(static_cast<unsigned>(mask));
    }
    for (; i < n; ++i) {
        if (p[i] == c)
            return p + i;
    }
    return nullptr;
}

// The offset of the first c in text at or after from, or npos.
inline size_t Find(std::string_view text, char c, size_t from = 0)
{
    if (from >= text.size())
        return std::string_view::npos;
    const char* hit = Find(text.data() + from, text.size() - from, c);
    return hit ? static_cast<size_t>(hit - text.data()) : std::string_view::npos;
}

// The offset of the first occurrence of what in text at or after from, or
// npos (an empty what is found at from). Candidates are the places where
// the first two bytes match, sixteen places a step.
inline size_t Find(std::string_view text, std::string_view what, size_t from = 0)
{
    const size_t m = what.size();
    if (m < 2)
        return m ? Find(text, what[0], from) : (from <= text.size() ? from : std::string_view::npos);
    if (from > text.size() || text.size() - from < m)
        return std::string_view::npos;
    const char* p = text.data();
    const size_t last = text.size() - m;  // the last place what can begin
    const __m128i first = _mm_set1_epi8(what[0]);
    const __m128i second = _mm_set1_epi8(what[1]);
    size_t i = from;
    // Both loads stay inside the text: i + 16 < i + 15 + m <= size.
    for (; i + 15 <= last; i += 16) {
        unsigned mask =
            static_cast<unsigned>(Detail::Matches(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), first) &
                                  Detail::Matches(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1)), second));
        while (mask) {
            size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
            if (text.compare(at, m, what) == 0)
                return at;
            mask &= mask - 1;
        }
    }
    for (; i <= last; ++i) {
        if (p[i] == what[0] && text.compare(i, m, what) == 0)
            return i;
    }
    return std::string_view::npos;
}

// The first c in the NUL-terminated s, or nullptr (as strchr, but never
// finds the NUL). Reads whole aligned blocks, which never cross into a page
// the string does not reach.
inline const char* FindInString(const char* s, char c)
{
    const __m128i needle = _mm_set1_epi8(c);
    const __m128i zero = _mm_setzero_si128();
    uintptr_t addr = reinterpret_cast<uintptr_t>(s);
    const char* block = reinterpret_cast<const char*>(addr & ~static_cast<uintptr_t>(15));
    unsigned skip = static_cast<unsigned>(addr & 15);
    for (;;) {
        __m128i v = _mm_load_si128(reinterpret_cast<const __m128i*>(block));
        unsigned hit = static_cast<unsigned>(Detail::Matches(v, needle)) >> skip << skip;
        unsigned end = static_cast<unsigned>(Detail::Matches(v, zero)) >> skip << skip;
        if (hit | end) {
            unsigned first = static_cast<unsigned>(__builtin_ctz(hit | end));
            return (hit >> first) & 1 ? block + first : nullptr;
        }
        block += 16;
        skip = 0;
    }
}

// The first occurrence of what in the NUL-terminated s, or nullptr (as
// strstr, for a what that is not empty).
inline const char* FindInString(const char* s, const char* what)
{
    for (const char* p = FindInString(s, what[0]); p; p = FindInString(p + 1, what[0])) {
        size_t i = 1;
        while (what[i] && p[i] == what[i])
            ++i;
        if (!what[i])
            return p;
    }
    return nullptr;
}

} // namespace ByteSearch
